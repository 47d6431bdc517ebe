// The sound system.
#pragma once

namespace Zep {

class SoundSystem {
public:
    virtual ~SoundSystem();

    static SoundSystem* GetInstance();

protected:
    SoundSystem();
};

}  // namespace Zep
