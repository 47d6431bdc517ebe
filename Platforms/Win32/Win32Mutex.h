// Kernel mutex: recursive for its owner; a named one excludes other processes too.
#pragma once

#include <windows.h>

namespace Zep {
namespace Win32 {

class Mutex {
public:
    explicit Mutex(const char* name = nullptr);
    ~Mutex();

    void Lock();
    bool TryLock();
    void Unlock();

    Mutex(const Mutex&) = delete;
    Mutex& operator=(const Mutex&) = delete;

private:
    HANDLE handle;
};

}  // namespace Win32
}  // namespace Zep
