// The sound system.
#pragma once

#include <cstdint>

namespace Zep {

// The groups of the sound tree, by number.
enum SoundGroupType : int32_t {};

class SoundSystem {
public:
    virtual ~SoundSystem();

    static SoundSystem* GetInstance();

protected:
    SoundSystem();
};

}  // namespace Zep
