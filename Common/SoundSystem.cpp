#include "Common/SoundSystem.h"

#include "Common/CoreUtils.h"

namespace Zep {

SoundSystem::SoundSystem() {}

SoundSystem::~SoundSystem() {}

SoundSystem* SoundSystem::GetInstance() {
    return SubSystemSingleton<SoundSystem, SoundSystem>::Instance();
}

}  // namespace Zep
