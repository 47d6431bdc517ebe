// The global allocation operators over the memory manager (binary without sanitizers).
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "Common/MemoryHeap.h"
#include "Common/MemoryManager.h"
#include "Common/MemoryManagerState.h"

using Zep::MemoryManager;

namespace {

// The heap of the program entry; made the default by being the first one created.
Zep::Memory::MemoryHeap* CommonHeap() {
    static void* heap = MemoryManager::CreateHeap(3, 0x12C00000, "Common", 4, 11, 20);
    return static_cast<Zep::Memory::MemoryHeap*>(heap);
}

struct alignas(64) Wide {
    char bytes[64];
};

}  // namespace

TEST(GlobalOperators, NewIsServedSixteenAlignedByTheDefaultHeap) {
    ASSERT_NE(CommonHeap(), nullptr);
    ASSERT_EQ(Zep::Memory::manager.defaultHeap, CommonHeap());
    std::vector<std::unique_ptr<char[]>> blocks;
    for (size_t size = 0; size < 300; ++size) {
        blocks.emplace_back(new char[size]);
        EXPECT_EQ(reinterpret_cast<uintptr_t>(blocks.back().get()) % 16, 0u) << size;
        EXPECT_EQ(Zep::Memory::BlockHeap(blocks.back().get()), CommonHeap());
    }
    // Size 0 gives distinct blocks.
    EXPECT_NE(blocks[0].get(), nullptr);
    std::unique_ptr<char[]> other(new char[0]);
    EXPECT_NE(other.get(), blocks[0].get());

    std::unique_ptr<Wide> wide(new Wide);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(wide.get()) % 64, 0u);

    const size_t before = MemoryManager::GetHeapAllocateSize();
    std::string text(1000, 'x');
    EXPECT_GE(MemoryManager::GetHeapAllocateSize(), before + 1000);
    text.clear();
    text.shrink_to_fit();
    EXPECT_EQ(MemoryManager::GetHeapAllocateSize(), before);
    EXPECT_EQ(Zep::Memory::HeapCheck(CommonHeap()), nullptr);
}

TEST(GlobalOperators, ExhaustionThrowsBadAlloc) {
    ASSERT_NE(CommonHeap(), nullptr);
    // Kept in a volatile, so an optimiser cannot drop the allocations.
    char* volatile sink = nullptr;
    EXPECT_THROW(sink = new char[size_t(1) << 30], std::bad_alloc);
    sink = new (std::nothrow) char[size_t(1) << 31];
    EXPECT_EQ(sink, nullptr);
    EXPECT_THROW(sink = new char[0xFFFFFFF0u], std::bad_alloc);
    std::unique_ptr<int> still(new int(3));
    EXPECT_EQ(*still, 3);
}

TEST(GlobalOperators, LuaAllocatorKeepsSixteenByteAlignment) {
    ASSERT_NE(CommonHeap(), nullptr);
    void* block = Zep::LuaAllocate(nullptr, nullptr, 0, 10);
    for (size_t size : {size_t(100), size_t(5000), size_t(20), size_t(70000)}) {
        block = Zep::LuaAllocate(nullptr, block, 0, size);
        ASSERT_NE(block, nullptr);
        EXPECT_EQ(reinterpret_cast<uintptr_t>(block) % 16, 0u) << size;
    }
    EXPECT_EQ(Zep::LuaAllocate(nullptr, block, 70000, 0), nullptr);
}
