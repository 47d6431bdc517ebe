// Shared by the benchmark binaries. CI runs each binary once with
// ZEP_BENCHMARK_SMOKE=1, where the sizes shrink to a quick pass.
#pragma once

#include <cstdlib>
#include <cstring>

#include "Common/MemoryManager.h"

namespace BenchmarkSupport {

inline bool IsSmokeRun() {
    const char* value = std::getenv("ZEP_BENCHMARK_SMOKE");
    return value && std::strcmp(value, "0") != 0;
}

// full outside a smoke run, smoke inside one.
template <class T>
T Size(T full, T smoke) {
    return IsSmokeRun() ? smoke : full;
}

// The heap the player runs on, made the default heap as the program entry makes it.
inline void UsePlayerHeap() {
    static Zep::MemoryManager::HeapHandle heap = Zep::MemoryManager::CreateHeap(
        Zep::MemoryManager::HEAP_ARENA_0_OR_1, 0x12C00000, "Common", 4,
        Zep::MemoryManager::HEAP_MAY_SHRINK | Zep::MemoryManager::HEAP_SMALL_POOL | Zep::MemoryManager::HEAP_QUIET, 20);
    (void)heap;
}

}  // namespace BenchmarkSupport
