// Room in the default heap for the stream and archive tests.
#pragma once

#include <gtest/gtest.h>

#include "Common/MemoryManager.h"
#include "Common/MemoryManagerState.h"

namespace StreamTestSupport {

// Streams take their blocks from the default heap. Each test runs with a heap
// of its own as the default, so that its megabytes fit whatever heaps other
// tests of the process made default before.
class HeapFixture : public ::testing::Test {
protected:
    void SetUp() override {
        static Zep::MemoryManager::HeapHandle heap =
            Zep::MemoryManager::CreateHeap(2, 64 << 20, "Stream test heap", 4, 2 | 8, 0);
        ASSERT_NE(nullptr, heap);
        Zep::Memory::ManagerLock lock;
        saved_ = Zep::Memory::manager.defaultHeap;
        Zep::Memory::manager.defaultHeap = static_cast<Zep::Memory::MemoryHeap*>(heap);
    }
    void TearDown() override {
        Zep::Memory::ManagerLock lock;
        Zep::Memory::manager.defaultHeap = saved_;
    }

private:
    Zep::Memory::MemoryHeap* saved_ = nullptr;
};

}  // namespace StreamTestSupport
