// The game window and its procedure on the layer's offscreen window. The window class
// stays registered, so the process makes the window once, as start-up does; each test
// leaves it windowed at 800 x 600, active, with the application running.
#include <SDL.h>
#include <gtest/gtest.h>

#include <algorithm>

#include "Common/BundleSystem.h"
#include "Common/CoreUtils.h"
#include "Common/MemoryManager.h"
#include "Common/MemoryManagerState.h"
#include "Common/SoundSystem.h"
#include "Common/StringUtils.h"
#include "Common/VarManager.h"
#include "Debugger/LuaDebugger.h"
#include "ImageSamples.h"
#include "LumoSources/Common/Subsystems.h"
#include "LumoSources/Platforms/Win32/Win32DX8Renderer.h"
#include "LumoSources/Platforms/Win32/Win32GameRenderWindow.h"
#include "LumoSources/Platforms/Win32/Win32VideoSystem.h"
#include "Platforms/Win32/Win32Application.h"
#include "Platforms/Win32/Win32InputSystem.h"
#include "ReportOf.h"
#include "TestHooks.h"
#include "UserInternal.h"

namespace {

struct CountingDevice : Win32VideoDevice {
    using Win32VideoDevice::Win32VideoDevice;
    void RestoreDesktop() override { ++restores, Win32VideoDevice::RestoreDesktop(); }
    int restores = 0;
};

// The offscreen monitor's device and a second one that no adapter shows.
struct TwoDevices : Win32VideoSystem {
    void Initialize() override {
        for (HMONITOR monitor : {MonitorFromPoint({0, 0}, MONITOR_DEFAULTTOPRIMARY), reinterpret_cast<HMONITOR>(7)})
            devices.push_back(new CountingDevice("\\\\.\\DISPLAY1", monitor, 0.0f));
    }
    CountingDevice* Device(int i) { return static_cast<CountingDevice*>(devices[i]); }
};

using InputSingleton = Zep::SubSystemSingleton<Zep::InputSystem, Zep::Win32::InputSystem>;

// Start-up's order: video system, renderer, window; teardown's: renderer, window, video.
struct Rig : ::testing::Environment, Zep::ApplicationListener {
    void SetUp() override {
        setenv("SDL_VIDEODRIVER", "offscreen", 0);
        Zep::Memory::manager.defaultHeap = static_cast<Zep::Memory::MemoryHeap*>(
            Zep::MemoryManager::CreateHeap(2, 16 << 20, "Window test heap", 4, 2 | 8, 0));  // cursor images
        Zep::VarManager* variables = Zep::VarManager::GetInstance();
        variables->SetString("ProductName", "Gem Miner");
        variables->SetInteger("RenderFullscreen", 2);  // full screen only for 1
        variables->SetInteger("Fullscreen", 1);        // read by nobody
        videoSubsystem.SetInstance(video = new TwoDevices());
        video->Initialize();
        rendererSubsystem.CreateInstance();
        renderer = static_cast<DX8Renderer*>(rendererSubsystem.GetInstance());
        renderer->Initialize();
        gameRenderWindowSubsystem.CreateInstance();
        window = static_cast<Win32GameRenderWindow*>(gameRenderWindowSubsystem.GetInstance());
        TestSupport::StderrCapture log;
        inputBeforeCreation = InputSingleton::Existing() != nullptr;
        window->Initialize();
        creationLog = log.Text();
        inputAfterCreation = InputSingleton::Existing() != nullptr;
        application = static_cast<Zep::Win32::Application*>(Zep::Application::GetInstance());
        application->SetListener(this);
    }
    void TearDown() override {
        application->SetListener(nullptr);
        renderer->Shutdown();
        delete renderer;
        window->Hide();
        delete window;
        delete video;
        rendererSubsystem.SetInstance(nullptr), gameRenderWindowSubsystem.SetInstance(nullptr),
            videoSubsystem.SetInstance(nullptr);
    }
    void OnClose() override { ++closes; }

    TwoDevices* video = nullptr;
    DX8Renderer* renderer = nullptr;
    Win32GameRenderWindow* window = nullptr;
    Zep::Win32::Application* application = nullptr;
    std::string creationLog;
    bool inputBeforeCreation = true, inputAfterCreation = false;
    int closes = 0;
};

Rig* const rig = static_cast<Rig*>(::testing::AddGlobalTestEnvironment(new Rig));

// "WxH at X,Y" of the client area, as the window records it and, when it differs, as the
// layer has placed it.
std::string Placement() {
    int32_t x = 0, y = 0;
    rig->window->ClientToScreen(0, 0, &x, &y);
    POINT origin = {0, 0};
    RECT client = {};
    ClientToScreen(rig->window->GetHandle(), &origin);
    GetClientRect(rig->window->GetHandle(), &client);
    const std::string recorded =
        Zep::Sprintf("%dx%d at %d,%d", rig->window->GetWidth(), rig->window->GetHeight(), x, y);
    const std::string placed = Zep::Sprintf("%dx%d at %d,%d", client.right, client.bottom, origin.x, origin.y);
    return recorded == placed ? recorded : recorded + ", placed " + placed;
}

const std::string kWindowSource = "\"LumoSources\\Platforms\\Win32\\Win32GameRenderWindow.cpp\"";

TEST(GameRenderWindow, StartUpMakesTheWindowFromTheVariables) {
    EXPECT_FALSE(rig->window->IsFullscreen());
    EXPECT_EQ("800x600 at 112,84", Placement());
    EXPECT_STREQ("Gem Miner", SDL_GetWindowTitle(PlatformInternal::GetSdlWindow(rig->window->GetHandle())));
    EXPECT_NE(
        std::string::npos,
        rig->creationLog.find("GameRenderWindowSubsystem: Creating a rendering window at resolution (800x600)\n"));
    EXPECT_EQ(std::string::npos, rig->creationLog.find("Adjusting"));  // made at the size asked for
    // The procedure ran while the window was made, and met the input system first.
    EXPECT_FALSE(rig->inputBeforeCreation);
    EXPECT_TRUE(rig->inputAfterCreation);
    ASSERT_NE(nullptr, rig->window->GetRenderContext());
    EXPECT_EQ(rig->window->GetRenderContext(), rig->renderer->GetCurrentContext());
    EXPECT_TRUE(rig->window->IsActive());

    Win32GameRenderWindow second;  // the class is taken
    TestSupport::StderrCapture box;
    const std::string report = TestSupport::ReportOf([&] { second.CreateRenderingWindow(640, 480); });
    EXPECT_EQ(0u, report.find("Panic error in file " + kWindowSource)) << report;
    EXPECT_NE(std::string::npos, report.find(":\n  GameRenderWindowSubsystem : RegisterClass() failed!")) << report;
    EXPECT_NE(std::string::npos, box.Text().find("Error: Failed with error 1410: Class already exists."));
}

TEST(GameRenderWindow, SetModeSwitchesBetweenWindowAndFullScreen) {
    const struct Step {
        int32_t width, height;
        bool fullscreen;
        const char* placement;
        int restores;  // of each device
    } steps[] = {
        {800, 600, false, "800x600 at 112,84", 0},  // nothing changes
        {640, 480, true, "1024x768 at 0,0", 0},     // the only mode there is
        {800, 600, false, "800x600 at 112,84", 1}, {2000, 1500, false, "2000x1500 at 0,0", 0},  // kept on the monitor
        {800, 600, false, "800x600 at 112,84", 0},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.placement);
        const bool changes = s.width != rig->window->GetWidth() || s.fullscreen != rig->window->IsFullscreen();
        const int32_t mode = rig->video->Device(0)->GetCurrentModeIndex();
        PlatformTest::RecordD3DCalls(true);
        TestSupport::StderrCapture log;
        rig->window->SetMode(s.width, s.height, s.fullscreen);
        const std::vector<std::string> calls = PlatformTest::TakeD3DCalls();
        PlatformTest::RecordD3DCalls(false);

        EXPECT_EQ(s.fullscreen, rig->window->IsFullscreen());
        EXPECT_EQ(s.placement, Placement());
        for (int device : {0, 1})
            EXPECT_EQ(s.restores, std::exchange(rig->video->Device(device)->restores, 0));
        EXPECT_EQ(changes ? 1 : 0, std::count(calls.begin(), calls.end(), "Reset()"));
        const std::string size = std::string(s.placement).substr(0, std::string(s.placement).find(' '));
        EXPECT_EQ(changes,
                  log.Text().find("Adjusting a rendering window for mode: (" + size + ")") != std::string::npos);
        EXPECT_TRUE(changes || (calls.empty() && mode == rig->video->Device(0)->GetCurrentModeIndex()));
        // Full screen holds the window where it is; dragging it is refused there.
        int32_t x = 0, y = 0;
        rig->window->ClientToScreen(0, 0, &x, &y);
        rig->window->SetPosition(300, 200);
        EXPECT_EQ(s.fullscreen, Placement() == s.placement);
        rig->window->SetPosition(x, y);
        EXPECT_EQ(s.fullscreen,
                  rig->application->HandleWindowMessage(rig->window->GetHandle(), WM_SYSCOMMAND, SC_MOVE, 0));
    }
}

TEST(GameRenderWindow, ScreenAndClientCoordinates) {
    int32_t x = 0, y = 0, backX = 0, backY = 0;
    rig->window->ScreenToClient(-40, 900, &x, &y);
    rig->window->ClientToScreen(x, y, &backX, &backY);
    EXPECT_EQ((std::vector<int32_t>{-152, 816, -40, 900}), (std::vector<int32_t>{x, y, backX, backY}));
    for (bool toClient : {true, false}) {
        for (int32_t* out : {&x, static_cast<int32_t*>(nullptr)}) {  // null x, then null y
            EXPECT_EQ("Assertion failed in file " + kWindowSource + ", line " + (toClient ? "323" : "333"),
                      TestSupport::QuietReportOf([&] {
                          toClient ? rig->window->ScreenToClient(1, 2, out ? nullptr : &x, out)
                                   : rig->window->ClientToScreen(1, 2, out ? nullptr : &x, out);
                      }));
        }
    }
}

// The sound group requests since the last call, as "pause 0 0".
std::string GroupRequests() {
    std::string text;
    for (const auto& r : Zep::SoundSystem::GetInstance()->TakeGroupRequests())
        text += (r.pause ? "pause " : "resume ") + std::to_string(r.group) + " " + std::to_string(int(r.fadeTime));
    return text;
}

TEST(WindowProcedure, HandlesActivationClosingSystemKeysAndCommands) {
    Zep::Win32::Application* application = rig->application;
    const HWND handle = rig->window->GetHandle();
    GroupRequests();
    const struct Case {
        UINT message;
        WPARAM wParam;
        bool handled;
        int closes;
        bool activeAfter;
        const char* sound;
        HWND from = nullptr;  // the game window when null
    } cases[] = {
        {WM_CLOSE, 0, true, 1, true, ""},  // only the script decides
        {WM_SYSKEYDOWN, VK_MENU, true, 0, true, ""},
        {WM_SYSKEYDOWN, VK_RETURN, false, 0, true, ""},
        {WM_SYSKEYDOWN, VK_F4, false, 0, true, ""},
        {WM_SYSCOMMAND, SC_MAXIMIZE, true, 0, true, ""},
        {WM_SYSCOMMAND, SC_MAXIMIZE | 2, false, 0, true, ""},                   // the whole value is compared
        {WM_ACTIVATE, MAKEWPARAM(WA_ACTIVE, 1), false, 0, false, "pause 0 0"},  // while minimised
        {WM_ACTIVATE, WA_CLICKACTIVE, false, 0, true, "resume 0 0"},
        {WM_ACTIVATE, WA_INACTIVE, false, 0, true, "", reinterpret_cast<HWND>(0x99)},  // another window
    };
    for (const Case& c : cases) {
        const HWND from = c.from ? c.from : handle;
        rig->closes = 0;
        LDB::SetMainWindow(nullptr);
        EXPECT_EQ(c.handled, application->HandleWindowMessage(from, c.message, c.wParam, 0)) << c.message;
        EXPECT_EQ(c.closes, rig->closes) << c.message;
        EXPECT_EQ(c.activeAfter, application->IsActive()) << c.message;
        EXPECT_EQ(c.sound, GroupRequests()) << c.message;
        EXPECT_EQ(from, LDB::Detail::GetMainWindow()) << c.message;
    }
    // The origin comes in signed 16-bit halves.
    application->HandleWindowMessage(handle, WM_MOVE, 0, MAKELPARAM(-20, -7));
    EXPECT_EQ("800x600 at -20,-7, placed 800x600 at 112,84", Placement());
    application->HandleWindowMessage(handle, WM_MOVE, 0, MAKELPARAM(112, 84));

    // Alt+F4 through the layer: the default procedure's WM_CLOSE stops at the listener.
    rig->closes = 0;
    SDL_Event key = {};
    key.type = SDL_KEYDOWN;
    key.key.keysym = {SDL_SCANCODE_F4, SDLK_F4, KMOD_LALT, 0};
    SDL_PushEvent(&key);
    for (MSG message; PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE);)
        DispatchMessageA(&message);
    EXPECT_EQ(1, rig->closes);
    RECT client = {};
    EXPECT_TRUE(GetClientRect(handle, &client));  // the window stays

    LDB::SetMainWindow(nullptr);
    application->terminated = true;
    for (const Case& c : cases)
        EXPECT_FALSE(application->HandleWindowMessage(handle, c.message, c.wParam, 0)) << c.message;
    application->terminated = false;
    EXPECT_EQ(1, rig->closes);
    EXPECT_EQ(nullptr, LDB::Detail::GetMainWindow());
    EXPECT_EQ("", GroupRequests());
}

TEST(SystemCursor, BlankOrMadeOnceFromATexture) {
    Zep::Win32::Application* application = rig->application;
    const HWND handle = rig->window->GetHandle();
    TestSupport::TempFolder temp;
    ImageSamples::Png png;
    png.colourType = 6;  // 2 x 2 RGBA
    png.scanlines = std::string(16, '\x7f');
    TestSupport::WriteFile(temp.File("arrow.png"), png.Build());
    Zep::BundleSystem::GetInstance()->MountDirectory(temp.Path());

    application->SetSystemCursor("", Zep::IntVector2(0, 0));
    ASSERT_NE(nullptr, application->GetBlankCursor());
    EXPECT_EQ(reinterpret_cast<ULONG_PTR>(application->GetBlankCursor()), SetClassLongA(handle, GCL_HCURSOR, 0));
    application->SetSystemCursor("arrow", Zep::IntVector2(1, 1));
    const HCURSOR arrow = reinterpret_cast<HCURSOR>(SetClassLongA(handle, GCL_HCURSOR, 0));
    EXPECT_NE(nullptr, arrow);
    EXPECT_EQ(arrow, application->GetCursorHandle("arrow", 0, 0));  // the first hotspot stays
    EXPECT_EQ("Assertion failed in file \"Platforms\\Win32\\Win32Application.cpp\", line 81:\n  CreateBitmap() failed",
              TestSupport::QuietReportOf([&] { application->SetSystemCursor("missing", Zep::IntVector2(0, 0)); }));
    Zep::BundleSystem::GetInstance()->Unmount(temp.Path());
}

}  // namespace
