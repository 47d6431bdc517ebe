// Per-user profile files.
#pragma once

#include <cstdint>

namespace Zep {

// What a profile check, read or write reports. NOINODES, FATALERROR and UNKNOWN are
// known to scripts but never reported.
enum ProfileStatus : int32_t {
    PROFILE_OK = 0,
    PROFILE_NODATA = 1,
    PROFILE_CORRUPTED = 2,
    PROFILE_NOINODES = 3,
    PROFILE_NOBLOCKS = 4,
    PROFILE_NOACCESS = 5,
    PROFILE_FATALERROR = 6,
    PROFILE_UNKNOWN = 7,
};

class ProfileSystem {
public:
    virtual ~ProfileSystem();

    static ProfileSystem* GetInstance();

protected:
    ProfileSystem();
};

}  // namespace Zep
