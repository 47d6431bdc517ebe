// Critical section: recursive for its owner.
#pragma once

#include <windows.h>

#include "Common/ThreadSync.h"

namespace Zep {
namespace Win32 {

class CriticalSection : public Zep::CriticalSection {
public:
    CriticalSection();
    // Waits for another owner to leave; leaves what the destroying thread still holds.
    ~CriticalSection() override;

    void Lock() override;
    bool TryLock() override;
    bool Unlock() override;

    CriticalSection(const CriticalSection&) = delete;
    CriticalSection& operator=(const CriticalSection&) = delete;

private:
    CRITICAL_SECTION section;
};

}  // namespace Win32
}  // namespace Zep
