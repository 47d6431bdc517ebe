// Damaged heaps: the check names the damage and never hangs; free refuses broken blocks.
#include <gtest/gtest.h>

#include <cstdint>
#include <stdexcept>
#include <string>

#include "ReportOf.h"
#include "Common/Exceptions.h"
#include "Common/MemoryHeap.h"
#include "Common/MemoryManager.h"

using Zep::MemoryManager;
using namespace Zep::Memory;

namespace {

MemoryHeap* NewHeap(const char* name) {
    MemoryHeap* heap = static_cast<MemoryHeap*>(MemoryManager::CreateHeap(2, 0x10000, name, 4, 2 | 8, 25));
    if (!heap)
        throw std::runtime_error("no test heap");
    return heap;
}

std::string Check(const MemoryHeap* heap) {
    const char* text = HeapCheck(heap);
    return text ? text : "";
}

uint32_t& Header(void* data, int index) {
    return reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(data) - 8)[index];
}

// Damages a word, checks, and puts the word back.
std::string CheckWith(const MemoryHeap* heap, uint32_t& word, uint32_t value) {
    const uint32_t saved = word;
    word = value;
    const std::string text = Check(heap);
    word = saved;
    return text;
}

std::string PanicText(void (*operation)(void*), void* block) {
    return TestSupport::ReportOf<Zep::Exception::Panic>([&] { operation(block); });
}

}  // namespace

TEST(MemoryCorruption, CheckNamesTheDamageAndStopsOnBrokenSizes) {
    MemoryHeap* heap = NewHeap("Damaged heap");
    void* blocks[8];
    for (int i = 0; i < 8; ++i)
        blocks[i] = HeapAllocate(heap, 20 + i * 8, 4, 0, kExemptBit);
    void* aligned = HeapAllocate(heap, 24, 64, 0, kExemptBit);
    void* last = HeapAllocate(heap, 20, 4, 0, kExemptBit);
    HeapFree(blocks[2]);
    HeapFree(blocks[5]);
    ASSERT_EQ(Check(heap), "");

    EXPECT_EQ(CheckWith(heap, Header(blocks[3], 1), OffsetOf(heap) + 4), "UsedBlock is corrupted: heap field is wrong");
    EXPECT_EQ(CheckWith(heap, Header(blocks[3], 0), Header(blocks[3], 0) & ~kFrontFreeBit),
              "UsedBlock is corrupted: wrong block type before the block");
    EXPECT_EQ(CheckWith(heap, heap->magicEnd, 0), "Memory heap header is corrupted");
    EXPECT_EQ(
        CheckWith(heap, heap->smallPool.smallCount, 7),
        "SmallPool is corrupted: smallCount field is wrong (amount of free blocks in smallBlocks[] array differs)");
    EXPECT_EQ(CheckWith(heap, Word(heap->smallPool.top), 0), "SmallPool is corrupted: POOL_END_MARKER is missing");
    uint32_t& fillerWord = reinterpret_cast<uint32_t*>(aligned)[-3];
    EXPECT_EQ(CheckWith(heap, fillerWord, fillerWord | 0x1000),
              "FillerBlock is corrupted: sizeFlags field contains unexpected bits");

    // Size words that would send the walk nowhere or outside the pool end it with a text.
    for (uint32_t size : {0u, 6u, 0x3FFFFFFCu}) {
        const uint32_t word = (Header(blocks[4], 0) & ~kSizeMask) | size;
        EXPECT_EQ(CheckWith(heap, Header(blocks[4], 0), word), "Heap pool is corrupted: block size field is wrong")
            << size;
    }
    uint32_t& freeSize = Header(blocks[2], 2);
    EXPECT_EQ(CheckWith(heap, freeSize, 0),
              "SmallPool is corrupted: freeSize field does not correspond to the total "
              "size of all free blocks in small pool");

    // A free list that loops back on itself is reported, not followed.
    const uint32_t freeBlock = OffsetOf(blocks[2]) - 8;
    EXPECT_EQ(CheckWith(heap, Word(freeBlock + 4), freeBlock), "Heap is corrupted: FreeBlock.prev field is wrong");
    EXPECT_EQ(CheckWith(heap, Word(freeBlock + 4), 0x7FFFFFF0u),
              "Heap is corrupted: free list leads outside of the pool");

    (void)last;
    EXPECT_EQ(Check(heap), "");
}

TEST(MemoryCorruption, FreeRefusesBrokenBlocksBeforeTouchingTheLists) {
    MemoryHeap* heap = NewHeap("Guarded heap");
    void* first = HeapAllocate(heap, 40, 4, 0, kExemptBit);
    void* second = HeapAllocate(heap, 40, 4, 0, kExemptBit);
    void* third = HeapAllocate(heap, 40, 4, 0, kExemptBit);
    const std::string expected = "Panic error in file \"Common\\MemoryHeap.cpp\", line ";

    // A heap field that is not one of the arena's heaps.
    const uint32_t savedHeap = Header(second, 1);
    Header(second, 1) = savedHeap + 0x1000;
    EXPECT_NE(PanicText(&HeapFree, second).find("Heap handle is wrong or heap is corrupted"), std::string::npos);
    Header(second, 1) = 0xFFFFFF00u;
    EXPECT_NE(PanicText(&HeapFree, second).find("Heap handle is wrong or heap is corrupted"), std::string::npos);
    Header(second, 1) = savedHeap;
    // A zeroed size word.
    const uint32_t savedSize = Header(second, 0);
    Header(second, 0) = 0;
    EXPECT_NE(PanicText(&HeapFree, second).find("Heap handle is wrong or heap is corrupted"), std::string::npos);
    EXPECT_THROW(MemoryManager::GetBlockSize(second), Zep::Exception::Panic);
    EXPECT_EQ(Check(heap), "Heap pool is corrupted: block size field is wrong");
    Header(second, 0) = savedSize;
    EXPECT_EQ(Check(heap), "");

    // The same block freed twice, also after it merged with its free neighbour.
    HeapFree(second);
    const std::string twice = PanicText(&HeapFree, second);
    EXPECT_EQ(twice.substr(0, expected.size()), expected);
    EXPECT_NE(twice.find("Heap handle is wrong or heap is corrupted"), std::string::npos);
    HeapFree(first);
    EXPECT_NE(PanicText(&HeapFree, second).find("Heap handle is wrong"), std::string::npos);
    EXPECT_NE(PanicText(&HeapFree, first).find("Heap handle is wrong"), std::string::npos);
    EXPECT_EQ(Check(heap), "");

    // Through the manager the lock is given back: the next call does not hang.
    EXPECT_THROW(MemoryManager::Deallocate(first), Zep::Exception::Panic);
    void* again = MemoryManager::Allocate(16, heap);
    EXPECT_NE(again, nullptr);
    MemoryManager::Deallocate(again);
    HeapFree(third);
    EXPECT_EQ(Check(heap), "");
}
