// The engine's memory manager.
#pragma once

#include <cstddef>

namespace Zep {

class MemoryManager {
public:
    typedef void* HeapHandle;

    // Creates a named heap; the first one created becomes the default heap.
    static HeapHandle CreateHeap(int kind, size_t size, const char* name, size_t alignment, unsigned flags,
                                 unsigned smallPoolPercentage);
    // The reserve that exception texts are copied into.
    static void* AllocateFromSafeHeap(size_t size);
    static void Deallocate(void* block);
};

}  // namespace Zep
