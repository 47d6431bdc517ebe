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

    // kind: 1 arena 0, 2 arena 1, 3 and 4 the same with fall-back to the other;
    // flags: 1 may be made smaller, 2 small pool with best fit, 4 common pool
    // only, 8 quiet. The name is not copied.
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
