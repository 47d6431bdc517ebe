#include "Platforms/Win32/Win32Mutex.h"

#include "Common/CoreUtils.h"

namespace Zep {
namespace Win32 {

Mutex::Mutex(const char* name) {
    handle = ::CreateMutexA(nullptr, FALSE, name);
    if (!handle)
        ZEP_PANIC("Failed to create mutex");
}

Mutex::~Mutex() {
    ::CloseHandle(handle);
}

void Mutex::Lock() {
    const DWORD result = ::WaitForSingleObject(handle, INFINITE);
    if (result == WAIT_ABANDONED)
        LogWarning("previous thread that owned mutex was terminated but did not release the mutex\n");
    else if (result != WAIT_OBJECT_0)
        ZEP_PANIC("Failed to lock mutex");
}

bool Mutex::TryLock() {
    const DWORD result = ::WaitForSingleObject(handle, 0);
    if (result == WAIT_ABANDONED) {
        LogWarning("previous thread that owned mutex was terminated but did not release the mutex\n");
        return true;
    }
    return result == WAIT_OBJECT_0;
}

void Mutex::Unlock() {
    if (!::ReleaseMutex(handle))
        ZEP_PANIC("Failed to unlock mutex");
}

}  // namespace Win32
}  // namespace Zep
