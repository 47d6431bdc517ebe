// Locks of the engine.
#pragma once

#include <atomic>
#include <cstdint>

namespace Zep {
namespace Detail {

// The lock interface. Every lock is recursive for its owner.
class ThreadSync {
public:
    virtual ~ThreadSync() {}
    virtual void Lock() = 0;
    virtual bool TryLock() = 0;
    // Returns true while the caller still holds the lock.
    virtual bool Unlock() = 0;

protected:
    // The owner is read by other threads (recursion checks, destruction); the
    // count only by the owner.
    std::atomic<uint32_t> ownerThreadId{0};
    uint32_t recursionCount = 0;
};

// One-byte spin lock. Not recursive.
typedef std::atomic<uint8_t> SpinLockByte;

// Acquires by compare-exchange 0 -> 1; on failure a pause and one retry, then
// Sleep(0) and one retry, then Sleep(1) before each further retry.
void SpinLockAcquire(SpinLockByte& lock);
void SpinLockRelease(SpinLockByte& lock);

// Holds a spin lock for the life of a scope.
class SpinLockGuard {
public:
    explicit SpinLockGuard(SpinLockByte& lock) : lock_(lock) { SpinLockAcquire(lock_); }
    ~SpinLockGuard() { SpinLockRelease(lock_); }
    SpinLockGuard(const SpinLockGuard&) = delete;
    SpinLockGuard& operator=(const SpinLockGuard&) = delete;

private:
    SpinLockByte& lock_;
};

// Locks a lock for the life of a scope; also unlocks when an exception passes.
class ThreadSyncGuard {
public:
    explicit ThreadSyncGuard(ThreadSync* lock);
    ~ThreadSyncGuard() { lock_->Unlock(); }
    ThreadSyncGuard(const ThreadSyncGuard&) = delete;
    ThreadSyncGuard& operator=(const ThreadSyncGuard&) = delete;

private:
    ThreadSync* lock_;
};

}  // namespace Detail

class Mutex : public Detail::ThreadSync {};
class CriticalSection : public Detail::ThreadSync {};

}  // namespace Zep
