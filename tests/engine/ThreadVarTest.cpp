// Thread variables.
#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "Common/CoreUtils.h"
#include "Common/ThreadVar.h"
#include "Platforms/Win32/Win32Thread.h"
#include "TestSupport.h"
#include "ThreadTestSupport.h"

namespace {

using ThreadTestSupport::FunctionThread;
using ThreadTestSupport::ReportOf;
using Zep::Detail::TLSManager;

std::atomic<int> destroyed{0};

void CopyDefault(void* value, uint32_t size, const void* defaultValue) {
    std::memcpy(value, defaultValue, size);
}

void CountDestroy(void*, uint32_t) {
    ++destroyed;
}

TEST(ThreadVarTest, FreshIndicesSkip31AndRunOutAt255) {
    TestSupport::ChildResult child = TestSupport::RunInChild([] {
        const int zero = 0;
        for (uint32_t expected = 0; expected < 33; ++expected) {
            if (expected == 31)
                continue;
            EXPECT_EQ(expected, TLSManager::Create(4, &CopyDefault, &zero, nullptr));
        }
        TLSManager::Free(5);
        EXPECT_EQ(5u, TLSManager::Create(4, &CopyDefault, &zero, nullptr));
        uint32_t count = TLSManager::GetCount();  // 32
        const std::string report = TestSupport::ReportOf<Zep::Exception::Panic>([&] {
            for (; count < 256; ++count)
                TLSManager::Create(4, &CopyDefault, &zero, nullptr);
        });
        EXPECT_EQ(255u, count);
        EXPECT_NE(std::string::npos, report.find("Failed to allocate TLS index: no more indexes available")) << report;
    });
    EXPECT_EQ(child.exitCode, 0) << child.stdErr;
}

TEST(ThreadVarTest, EachThreadStartsFromTheDefaultAndLosesItsValueAtItsEnd) {
    Zep::Thread::GetCurrent();
    Zep::ThreadVar<int> variable(17);
    variable.Get() = 3;
    const int zero = 0;
    const uint32_t counted = TLSManager::Create(4, &CopyDefault, &zero, &CountDestroy);
    destroyed = 0;
    int seenOnEngineThread = 0;
    {
        FunctionThread thread([&] {
            seenOnEngineThread = variable.Get();
            variable.Get() = 99;
            TLSManager::GetData(counted);
            return 0u;
        });
        thread.Create(0, false, 0);
        thread.Wait();
        EXPECT_EQ(destroyed.load(), 1);
    }
    int seenOnOtherThread = 0;  // a thread the engine did not start
    std::thread([&] {
        seenOnOtherThread = variable.Get();
        TLSManager::GetData(counted);
    }).join();
    EXPECT_EQ(destroyed.load(), 2);
    EXPECT_EQ(seenOnEngineThread, 17);
    EXPECT_EQ(seenOnOtherThread, 17);
    EXPECT_EQ(variable.Get(), 3);
    TLSManager::Free(counted);
    EXPECT_EQ(destroyed.load(), 2);  // the main thread never had a value
}

TEST(ThreadVarTest, BadIndicesAreRejected) {
    Zep::Thread::GetCurrent();
    EXPECT_EQ(TLSManager::GetData(256), nullptr);
    EXPECT_NE(
        ReportOf([] { TLSManager::GetData(31); }).find("Zep::Detail::TLSManager.GetData: tlsIndex parameter is wrong"),
        std::string::npos);
    const int zero = 0;
    const uint32_t index = TLSManager::Create(4, &CopyDefault, &zero, nullptr);
    TLSManager::Free(index);
    EXPECT_NE(ReportOf([&] { TLSManager::GetData(index); }).find("tlsIndex parameter is wrong"), std::string::npos);
    EXPECT_NE(ReportOf([&] { TLSManager::Free(index); }).find("tlsIndex parameter is wrong"), std::string::npos);
}

TEST(ThreadVarTest, FreeReachesEveryLiveThreadAfterAnEarlierOneLeft) {
    Zep::Thread::GetCurrent();
    const int first = 1;
    const uint32_t index = TLSManager::Create(4, &CopyDefault, &first, &CountDestroy);
    destroyed = 0;

    std::atomic<int> ready{0};
    std::atomic<bool> leave{false};
    std::atomic<bool> freed{false};
    std::atomic<bool> done{false};
    std::atomic<int> seenAfterReuse[2] = {{-1}, {-1}};
    auto early = std::make_unique<FunctionThread>([&] {
        TLSManager::GetData(index);
        ++ready;
        while (!leave)
            Zep::Thread::Sleep(1);
        return 0u;
    });
    early->Create(0, false, 0);

    std::vector<std::unique_ptr<FunctionThread>> late;
    for (int i = 0; i < 2; ++i) {
        late.push_back(std::make_unique<FunctionThread>([&, i] {
            *static_cast<int*>(TLSManager::GetData(index)) = 50 + i;
            ++ready;
            while (!freed)
                Zep::Thread::Sleep(1);
            seenAfterReuse[i] = *static_cast<int*>(TLSManager::GetData(index));
            while (!done)
                Zep::Thread::Sleep(1);
            return 0u;
        }));
    }
    for (auto& thread : late)
        thread->Create(0, false, 0);
    while (ready.load() < 3)
        Zep::Thread::Sleep(1);
    // The early thread leaves a free entry of the thread list in front of the late ones.
    leave = true;
    early->Wait();
    EXPECT_EQ(destroyed.load(), 1);

    early.reset();  // its object goes too; the late threads keep their places
    TLSManager::Free(index);
    EXPECT_EQ(destroyed.load(), 3);

    const int second = 7;
    ASSERT_EQ(TLSManager::Create(4, &CopyDefault, &second, nullptr), index);
    freed = true;
    while (seenAfterReuse[0] < 0 || seenAfterReuse[1] < 0)
        Zep::Thread::Sleep(1);
    done = true;
    for (auto& thread : late)
        thread->Wait();
    EXPECT_EQ(seenAfterReuse[0].load(), 7);  // fresh values, not the freed ones
    EXPECT_EQ(seenAfterReuse[1].load(), 7);
    EXPECT_EQ(destroyed.load(), 3);  // the new index has no destroy function
    TLSManager::Free(index);
}

}  // namespace
