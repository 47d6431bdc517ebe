#include <gtest/gtest.h>

#include <SDL.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include <windows.h>

#include "UserInternal.h"
#include "WindowTestSupport.h"

using WindowTestSupport::Message;
using WindowTestSupport::WindowTest;

namespace {

typedef std::vector<Message> Messages;

TEST_F(WindowTest, CreationSendsCreateSizeAndMoveBeforeReturning) {
    const HWND window = Create(kCaptionStyle, RECT{100, 50, 420, 290});
    ASSERT_NE(nullptr, window);
    // Offscreen windows have no frame: the client area is the whole window rectangle.
    EXPECT_EQ(
        (Messages{
            {WM_CREATE, 0, 0}, {WM_SIZE, SIZE_RESTORED, MAKELPARAM(320, 240)}, {WM_MOVE, 0, MAKELPARAM(100, 50)}}),
        Log());
    RECT client;
    ASSERT_TRUE(GetClientRect(window, &client));
    EXPECT_EQ(320, client.right);
    EXPECT_EQ(240, client.bottom);
    POINT point = {5, 7};
    ASSERT_TRUE(ClientToScreen(window, &point));
    EXPECT_EQ(105, point.x);
    EXPECT_EQ(57, point.y);
    ASSERT_TRUE(ScreenToClient(window, &point));
    EXPECT_EQ(5, point.x);
    EXPECT_EQ(7, point.y);
    const Uint32 flags = SDL_GetWindowFlags(PlatformInternal::GetSdlWindow(window));
    EXPECT_TRUE(flags & SDL_WINDOW_HIDDEN);
    EXPECT_TRUE(flags & SDL_WINDOW_OPENGL);
    EXPECT_FALSE(flags & SDL_WINDOW_RESIZABLE);
    EXPECT_FALSE(flags & SDL_WINDOW_BORDERLESS);
    EXPECT_TRUE(SDL_GetWindowFlags(PlatformInternal::GetSdlWindow(Create(WS_POPUP))) & SDL_WINDOW_BORDERLESS);
    EXPECT_TRUE(SDL_IsTextInputActive());
    // Closing the last window must reach the procedure as WM_CLOSE, never quit.
    EXPECT_STREQ("0", SDL_GetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE));
}

TEST_F(WindowTest, ShowAndHideActivateOnlyWhenTheStateChanges) {
    if (!Offscreen())
        GTEST_SKIP() << "synthetic activation belongs to the offscreen driver";
    const HWND window = Create();
    Log().clear();
    struct Step {
        const char* name;
        std::function<void()> action;
        Messages expected;
        HWND active;
    } steps[] = {
        {"first show",
         [&] { EXPECT_FALSE(ShowWindow(window, SW_SHOW)); },
         {{WM_SHOWWINDOW, TRUE, 0}, {WM_ACTIVATEAPP, TRUE, 0}, {WM_ACTIVATE, WA_ACTIVE, 0}, {WM_SETFOCUS, 0, 0}},
         window},
        {"second show", [&] { EXPECT_TRUE(ShowWindow(window, SW_SHOW)); }, {}, window},
        {"foreground while active", [&] { SetForegroundWindow(window); }, {}, window},
        {"hide",
         [&] { EXPECT_TRUE(ShowWindow(window, SW_HIDE)); },
         {{WM_SHOWWINDOW, FALSE, 0}, {WM_ACTIVATE, WA_INACTIVE, 0}, {WM_ACTIVATEAPP, FALSE, 0}},
         nullptr},
        {"second hide", [&] { EXPECT_FALSE(ShowWindow(window, SW_HIDE)); }, {}, nullptr},
        {"focus while inactive",
         [&] { EXPECT_EQ(nullptr, SetFocus(window)); },
         {{WM_ACTIVATEAPP, TRUE, 0}, {WM_ACTIVATE, WA_ACTIVE, 0}, {WM_SETFOCUS, 0, 0}},
         window},
    };
    for (const Step& step : steps) {
        Log().clear();
        step.action();
        EXPECT_EQ(step.expected, Log()) << step.name;
        EXPECT_EQ(step.active, GetActiveWindow()) << step.name;
    }
    // Nothing was queued by the sent activation.
    Log().clear();
    EXPECT_EQ(Messages(), Dispatch());
}

TEST_F(WindowTest, AdjustedRectangleKeepsTheClientAreaThroughSetWindowPos) {
    for (const DWORD style : {kCaptionStyle, static_cast<DWORD>(WS_POPUP)}) {
        const HWND window = Create(style, RECT{0, 0, 200, 100});
        RECT rect = {40, 30, 840, 630};
        ASSERT_TRUE(AdjustWindowRectEx(&rect, style, FALSE, WS_EX_APPWINDOW));
        Log().clear();
        ASSERT_TRUE(SetWindowPos(window, HWND_NOTOPMOST, rect.left, rect.top, rect.right - rect.left,
                                 rect.bottom - rect.top, SWP_FRAMECHANGED));
        EXPECT_EQ((Messages{{WM_SIZE, SIZE_RESTORED, MAKELPARAM(800, 600)}, {WM_MOVE, 0, MAKELPARAM(40, 30)}}), Log());
        RECT client;
        GetClientRect(window, &client);
        POINT origin = {0, 0};
        ClientToScreen(window, &origin);
        EXPECT_EQ((std::vector<LONG>{40, 30, 800, 600}),
                  (std::vector<LONG>{origin.x, origin.y, client.right, client.bottom}));
        // The same rectangle again: one WM_MOVE and no WM_SIZE; SDL's echo of the move is dropped.
        Log().clear();
        SetWindowPos(window, HWND_NOTOPMOST, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                     SWP_FRAMECHANGED);
        EXPECT_EQ((Messages{{WM_MOVE, 0, MAKELPARAM(40, 30)}}), Dispatch());
    }
}

TEST_F(WindowTest, ForeignAndDestroyedHandlesFailWithInvalidWindowHandle) {
    const HWND destroyed = Create();
    ASSERT_TRUE(DestroyWindow(destroyed));
    Log().clear();
    struct Call {
        const char* name;
        std::function<bool(HWND)> fails;
    } calls[] = {
        {"DestroyWindow", [](HWND w) { return !DestroyWindow(w); }},
        {"ShowWindow", [](HWND w) { return !ShowWindow(w, SW_SHOW); }},
        {"SetWindowPos", [](HWND w) { return !SetWindowPos(w, HWND_NOTOPMOST, 0, 0, 10, 10, 0); }},
        {"SetWindowLongA", [](HWND w) { return SetWindowLongA(w, GWL_STYLE, 0) == 0; }},
        {"GetClientRect",
         [](HWND w) {
             RECT r;
             return !GetClientRect(w, &r);
         }},
        {"ClientToScreen",
         [](HWND w) {
             POINT p = {};
             return !ClientToScreen(w, &p);
         }},
        {"ScreenToClient",
         [](HWND w) {
             POINT p = {};
             return !ScreenToClient(w, &p);
         }},
        {"SetForegroundWindow", [](HWND w) { return !SetForegroundWindow(w); }},
        {"SetFocus", [](HWND w) { return SetFocus(w) == nullptr; }},
        {"InvalidateRect", [](HWND w) { return !InvalidateRect(w, nullptr, FALSE); }},
        {"MonitorFromWindow", [](HWND w) { return MonitorFromWindow(w, MONITOR_DEFAULTTONEAREST) == nullptr; }},
        {"SetClassLongA", [](HWND w) { return SetClassLongA(w, GCL_HCURSOR, 0) == 0; }},
        {"DefWindowProcA", [](HWND w) { return DefWindowProcA(w, WM_SYSKEYDOWN, VK_F4, 1 << 29) == 0; }},
        {"TrackMouseEvent",
         [](HWND w) {
             TRACKMOUSEEVENT track = {sizeof(TRACKMOUSEEVENT), TME_LEAVE, w, HOVER_DEFAULT};
             return !TrackMouseEvent(&track);
         }},
        {"PeekMessageA",
         [](HWND w) {
             MSG m;
             return !PeekMessageA(&m, w, 0, 0, PM_REMOVE);
         }},
        {"GetMessageA",
         [](HWND w) {
             MSG m;
             return GetMessageA(&m, w, 0, 0) == -1;
         }},
        {"DispatchMessageA",
         [](HWND w) {
             MSG m = {w, WM_CLOSE, 0, 0, 0, {0, 0}};
             return DispatchMessageA(&m) == 0;
         }},
    };
    for (const HWND bad : {reinterpret_cast<HWND>(0x1234), destroyed}) {
        for (const Call& call : calls) {
            SetLastError(0);
            EXPECT_TRUE(call.fails(bad)) << call.name;
            EXPECT_EQ(ERROR_INVALID_WINDOW_HANDLE, GetLastError()) << call.name;
        }
    }
    EXPECT_EQ(Messages(), Log());
    char text[128];
    ASSERT_NE(0u,
              FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_MAX_WIDTH_MASK,
                             nullptr, ERROR_INVALID_WINDOW_HANDLE, 0, text, sizeof(text), nullptr));
    EXPECT_STREQ("Invalid window handle. ", text);
}

TEST_F(WindowTest, ProcedureMayMoveTheWindowAndRunALoopFromInsideItself) {
    const HWND window = CreateActive();
    // SetWindowPos during WM_MOVE: the nested WM_MOVE arrives inside the first one.
    bool moved = false;
    bool nested = false;
    Reaction() = [&](HWND w, UINT message, WPARAM, LPARAM) {
        if (message == WM_MOVE && !moved) {
            moved = true;
            SetWindowPos(w, HWND_NOTOPMOST, 7, 8, 0, 0, SWP_NOSIZE);
        }
        // A nested message loop while the outer one dispatches the first key.
        if (message == WM_KEYDOWN && !nested) {
            nested = true;
            MSG msg;
            while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
                DispatchMessageA(&msg);
        }
    };
    SetWindowPos(window, HWND_NOTOPMOST, 1, 2, 0, 0, SWP_NOSIZE);
    EXPECT_EQ((Messages{{WM_MOVE, 0, MAKELPARAM(1, 2)}, {WM_MOVE, 0, MAKELPARAM(7, 8)}}), Log());
    POINT origin = {0, 0};
    ClientToScreen(window, &origin);
    EXPECT_EQ(7, origin.x);

    Log().clear();
    for (int i = 0; i < 3; ++i) {
        SDL_Event event = {};
        event.type = SDL_KEYDOWN;
        event.key.windowID = WindowId(window);
        event.key.keysym.scancode = static_cast<SDL_Scancode>(SDL_SCANCODE_A + i);
        event.key.keysym.sym = 'a' + i;
        SDL_PushEvent(&event);
    }
    EXPECT_EQ((Messages{{WM_KEYDOWN, 'A', 1}, {WM_KEYDOWN, 'B', 1}, {WM_KEYDOWN, 'C', 1}}), Dispatch());
}

TEST_F(WindowTest, OffscreenDisplayIsOneMonitorWithOneMode) {
    if (!Offscreen())
        GTEST_SKIP() << "the offscreen driver's display";
    const HWND window = Create();
    std::vector<HMONITOR> monitors;
    ASSERT_TRUE(EnumDisplayMonitors(
        nullptr, nullptr,
        [](HMONITOR monitor, HDC, LPRECT, LPARAM data) -> BOOL {
            reinterpret_cast<std::vector<HMONITOR>*>(data)->push_back(monitor);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&monitors)));
    const HMONITOR first = reinterpret_cast<HMONITOR>(1);
    EXPECT_EQ(std::vector<HMONITOR>{first}, monitors);
    EXPECT_EQ(first, MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST));
    EXPECT_EQ(first, MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY));
    EXPECT_EQ(first, MonitorFromPoint(POINT{5000, -5000}, MONITOR_DEFAULTTONEAREST));
    EXPECT_EQ(nullptr, MonitorFromPoint(POINT{5000, -5000}, MONITOR_DEFAULTTONULL));

    MONITORINFOEXA info = {};
    info.cbSize = sizeof(info);
    ASSERT_TRUE(GetMonitorInfoA(first, &info));
    EXPECT_STREQ("\\\\.\\DISPLAY1", info.szDevice);
    EXPECT_EQ(MONITORINFOF_PRIMARY, info.dwFlags);
    EXPECT_EQ((std::vector<LONG>{0, 0, 1024, 768}), (std::vector<LONG>{info.rcMonitor.left, info.rcMonitor.top,
                                                                       info.rcMonitor.right, info.rcMonitor.bottom}));
    SetLastError(0);
    EXPECT_FALSE(GetMonitorInfoA(reinterpret_cast<HMONITOR>(2), &info));
    EXPECT_EQ(ERROR_INVALID_MONITOR_HANDLE, GetLastError());

    // Mode 0 is SDL's all-zero mode, reported as the desktop mode.
    struct ModeCase {
        LPCSTR device;
        DWORD number;
        bool found;
    } cases[] = {
        {info.szDevice, 0, true},
        {nullptr, 0, true},
        {info.szDevice, ENUM_CURRENT_SETTINGS, true},
        {info.szDevice, 1, false},
        {"\\\\.\\DISPLAY2", 0, false},
    };
    for (const ModeCase& c : cases) {
        DEVMODEA mode = {};
        mode.dmSize = sizeof(mode);
        ASSERT_EQ(c.found, EnumDisplaySettingsA(c.device, c.number, &mode) != FALSE) << c.number;
        if (c.found) {
            EXPECT_EQ(
                (std::vector<DWORD>{1024, 768, 32, 60}),
                (std::vector<DWORD>{mode.dmPelsWidth, mode.dmPelsHeight, mode.dmBitsPerPel, mode.dmDisplayFrequency}));
        }
    }
    DEVMODEA unsized = {};
    EXPECT_FALSE(EnumDisplaySettingsA(nullptr, 0, &unsized));

    const HDC dc = CreateDCA(info.szDevice, nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, dc);
    EXPECT_EQ(0, GetDeviceCaps(dc, HORZSIZE));
    EXPECT_EQ(0, GetDeviceCaps(dc, VERTSIZE));
    EXPECT_TRUE(DeleteDC(dc));
    EXPECT_FALSE(DeleteDC(dc));
    EXPECT_EQ(nullptr, CreateDCA("\\\\.\\DISPLAY9", nullptr, nullptr, nullptr));
}

TEST_F(WindowTest, RecordedModeIsTheFullScreenSizeUntilRestored) {
    const HWND window = Create(WS_POPUP, RECT{0, 0, 640, 480});
    DEVMODEA mode = {};
    mode.dmSize = sizeof(mode);
    ASSERT_TRUE(EnumDisplaySettingsA(nullptr, 0, &mode));
    const DEVMODEA desktop = mode;
    mode.dmPelsWidth = 800;
    mode.dmPelsHeight = 600;
    mode.dmDisplayFrequency = 75;
    EXPECT_EQ(DISP_CHANGE_SUCCESSFUL,
              ChangeDisplaySettingsExA("\\\\.\\DISPLAY1", &mode, nullptr, CDS_FULLSCREEN, nullptr));
    // Only recorded: nothing changes until the device goes full screen.
    DEVMODEA current = {};
    current.dmSize = sizeof(current);
    ASSERT_TRUE(EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &current));
    EXPECT_EQ(desktop.dmPelsWidth, current.dmPelsWidth);
    RECT client;
    GetClientRect(window, &client);
    EXPECT_EQ(640, client.right);

    ASSERT_TRUE(PlatformInternal::EnterFullscreen(window));
    GetClientRect(window, &client);
    EXPECT_EQ((std::vector<LONG>{800, 600}), (std::vector<LONG>{client.right, client.bottom}));
    ASSERT_TRUE(EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &current));
    EXPECT_EQ((std::vector<DWORD>{800, 600, 75}),
              (std::vector<DWORD>{current.dmPelsWidth, current.dmPelsHeight, current.dmDisplayFrequency}));

    EXPECT_EQ(DISP_CHANGE_SUCCESSFUL, ChangeDisplaySettingsExA("\\\\.\\DISPLAY1", nullptr, nullptr, 0, nullptr));
    EXPECT_FALSE(PlatformInternal::GetWantedDisplayMode(0, nullptr));
    GetClientRect(window, &client);
    EXPECT_EQ((std::vector<LONG>{640, 480}), (std::vector<LONG>{client.right, client.bottom}));
    EXPECT_FALSE(SDL_GetWindowFlags(PlatformInternal::GetSdlWindow(window)) & SDL_WINDOW_FULLSCREEN);
    EXPECT_EQ(DISP_CHANGE_BADPARAM, ChangeDisplaySettingsExA("\\\\.\\DISPLAY7", nullptr, nullptr, 0, nullptr));
}

TEST_F(WindowTest, CursorsFromPlanesAndBitmapsAndTheClassCursor) {
    const HWND window = Create();
    BYTE andPlane[32], xorPlane[32];
    std::memset(andPlane, 0xFF, sizeof(andPlane));
    std::memset(xorPlane, 0, sizeof(xorPlane));
    const HCURSOR blank = CreateCursor(GetModuleHandle(nullptr), 0, 0, 16, 16, andPlane, xorPlane);
    ASSERT_NE(nullptr, blank);

    const uint32_t pixels[4] = {0xFF0000FF, 0x80FF0000, 0x00000000, 0xFFFFFFFF};
    struct BitmapCase {
        int width, height;
        UINT planes, bits;
        bool made;
    } bitmaps[] = {
        {2, 2, 1, 32, true}, {2, 2, 1, 24, false}, {2, 2, 2, 32, false}, {0, 2, 1, 32, false}, {2, -1, 1, 32, false}};
    for (const BitmapCase& c : bitmaps) {
        const HBITMAP bitmap = CreateBitmap(c.width, c.height, c.planes, c.bits, pixels);
        EXPECT_EQ(c.made, bitmap != nullptr) << c.width << "x" << c.height << " " << c.planes << " " << c.bits;
        if (bitmap)
            DeleteObject(bitmap);
    }

    const HBITMAP bitmap = CreateBitmap(2, 2, 1, 32, pixels);
    ICONINFO info = {FALSE, 1, 1, bitmap, bitmap};
    const HCURSOR colour = CreateIconIndirect(&info);
    ASSERT_NE(nullptr, colour);
    // The cursor keeps its own copy of the pixels.
    EXPECT_TRUE(DeleteObject(bitmap));
    EXPECT_FALSE(DeleteObject(bitmap));
    EXPECT_EQ(nullptr, CreateIconIndirect(&info));

    const HCURSOR arrow = LoadCursorA(nullptr, IDC_ARROW);
    ASSERT_NE(nullptr, arrow);
    EXPECT_EQ(reinterpret_cast<ULONG_PTR>(arrow),
              SetClassLongA(window, GCL_HCURSOR, reinterpret_cast<LONG_PTR>(blank)));
    EXPECT_EQ(reinterpret_cast<ULONG_PTR>(blank),
              SetClassLongA(window, GCL_HCURSOR, reinterpret_cast<LONG_PTR>(colour)));
    EXPECT_EQ(reinterpret_cast<ULONG_PTR>(colour),
              SetClassLongA(window, GCL_HCURSOR, reinterpret_cast<LONG_PTR>(arrow)));

    EXPECT_TRUE(DestroyCursor(colour));
    EXPECT_TRUE(DestroyCursor(blank));
    SetLastError(0);
    EXPECT_FALSE(DestroyCursor(blank));
    EXPECT_EQ(ERROR_INVALID_CURSOR_HANDLE, GetLastError());
    // The system arrow is shared and survives DestroyCursor.
    EXPECT_TRUE(DestroyCursor(arrow));
    EXPECT_EQ(arrow, LoadCursorA(nullptr, IDC_ARROW));
}

TEST_F(WindowTest, ClipCursorGrabsTheMouseInTheActiveWindow) {
    const HWND window = CreateActive();
    SDL_Window* sdl = PlatformInternal::GetSdlWindow(window);
    RECT rect = {0, 0, 10, 10};
    EXPECT_TRUE(ClipCursor(&rect));
    EXPECT_TRUE(SDL_GetWindowFlags(sdl) & SDL_WINDOW_MOUSE_GRABBED);
    EXPECT_TRUE(ClipCursor(nullptr));
    EXPECT_FALSE(SDL_GetWindowFlags(sdl) & SDL_WINDOW_MOUSE_GRABBED);
}

}  // namespace
