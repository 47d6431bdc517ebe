// The memory manager's interface: heaps, checked failures, reports and threads.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "ReportOf.h"
#include "Common/Exceptions.h"
#include "Common/MemoryHeap.h"
#include "Common/MemoryManager.h"
#include "Common/MemoryManagerState.h"
#include "TestSupport.h"

using Zep::MemoryManager;

namespace {

// One heap for the tests that only need blocks; created on first use.
MemoryManager::HeapHandle SharedHeap() {
    static MemoryManager::HeapHandle heap = MemoryManager::CreateHeap(2, 4 << 20, "Manager test heap", 4, 2 | 8, 25);
    return heap;
}

Zep::Memory::MemoryHeap* AsHeap(MemoryManager::HeapHandle handle) {
    return static_cast<Zep::Memory::MemoryHeap*>(handle);
}

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

}  // namespace

TEST(MemoryManager, ZeroSizesAndUsableSizes) {
    MemoryManager::HeapHandle heap = SharedHeap();
    EXPECT_EQ(MemoryManager::Allocate(0, heap), nullptr);
    EXPECT_EQ(MemoryManager::Reallocate(nullptr, 0, heap), nullptr);
    EXPECT_EQ(MemoryManager::GetBlockSize(nullptr), 0u);

    const size_t before = MemoryManager::GetHeapAllocateSize(heap);
    void* block = MemoryManager::Allocate(1, heap);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(MemoryManager::GetBlockSize(block), 4u);
    EXPECT_EQ(MemoryManager::GetHeapAllocateSize(heap), before + 4);
    EXPECT_EQ(MemoryManager::Reallocate(block, 0, heap), nullptr);
    EXPECT_EQ(MemoryManager::GetHeapAllocateSize(heap), before);

    EXPECT_EQ(MemoryManager::Allocate(0xFFFFFFF0u, heap), nullptr);
    EXPECT_EQ(MemoryManager::Allocate(size_t(1) << 31, heap), nullptr);
    EXPECT_EQ(MemoryManager::Allocate(size_t(1) << 40, heap), nullptr);
}

TEST(MemoryManager, ReallocateKeepsContentsAlignmentAndTheOldBlockOnFailure) {
    MemoryManager::HeapHandle heap = SharedHeap();
    uint8_t* block = static_cast<uint8_t*>(MemoryManager::Allocate(100, heap));
    uint8_t* wall = static_cast<uint8_t*>(MemoryManager::Allocate(100, heap));
    for (int i = 0; i < 100; ++i)
        block[i] = static_cast<uint8_t>(i);
    // The neighbour is in use: the block moves.
    uint8_t* moved = static_cast<uint8_t*>(MemoryManager::Reallocate(block, 3000, heap));
    ASSERT_NE(moved, nullptr);
    for (int i = 0; i < 100; ++i)
        ASSERT_EQ(moved[i], i);
    EXPECT_GE(MemoryManager::GetBlockSize(moved), 3000u);

    // Too big for the heap: NULL, and the old block stays as it was.
    EXPECT_EQ(MemoryManager::Reallocate(moved, 64 << 20, heap), nullptr);
    EXPECT_THROW(MemoryManager::ReallocateChecked(moved, 64 << 20, heap), Zep::Exception::Memory);
    for (int i = 0; i < 100; ++i)
        ASSERT_EQ(moved[i], i);

    // A 16-aligned block stays 16-aligned when it moves.
    void* aligned = Zep::LuaAllocate(nullptr, nullptr, 0, 24);
    ASSERT_NE(aligned, nullptr);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(aligned) % 16, 0u);
    void* grown = Zep::LuaAllocate(nullptr, aligned, 24, 20000);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(grown) % 16, 0u);
    EXPECT_EQ(Zep::LuaAllocate(nullptr, grown, 20000, 0), nullptr);

    MemoryManager::Deallocate(moved);
    MemoryManager::Deallocate(wall);
    EXPECT_EQ(Zep::Memory::HeapCheck(AsHeap(heap)), nullptr);
}

TEST(MemoryManager, CreateHeapRoundsTheSizeAndChecksTheAlignment) {
    Zep::Memory::MemoryHeap* small = AsHeap(MemoryManager::CreateHeap(2, 1000, "Tiny heap", 4, 8, 0));
    ASSERT_NE(small, nullptr);
    EXPECT_EQ(small->heapSize, 0x10000u);
    Zep::Memory::MemoryHeap* rounded = AsHeap(MemoryManager::CreateHeap(2, 70000, nullptr, 8, 8, 0));
    ASSERT_NE(rounded, nullptr);
    EXPECT_EQ(rounded->heapSize, 73728u);
    EXPECT_STREQ(rounded->name, "Heap");
    void* block = MemoryManager::Allocate(10, rounded);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(block) % 8, 0u);
    MemoryManager::Deallocate(block);

    for (size_t alignment : {size_t(2), size_t(6), size_t(8192)}) {
        const std::string report = TestSupport::ReportOf<Zep::Exception::Assertion>(
            [&] { MemoryManager::CreateHeap(2, 0x10000, "Wrong heap", alignment, 2, 0); });
        EXPECT_TRUE(Contains(report, "Zep::MemoryManager.CreateHeap: alignment parameter is wrong"))
            << alignment << ": " << report;
    }
}

TEST(MemoryManager, TheFirstHeapAfterInitialisationBecomesTheDefault) {
    // A fresh process, so that no heap was created before.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            void* early = MemoryManager::Allocate(16);
            const bool safe = Zep::Memory::BlockHeap(early) == Zep::Memory::manager.safeHeap;
            MemoryManager::HeapHandle first = MemoryManager::CreateHeap(3, 0x100000, "First", 4, 2, 20);
            MemoryManager::HeapHandle second = MemoryManager::CreateHeap(3, 0x100000, "Second", 4, 2, 20);
            void* later = MemoryManager::Allocate(16);
            const bool ok = safe && first && second && Zep::Memory::BlockHeap(later) == first;
            std::fprintf(stderr, ok ? "default heap ok\n" : "default heap wrong\n");
            std::fflush(stderr);
            std::_Exit(ok ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "default heap ok");
}

TEST(MemoryManager, CreateHeapFailsOrShrinksWhenTheArenaIsShort) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    // The heap of the program entry, larger than the rest of the arena allows, is made smaller quietly.
    EXPECT_EXIT(
        {
            MemoryManager::CreateHeap(3, 0x12C00000, "Common", 4, 11, 20);
            MemoryManager::HeapHandle big = MemoryManager::CreateHeap(3, 0x12C00000, "Big", 4, 3, 20);
            const bool ok = big && AsHeap(big)->heapSize < 0x12C00000u;
            MemoryManager::HeapHandle none = MemoryManager::CreateHeap(3, 0x12C00000, "None", 4, 2, 20);
            std::_Exit(ok && !none ? 0 : 1);
        },
        ::testing::ExitedWithCode(0),
        "Warning: Heap \"Big\" size was been decreased due to insufficiency of free space\n"
        "Error: Failed to create memory heap \"None\": not enough free space in Arena, requested heap size == "
        "307200 Kb\n");
    EXPECT_EXIT(
        {
            int created = 0;
            while (MemoryManager::CreateHeap(2, 0x10000, "Many", 4, 2, 0))
                ++created;
            std::_Exit(created == 14 ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "Error: Failed to create memory heap \"Many\": too many heaps created\n");
}

TEST(MemoryManager, TrackingWarnsOfBlocksTakenBeforeIt) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            for (int i = 0; i < 65; ++i)
                MemoryManager::AllocateFromSafeHeap(8);
            MemoryManager::CreateHeap(3, 0x100000, "First", 4, 2, 20);
            // From now on "SafeHeap" blocks are tracked.
            void* tracked = MemoryManager::AllocateFromSafeHeap(8);
            const uint32_t header = reinterpret_cast<uint32_t*>(tracked)[-2];
            std::_Exit(header & Zep::Memory::kExemptBit ? 1 : 0);
        },
        ::testing::ExitedWithCode(0),
        "Warning: untracked memory allocations were detected before entering main\\(\\): total 520 bytes in 65 "
        "block\\(s\\)\\.\n    Check if there are any global objects");
}

TEST(MemoryManager, CheckedAllocationLogsAndThrows) {
    MemoryManager::HeapHandle heap = SharedHeap();
    Zep::Memory::MemoryHeap* defaultHeap = Zep::Memory::manager.defaultHeap;
    TestSupport::StderrCapture capture;
    EXPECT_EQ("Failed to allocate memory",
              TestSupport::ReportOf<Zep::Exception::Memory>([&] { MemoryManager::AllocateChecked(100 << 20, heap); }));
    EXPECT_TRUE(
        Contains(capture.Text(), "Error: Failed to allocate 104857600 bytes from heap \"Manager test heap\" (0x"))
        << capture.Text();
    // The default heap is back, and the heap still serves what fits.
    void* block = MemoryManager::AllocateChecked(64, heap);
    EXPECT_NE(block, nullptr);
    MemoryManager::Deallocate(block);
    EXPECT_EQ(Zep::Memory::manager.defaultHeap, defaultHeap);
}

TEST(MemoryManager, ExceptionTextsLiveInTheSafeHeap) {
    const Zep::Exception::Generic error(std::string("copied text"));
    EXPECT_STREQ(error.what(), "copied text");
    EXPECT_EQ(Zep::Memory::BlockHeap(error.what()), Zep::Memory::manager.safeHeap);
}

TEST(MemoryManager, LeakReportDumpsTheFirstBytes) {
    MemoryManager::HeapHandle heap = MemoryManager::CreateHeap(2, 0x10000, "Leak heap", 4, 2 | 8, 25);
    uint8_t* block = static_cast<uint8_t*>(MemoryManager::Allocate(40, heap));
    for (int i = 0; i < 40; ++i)
        block[i] = static_cast<uint8_t>('A' + i);
    block[1] = 0x07;
    std::string text;
    {
        TestSupport::StderrCapture capture;
        MemoryManager::ReportHeap(heap, true, true);
        text = capture.Text();
    }
    const std::string address = "address: 0x";
    const size_t at = text.find(address);
    ASSERT_NE(at, std::string::npos) << text;
    text.replace(at + address.size(), 8, "XXXXXXXX");
    EXPECT_EQ(text,
              "\nUsage report for memory heap \"Leak heap\":\n"
              "  Overall heap size: 64 Kb\n"
              "  Currently allocated: 40 bytes in 1 block(s)\n"
              "  Currently free: " +
                  std::to_string(MemoryManager::GetHeapFreeSize(heap)) +
                  " bytes in 1 block(s)\n"
                  "  Current fragmentation (small/common pool): 0.00 / 0.00\n"
                  "Warning: memory leaks detected in heap \"Leak heap\": total 40 bytes in 1 block(s)\n"
                  "  Block #1: address: 0xXXXXXXXX, size: 40 bytes. First bytes:\n"
                  "    41 07 43 44 45 46 47 48 49 4A 4B 4C 4D 4E 4F 50   <A.CDEFGHIJKLMNOP>\n"
                  "    51 52 53 54 55 56 57 58 59 5A 5B 5C 5D 5E 5F 60   <QRSTUVWXYZ[\\]^_`>\n");

    // Beyond 100 blocks in use the report says it is incomplete.
    std::vector<void*> blocks{block};
    for (int i = 0; i < 120; ++i)
        blocks.push_back(MemoryManager::Allocate(8, heap));
    TestSupport::StderrCapture capture;
    MemoryManager::ReportHeap(heap, true, false);
    text = capture.Text();
    // At most 50 blocks of each pool are listed; all of these lie in the small pool.
    EXPECT_TRUE(Contains(text, "total 432 bytes in 50 block(s)\n")) << text;
    EXPECT_TRUE(Contains(text, "Block #50:"));
    EXPECT_FALSE(Contains(text, "Block #51:"));
    EXPECT_TRUE(Contains(text, "\nReport is incomplete! Not all leaks are shown.\n"));
    for (void* leaked : blocks)
        MemoryManager::Deallocate(leaked);
}

TEST(MemoryManager, DamagedHeapIsReportedNotDumped) {
    MemoryManager::HeapHandle heap = MemoryManager::CreateHeap(2, 0x10000, "Broken heap", 4, 2 | 8, 25);
    void* block = MemoryManager::Allocate(40, heap);
    reinterpret_cast<uint32_t*>(block)[-1] ^= 0x100;
    {
        TestSupport::StderrCapture capture;
        MemoryManager::ReportHeap(heap, true, true);
        EXPECT_EQ(capture.Text(),
                  "Warning: failed to generate report for heap \"Broken heap\"\n"
                  "Warning: heap check failed: UsedBlock is corrupted: heap field is wrong\n");
    }
    reinterpret_cast<uint32_t*>(block)[-1] ^= 0x100;
    MemoryManager::Deallocate(block);
}

TEST(MemoryManager, ThreadsShareHeapsUnderTheLock) {
    MemoryManager::HeapHandle heap = SharedHeap();
    std::atomic<int> failures{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([heap, t, &failures] {
            std::mt19937 random(t);
            std::vector<uint8_t*> blocks;
            for (int step = 0; step < 20000; ++step) {
                if (blocks.size() < 64 && random() % 2) {
                    const size_t size = 1 + random() % 300;
                    uint8_t* block = static_cast<uint8_t*>(MemoryManager::Allocate(size, heap));
                    if (!block) {
                        ++failures;
                        continue;
                    }
                    std::memset(block, t, size);
                    block[0] = static_cast<uint8_t>(t);
                    blocks.push_back(block);
                } else if (!blocks.empty()) {
                    uint8_t* block = blocks.back();
                    blocks.pop_back();
                    if (block[0] != t)
                        ++failures;
                    MemoryManager::Deallocate(block);
                }
            }
            for (uint8_t* block : blocks)
                MemoryManager::Deallocate(block);
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(failures.load(), 0);
    EXPECT_EQ(Zep::Memory::HeapCheck(AsHeap(heap)), nullptr);
}
