#include "Common/SoundSystem.h"

#include "Common/CoreUtils.h"
#include "Common/MathUtils.h"

namespace Zep {

SoundSystem::SoundSystem() : memoryLimit(0) {
    switch (GetCurrentPlatform()) {
        case PLATFORM_WIN32:
        case PLATFORM_MACOSX:
            memoryLimit = 0x2000000;
            break;
        case PLATFORM_WII:
            memoryLimit = 0x400000;
            break;
        case PLATFORM_IPHONE:
            memoryLimit = 0x600000;
            break;
        default:
            LogWarning("No sound memory limit specified for this platform\n");
            break;
    }
}

SoundSystem::~SoundSystem() {}

SoundSystem* SoundSystem::GetInstance() {
    return SubSystemSingleton<SoundSystem, SoundSystem>::Instance();
}

// Not built yet (the sound system): everything below is what the system does without
// an audio library.

float SoundSystem::GetMasterVolume() {
    return 0.0f;
}

void SoundSystem::SetMasterVolume(float) {}

float SoundSystem::GetGroupVolume(int32_t) {
    return 0.0f;
}

void SoundSystem::SetGroupVolume(int32_t, float, float) {}

bool SoundSystem::IsGroupPaused(int32_t) {
    return false;
}

void SoundSystem::PauseGroup(int32_t group, float fadeTime) {
    groupRequests.push_back({true, group, fadeTime});
}

void SoundSystem::ResumeGroup(int32_t group, float fadeTime) {
    groupRequests.push_back({false, group, fadeTime});
}

void SoundSystem::StopGroup(int32_t, float) {}

float SoundSystem::GetReverbRoomSize(int32_t) {
    return 0.0f;
}

void SoundSystem::SetReverbRoomSize(int32_t, float) {}

float SoundSystem::GetReverbDamp(int32_t) {
    return 0.0f;
}

void SoundSystem::SetReverbDamp(int32_t, float) {}

float SoundSystem::GetReverbWetDryMix(int32_t) {
    return 0.0f;
}

void SoundSystem::SetReverbWetDryMix(int32_t, float) {}

float SoundSystem::GetReverbWidth(int32_t) {
    return 0.0f;
}

void SoundSystem::SetReverbWidth(int32_t, float) {}

bool SoundSystem::IsReverbEnabled(int32_t) {
    return false;
}

void SoundSystem::SetReverbEnabled(int32_t, bool) {}

int32_t SoundSystem::GetMaxAudibleChannels(int32_t) {
    return 0;
}

void SoundSystem::SetMaxAudibleChannels(int32_t, int32_t) {}

void SoundSystem::Update(float) {}

int32_t SoundSystem::CreateSuspendedSound(int32_t, const std::string&) {
    return 0;
}

int32_t SoundSystem::CreateSuspendedMusic(int32_t, const std::string&) {
    return 0;
}

int32_t SoundSystem::FindFirstHandle(const std::string&) {
    return 0;
}

int32_t SoundSystem::FindNextHandle(const std::string&, int32_t) {
    return 0;
}

bool SoundSystem::IsHandleValid(int32_t) {
    return false;
}

float SoundSystem::GetSoundVolume(int32_t) {
    return 0.0f;
}

void SoundSystem::SetSoundVolume(int32_t, float, float) {}

float SoundSystem::GetSoundPan(int32_t) {
    return 0.0f;
}

void SoundSystem::SetSoundPan(int32_t, float, float) {}

bool SoundSystem::IsSoundPlaying(int32_t) {
    return false;
}

bool SoundSystem::IsSoundPaused(int32_t) {
    return false;
}

void SoundSystem::PauseSound(int32_t, float) {}

void SoundSystem::ResumeSound(int32_t, float) {}

void SoundSystem::StopSound(int32_t, float) {}

int32_t SoundSystem::GetLoopCount(int32_t) {
    return 0;
}

void SoundSystem::LoopSound(int32_t, int32_t) {}

float SoundSystem::GetSoundDuration(int32_t) {
    return 0.0f;
}

float SoundSystem::GetPlayPosition(int32_t) {
    return 0.0f;
}

int32_t SoundSystem::GetSoundPriority(int32_t) {
    return 0;
}

void SoundSystem::SetSoundPriority(int32_t, int32_t) {}

void SoundSystem::SetEndingFadeOut(int32_t, float) {}

void SoundSystem::RemoveEndingFadeOut(int32_t) {}

void SoundSystem::ReleaseAllSoundResources() {}

void SoundSystem::ReleaseSoundResource(const std::string&) {}

uint32_t SoundSystem::GetMemoryUsage() {
    return 0;
}

std::vector<SoundSystem::GroupRequest> SoundSystem::TakeGroupRequests() {
    std::vector<GroupRequest> taken;
    taken.swap(groupRequests);
    return taken;
}

}  // namespace Zep
