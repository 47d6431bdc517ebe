#include "Common/ProfileSystem.h"

namespace Zep {

ProfileSystem::ProfileSystem() : lastStatus(PROFILE_OK), largestSize(0x20000) {}

ProfileSystem::~ProfileSystem() {}

void ProfileSystem::SetProfileSize(int32_t size) {
    if (size > largestSize)
        largestSize = size;
}

// Not built yet (the profile files): without a profile folder there is no path, no
// profile and no room for one.
std::string ProfileSystem::GetProfilePath() {
    return std::string();
}

int32_t ProfileSystem::CheckData() {
    return lastStatus = PROFILE_NODATA;
}

int32_t ProfileSystem::CheckFreeSpace() {
    return lastStatus = PROFILE_NOBLOCKS;
}

void ProfileSystem::DeleteProfile() {}

}  // namespace Zep
