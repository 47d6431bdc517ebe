#include "Common/ZepBoxMain.h"

#include "Common/BundleSystem.h"
#include "Common/CoreUtils.h"
#include "Common/FileSystem.h"
#include "Common/StringUtils.h"
#include "Platforms/Win32/Win32Mutex.h"

namespace Zep {

const char* const kSingleInstanceGuardName = "6F1D2C84-3B7A-4E59-9C20-8A5B71D0E3F4";

namespace {

const char* const packedContentName = "contents.dat";
const char* const mainScriptName = "Main.lua";

// Mounts "contents.dat" of the current folder (when there is one) and then the folder
// itself, so that loose files shadow packed ones. A "contents.dat" beside the
// executable makes the executable's folder the current one first.
void MountContent() {
    FileSystem* files = FileSystem::GetInstance();
    const std::string binaryFolder = files->GetBinaryDirectory();
    if (files->PathExists(ConcatPaths(binaryFolder, packedContentName), FS_PATH_ANY))
        files->SetCurrentDirectory(binaryFolder);

    const std::string currentFolder = files->GetCurrentDirectory();
    const std::string packedContent = ConcatPaths(currentFolder, packedContentName);
    BundleSystem* bundles = BundleSystem::GetInstance();
    if (files->PathExists(packedContent, FS_PATH_ANY))
        bundles->MountPackage(packedContent, FS_OPEN_READ);
    bundles->MountDirectory(currentFolder);
}

}  // namespace
}  // namespace Zep

int PlayerMain(int, char**) {
    // Held until the process ends; the system releases it then.
    static Zep::Win32::Mutex singleInstanceGuard(Zep::kSingleInstanceGuardName);
    if (!singleInstanceGuard.TryLock())
        return 0;

    Zep::MountContent();
    if (!Zep::BundleSystem::GetInstance()->PathExists(Zep::mainScriptName, Zep::FS_PATH_FILE))
        Zep::Panic("Common\\ZepBoxMain.cpp", 116, Zep::Sprintf("Script \"%s\" not found", Zep::mainScriptName));
    return 0;
}
