// The engine's heap against the C runtime's malloc, in one run.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <new>
#include <random>
#include <vector>

#include "Common/MemoryManager.h"

using Zep::MemoryManager;

namespace {

void* Common() {
    static void* heap = MemoryManager::CreateHeap(3, 0x12C00000, "Common", 4, 11, 20);
    return heap;
}

struct HeapCalls {
    static void* Allocate(size_t size) { return MemoryManager::Allocate(size, Common()); }
    static void Free(void* block) { MemoryManager::Deallocate(block); }
};

struct NewCalls {
    static void* Allocate(size_t size) {
        Common();
        return ::operator new(size);
    }
    static void Free(void* block) { ::operator delete(block); }
};

struct MallocCalls {
    static void* Allocate(size_t size) { return std::malloc(size); }
    static void Free(void* block) { std::free(block); }
};

// Allocate and free at once, the size cycling up to the range's limit.
template <class Calls>
void SmallPairs(benchmark::State& state) {
    const size_t limit = static_cast<size_t>(state.range(0));
    size_t size = 8;
    for (auto _ : state) {
        void* block = Calls::Allocate(size);
        benchmark::DoNotOptimize(block);
        Calls::Free(block);
        size = size * 3 % limit + 1;
    }
}

// A working set of 4096 live blocks, one replaced per step: mostly small, some up to 64 KiB.
template <class Calls>
void Mixed(benchmark::State& state) {
    const size_t limit = static_cast<size_t>(state.range(0));
    std::vector<void*> live(4096, nullptr);
    std::mt19937 random(42);
    std::vector<size_t> sizes(1 << 16);
    for (size_t& size : sizes)
        size = random() % 8 == 0 ? random() % limit : random() % 256;
    size_t step = 0;
    for (auto _ : state) {
        void*& slot = live[random() % live.size()];
        Calls::Free(slot);
        slot = Calls::Allocate(sizes[step++ & (sizes.size() - 1)]);
        benchmark::DoNotOptimize(slot);
    }
    for (void* block : live)
        Calls::Free(block);
}

}  // namespace

BENCHMARK_TEMPLATE(SmallPairs, HeapCalls)->Arg(64)->Arg(4096);
BENCHMARK_TEMPLATE(SmallPairs, NewCalls)->Arg(64)->Arg(4096);
BENCHMARK_TEMPLATE(SmallPairs, MallocCalls)->Arg(64)->Arg(4096);
BENCHMARK_TEMPLATE(Mixed, HeapCalls)->Arg(4096)->Arg(65536);
BENCHMARK_TEMPLATE(Mixed, NewCalls)->Arg(4096)->Arg(65536);
BENCHMARK_TEMPLATE(Mixed, MallocCalls)->Arg(4096)->Arg(65536);

BENCHMARK_MAIN();
