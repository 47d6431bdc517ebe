// Shared by the benchmark binaries of the engine.
#pragma once

#include "BenchmarkSize.h"
#include "Common/MemoryManager.h"

namespace BenchmarkSupport {

// The heap the player runs on, made the default heap as the program entry makes it.
inline void UsePlayerHeap() {
    static Zep::MemoryManager::HeapHandle heap = Zep::MemoryManager::CreateHeap(
        Zep::MemoryManager::HEAP_ARENA_0_OR_1, 0x12C00000, "Common", 4,
        Zep::MemoryManager::HEAP_MAY_SHRINK | Zep::MemoryManager::HEAP_SMALL_POOL | Zep::MemoryManager::HEAP_QUIET, 20);
    (void)heap;
}

}  // namespace BenchmarkSupport
