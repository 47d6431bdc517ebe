#include "Platforms/Win32/Win32FileSystem.h"

#include "Common/CoreUtils.h"

namespace Zep {

FileSystem* FileSystem::GetInstance() {
    return SubSystemSingleton<Zep::FileSystem, Win32::FileSystem>::Instance();
}

namespace Win32 {

FileSystem::FileSystem() {}

FileSystem::~FileSystem() {}

}  // namespace Win32
}  // namespace Zep
