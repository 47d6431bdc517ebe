// Critical section: recursive for its owner.
#pragma once

#include <mutex>

#include "Common/ThreadSync.h"

namespace Zep {
namespace Win32 {

class CriticalSection : public Zep::CriticalSection {
public:
    CriticalSection();
    ~CriticalSection() override;

    void Lock() override;
    bool TryLock() override;
    bool Unlock() override;

    CriticalSection(const CriticalSection&) = delete;
    CriticalSection& operator=(const CriticalSection&) = delete;

private:
    std::recursive_mutex section;
};

}  // namespace Win32
}  // namespace Zep
