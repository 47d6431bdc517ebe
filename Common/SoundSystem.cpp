#include "Common/SoundSystem.h"

#include "Common/CoreUtils.h"

namespace Zep {

SoundSystem::SoundSystem() {}

SoundSystem::~SoundSystem() {}

SoundSystem* SoundSystem::GetInstance() {
    return SubSystemSingleton<SoundSystem, SoundSystem>::Instance();
}

void SoundSystem::PauseGroup(int32_t group, float fadeTime) {
    groupRequests.push_back({true, group, fadeTime});
}

void SoundSystem::ResumeGroup(int32_t group, float fadeTime) {
    groupRequests.push_back({false, group, fadeTime});
}

std::vector<SoundSystem::GroupRequest> SoundSystem::TakeGroupRequests() {
    std::vector<GroupRequest> taken;
    taken.swap(groupRequests);
    return taken;
}

}  // namespace Zep
