#include "Platforms/Win32/Win32CriticalSection.h"

#include <windows.h>

#include "Common/CoreUtils.h"

namespace Zep {
namespace Win32 {

CriticalSection::CriticalSection() {}

CriticalSection::~CriticalSection() {
    while (ownerThreadId == ::GetCurrentThreadId() && recursionCount > 0)
        Unlock();
}

void CriticalSection::Lock() {
    section.lock();
    ownerThreadId = ::GetCurrentThreadId();
    ++recursionCount;
}

bool CriticalSection::TryLock() {
    if (!section.try_lock())
        return false;
    ownerThreadId = ::GetCurrentThreadId();
    ++recursionCount;
    return true;
}

bool CriticalSection::Unlock() {
    if (ownerThreadId != ::GetCurrentThreadId())
        ZEP_PANIC("This thread has not entered into critical section");
    const bool stillHeld = --recursionCount > 0;
    if (!stillHeld)
        ownerThreadId = 0;
    section.unlock();
    return stillHeld;
}

}  // namespace Win32
}  // namespace Zep
