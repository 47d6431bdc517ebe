// The heaps behind the memory manager's handles: one reserved address range,
// the arena that hands out parts of it, and the heaps with their two pools.
// Nothing here locks: every call runs under the memory manager's lock.
#pragma once

#include <cstddef>
#include <cstdint>

#include "Common/MemoryManager.h"

namespace Zep {
namespace Memory {

const uint32_t kHeapMagicStart = 0xA56AA95A;
const uint32_t kHeapMagicEnd = 0x5459CA65;
const uint32_t POOL_END_MARKER = 0x3FFFFFFE;

// sizeFlags bits of used blocks and fillers.
const uint32_t kInUseBit = 0x1;
const uint32_t kFillerBit = 0x2;
const uint32_t kExemptBit = 0x40000000;
const uint32_t kFrontFreeBit = 0x80000000;
const uint32_t kSizeMask = 0x3FFFFFFC;

const uint32_t kMinBlockSize = 12;
const uint32_t kUsedHeaderSize = 8;
const uint32_t kSmallLimit = 4096;  // free blocks from here on go to bigBlocks
const uint32_t kSmallListCount = 1024;

const uint32_t kHeapFlagMayShrink = MemoryManager::HEAP_MAY_SHRINK;
const uint32_t kHeapFlagSmallPool = MemoryManager::HEAP_SMALL_POOL;
const uint32_t kHeapFlagCommonOnly = MemoryManager::HEAP_COMMON_POOL_ONLY;
const uint32_t kHeapFlagQuiet = MemoryManager::HEAP_QUIET;

// Block and list addresses inside pools are 32-bit offsets from the
// reservation's base; 0 is never a block (a heap header lies there).
struct Pool {
    uint32_t origin;
    uint32_t bigBlocks;
    uint32_t smallBlocks[kSmallListCount];
    uint32_t smallMap[32];
    uint32_t smallMapMap;
    // hugePiece: the untouched tail of the pool.
    uint32_t top;
    uint32_t committedFree;
    uint32_t commitEnd;
    uint32_t reserveFree;
    uint32_t bigCount;
    uint32_t smallCount;
    uint32_t usedCount;
    uint32_t fillerCount;
    uint32_t freeSize;
    uint32_t usedSize;
};

struct MemoryHeap {
    uint32_t magicStart;
    MemoryHeap* self;
    uint32_t heapSize;
    const char* name;
    uint32_t alignment;
    uint32_t flags;
    uint32_t mark;
    Pool smallPool;
    Pool commonPool;
    uint32_t magicEnd;
};

const uint32_t kHeapHeaderSize = (sizeof(MemoryHeap) + 15) & ~15u;

const int kMaxArenaHeaps = 16;
const int kMaxArenaRanges = 18;

struct MemoryArena {
    uint8_t* base;
    uint8_t* end;
    MemoryHeap* heaps[kMaxArenaHeaps];  // ascending addresses, NULL after the last
    struct Range {
        uint8_t* start;  // NULL ends the table
        uint32_t size;
    } ranges[kMaxArenaRanges];
};

// The process's reservation and its arena slots (one arena entered twice on Win32).
struct MemorySystem {
    uint8_t* base;
    uint32_t size;
    uint32_t pageSize;
    MemoryArena* arenas[2];
    // Offsets of every heap the arenas hold, for the quick validation of heap fields.
    uint32_t heapCount;
    uint32_t heapOffsets[2 * kMaxArenaHeaps];
};
extern MemorySystem memorySystem;

inline uint8_t* Address(uint32_t offset) {
    return memorySystem.base + offset;
}
inline uint32_t OffsetOf(const void* address) {
    return static_cast<uint32_t>(static_cast<const uint8_t*>(address) - memorySystem.base);
}
inline uint32_t& Word(uint32_t offset) {
    return *reinterpret_cast<uint32_t*>(memorySystem.base + offset);
}

// Platform: commits the pages covering [address, address + bytes); false on failure.
bool CommitMemory(void* address, uint32_t bytes);

// Raises a panic after giving up the manager's lock when this thread holds it.
[[noreturn]] void Fail(const char* file, int line, const char* text);

// --- Arena ---------------------------------------------------------------------
void ArenaInitialize(MemoryArena* arena, uint8_t* base, uint32_t size);
// The largest free range rounded down to 4 KiB; 0 when below 64 KiB.
uint32_t ArenaFreeSpace(const MemoryArena* arena);
bool ArenaHasRoom(const MemoryArena* arena);
// Carves a heap of bytes (a multiple of 4 KiB) by best fit; the header is committed and zeroed.
MemoryHeap* ArenaCarveHeap(MemoryArena* arena, uint32_t bytes);
// The heaps of every arena slot, each once; returns the count (at most heapsCapacity).
int ListHeaps(MemoryHeap** heaps, int heapsCapacity);
// True when the address is one of the arenas' heaps, whatever its header holds.
bool IsArenaHeap(const MemoryHeap* heap);

// The heap at the offset when it is one of the arenas' heaps with a sound header, else NULL.
inline MemoryHeap* FindHeap(uint32_t offset) {
    for (uint32_t i = 0; i < memorySystem.heapCount; ++i) {
        if (memorySystem.heapOffsets[i] == offset) {
            MemoryHeap* heap = reinterpret_cast<MemoryHeap*>(memorySystem.base + offset);
            const bool sound =
                heap->self == heap && heap->magicStart == kHeapMagicStart && heap->magicEnd == kHeapMagicEnd;
            return sound ? heap : nullptr;
        }
    }
    return nullptr;
}

inline bool IsHeap(const MemoryHeap* heap) {
    const uint8_t* address = reinterpret_cast<const uint8_t*>(heap);
    if (!heap || address < memorySystem.base || address >= memorySystem.base + memorySystem.size)
        return false;
    return FindHeap(static_cast<uint32_t>(address - memorySystem.base)) == heap;
}

// --- Heap ------------------------------------------------------------------------
void HeapInitialize(MemoryHeap* heap, const char* name, uint32_t alignment, uint32_t flags, uint32_t smallPercentage);
// A block of at least size bytes whose address + offset is a multiple of alignment (a power of two, 4 to 4096);
// mark is ORed into its header. NULL when the heap cannot serve it.
void* HeapAllocate(MemoryHeap* heap, size_t size, uint32_t alignment, uint32_t offset, uint32_t mark);
// Returns a block to its heap; a broken block or heap field panics.
void HeapFree(void* data);
// Grows or shrinks a block where it lies; false when it cannot.
bool HeapResize(void* data, size_t newSize);
// The heap of a block in use (panics when the block or its heap field is broken).
MemoryHeap* BlockHeap(const void* data);
// The usable size: the block size less the 8-byte header.
uint32_t BlockUsableSize(const void* data);
// The alignment, offset and exempt bit a block was made with.
void BlockLayout(const void* data, uint32_t& alignment, uint32_t& offset, uint32_t& mark);

uint32_t HeapAllocatedBytes(const MemoryHeap* heap);
uint32_t HeapFreeBytes(const MemoryHeap* heap);

// Walks the heap's header, lists and blocks; NULL when sound, else the first error text. Never panics.
const char* HeapCheck(const MemoryHeap* heap);

}  // namespace Memory
}  // namespace Zep
