#include <atomic>
#include <cstring>
#include <mutex>
#include <thread>

#include "ForeignCode.h"
#include "UserInternal.h"

namespace {

std::once_flag videoOnce;
bool videoStarted = false;
std::atomic<bool> interfaceThreadKnown{false};
std::thread::id interfaceThread;

bool DriverIs(const char* name) {
    const char* driver = SDL_GetCurrentVideoDriver();
    return driver && std::strcmp(driver, name) == 0;
}

}  // namespace

namespace PlatformInternal {

bool StartVideo() {
    std::call_once(videoOnce, [] {
        PlatformProcess::ForeignLibraryScope scope;
        interfaceThread = std::this_thread::get_id();
        interfaceThreadKnown = true;
        // The window's close button becomes WM_CLOSE; only a signal quits.
        SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
        if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0)
            return;
        SDL_DisableScreenSaver();
        // Windows are OpenGL windows, and a context can be made current only on windows of
        // the same framebuffer, chosen when each is made: all get the Direct3D layer's one,
        // double-buffered without depth or stencil (it draws into framebuffer objects).
        SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
        SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 0);
        SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 0);
        // OpenGL stays loaded for the whole process (the dummy driver has none): the
        // windows come and go, the one context of the Direct3D device stays.
        SDL_GL_LoadLibrary(nullptr);
        videoStarted = true;
    });
    return videoStarted;
}

bool IsInterfaceThread() {
    return interfaceThreadKnown && interfaceThread == std::this_thread::get_id();
}

bool DriverLacksFocusEvents() {
    return DriverIs("offscreen") || DriverIs("dummy");
}

bool DriverHasGlobalMouse() {
    return DriverIs("x11");
}

}  // namespace PlatformInternal
