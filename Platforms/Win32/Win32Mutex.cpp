#include "Platforms/Win32/Win32Mutex.h"

#include "Common/CoreUtils.h"

namespace Zep {
namespace Win32 {

Mutex::Mutex(const char* name) {
    handle = ::CreateMutexA(nullptr, FALSE, name);
    if (!handle)
        ZEP_PANIC("Failed to create mutex");
}

namespace {

// Destruction of a lock held by another thread waits until that thread lets go.
void WaitForForeignOwner(Detail::ThreadSync& lock, uint32_t owner) {
    if (owner != 0 && owner != ::GetCurrentThreadId())
        lock.Lock();
}

}  // namespace

Mutex::~Mutex() {
    WaitForForeignOwner(*this, ownerThreadId);
    while (ownerThreadId == ::GetCurrentThreadId() && recursionCount > 0)
        Unlock();
    ::CloseHandle(handle);
}

void Mutex::Lock() {
    const DWORD result = ::WaitForSingleObject(handle, INFINITE);
    if (result == WAIT_ABANDONED)
        LogWarning("previous thread that owned mutex was terminated but did not release the mutex\n");
    else if (result != WAIT_OBJECT_0)
        ZEP_PANIC("Failed to acquire a mutex");
    ownerThreadId = ::GetCurrentThreadId();
    ++recursionCount;
}

bool Mutex::TryLock() {
    const DWORD result = ::WaitForSingleObject(handle, 0);
    if (result == WAIT_TIMEOUT)
        return false;
    if (result == WAIT_ABANDONED)
        LogWarning("previous thread that owned mutex was terminated but did not release the mutex\n");
    else if (result != WAIT_OBJECT_0)
        ZEP_PANIC("Failed to acquire a mutex");
    ownerThreadId = ::GetCurrentThreadId();
    ++recursionCount;
    return true;
}

bool Mutex::Unlock() {
    if (ownerThreadId != ::GetCurrentThreadId())
        ZEP_PANIC("Mutex is not owned by current thread");
    const bool stillHeld = --recursionCount > 0;
    if (!stillHeld)
        ownerThreadId = 0;
    if (!::ReleaseMutex(handle))
        ZEP_PANIC("Failed to release mutex");
    return stillHeld;
}

FastMutex::FastMutex() {}

FastMutex::~FastMutex() {
    WaitForForeignOwner(*this, ownerThreadId);
    while (ownerThreadId == ::GetCurrentThreadId() && recursionCount > 0)
        Unlock();
}

void FastMutex::Lock() {
    const uint32_t self = ::GetCurrentThreadId();
    if (spin.load() != 0 && ownerThreadId == self) {
        ++recursionCount;
        return;
    }
    Detail::SpinLockAcquire(spin);
    ownerThreadId = self;
    recursionCount = 1;
}

bool FastMutex::TryLock() {
    const uint32_t self = ::GetCurrentThreadId();
    if (spin.load() != 0 && ownerThreadId == self) {
        ++recursionCount;
        return true;
    }
    uint8_t expected = 0;
    if (!spin.compare_exchange_strong(expected, 1))
        return false;
    ownerThreadId = self;
    recursionCount = 1;
    return true;
}

bool FastMutex::Unlock() {
    if (ownerThreadId != ::GetCurrentThreadId())
        ZEP_PANIC("Mutex is not owned by this thread");
    if (--recursionCount > 0)
        return true;
    ownerThreadId = 0;
    Detail::SpinLockRelease(spin);
    return false;
}

}  // namespace Win32
}  // namespace Zep
