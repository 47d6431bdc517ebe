// Packed bundles: the input is a "contents.dat". It is mounted, listed, and every file
// in it is opened and read to its end, as the player reads a game's content.
#include <cstdint>
#include <string>
#include <vector>

#include "Common/BundleSystem.h"
#include "Common/FileSystem.h"
#include "FuzzSupport.h"

namespace {

// Larger packed files hold more of the same structure.
const size_t kMaxInput = 1 << 20;

std::string bundlePath;

void ReadEverything(Zep::BundleSystem* bundles) {
    std::vector<std::string> names;
    if (!bundles->GetDirectoryContents(names, "", Zep::FS_LIST_ALL, true))
        return;
    std::vector<std::string> folders;
    bundles->GetDirectoryContents(folders, "", Zep::FS_LIST_DIRECTORIES, true);
    for (const std::string& folder : folders) {
        std::vector<std::string> inside;
        bundles->GetDirectoryContents(inside, folder, Zep::FS_LIST_ALL, false);
    }
    char buffer[4096];
    for (const std::string& name : names) {
        bundles->PathExists(name, Zep::FS_PATH_ANY);
        Zep::FileHandle file = bundles->OpenFile(name, Zep::FS_OPEN_READ);
        if (!file)
            continue;
        const int64_t size = bundles->GetFileSize(file);
        int64_t total = 0;
        for (;;) {
            const int64_t read = bundles->ReadFile(file, buffer, sizeof(buffer));
            if (read <= 0)
                break;
            total += read;
        }
        if (total != size)
            Fuzz::Fail("a packed file reads another length than its size", name);
        // Back to the middle and read across the end once more.
        bundles->SeekFile(file, size / 2, Zep::FS_SEEK_SET);
        bundles->ReadFile(file, buffer, sizeof(buffer));
        bundles->CloseFile(file);
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    Fuzz::SetUpEngine();
    bundlePath = Fuzz::MakeScratchFolder() + "/contents.dat";
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > kMaxInput)
        return 0;
    Fuzz::WriteScratchFile(bundlePath, data, size);
    Zep::BundleSystem* bundles = Zep::BundleSystem::GetInstance();
    if (Fuzz::Read([&] { bundles->MountPackage(bundlePath, Zep::FS_OPEN_READ); })) {
        ReadEverything(bundles);
        if (!bundles->Unmount(bundlePath))
            Fuzz::Fail("a packed bundle cannot be unmounted after reading");
    }
    return 0;
}
