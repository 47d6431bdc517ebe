// The sound system.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace Zep {

// The groups of the sound tree, by number: MASTER holds MUSIC, AMBIENT, SFX and UI,
// and each of these holds its SUB groups.
enum SoundGroupType : int32_t {
    SOUND_GROUP_MASTER = 0,
    SOUND_GROUP_MUSIC = 1,
    SOUND_GROUP_MUSIC_SUB_0 = 2,
    SOUND_GROUP_MUSIC_SUB_1 = 3,
    SOUND_GROUP_AMBIENT = 4,
    SOUND_GROUP_AMBIENT_SUB_0 = 5,
    SOUND_GROUP_AMBIENT_SUB_1 = 6,
    SOUND_GROUP_SFX = 7,
    SOUND_GROUP_SFX_SUB_0 = 8,
    SOUND_GROUP_SFX_SUB_1 = 9,
    SOUND_GROUP_SFX_SUB_2 = 10,
    SOUND_GROUP_SFX_SUB_3 = 11,
    SOUND_GROUP_SFX_SUB_4 = 12,
    SOUND_GROUP_SFX_SUB_5 = 13,
    SOUND_GROUP_UI = 14,
    SOUND_GROUP_UI_SUB_0 = 15,
    SOUND_GROUP_UI_SUB_1 = 16,
    SOUND_GROUP_MAX = 17,  // the number of groups
};

// Sounds play in one of 16 channel slots and are known by handles: the low 4 bits
// are the slot, the upper 28 a serial. A stale handle or handle 0 is ignored.
//
// Not built yet (the sound system): no audio library is started, so every operation
// does what it does without one: nothing, answering 0, false or no handle. Only the
// memory limit is kept.
class SoundSystem {
public:
    virtual ~SoundSystem();

    static SoundSystem* GetInstance();

    // --- Master volume and the groups (SoundGroupType) ---
    float GetMasterVolume();
    void SetMasterVolume(float volume);
    float GetGroupVolume(int32_t group);
    void SetGroupVolume(int32_t group, float volume, float fadeTime);
    bool IsGroupPaused(int32_t group);
    void PauseGroup(int32_t group, float fadeTime);
    void ResumeGroup(int32_t group, float fadeTime);
    void StopGroup(int32_t group, float fadeTime);
    float GetReverbRoomSize(int32_t group);
    void SetReverbRoomSize(int32_t group, float roomSize);
    float GetReverbDamp(int32_t group);
    void SetReverbDamp(int32_t group, float damp);
    float GetReverbWetDryMix(int32_t group);
    void SetReverbWetDryMix(int32_t group, float mix);
    float GetReverbWidth(int32_t group);
    void SetReverbWidth(int32_t group, float width);
    bool IsReverbEnabled(int32_t group);
    void SetReverbEnabled(int32_t group, bool enabled);
    // -1: no limit.
    int32_t GetMaxAudibleChannels(int32_t group);
    void SetMaxAudibleChannels(int32_t group, int32_t count);

    // Once per frame, with the elapsed time in seconds.
    void Update(float seconds);

    // --- Sounds ---
    // Plays the file in the group, paused until ResumeSound; the handle, or 0.
    int32_t CreateSuspendedSound(int32_t group, const std::string& name);
    int32_t CreateSuspendedMusic(int32_t group, const std::string& name);
    // The handles that play the file, slot by slot; 0 after the last.
    int32_t FindFirstHandle(const std::string& name);
    int32_t FindNextHandle(const std::string& name, int32_t handle);
    bool IsHandleValid(int32_t handle);
    float GetSoundVolume(int32_t handle);
    void SetSoundVolume(int32_t handle, float volume, float fadeTime);
    float GetSoundPan(int32_t handle);
    void SetSoundPan(int32_t handle, float pan, float fadeTime);
    bool IsSoundPlaying(int32_t handle);
    bool IsSoundPaused(int32_t handle);
    void PauseSound(int32_t handle, float fadeTime);
    void ResumeSound(int32_t handle, float fadeTime);
    void StopSound(int32_t handle, float fadeTime);
    int32_t GetLoopCount(int32_t handle);
    // -1 loops for ever.
    void LoopSound(int32_t handle, int32_t count);
    // In seconds.
    float GetSoundDuration(int32_t handle);
    float GetPlayPosition(int32_t handle);
    int32_t GetSoundPriority(int32_t handle);
    void SetSoundPriority(int32_t handle, int32_t priority);
    // The sound fades out over its last seconds.
    void SetEndingFadeOut(int32_t handle, float seconds);
    void RemoveEndingFadeOut(int32_t handle);

    // --- The cache of loaded sounds ---
    void ReleaseAllSoundResources();
    void ReleaseSoundResource(const std::string& name);
    // Bytes held by the audio library.
    uint32_t GetMemoryUsage();
    // Bytes; 0 for no limit.
    uint32_t GetMemoryLimit() const { return memoryLimit; }
    void SetMemoryLimit(uint32_t bytes) { memoryLimit = bytes; }

    // Until the groups play, pausing and resuming a group is also recorded, for the
    // checks of the window's activation.
    struct GroupRequest {
        bool pause;  // else resume
        int32_t group;
        float fadeTime;
    };
    // The requests since the last take, oldest first.
    std::vector<GroupRequest> TakeGroupRequests();

protected:
    SoundSystem();

private:
    uint32_t memoryLimit;
    std::vector<GroupRequest> groupRequests;
};

}  // namespace Zep
