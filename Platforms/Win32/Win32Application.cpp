#include "Platforms/Win32/Win32Application.h"

#include <cstring>

#include <windows.h>

#include "Common/CoreUtils.h"

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

}  // namespace Win32
}  // namespace Zep
