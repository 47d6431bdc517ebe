// The audio actor: plays a sound file in a group of the sound tree when a key of
// its action track says so. So far its data; its keys run nothing yet.
#pragma once

#include <cstdint>
#include <string>

#include "Common/Actor.h"
#include "Common/SoundSystem.h"

namespace Zep {

class Audio : public Actor {
    ZEP_DECLARE_CLASS();

    // What a key of the audio actor's action track does to its sound.
    enum Action : int32_t {
        PLAY = 0,
        STOP = 1,
    };

    // Bits of Flags.
    static const uint32_t CONTINUAL = 1;
    static const uint32_t STREAMED = 2;  // streamed from its file rather than loaded whole
    static const uint32_t LOOPED = 4;

    Audio();
    ~Audio() override;

    // One switch for every audio actor: while false none starts its sound. True at
    // start.
    static bool globalEnabled;

    // --- Properties ---
    Action GetAction() const { return action; }
    void SetAction(Action value) { action = value; }
    const std::string& GetFile() const { return file; }
    void SetFile(const std::string& value) { file = value; }
    uint32_t GetFlags() const { return flags; }
    void SetFlags(uint32_t value) { flags = value; }
    SoundGroupType GetGroup() const { return group; }
    void SetGroup(SoundGroupType value) { group = value; }
    // 0 to 1.
    float GetPriority() const { return priority; }
    void SetPriority(float value) { priority = value; }
    // Seconds.
    float GetFadeTime() const { return fadeTime; }
    void SetFadeTime(float value) { fadeTime = value; }
    // Volume and pan only store for now: no sound plays yet whose channel they would
    // change.
    float GetVolume() const { return volume; }
    void SetVolume(float value) { volume = value; }
    float GetPan() const { return pan; }
    void SetPan(float value) { pan = value; }

protected:
    uint32_t flags;
    float fadeTime;
    float volume;
    float pan;
    Action action;
    SoundGroupType group;
    float priority;
    std::string file;
    // The playing sound; 0 when none.
    int32_t handle;
};

}  // namespace Zep
