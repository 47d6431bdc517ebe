// The memory manager's process-wide state, shared with the memory system.
#pragma once

#include <atomic>

#include "Common/MemoryHeap.h"
#include "Common/ThreadSync.h"

namespace Zep {
namespace Memory {

struct ManagerState {
    std::atomic<bool> initialised;
    MemoryHeap* defaultHeap;
    MemoryHeap* safeHeap;
    MemoryHeap* crtHeap;
    Detail::SpinLockByte lock;
};
extern ManagerState manager;

// Whether the calling thread holds the manager's lock.
inline thread_local bool managerLockHeld = false;

// The manager's lock; never held across a call back into the manager.
inline void LockManager() {
    Detail::SpinLockAcquire(manager.lock);
    managerLockHeld = true;
}

inline void UnlockManager() {
    managerLockHeld = false;
    Detail::SpinLockRelease(manager.lock);
}

inline bool IsManagerLockHeld() {
    return managerLockHeld;
}

// Holds the lock for a scope; a panic raised under it gives the lock up first.
class ManagerLock {
public:
    ManagerLock() { LockManager(); }
    ~ManagerLock() {
        if (IsManagerLockHeld())
            UnlockManager();
    }
    ManagerLock(const ManagerLock&) = delete;
    ManagerLock& operator=(const ManagerLock&) = delete;
};

}  // namespace Memory

namespace Win32 {
// Reserves the address range, sets up the arena and creates "SafeHeap" and "CRTHeap"; once.
void InitializeMemorySystem();
}  // namespace Win32

}  // namespace Zep
