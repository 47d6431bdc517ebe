// The heaps under the memory manager: block formats, free lists, checks.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <functional>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "Common/Exceptions.h"
#include "Common/MemoryHeap.h"
#include "Common/MemoryManager.h"
#include "TestSupport.h"

using Zep::MemoryManager;
using namespace Zep::Memory;

namespace {

// The tests' blocks stay out of the exit-time leak report.
const uint32_t kTestMark = kExemptBit;

MemoryHeap* NewHeap(size_t size, unsigned flags = 2 | 8, unsigned smallPercentage = 25, size_t alignment = 4) {
    MemoryHeap* heap =
        static_cast<MemoryHeap*>(MemoryManager::CreateHeap(2, size, "Test heap", alignment, flags, smallPercentage));
    if (!heap)
        throw std::runtime_error("no test heap");
    return heap;
}

uint32_t HeaderWord(const void* data, int index) {
    return reinterpret_cast<const uint32_t*>(static_cast<const uint8_t*>(data) - 8)[index];
}

uint32_t BlockBytes(const void* data) {
    return HeaderWord(data, 0) & kSizeMask;
}

uint32_t FreeBlocks(const MemoryHeap* heap) {
    return heap->smallPool.bigCount + heap->smallPool.smallCount + heap->commonPool.bigCount +
           heap->commonPool.smallCount;
}

std::string Check(const MemoryHeap* heap) {
    const char* text = HeapCheck(heap);
    return text ? text : "";
}

// The arena holds 16 heaps for the whole test binary, so the tests share a few.
// Each test leaves its heap as empty as it found it.
MemoryHeap* GeneralHeap() {
    static MemoryHeap* heap = NewHeap(32 << 20);
    return heap;
}

// Common pool only, best fit; tests on block layout find it untouched.
MemoryHeap* LayoutHeap() {
    static MemoryHeap* heap = NewHeap(1 << 20, 2 | 8, 0);
    return heap;
}

bool Untouched(const MemoryHeap* heap) {
    return heap->commonPool.top == heap->commonPool.origin && heap->commonPool.freeSize == 0 &&
           heap->commonPool.usedCount == 0;
}

// Runs body in a child process; the child's exit code is the result: 0 when body returned.
int InChild(const std::function<void()>& body) {
    return TestSupport::RunInChild(body).exitCode;
}

}  // namespace

TEST(MemoryHeap, BlockSizesFollowTheRequest) {
    MemoryHeap* heap = GeneralHeap();
    std::vector<void*> blocks;
    for (size_t size = 0; size <= 4; ++size) {
        void* block = HeapAllocate(heap, size, 4, 0, kTestMark);
        ASSERT_NE(block, nullptr);
        EXPECT_EQ(BlockBytes(block), 12u) << size;
        EXPECT_EQ(BlockUsableSize(block), 4u);
        blocks.push_back(block);
    }
    void* five = HeapAllocate(heap, 5, 4, 0, kTestMark);
    EXPECT_EQ(BlockBytes(five), 16u);
    EXPECT_EQ(HeaderWord(five, 1), OffsetOf(heap));
    EXPECT_EQ(HeaderWord(five, 0) & 3, 1u);

    // 4090 bytes make a 4100-byte block, served from the common pool as a big block.
    void* big = HeapAllocate(heap, 4090, 4, 0, kTestMark);
    EXPECT_EQ(BlockBytes(big), 4100u);
    EXPECT_GE(OffsetOf(big), heap->commonPool.origin);
    EXPECT_EQ(Check(heap), "");
    blocks.push_back(five);
    blocks.push_back(big);
    for (void* block : blocks)
        HeapFree(block);
}

TEST(MemoryHeap, AlignedBlocksHaveAFillerInFront) {
    MemoryHeap* heap = GeneralHeap();
    std::vector<void*> blocks;
    for (int i = 0; i < 40; ++i) {
        // Odd sizes in between shift the following block's start.
        blocks.push_back(HeapAllocate(heap, static_cast<size_t>(1 + i * 3), 4, 0, kTestMark));
        void* aligned = HeapAllocate(heap, 24, 64, 0, kTestMark);
        ASSERT_NE(aligned, nullptr);
        EXPECT_EQ(reinterpret_cast<uintptr_t>(aligned) % 64, 0u);
        const uint32_t header = HeaderWord(aligned, 0);
        ASSERT_TRUE(header & kFillerBit);
        const uint32_t filler = reinterpret_cast<const uint32_t*>(aligned)[-3] & 0xFFC;
        EXPECT_TRUE(filler == 4 || filler == 8 || filler == 12) << filler;
        blocks.push_back(aligned);
        // With an offset the address plus the offset is aligned.
        void* shifted = HeapAllocate(heap, 40, 32, 8, kTestMark);
        EXPECT_EQ((reinterpret_cast<uintptr_t>(shifted) + 8) % 32, 0u);
        blocks.push_back(shifted);
    }
    EXPECT_EQ(Check(heap), "");
    for (void* block : blocks)
        HeapFree(block);
    EXPECT_EQ(Check(heap), "");
    EXPECT_EQ(HeapAllocatedBytes(heap), 0u);
}

TEST(MemoryHeap, NeighboursCoalesceAndTheTopReturnsToTheTail) {
    MemoryHeap* heap = LayoutHeap();
    ASSERT_TRUE(Untouched(heap));
    void* first = HeapAllocate(heap, 100, 4, 0, kTestMark);
    void* second = HeapAllocate(heap, 100, 4, 0, kTestMark);
    void* third = HeapAllocate(heap, 100, 4, 0, kTestMark);
    void* guard = HeapAllocate(heap, 100, 4, 0, kTestMark);
    ASSERT_EQ(static_cast<uint8_t*>(second) - static_cast<uint8_t*>(first), 108);
    ASSERT_EQ(static_cast<uint8_t*>(third) - static_cast<uint8_t*>(second), 108);

    HeapFree(first);
    HeapFree(third);
    EXPECT_EQ(FreeBlocks(heap), 2u);
    EXPECT_TRUE(HeaderWord(guard, 0) & kFrontFreeBit);
    HeapFree(second);
    EXPECT_EQ(FreeBlocks(heap), 1u);
    EXPECT_EQ(heap->commonPool.freeSize, 3u * 108);
    EXPECT_EQ(Check(heap), "");

    // The block just below the top goes back to the tail with the free block in front of it.
    const uint32_t top = heap->commonPool.top;
    const uint32_t committedFree = heap->commonPool.committedFree;
    HeapFree(guard);
    EXPECT_EQ(FreeBlocks(heap), 0u);
    EXPECT_EQ(heap->commonPool.top, top - 4 * 108);
    EXPECT_EQ(heap->commonPool.committedFree, committedFree + 4 * 108);
    EXPECT_EQ(Word(heap->commonPool.top), POOL_END_MARKER);
    EXPECT_EQ(Check(heap), "");

    // Freeing the top block alone does not change the free block count either.
    void* a = HeapAllocate(heap, 100, 4, 0, kTestMark);
    void* b = HeapAllocate(heap, 100, 4, 0, kTestMark);
    void* c = HeapAllocate(heap, 100, 4, 0, kTestMark);
    HeapFree(a);
    EXPECT_EQ(FreeBlocks(heap), 1u);
    HeapFree(c);
    EXPECT_EQ(FreeBlocks(heap), 1u);
    HeapFree(b);
    EXPECT_EQ(FreeBlocks(heap), 0u);
}

TEST(MemoryHeap, ResizeInPlaceGrowsIntoFreeSpaceAndShrinks) {
    MemoryHeap* heap = LayoutHeap();
    ASSERT_TRUE(Untouched(heap));
    void* block = HeapAllocate(heap, 100, 4, 0, kTestMark);
    void* next = HeapAllocate(heap, 200, 4, 0, kTestMark);
    void* guard = HeapAllocate(heap, 16, 4, 0, kTestMark);
    HeapFree(next);
    EXPECT_TRUE(HeapResize(block, 250));
    EXPECT_EQ(BlockBytes(block), 260u);
    EXPECT_EQ(Check(heap), "");
    // The rest of the free neighbour is too small to stay a block: all of it is taken.
    EXPECT_TRUE(HeapResize(block, 300));
    EXPECT_EQ(BlockBytes(block), 316u);
    EXPECT_FALSE(HeaderWord(guard, 0) & kFrontFreeBit);
    EXPECT_FALSE(HeapResize(block, 400));
    EXPECT_TRUE(HeapResize(block, 20));
    EXPECT_EQ(BlockBytes(block), 28u);
    EXPECT_TRUE(HeaderWord(guard, 0) & kFrontFreeBit);
    EXPECT_EQ(Check(heap), "");
    // At the top the block grows from the tail.
    EXPECT_TRUE(HeapResize(guard, 100000));
    EXPECT_EQ(BlockBytes(guard), 100008u);
    EXPECT_TRUE(HeapResize(guard, 10));
    EXPECT_EQ(Check(heap), "");
    HeapFree(block);
    HeapFree(guard);
    EXPECT_TRUE(Untouched(heap));
}

TEST(MemoryHeap, RequestsBeyondTheHeapAreExhaustion) {
    MemoryHeap* heap = GeneralHeap();
    EXPECT_EQ(HeapAllocate(heap, 0xFFFFFFF0u, 4, 0, kTestMark), nullptr);
    EXPECT_EQ(HeapAllocate(heap, size_t(1) << 31, 4, 0, kTestMark), nullptr);
    EXPECT_EQ(HeapAllocate(heap, size_t(1) << 40, 16, 0, kTestMark), nullptr);
    EXPECT_EQ(HeapAllocate(heap, 33 << 20, 4, 0, kTestMark), nullptr);
    void* block = HeapAllocate(heap, 64, 4, 0, kTestMark);
    EXPECT_FALSE(HeapResize(block, 0xFFFFFFFEu));
    EXPECT_EQ(Check(heap), "");
    HeapFree(block);
}

TEST(MemoryHeap, SmallPoolSizeFollowsThePercentage) {
    // 300 MiB heaps do not fit twice into the reservation: each in a child of its own.
    EXPECT_EQ(InChild([] {
                  MemoryHeap* heap = NewHeap(0x12C00000, 11, 20);
                  const uint32_t small = heap->commonPool.origin - heap->smallPool.origin;
                  if (small != 61440u * 1024)
                      throw std::runtime_error("small pool size");
              }),
              0);
    EXPECT_EQ(InChild([] {
                  MemoryHeap* heap = NewHeap(0x12C00000, 11, 80);
                  const uint32_t small = heap->commonPool.origin - heap->smallPool.origin;
                  if (small != 0x12C00000u / 2)
                      throw std::runtime_error("small pool size");
              }),
              0);
}

TEST(MemoryHeap, RandomSoakKeepsTheHeapSoundAndTheContentsIntact) {
    MemoryHeap* heap = GeneralHeap();
    struct Live {
        uint8_t* data;
        size_t size;
        uint8_t seed;
    };
    std::vector<Live> live;
    std::mt19937 random(20261208);
    auto fill = [](const Live& block) {
        for (size_t i = 0; i < block.size; ++i)
            block.data[i] = static_cast<uint8_t>(block.seed + i * 7);
    };
    auto intact = [](const Live& block, size_t size) {
        for (size_t i = 0; i < size; ++i) {
            if (block.data[i] != static_cast<uint8_t>(block.seed + i * 7))
                return false;
        }
        return true;
    };
    auto randomSize = [&random]() -> size_t {
        const uint32_t kind = random() % 16;
        if (kind < 10)
            return random() % 64;
        if (kind < 14)
            return random() % 4096;
        return random() % 65536;
    };
    const uint32_t alignments[] = {4, 4, 4, 8, 16, 64, 256};
    for (int step = 0; step < 100000; ++step) {
        const uint32_t action = random() % 10;
        if ((action < 4 || live.size() < 16) && live.size() < 2000) {
            const uint32_t alignment = alignments[random() % 7];
            Live block{static_cast<uint8_t*>(HeapAllocate(heap, randomSize(), alignment, 0, kTestMark)), 0,
                       static_cast<uint8_t>(random())};
            ASSERT_NE(block.data, nullptr) << step;
            ASSERT_EQ(reinterpret_cast<uintptr_t>(block.data) % alignment, 0u);
            block.size = BlockUsableSize(block.data);
            fill(block);
            live.push_back(block);
        } else if (action < 6) {
            Live& block = live[random() % live.size()];
            const size_t size = randomSize();
            if (HeapResize(block.data, size)) {
                ASSERT_TRUE(intact(block, std::min(size, block.size))) << step;
                block.size = BlockUsableSize(block.data);
                fill(block);
            }
        } else {
            const size_t index = random() % live.size();
            ASSERT_TRUE(intact(live[index], live[index].size)) << step;
            HeapFree(live[index].data);
            live[index] = live.back();
            live.pop_back();
        }
        if (step % 5000 == 0) {
            ASSERT_EQ(Check(heap), "") << step;
        }
    }
    ASSERT_EQ(Check(heap), "");
    for (const Live& block : live) {
        ASSERT_TRUE(intact(block, block.size));
        HeapFree(block.data);
    }
    EXPECT_EQ(Check(heap), "");
    EXPECT_EQ(HeapAllocatedBytes(heap), 0u);
    EXPECT_EQ(FreeBlocks(heap), 0u);
}

TEST(MemoryHeap, BigBlocksAreFoundByBestFitOrFirstFit) {
    // Free big blocks of 5000, 6000 and 10000 bytes, kept apart by blocks in use; the
    // lists are last-in first-out, so the 10000-byte block heads the list.
    std::vector<void*> kept;
    auto prepare = [&kept](MemoryHeap* heap, std::vector<void*>& freed) {
        for (uint32_t size : {5000u, 6000u, 10000u}) {
            freed.push_back(HeapAllocate(heap, size - 8, 4, 0, kTestMark));
            kept.push_back(HeapAllocate(heap, 100, 4, 0, kTestMark));
        }
        for (void* block : freed)
            HeapFree(block);
    };
    MemoryHeap* bestFit = LayoutHeap();
    ASSERT_TRUE(Untouched(bestFit));
    std::vector<void*> freed;
    prepare(bestFit, freed);
    // No block lies within an eighth above 4100 bytes: the smallest that fits.
    kept.push_back(HeapAllocate(bestFit, 4100 - 8, 4, 0, kTestMark));
    EXPECT_EQ(kept.back(), freed[0]);
    // 6000 lies within an eighth above 5500 and is taken at once.
    kept.push_back(HeapAllocate(bestFit, 5500 - 8, 4, 0, kTestMark));
    EXPECT_EQ(kept.back(), freed[1]);
    EXPECT_EQ(Check(bestFit), "");
    for (void* block : kept)
        HeapFree(block);
    EXPECT_TRUE(Untouched(bestFit));

    // The one heap of its kind in the tests.
    MemoryHeap* firstFit = NewHeap(1 << 20, 4 | 8, 0);
    freed.clear();
    prepare(firstFit, freed);
    EXPECT_EQ(HeapAllocate(firstFit, 4100 - 8, 4, 0, kTestMark), freed[2]);
    EXPECT_EQ(Check(firstFit), "");
}
