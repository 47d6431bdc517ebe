#include "Common/ZepBoxMain.h"

#include "Platforms/Win32/Win32Mutex.h"

namespace Zep {

const char* const kSingleInstanceGuardName = "6F1D2C84-3B7A-4E59-9C20-8A5B71D0E3F4";

}  // namespace Zep

int PlayerMain(int, char**) {
    // Held until the process ends; the system releases it then.
    static Zep::Win32::Mutex singleInstanceGuard(Zep::kSingleInstanceGuardName);
    if (!singleInstanceGuard.TryLock())
        return 0;
    return 0;
}
