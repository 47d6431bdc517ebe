#include <cstring>

#include "Common/CoreUtils.h"
#include "Common/MemoryHeap.h"

namespace Zep {
namespace Memory {

MemorySystem memorySystem = {nullptr, 0, 0, {nullptr, nullptr}, 0, {}};

void ArenaInitialize(MemoryArena* arena, uint8_t* base, uint32_t size) {
    std::memset(arena, 0, sizeof(*arena));
    arena->base = base;
    arena->end = base + size;
    arena->ranges[0].start = base;
    arena->ranges[0].size = size;
}

uint32_t ArenaFreeSpace(const MemoryArena* arena) {
    uint32_t largest = 0;
    for (int i = 0; i < kMaxArenaRanges && arena->ranges[i].start; ++i) {
        if (arena->ranges[i].size > largest)
            largest = arena->ranges[i].size;
    }
    largest &= ~0xFFFu;
    return largest < 0x10000 ? 0 : largest;
}

bool ArenaHasRoom(const MemoryArena* arena) {
    return arena->heaps[kMaxArenaHeaps - 1] == nullptr;
}

MemoryHeap* ArenaCarveHeap(MemoryArena* arena, uint32_t bytes) {
    int best = -1;
    for (int i = 0; i < kMaxArenaRanges && arena->ranges[i].start; ++i) {
        if (arena->ranges[i].size >= bytes && (best < 0 || arena->ranges[i].size < arena->ranges[best].size))
            best = i;
    }
    if (best < 0)
        Fail(ZEP_SOURCE_FILE, __LINE__, "Failed to allocate memory heap");

    MemoryHeap* heap = reinterpret_cast<MemoryHeap*>(arena->ranges[best].start);
    int at = 0;
    while (at < kMaxArenaHeaps && arena->heaps[at] && arena->heaps[at] < heap)
        ++at;
    if (at < kMaxArenaHeaps) {
        for (int i = kMaxArenaHeaps - 1; i > at; --i)
            arena->heaps[i] = arena->heaps[i - 1];
        arena->heaps[at] = heap;
        if (memorySystem.heapCount < 2 * kMaxArenaHeaps)
            memorySystem.heapOffsets[memorySystem.heapCount++] =
                static_cast<uint32_t>(reinterpret_cast<uint8_t*>(heap) - memorySystem.base);
    }

    arena->ranges[best].start += bytes;
    arena->ranges[best].size -= bytes;
    if (arena->ranges[best].size == 0) {
        for (int i = best; i < kMaxArenaRanges - 1; ++i)
            arena->ranges[i] = arena->ranges[i + 1];
        arena->ranges[kMaxArenaRanges - 1].start = nullptr;
        arena->ranges[kMaxArenaRanges - 1].size = 0;
    }

    if (!CommitMemory(heap, kHeapHeaderSize))
        Fail(ZEP_SOURCE_FILE, __LINE__, "Failed to commit system memory");
    std::memset(heap, 0, kHeapHeaderSize);
    heap->heapSize = bytes;
    heap->self = heap;
    return heap;
}

int ListHeaps(MemoryHeap** heaps, int heapsCapacity) {
    int count = 0;
    for (int slot = 0; slot < 2; ++slot) {
        const MemoryArena* arena = memorySystem.arenas[slot];
        if (!arena || (slot == 1 && arena == memorySystem.arenas[0]))
            continue;
        for (int i = 0; i < kMaxArenaHeaps && arena->heaps[i] && count < heapsCapacity; ++i)
            heaps[count++] = arena->heaps[i];
    }
    return count;
}

bool IsArenaHeap(const MemoryHeap* heap) {
    if (!heap || !memorySystem.base)
        return false;
    const uint8_t* address = reinterpret_cast<const uint8_t*>(heap);
    if (address < memorySystem.base || address >= memorySystem.base + memorySystem.size)
        return false;
    const uint32_t offset = static_cast<uint32_t>(address - memorySystem.base);
    for (uint32_t i = 0; i < memorySystem.heapCount; ++i) {
        if (memorySystem.heapOffsets[i] == offset)
            return true;
    }
    return false;
}

}  // namespace Memory
}  // namespace Zep
