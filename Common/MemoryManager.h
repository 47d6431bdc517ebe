// The engine's memory manager: named heaps over one reserved address range.
#pragma once

#include <cstddef>
#include <cstdint>

namespace Zep {

class MemoryManager {
public:
    // An opaque heap. In Allocate and Reallocate NULL is the default heap and 1
    // is "CRTHeap"; elsewhere NULL is the default heap.
    typedef void* HeapHandle;

    // NULL for size 0 and when the heap is exhausted.
    static void* Allocate(size_t size, HeapHandle heap = nullptr);
    // As Allocate; a failure logs and throws Zep::Exception::Memory.
    static void* AllocateChecked(size_t size, HeapHandle heap = nullptr);
    // Resizes in place when it can, else moves the block within its own heap.
    // NULL when no block could be had; the old block then stays valid.
    static void* Reallocate(void* pointer, size_t newSize, HeapHandle heap = nullptr);
    static void* ReallocateChecked(void* pointer, size_t newSize, HeapHandle heap = nullptr);
    static void Deallocate(void* pointer);
    // The usable bytes of a block (its size rounded to 4).
    static size_t GetBlockSize(void* pointer);

    static size_t GetHeapAllocateSize(HeapHandle heap = nullptr);
    static size_t GetHeapFreeSize(HeapHandle heap = nullptr);

    // Where CreateHeap takes a heap from; any other kind behaves as HEAP_ARENA_1.
    enum HeapKind {
        HEAP_ARENA_0 = 1,
        HEAP_ARENA_1 = 2,
        HEAP_ARENA_0_OR_1 = 3,  // arena 0, else arena 1 when it has more free space
        HEAP_ARENA_1_OR_0 = 4,  // arena 1, else arena 0 likewise
    };
    // CreateHeap's flags; without HEAP_SMALL_POOL or HEAP_COMMON_POOL_ONLY a heap has a small pool.
    enum HeapFlag : unsigned {
        HEAP_MAY_SHRINK = 1,        // may be made smaller than asked when the arena lacks room
        HEAP_SMALL_POOL = 2,        // a small pool, and best fit among the big free blocks
        HEAP_COMMON_POOL_ONLY = 4,  // a common pool only, first fit
        HEAP_QUIET = 8,             // no warning about a moved or smaller heap
    };

    // kind: a HeapKind; flags: HeapFlag bits; smallPoolPercentage: the small pool's
    // share, at most 50. The name is not copied.
    static HeapHandle CreateHeap(int kind, size_t size, const char* name, size_t alignment, unsigned flags,
                                 unsigned smallPoolPercentage);

    // A block from "SafeHeap" for diagnostics; NULL before the manager is initialised.
    static void* AllocateFromSafeHeap(size_t size);

    // Usage and leak report of one heap, or of every heap but "CRTHeap" for NULL.
    static void ReportHeap(HeapHandle heap, bool reportLeaks, bool reportUsage);
};

// Begins leak tracking of "SafeHeap" and registers the exit-time leak report; runs once.
void StartTrackingMemoryLeaks();

// The allocation function of every Lua state.
void* LuaAllocate(void* userData, void* pointer, size_t oldSize, size_t newSize);

namespace Detail {
// A block from the default heap whose address is a multiple of alignment (at
// most 4096), for the global allocation operators. NULL when exhausted.
void* AllocateAligned(size_t size, size_t alignment);
}  // namespace Detail

}  // namespace Zep
