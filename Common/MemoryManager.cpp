#include "Common/MemoryManager.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "Common/CoreUtils.h"
#include "Common/MemoryManagerState.h"
#include "Common/MemoryReport.h"
#include "Platforms/Win32/Win32Application.h"

namespace Zep {

namespace Memory {

ManagerState manager = {{false}, nullptr, nullptr, nullptr, {0}};

void Fail(const char* file, int line, const char* text) {
    // Reporting may allocate: the lock must not be held then.
    if (managerLockHeld)
        UnlockManager();
    Panic(file, line, text);
}

}  // namespace Memory

using namespace Memory;

namespace {

const char* const kBrokenHeap = "Heap handle is wrong or heap is corrupted";
const size_t kTextSize = 512;
const uint32_t kMinHeapSize = 0x10000;

void EnsureInitialised() {
    if (!manager.initialised.load(std::memory_order_acquire))
        Win32::InitializeMemorySystem();
}

// NULL is the default heap; 1 is "CRTHeap" where allowed. Anything else must be a heap.
MemoryHeap* ResolveHeap(MemoryManager::HeapHandle handle, bool crtAlias) {
    if (!handle)
        return manager.defaultHeap;
    if (crtAlias && reinterpret_cast<uintptr_t>(handle) == 1)
        return manager.crtHeap;
    MemoryHeap* heap = static_cast<MemoryHeap*>(handle);
    if (!IsHeap(heap))
        Fail(ZEP_SOURCE_FILE, __LINE__, kBrokenHeap);
    return heap;
}

// Logs with "SafeHeap" as the default heap, so the log can still allocate when the default heap is exhausted.
// The switch covers only the logging and is made without holding the lock while logging.
void LogWithSafeHeap(const char* text, bool error) {
    MemoryHeap* previous;
    {
        ManagerLock lock;
        previous = manager.defaultHeap;
        if (manager.safeHeap)
            manager.defaultHeap = manager.safeHeap;
    }
    if (error)
        LogError(text);
    else
        LogWarning(text);
    ManagerLock lock;
    if (manager.defaultHeap == manager.safeHeap)
        manager.defaultHeap = previous;
}

void* AllocateFrom(MemoryManager::HeapHandle handle, size_t size, bool crtAlias, MemoryHeap** used) {
    EnsureInitialised();
    if (size == 0)
        return nullptr;
    ManagerLock lock;
    MemoryHeap* heap = ResolveHeap(handle, crtAlias);
    if (used)
        *used = heap;
    if (!heap)
        return nullptr;
    return HeapAllocate(heap, size, heap->alignment, 0, heap->mark);
}

uint32_t HandleNumber(const MemoryHeap* heap) {
    return heap ? OffsetOf(heap) : 0;
}

void DumpBlock(uint32_t number, const LeakEntry& entry) {
    char text[kTextSize];
    std::snprintf(text, sizeof(text), "<  Block #%u: address: 0x%08X, size: %u bytes. First bytes:\n", number,
                  OffsetOf(entry.data), entry.size);
    LogError(text);
    const uint8_t* bytes = static_cast<const uint8_t*>(entry.data);
    const uint32_t shown = std::min<uint32_t>(entry.size, 32);
    for (uint32_t row = 0; row < shown; row += 16) {
        char hex[16 * 3 + 1] = "";
        char characters[17] = "";
        const uint32_t count = std::min<uint32_t>(16, shown - row);
        for (uint32_t i = 0; i < count; ++i) {
            const uint8_t byte = bytes[row + i];
            std::snprintf(hex + i * 3, 4, " %02X", byte);
            characters[i] = (byte < 32 || byte > 127) ? '.' : static_cast<char>(byte);
            characters[i + 1] = '\0';
        }
        std::snprintf(text, sizeof(text), "<   %-48s   <%s>\n", hex, characters);
        LogError(text);
    }
    if (entry.sourceFile) {
        std::snprintf(text, sizeof(text), "<    Source file: \"%s\", line %d\n", entry.sourceFile, entry.sourceLine);
        LogError(text);
    }
}

void ReportOneHeap(MemoryHeap* heap, bool reportLeaks, bool reportUsage) {
    HeapReport report;
    const char* checkText = nullptr;
    bool built = false;
    const char* name = "Heap";
    {
        ManagerLock lock;
        if (!IsHeap(heap))
            Fail(ZEP_SOURCE_FILE, __LINE__, kBrokenHeap);
        name = heap->name;
        checkText = HeapCheck(heap);
        if (!checkText)
            built = BuildHeapReport(heap, reportLeaks, manager.safeHeap, report);
    }
    char text[kTextSize];
    if (!built) {
        std::snprintf(text, sizeof(text), "failed to generate report for heap \"%s\"\n", name);
        LogWarning(text);
        if (checkText) {
            std::snprintf(text, sizeof(text), "heap check failed: %s\n", checkText);
            LogWarning(text);
        }
        return;
    }
    if (reportUsage) {
        std::snprintf(text, sizeof(text), "\nUsage report for memory heap \"%s\":\n", report.name);
        LogOutput(text);
        std::snprintf(text, sizeof(text), "  Overall heap size: %u Kb\n", report.heapSize / 1024);
        LogOutput(text);
        std::snprintf(text, sizeof(text), "  Currently allocated: %u bytes in %u block(s)\n", report.allocatedBytes,
                      report.usedCount);
        LogOutput(text);
        std::snprintf(text, sizeof(text), "  Currently free: %u bytes in %u block(s)\n", report.freeBytes,
                      report.freeCount + 1);
        LogOutput(text);
        std::snprintf(text, sizeof(text), "  Current fragmentation (small/common pool): %.2f / %.2f\n",
                      static_cast<double>(report.smallFragmentation), static_cast<double>(report.commonFragmentation));
        LogOutput(text);
    }
    const uint32_t leakCount = report.withSource.count + report.others.count;
    if (reportLeaks && leakCount > 0) {
        std::snprintf(text, sizeof(text), "memory leaks detected in heap \"%s\": total %u bytes in %u block(s)\n",
                      report.name, report.withSource.bytes + report.others.bytes, leakCount);
        LogWarning(text);
        uint32_t number = 1;
        for (uint32_t i = 0; i < report.withSource.count; ++i)
            DumpBlock(number++, report.withSource.entries[i]);
        for (uint32_t i = 0; i < report.others.count; ++i)
            DumpBlock(number++, report.others.entries[i]);
        if (report.incomplete)
            LogOutput("Report is incomplete! Not all leaks are shown.\n");
    }
    ManagerLock lock;
    FreeHeapReport(report);
}

void ExitLeakReport() {
    if (manager.initialised.load(std::memory_order_acquire))
        MemoryManager::ReportHeap(nullptr, true, false);
}

}  // namespace

void* MemoryManager::Allocate(size_t size, HeapHandle heap) {
    return AllocateFrom(heap, size, true, nullptr);
}

void* MemoryManager::AllocateChecked(size_t size, HeapHandle heap) {
    MemoryHeap* used = nullptr;
    void* block = AllocateFrom(heap, size, false, &used);
    if (block || size == 0)
        return block;
    char text[kTextSize];
    std::snprintf(text, sizeof(text), "Failed to allocate %llu bytes from heap \"%s\" (0x%.8x)\n",
                  static_cast<unsigned long long>(size), used ? used->name : "", HandleNumber(used));
    LogWithSafeHeap(text, true);
    throw Exception::Memory("Failed to allocate memory");
}

void* MemoryManager::Reallocate(void* pointer, size_t newSize, HeapHandle heap) {
    if (!pointer)
        return Allocate(newSize, heap);
    if (newSize == 0) {
        Deallocate(pointer);
        return nullptr;
    }
    EnsureInitialised();
    ManagerLock lock;
    if (HeapResize(pointer, newSize))
        return pointer;
    // The new block keeps the old one's alignment, offset and exempt bit.
    MemoryHeap* owner = BlockHeap(pointer);
    uint32_t alignment, offset, mark;
    BlockLayout(pointer, alignment, offset, mark);
    const size_t keep = std::min<size_t>(BlockUsableSize(pointer), newSize);
    void* block = HeapAllocate(owner, newSize, alignment, offset, mark);
    if (!block)
        return nullptr;
    std::memcpy(block, pointer, keep);
    HeapFree(pointer);
    return block;
}

void* MemoryManager::ReallocateChecked(void* pointer, size_t newSize, HeapHandle heap) {
    void* block = Reallocate(pointer, newSize, heap);
    if (block || newSize == 0)
        return block;
    char text[kTextSize];
    std::snprintf(text, sizeof(text), "Failed to reallocate memory block, pointer == 0x%.8x, newSize == %llu bytes\n",
                  pointer ? OffsetOf(pointer) : 0u, static_cast<unsigned long long>(newSize));
    LogWithSafeHeap(text, true);
    throw Exception::Memory("Failed to reallocate memory block");
}

void MemoryManager::Deallocate(void* pointer) {
    if (!pointer)
        return;
    if (!manager.initialised.load(std::memory_order_acquire))
        ZEP_ASSERT_MSG(false,
                       "Zep::MemoryManager.Deallocate(): pointer != NULL but this block was not allocated by manager "
                       "(pointer is incorrect)");
    ManagerLock lock;
    HeapFree(pointer);
}

size_t MemoryManager::GetBlockSize(void* pointer) {
    if (!pointer)
        return 0;
    if (!manager.initialised.load(std::memory_order_acquire))
        ZEP_ASSERT_MSG(false,
                       "Zep::MemoryManager.GetBlockSize(): pointer != NULLbut this block was not allocated by manager "
                       "(pointer is incorrect)");
    ManagerLock lock;
    return BlockUsableSize(pointer);
}

namespace {

// A figure of one heap; asking for a named heap before any exists is an assertion.
size_t HeapFigure(MemoryManager::HeapHandle heap, const char* operation, uint32_t (*figure)(const MemoryHeap*)) {
    if (heap && !manager.initialised.load(std::memory_order_acquire))
        ZEP_ASSERT_MSG(false, std::string("Zep::MemoryManager.") + operation +
                                  "(): memory manager was not initialized yet (there are no heaps created)");
    EnsureInitialised();
    ManagerLock lock;
    MemoryHeap* resolved = ResolveHeap(heap, false);
    return resolved ? figure(resolved) : 0;
}

}  // namespace

size_t MemoryManager::GetHeapAllocateSize(HeapHandle heap) {
    return HeapFigure(heap, "GetHeapAllocateSize", &HeapAllocatedBytes);
}

size_t MemoryManager::GetHeapFreeSize(HeapHandle heap) {
    return HeapFigure(heap, "GetHeapFreeSize", &HeapFreeBytes);
}

MemoryManager::HeapHandle MemoryManager::CreateHeap(int kind, size_t size, const char* name, size_t alignment,
                                                    unsigned flags, unsigned smallPoolPercentage) {
    EnsureInitialised();
    if (alignment < 4 || alignment > 4096 || (alignment & (alignment - 1)) != 0)
        ZEP_ASSERT_MSG(false, "Zep::MemoryManager.CreateHeap: alignment parameter is wrong");
    if (manager.safeHeap && manager.crtHeap)
        StartTrackingMemoryLeaks();

    char text[kTextSize];
    MemoryHeap* heap = nullptr;
    bool moved = false;
    bool smaller = false;
    {
        ManagerLock lock;
        uint64_t bytes = size < kMinHeapSize ? kMinHeapSize : (uint64_t(size) + 0xFFF) & ~uint64_t(0xFFF);
        if (!name)
            name = "Heap";
        MemoryArena* arena = (kind == 1 || kind == 3) ? memorySystem.arenas[0] : memorySystem.arenas[1];
        uint32_t freeSpace = ArenaFreeSpace(arena);
        bool room = ArenaHasRoom(arena);
        bool create = false;
        const char* failure = nullptr;
        if (freeSpace >= bytes && room) {
            create = true;
        } else if ((flags & kHeapFlagMayShrink) && room && freeSpace >= kMinHeapSize && freeSpace >= bytes / 8) {
            bytes = freeSpace;
            smaller = create = true;
        } else {
            if (kind == 3 || kind == 4) {
                MemoryArena* other = arena == memorySystem.arenas[0] ? memorySystem.arenas[1] : memorySystem.arenas[0];
                if (ArenaHasRoom(other) && ArenaFreeSpace(other) > freeSpace) {
                    arena = other;
                    freeSpace = ArenaFreeSpace(other);
                    room = true;
                    moved = true;
                }
            }
            if (freeSpace >= bytes) {
                create = room;
                if (!room)
                    failure = "too many heaps created";
            } else if (!room) {
                failure = "too many heaps created";
            } else if ((flags & kHeapFlagMayShrink) && freeSpace >= kMinHeapSize && uint64_t(freeSpace) * 8 >= bytes) {
                bytes = freeSpace;
                smaller = create = true;
            }
        }
        if (create) {
            heap = ArenaCarveHeap(arena, static_cast<uint32_t>(bytes));
            HeapInitialize(heap, name, static_cast<uint32_t>(alignment), flags, smallPoolPercentage);
            if (manager.defaultHeap == manager.safeHeap)
                manager.defaultHeap = heap;
        } else if (failure) {
            std::snprintf(text, sizeof(text), "Failed to create memory heap \"%s\": %s\n", name, failure);
        } else {
            std::snprintf(text, sizeof(text),
                          "Failed to create memory heap \"%s\": not enough free space in Arena, requested heap size "
                          "== %u Kb\n",
                          name, static_cast<unsigned>(bytes / 1024));
        }
    }
    if (!heap) {
        LogWithSafeHeap(text, true);
        return nullptr;
    }
    if (!(flags & kHeapFlagQuiet)) {
        if (moved) {
            std::snprintf(text, sizeof(text),
                          "Heap \"%s\" was created in another Arena due to insufficiency of free space\n", heap->name);
            LogWarning(text);
        }
        if (smaller) {
            std::snprintf(text, sizeof(text),
                          "Heap \"%s\" size was been decreased due to insufficiency of free space\n", heap->name);
            LogWarning(text);
        }
    }
    return heap;
}

void* MemoryManager::AllocateFromSafeHeap(size_t size) {
    if (size == 0 || !manager.initialised.load(std::memory_order_acquire) || !manager.safeHeap)
        return nullptr;
    // Called on the way to throwing, possibly from under the manager's own lock.
    if (IsManagerLockHeld())
        return HeapAllocate(manager.safeHeap, size, manager.safeHeap->alignment, 0, manager.safeHeap->mark);
    ManagerLock lock;
    return HeapAllocate(manager.safeHeap, size, manager.safeHeap->alignment, 0, manager.safeHeap->mark);
}

void MemoryManager::ReportHeap(HeapHandle heap, bool reportLeaks, bool reportUsage) {
    if (!reportLeaks && !reportUsage)
        return;
    EnsureInitialised();
    if (heap) {
        ReportOneHeap(static_cast<MemoryHeap*>(heap), reportLeaks, reportUsage);
        return;
    }
    MemoryHeap* heaps[2 * kMaxArenaHeaps];
    int count;
    {
        ManagerLock lock;
        count = ListHeaps(heaps, 2 * kMaxArenaHeaps);
    }
    for (int i = 0; i < count; ++i) {
        if (heaps[i] != manager.crtHeap)
            ReportOneHeap(heaps[i], reportLeaks, reportUsage);
    }
}

void StartTrackingMemoryLeaks() {
    static Detail::SpinLockByte trackingLock{0};
    static bool done = false;
    Detail::SpinLockGuard guard(trackingLock);
    if (done)
        return;
    done = true;
    uint32_t bytes = 0;
    uint32_t blocks = 0;
    bool untracked = false;
    if (manager.initialised.load(std::memory_order_acquire) && manager.safeHeap) {
        ManagerLock lock;
        bytes = HeapAllocatedBytes(manager.safeHeap);
        blocks = manager.safeHeap->smallPool.usedCount + manager.safeHeap->commonPool.usedCount;
        untracked = bytes > 2048 || blocks > 64;
        manager.safeHeap->mark = 0;
    }
    if (untracked && !Win32::IsRunningInEditor()) {
        char text[kTextSize];
        std::snprintf(text, sizeof(text),
                      "untracked memory allocations were detected before entering main(): total %u bytes in %u "
                      "block(s).\n    Check if there are any global objects which allocate memory in their "
                      "constructors or during their lifetime.\n    You should call StartTrackingMemoryLeaks() "
                      "function in their constructors or initialize them another way\n",
                      bytes, blocks);
        LogWarning(text);
    }
    std::atexit(&ExitLeakReport);
}

void* LuaAllocate(void*, void* pointer, size_t, size_t newSize) {
    if (!pointer)
        return newSize ? Detail::AllocateAligned(newSize, 16) : nullptr;
    return MemoryManager::Reallocate(pointer, newSize, nullptr);
}

namespace Detail {

void* AllocateAligned(size_t size, size_t alignment) {
    EnsureInitialised();
    ManagerLock lock;
    MemoryHeap* heap = manager.defaultHeap;
    if (!heap || alignment > 4096)
        return nullptr;
    const uint32_t wanted = std::max<uint32_t>(heap->alignment, static_cast<uint32_t>(alignment));
    return HeapAllocate(heap, size ? size : 1, wanted, 0, heap->mark);
}

}  // namespace Detail
}  // namespace Zep
