#include "Platforms/Win32/WinMain.h"

#include <exception>
#include <new>
#include <string>

#include "Common/Application.h"
#include "Common/BundleSystem.h"
#include "Common/CoreUtils.h"
#include "Common/FileSystem.h"
#include "Common/LuaCore.h"
#include "Common/MemoryManager.h"
#include "Common/ProfileSystem.h"
#include "Common/SoundSystem.h"
#include "Common/Thread.h"
#include "Common/TextureManager.h"
#include "Common/VarManager.h"
#include "Common/ZepBoxMain.h"

namespace Zep {
namespace Win32 {

namespace {

// The error handler's signature carries a value the entry does not use.
void ShowUnhandledExceptionHandler(const char* text, int) {
    ShowUnhandledException(text);
}

// The box of an exception that is neither the engine's nor a standard one, with the
// main Lua state's call stack when there is memory left to describe it.
[[noreturn]] void ShowUnknownException() {
    const char* const unknown = "An unknown exception has occurred.";
    std::string text;
    try {
        if (mainLuaState)
            text = unknown + ("\nLua main state callstack:\n" + GetLuaCallStack(mainLuaState));
    } catch (const std::bad_alloc&) {
        text.clear();
    }
    ::MessageBoxA(nullptr, text.empty() ? unknown : text.c_str(), "Unhandled exception", MB_ICONERROR);
    ::ExitProcess(1);
}

}  // namespace

void ShowUnhandledException(const char* text) {
    ::MessageBoxA(nullptr, text, "Unhandled exception", MB_ICONERROR);
    ::ExitProcess(1);
}

int RunMainRoutine(MainRoutine mainRoutine, LPSTR commandLine) {
    MemoryManager::CreateHeap(
        MemoryManager::HEAP_ARENA_0_OR_1, 0x12C00000, "Common", 4,
        MemoryManager::HEAP_MAY_SHRINK | MemoryManager::HEAP_SMALL_POOL | MemoryManager::HEAP_QUIET, 20);

    FileSystem::GetInstance();
    BundleSystem::GetInstance();
    ProfileSystem::GetInstance();
    VarManager::GetInstance();
    TextureManager::GetInstance();
    SoundSystem::GetInstance();

    SetErrorHandler(&ShowUnhandledExceptionHandler, 0);
    Thread::GetCurrent()->SetTimerResolution(8);

    try {
        const int result = mainRoutine(1, &commandLine);
        Application::GetInstance()->terminated = true;
        return result;
    } catch (const Exception::Generic& error) {
        ShowUnhandledException(error.what());
    } catch (const std::exception& error) {
        ShowUnhandledException(error.what());
    } catch (...) {
        ShowUnknownException();
    }
}

}  // namespace Win32
}  // namespace Zep

int WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int) {
    return Zep::Win32::RunMainRoutine(&PlayerMain, commandLine);
}
