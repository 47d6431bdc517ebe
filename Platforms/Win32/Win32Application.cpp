#include "Platforms/Win32/Win32Application.h"

#include <cstdint>
#include <cstring>

#include "Common/CoreUtils.h"
#include "Common/SoundSystem.h"
#include "Common/Texture.h"
#include "Debugger/LuaDebugger.h"
#include "LumoSources/Common/GameRenderWindow.h"
#include "LumoSources/Common/Subsystems.h"
#include "LumoSources/Platforms/Win32/Win32DX8Renderer.h"
#include "Platforms/Win32/Win32InputSystem.h"

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

void Application::ForgetListener(ApplicationListener* listener) {
    Application* application = ApplicationSingleton::Existing();
    if (application && application->listener == listener)
        application->listener = nullptr;
}

namespace Win32 {

namespace {

// Reports name the lines the engine has always given them.
const char* const kSourceName = "Platforms\\Win32\\Win32Application.cpp";

// Set once the Windows part of the application is gone: the base destructor hides the
// window, whose messages then get the default handling.
bool windowsPartDestroyed = false;

}  // namespace

Application::Application() : active(true), blankCursor(nullptr) {}

Application::~Application() {
    cursorCache.clear();
    if (ApplicationSingleton::Existing() == this)
        windowsPartDestroyed = true;
}

int Application::MainLoop() {
    SetSystemCursor("", IntVector2(0, 0));
    while (!terminated) {
        MSG message;
        if (::PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE)) {
            if (message.message == WM_QUIT) {
                terminated = true;
            } else {
                ::GetMessageA(&message, nullptr, 0, 0);
                ::TranslateMessage(&message);
                ::DispatchMessageA(&message);
            }
            continue;
        }
        ::Sleep(1);
        if (active) {
            ProcessInput();
            Update();
            Render();
        } else {
            // A lost device is found out, and later reset, by the renderer; the answer
            // does not matter here.
            auto* renderer = static_cast<DX8Renderer*>(Lumo::InstanceHolder<PlatformRenderer>::Get());
            renderer->GetDevice()->TestCooperativeLevel();
        }
    }
    return 0;
}

IntVector2 Application::GetDesktopSize() {
    // Before start-up there is no game window: the primary monitor, where it will open.
    GameRenderWindow* window = gameRenderWindowSubsystem.GetInstance();
    HMONITOR monitor = window ? ::MonitorFromWindow(window->GetHandle(), MONITOR_DEFAULTTONEAREST)
                              : ::MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY);
    MONITORINFO info = {};
    info.cbSize = sizeof(info);
    if (!::GetMonitorInfoA(monitor, &info))
        return IntVector2(0, 0);
    return IntVector2(info.rcMonitor.right - info.rcMonitor.left, info.rcMonitor.bottom - info.rcMonitor.top);
}

// --- Window procedure ----------------------------------------------------------------

LRESULT CALLBACK Application::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (windowsPartDestroyed)
        return ::DefWindowProcA(window, message, wParam, lParam);
    auto* application = static_cast<Application*>(Zep::Application::GetInstance());
    if (application->HandleWindowMessage(window, message, wParam, lParam))
        return 0;
    return ::DefWindowProcA(window, message, wParam, lParam);
}

bool Application::HandleWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (terminated)
        return false;
    LDB::SetMainWindow(window);
    auto* input = static_cast<Win32::InputSystem*>(Zep::InputSystem::GetInstance());
    if (input->HandleWindowMessage(message, wParam, lParam))
        return true;

    switch (message) {
        case WM_MOVE:
            // The client origin, signed, as a second monitor left of the first gives it.
            if (GameRenderWindow* gameWindow = gameRenderWindowSubsystem.GetInstance()) {
                gameWindow->SetPosition(static_cast<int16_t>(LOWORD(lParam)), static_cast<int16_t>(HIWORD(lParam)));
            }
            return false;
        case WM_ACTIVATE:
            if (window == Lumo::InstanceHolder<GameRenderWindow>::Get()->GetHandle()) {
                // A non-zero high word is an activation while minimised: it counts as none.
                if (wParam == WA_ACTIVE || wParam == WA_CLICKACTIVE)
                    OnActivate();
                else
                    OnDeactivate();
            }
            return false;
        case WM_CLOSE:
            // Closing is the script's decision: the window stays.
            NotifyClose();
            return true;
        case WM_SYSKEYDOWN:
            // Alt+F4 must still make WM_CLOSE and Alt+Enter keep its default; the rest would
            // open the system menu.
            return wParam != VK_RETURN && wParam != VK_F4;
        case WM_SYSCOMMAND:
            switch (wParam) {
                case SC_SIZE:
                case SC_MAXIMIZE:
                case SC_SCREENSAVE:
                case SC_MONITORPOWER:
                    return true;
                case SC_MOVE:
                    return Lumo::InstanceHolder<GameRenderWindow>::Get()->IsFullscreen();
                default:
                    return false;
            }
        case WM_MOUSEMOVE: {
            TRACKMOUSEEVENT track = {};
            track.cbSize = sizeof(track);
            track.dwFlags = TME_LEAVE;
            track.hwndTrack = window;
            track.dwHoverTime = HOVER_DEFAULT;
            ::TrackMouseEvent(&track);
            return false;
        }
        case WM_EXITSIZEMOVE:
            if (GameRenderWindow* gameWindow = gameRenderWindowSubsystem.GetInstance())
                gameWindow->OnMoved();
            return false;
        default:
            return false;
    }
}

// --- Activation ----------------------------------------------------------------------

void Application::OnActivate() {
    active = true;
    SoundSystem::GetInstance()->ResumeGroup(SOUND_GROUP_MASTER, 0.0f);
}

void Application::OnDeactivate() {
    active = false;
    SoundSystem::GetInstance()->PauseGroup(SOUND_GROUP_MASTER, 0.0f);
}

// --- System cursor -------------------------------------------------------------------

HCURSOR Application::GetBlankCursor() {
    // Made at the first use, not with the application: on Linux a cursor starts the video
    // system, and the application also comes into being for assertion reports and at the
    // program's end, where no window is wanted.
    if (!blankCursor) {
        // Every pixel transparent: the AND plane keeps the screen, the XOR plane changes nothing.
        uint8_t andPlane[32], xorPlane[32];
        std::memset(andPlane, 0xFF, sizeof(andPlane));
        std::memset(xorPlane, 0x00, sizeof(xorPlane));
        blankCursor = ::CreateCursor(::GetModuleHandleA(nullptr), 0, 0, 16, 16, andPlane, xorPlane);
    }
    return blankCursor;
}

void Application::SetSystemCursor(const std::string& texturePath, IntVector2 hotspot) {
    HCURSOR cursor = nullptr;
    if (texturePath.empty())
        cursor = GetBlankCursor();
    else
        cursor = GetCursorHandle(texturePath, hotspot.x, hotspot.y);
    ::SetClassLongA(Lumo::InstanceHolder<GameRenderWindow>::Get()->GetHandle(), GCL_HCURSOR,
                    reinterpret_cast<LONG_PTR>(cursor));
}

HCURSOR Application::GetCursorHandle(const std::string& texturePath, int hotspotX, int hotspotY) {
    if (texturePath.empty())
        return nullptr;
    const auto found = cursorCache.find(texturePath);
    if (found != cursorCache.end())
        return found->second;
    HCURSOR cursor = CreateCursorFromTexture(texturePath, hotspotX, hotspotY);
    cursorCache[texturePath] = cursor;
    return cursor;
}

bool IsRunningInEditor() {
    static const bool inEditor = [] {
        char path[512];
        const DWORD length = ::GetModuleFileNameA(nullptr, path, sizeof(path));
        if (length >= sizeof(path))
            AssertionFailed(kSourceName, 437, "::GetModuleFileNameA: size of buffer is insufficient");
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
    if (texture.GetFormat() != FORMAT_ARGB8888)
        Panic(kSourceName, 55, "System cursor texture must be in RGBA8 format");
    if (texture.GetRowPitch() != texture.GetWidth() * 4)
        Panic(kSourceName, 58, "Invalid system cursor texture pitch");
    return ::CreateBitmap(texture.GetWidth(), texture.GetHeight(), 1, 32, texture.GetMipLevel(0));
}

HCURSOR CreateCursorFromTexture(const std::string& texturePath, int hotspotX, int hotspotY) {
    HBITMAP bitmap = CreateBitmapFromTexture(texturePath);
    if (!bitmap)
        AssertionFailed(kSourceName, 81, "CreateBitmap() failed");
    ICONINFO info = {};
    info.fIcon = FALSE;
    info.xHotspot = static_cast<DWORD>(hotspotX);
    info.yHotspot = static_cast<DWORD>(hotspotY);
    info.hbmMask = bitmap;
    info.hbmColor = bitmap;
    HCURSOR cursor = ::CreateIconIndirect(&info);
    // The cursor holds copies of the bitmaps.
    ::DeleteObject(bitmap);
    if (!cursor)
        AssertionFailed(kSourceName, 84, "BitmapToCursor() failed");
    return cursor;
}

}  // namespace Win32
}  // namespace Zep
