// Folder attributes: the input is the ".attributes" file of a content folder (up to
// its first NUL byte) and of its subfolder "ui" (after it). The content is read as at
// start-up and the texture loaders' questions are asked of a few paths.
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <string>

#include "Common/BundleSystem.h"
#include "Common/FileAttributes.h"
#include "FuzzSupport.h"

namespace {

const size_t kMaxInput = 1 << 20;

std::string folder;

void WriteFile(const std::string& name, const uint8_t* data, size_t size) {
    Fuzz::WriteScratchFile(folder + "/" + name, data, size);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    Fuzz::SetUpEngine();
    folder = Fuzz::MakeScratchFolder();
    // Files and folders for the patterns to name.
    for (const char* sub : {"/ui", "/scenes", "/scenes/deep", "/uiextra"})
        std::filesystem::create_directory(folder + sub);
    for (const char* name :
         {"Main.lua", "ui/button.png", "ui/logo.dds", "scenes/a.png", "scenes/deep/b.pvr", "uiextra/x.png"})
        WriteFile(name, reinterpret_cast<const uint8_t*>("x"), 1);
    Zep::BundleSystem::GetInstance()->MountDirectory(folder);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > kMaxInput)
        return 0;
    const uint8_t* split = static_cast<const uint8_t*>(std::memchr(data, 0, size));
    const size_t rootSize = split ? static_cast<size_t>(split - data) : size;
    WriteFile(".attributes", data, rootSize);
    if (split)
        WriteFile("ui/.attributes", split + 1, size - rootSize - 1);
    else
        WriteFile("ui/.attributes", data, 0);

    Zep::FileAttributes& attributes = Zep::FileAttributes::GetInstance();
    if (!Fuzz::Read([&] { attributes.LoadAll(); }))
        return 0;
    for (const char* path : {"ui/button.png", "UI/Logo.PNG", "ui/logo.pvr", "scenes/a.png", "scenes/deep/b.pvr",
                             "uiextra/x.png", "missing/x.png", "", "/", "ui"}) {
        for (const char* name : {"MipMaps", "PixelAccess", "x"}) {
            attributes.GetString(path, name, "default");
            attributes.GetBool(path, name, true);
        }
    }
    return 0;
}
