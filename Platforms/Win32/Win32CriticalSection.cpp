#include "Platforms/Win32/Win32CriticalSection.h"

#include "Common/CoreUtils.h"

namespace Zep {
namespace Win32 {

CriticalSection::CriticalSection() {
    ::InitializeCriticalSection(&section);
}

CriticalSection::~CriticalSection() {
    const uint32_t self = ::GetCurrentThreadId();
    const uint32_t owner = ownerThreadId;
    if (owner != 0 && owner != self)
        Lock();
    while (ownerThreadId == self && recursionCount > 0)
        Unlock();
    ::DeleteCriticalSection(&section);
}

void CriticalSection::Lock() {
    ::EnterCriticalSection(&section);
    ownerThreadId = ::GetCurrentThreadId();
    ++recursionCount;
}

bool CriticalSection::TryLock() {
    if (!::TryEnterCriticalSection(&section))
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
    ::LeaveCriticalSection(&section);
    return stillHeld;
}

}  // namespace Win32
}  // namespace Zep
