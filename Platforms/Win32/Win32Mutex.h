// Kernel and spin mutexes.
#pragma once

#include <windows.h>

#include "Common/ThreadSync.h"

namespace Zep {
namespace Win32 {

// Kernel mutex: recursive for its owner; a named one excludes other processes too.
class Mutex : public Zep::Mutex {
public:
    explicit Mutex(const char* name = nullptr);
    ~Mutex() override;

    void Lock() override;
    bool TryLock() override;
    bool Unlock() override;

    Mutex(const Mutex&) = delete;
    Mutex& operator=(const Mutex&) = delete;

private:
    HANDLE handle;
};

// A spin byte with owner and count: recursive for its owner.
class FastMutex : public Zep::Mutex {
public:
    FastMutex();
    ~FastMutex() override;

    void Lock() override;
    bool TryLock() override;
    bool Unlock() override;

    FastMutex(const FastMutex&) = delete;
    FastMutex& operator=(const FastMutex&) = delete;

private:
    Detail::SpinLockByte spin{0};
};

}  // namespace Win32
}  // namespace Zep
