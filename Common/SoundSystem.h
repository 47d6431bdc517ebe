// The sound system.
#pragma once

#include <cstdint>
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

class SoundSystem {
public:
    virtual ~SoundSystem();

    static SoundSystem* GetInstance();

    // Stand-in until the sound system is built (the sound system issue): the groups
    // play nothing, so pausing and resuming a group is only recorded.
    void PauseGroup(int32_t group, float fadeTime);
    void ResumeGroup(int32_t group, float fadeTime);

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
    std::vector<GroupRequest> groupRequests;
};

}  // namespace Zep
