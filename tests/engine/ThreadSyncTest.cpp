// The three Win32 locks, the spin lock and the scoped guard.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <stdexcept>
#include <thread>
#include <vector>

#include "ReportOf.h"
#include "Common/CoreUtils.h"
#include "Common/ThreadSync.h"
#include "Platforms/Win32/Win32CriticalSection.h"
#include "Platforms/Win32/Win32Mutex.h"

namespace {

using Clock = std::chrono::steady_clock;

template <class Lock>
struct LockTraits;
template <>
struct LockTraits<Zep::Win32::Mutex> {
    static constexpr const char* kNotOwner = "Mutex is not owned by current thread";
};
template <>
struct LockTraits<Zep::Win32::FastMutex> {
    static constexpr const char* kNotOwner = "Mutex is not owned by this thread";
};
template <>
struct LockTraits<Zep::Win32::CriticalSection> {
    static constexpr const char* kNotOwner = "This thread has not entered into critical section";
};

template <class Lock>
class LockTest : public ::testing::Test {};

using LockTypes = ::testing::Types<Zep::Win32::Mutex, Zep::Win32::FastMutex, Zep::Win32::CriticalSection>;
TYPED_TEST_SUITE(LockTest, LockTypes);

TYPED_TEST(LockTest, RecursiveForItsOwnerAndUnlockTellsWhetherStillHeld) {
    TypeParam lock;
    lock.Lock();
    lock.Lock();
    EXPECT_TRUE(lock.TryLock());
    EXPECT_TRUE(lock.Unlock());
    EXPECT_TRUE(lock.Unlock());
    EXPECT_FALSE(lock.Unlock());

    // Destruction releases what the destroying thread still holds.
    auto held = std::make_unique<TypeParam>();
    held->Lock();
    held->Lock();
    held.reset();
}

TYPED_TEST(LockTest, TryLockFromAnotherThreadFailsAtOnceWhileHeld) {
    TypeParam lock;
    lock.Lock();
    bool got = true;
    long tookMs = 0;
    std::thread([&] {
        const auto start = Clock::now();
        got = lock.TryLock();
        tookMs = static_cast<long>(std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
    }).join();
    EXPECT_FALSE(got);
    EXPECT_LT(tookMs, 500);

    lock.Unlock();
    std::thread([&] {
        got = lock.TryLock();
        if (got)
            lock.Unlock();
    }).join();
    EXPECT_TRUE(got);
}

TYPED_TEST(LockTest, UnlockByANonOwnerPanics) {
    TypeParam lock;
    const std::string report = TestSupport::ReportOf<Zep::Exception::Panic>([&] { lock.Unlock(); });
    EXPECT_NE(report.find(LockTraits<TypeParam>::kNotOwner), std::string::npos) << report;
}

TYPED_TEST(LockTest, ExcludesOtherThreads) {
    TypeParam lock;
    int counter = 0;  // guarded by the lock only
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&] {
            for (int i = 0; i < 2000; ++i) {
                lock.Lock();
                lock.Lock();
                ++counter;
                lock.Unlock();
                lock.Unlock();
            }
        });
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(counter, 8000);
}

TYPED_TEST(LockTest, DestructionWaitsForAForeignOwner) {
    auto lock = std::make_unique<TypeParam>();
    TypeParam* raw = lock.get();
    std::atomic<bool> locked{false};
    std::atomic<bool> released{false};
    std::thread owner([&] {
        raw->Lock();
        locked = true;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        released = true;
        raw->Unlock();
    });
    while (!locked)
        std::this_thread::yield();
    lock.reset();
    EXPECT_TRUE(released.load());
    owner.join();
}

TEST(SpinLockTest, ExcludesOtherThreadsAndIsFreeAfterRelease) {
    Zep::Detail::SpinLockByte spin{0};
    int counter = 0;
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&] {
            for (int i = 0; i < 5000; ++i) {
                Zep::Detail::SpinLockGuard guard(spin);
                ++counter;
            }
        });
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(counter, 20000);
    EXPECT_EQ(spin.load(), 0);
}

TEST(ThreadSyncGuardTest, RejectsNull) {
    const std::string report =
        TestSupport::ReportOf<Zep::Exception::Assertion>([] { Zep::Detail::ThreadSyncGuard guard(nullptr); });
    EXPECT_NE(report.find("Common\\ThreadSync.cpp"), std::string::npos) << report;
}

}  // namespace
