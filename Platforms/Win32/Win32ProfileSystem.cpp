#include "Platforms/Win32/Win32ProfileSystem.h"

#include "Common/CoreUtils.h"

namespace Zep {

ProfileSystem* ProfileSystem::GetInstance() {
    return SubSystemSingleton<Zep::ProfileSystem, Win32::ProfileSystem>::Instance();
}

namespace Win32 {

ProfileSystem::ProfileSystem() {}

ProfileSystem::~ProfileSystem() {}

}  // namespace Win32
}  // namespace Zep
