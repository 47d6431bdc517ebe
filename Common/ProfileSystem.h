// Per-user profile files.
#pragma once

#include <cstdint>
#include <string>

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

// The player's saved data: one profile file per product version, guarded by a
// CRC-32. Every operation answers a status, which is also kept as the last one.
//
// Not built yet (the profile files): the operations behave as with no profile folder
// available.
class ProfileSystem {
public:
    // The file of the current product variables, computed anew.
    virtual std::string GetProfilePath();
    virtual int32_t CheckData();
    virtual int32_t CheckFreeSpace();
    virtual void DeleteProfile();
    virtual ~ProfileSystem();

    int32_t GetLastError() const { return lastStatus; }
    // The profile size that free space is checked for grows to size; it never shrinks.
    void SetProfileSize(int32_t size);

    static ProfileSystem* GetInstance();

protected:
    ProfileSystem();

    int32_t lastStatus;
    // The largest profile met or written, 128 KiB at least.
    int32_t largestSize;
};

}  // namespace Zep
