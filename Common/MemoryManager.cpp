#include "Common/MemoryManager.h"

#include <cstdlib>

namespace Zep {

// Until the engine's own heaps serve these, the C runtime does.
MemoryManager::HeapHandle MemoryManager::CreateHeap(int, size_t, const char*, size_t, unsigned, unsigned) {
    return nullptr;
}

void* MemoryManager::AllocateFromSafeHeap(size_t size) {
    return std::malloc(size);
}

void MemoryManager::Deallocate(void* block) {
    std::free(block);
}

}  // namespace Zep
