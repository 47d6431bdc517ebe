#include "Platforms/Win32/Win32Application.h"

#include <cstring>

#include <windows.h>

#include "Common/CoreUtils.h"
#include "Common/Texture.h"

namespace Zep {

typedef SubSystemSingleton<Zep::Application, Win32::Application> ApplicationSingleton;

Application* Application::GetInstance() {
    return ApplicationSingleton::Instance();
}

void Application::NotifyExceptionFromReport(const char* text) {
    if (ApplicationSingleton::IsDestroyed())
        return;
    GetInstance()->NotifyException(text);
}

namespace Win32 {

Application::Application() {}

Application::~Application() {}

int Application::MainLoop() {
    return 0;
}

bool IsRunningInEditor() {
    static const bool inEditor = [] {
        char path[512];
        const DWORD length = ::GetModuleFileNameA(nullptr, path, sizeof(path));
        if (length >= sizeof(path))
            AssertionFailed("Platforms\\Win32\\Win32Application.cpp", 437,
                            "::GetModuleFileNameA: size of buffer is insufficient");
        return length > 14 && std::memcmp(path + length - 13, "ZepStudio.exe", 13) == 0;
    }();
    return inEditor;
}

HBITMAP CreateBitmapFromTexture(const std::string& texturePath) {
    std::string path;
    if (!Texture::FindImageFile(texturePath, path))
        return nullptr;
    MemoryTexture texture;
    texture.LoadFromFile(path);
    // Reports name the lines the engine has always given them.
    if (texture.GetFormat() != FORMAT_ARGB8888)
        Panic("Platforms\\Win32\\Win32Application.cpp", 55, "System cursor texture must be in RGBA8 format");
    if (texture.GetRowPitch() != texture.GetWidth() * 4)
        Panic("Platforms\\Win32\\Win32Application.cpp", 58, "Invalid system cursor texture pitch");
    return ::CreateBitmap(texture.GetWidth(), texture.GetHeight(), 1, 32, texture.GetMipLevel(0));
}

}  // namespace Win32
}  // namespace Zep
