#include "LumoSources/Platforms/Win32/Win32GameRenderWindow.h"

#include "Common/CoreUtils.h"
#include "Common/StringUtils.h"
#include "Common/VarManager.h"
#include "LumoSources/Common/PlatformRenderer.h"
#include "LumoSources/Common/PlatformVideoSystem.h"
#include "LumoSources/Common/Subsystems.h"
#include "LumoSources/Common/VideoDevice.h"
#include "Platforms/Win32/Win32Application.h"

namespace {

// Reports whose place callers know.
const char* const kSourceName = "LumoSources\\Platforms\\Win32\\Win32GameRenderWindow.cpp";
const char* const kSubsystemName = "GameRenderWindowSubsystem";
const char* const kClassName = "Lumo GameEngine Window Class";

const DWORD kWindowedStyle = WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;

PlatformRenderer* Renderer() {
    return Lumo::InstanceHolder<PlatformRenderer>::Get();
}

void MoveRect(RECT& rect, LONG dx, LONG dy) {
    rect.left += dx, rect.right += dx;
    rect.top += dy, rect.bottom += dy;
}

}  // namespace

Win32GameRenderWindow::Win32GameRenderWindow()
    : handle(nullptr),
      deviceIndex(0),
      clientLeft(0),
      clientTop(0),
      clientRight(0),
      clientBottom(0),
      windowRect(),
      monitorWidth(0),
      monitorHeight(0),
      flag(1),
      fullscreen(false) {
    (void)flag;
}

Win32GameRenderWindow::~Win32GameRenderWindow() {}

// --- Queries -------------------------------------------------------------------------

float Win32GameRenderWindow::GetAspectRatio() {
    VideoMode* mode = GetVideoDevice()->GetCurrentMode();
    ZEP_ASSERT(mode);
    return mode->GetPixelAspect();
}

Zep::StringVector Win32GameRenderWindow::GetResolutionList() {
    return GetVideoDevice()->GetResolutionList(800, 600);
}

bool Win32GameRenderWindow::IsActive() {
    return GetActiveWindow() == handle;
}

void Win32GameRenderWindow::ScreenToClient(int32_t x, int32_t y, int32_t* clientX, int32_t* clientY) {
    if (!clientX || !clientY)
        Zep::AssertionFailed(kSourceName, 323);
    *clientX = x - clientLeft;
    *clientY = y - clientTop;
}

void Win32GameRenderWindow::ClientToScreen(int32_t x, int32_t y, int32_t* screenX, int32_t* screenY) {
    if (!screenX || !screenY)
        Zep::AssertionFailed(kSourceName, 333);
    *screenX = x + clientLeft;
    *screenY = y + clientTop;
}

// --- What the system reports -----------------------------------------------------------

void Win32GameRenderWindow::SetPosition(int32_t x, int32_t y) {
    if (fullscreen)
        return;
    const int32_t dx = x - clientLeft, dy = y - clientTop;
    clientLeft = x, clientRight += dx;
    clientTop = y, clientBottom += dy;
    MoveRect(windowRect, dx, dy);
}

void Win32GameRenderWindow::OnMoved() {
    PlatformRenderer* renderer = Renderer();
    const int32_t index = renderer->GetDeviceIndexForWindow(handle);
    if (index == deviceIndex)
        return;
    deviceIndex = index;
    renderer->UpdateContextDevice(renderContext);
    UpdateMonitorSize();
}

// --- Commands ------------------------------------------------------------------------

void Win32GameRenderWindow::BringToFront() {
    SetForegroundWindow(handle);
}

void Win32GameRenderWindow::Hide() {
    ShowWindow(handle, SW_HIDE);
}

void Win32GameRenderWindow::CreateFromSettings() {
    Zep::VarManager* variables = Zep::VarManager::GetInstance();
    const int32_t width = variables->GetAsInteger("RenderWidth");
    const int32_t height = variables->GetAsInteger("RenderHeight");
    const bool wantFullscreen = variables->GetAsInteger("RenderFullscreen") == 1;
    CreateRenderingWindow(width, height);
    SetMode(width, height, wantFullscreen);
}

void Win32GameRenderWindow::CreateRenderingWindow(int32_t width, int32_t height) {
    Zep::LogInfo(
        Zep::Sprintf("GameRenderWindowSubsystem: Creating a rendering window at resolution (%ix%i)\n", width, height));
    const HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSA windowClass = {};
    windowClass.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS | CS_OWNDC;
    windowClass.lpfnWndProc = &Zep::Win32::Application::WindowProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(101));
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.lpszClassName = kClassName;
    if (!RegisterClassA(&windowClass)) {
        const DWORD error = GetLastError();
        char text[512] = {};
        FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error,
                       MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), text, sizeof(text), nullptr);
        MessageBoxA(nullptr, Zep::Sprintf("Failed with error %d: %s", static_cast<int>(error), text).c_str(), "Error",
                    MB_OK | MB_ICONERROR);
        ZEP_PANIC(Zep::Sprintf("%s : RegisterClass() failed!", kSubsystemName));
    }

    CenterOnMonitor(width, height);
    std::string title = Zep::VarManager::GetInstance()->GetAsString("ProductName");
    if (title.empty())
        title = "ZepBox";
    handle = CreateWindowExA(WS_EX_APPWINDOW, kClassName, title.c_str(), WindowStyle(), windowRect.left, windowRect.top,
                             windowRect.right - windowRect.left, windowRect.bottom - windowRect.top, nullptr, nullptr,
                             instance, nullptr);
    if (!handle)
        ZEP_PANIC(Zep::Sprintf(" %s: CreateRenderingWindow : CreateWindowEx() failed!", kSubsystemName));

    if (Zep::Win32::IsRunningInEditor()) {
        ShowWindow(handle, SW_HIDE);
    } else {
        ShowWindow(handle, SW_SHOW);
        SetForegroundWindow(handle);
        SetFocus(handle);
    }
    SetPosition(clientLeft, clientTop);
    deviceIndex = Renderer()->GetDeviceIndexForWindow(handle);
    UpdateMonitorSize();
}

void Win32GameRenderWindow::SetMode(int32_t width, int32_t height, bool wantFullscreen) {
    if (width == GetWidth() && height == GetHeight() && wantFullscreen == fullscreen)
        return;
    if (wantFullscreen) {
        VideoDevice* device = GetVideoDevice();
        device->SetVideoMode(device->FindVideoMode(width, height, 32, 60), false);
        VideoMode* mode = device->GetCurrentMode();
        ZEP_ASSERT(mode);
        width = mode->GetWidth();
        height = mode->GetHeight();
    } else if (fullscreen) {
        VideoDevice* device = GetVideoDevice();
        device->SetVideoMode(device->FindVideoMode(monitorWidth, monitorHeight, 32, 60), false);
        PlatformVideoSystem* video = Lumo::InstanceHolder<PlatformVideoSystem>::Get();
        for (int32_t i = 0; i < video->GetDeviceCount(); ++i)
            video->GetDevice(i)->RestoreDesktop();
    }
    fullscreen = wantFullscreen;
    AdjustWindow(width, height);
    Renderer()->UpdateDevices(width, height, fullscreen);
}

void Win32GameRenderWindow::AdjustWindow(int32_t width, int32_t height) {
    if (Zep::Win32::IsRunningInEditor())
        return;
    Zep::LogInfo(
        Zep::Sprintf("GameRenderWindowSubsystem: Adjusting a rendering window for mode: (%ix%i)\n", width, height));
    CenterOnMonitor(width, height);
    SetWindowLongA(handle, GWL_STYLE, static_cast<LONG>(WindowStyle()));
    SetWindowLongA(handle, GWL_EXSTYLE, static_cast<LONG>(WS_EX_APPWINDOW));
    SetWindowPos(handle, HWND_NOTOPMOST, windowRect.left, windowRect.top, windowRect.right - windowRect.left,
                 windowRect.bottom - windowRect.top, SWP_FRAMECHANGED);
    ShowWindow(handle, SW_SHOW);
    SetForegroundWindow(handle);
    SetFocus(handle);
    InvalidateRect(nullptr, nullptr, FALSE);
}

// --- Placement -----------------------------------------------------------------------

void Win32GameRenderWindow::CenterOnMonitor(int32_t width, int32_t height) {
    const RECT monitor = MonitorRect();
    clientLeft = monitor.left + (monitor.right - monitor.left - width) / 2;
    clientTop = monitor.top + (monitor.bottom - monitor.top - height) / 2;
    clientRight = clientLeft + width;
    clientBottom = clientTop + height;
    windowRect = {clientLeft, clientTop, clientRight, clientBottom};
    AdjustWindowRectEx(&windowRect, WindowStyle(), FALSE, WS_EX_APPWINDOW);
    KeepOnMonitor();
}

void Win32GameRenderWindow::KeepOnMonitor() {
    const RECT monitor = MonitorRect();
    LONG dy = 0, dx = 0;
    if (windowRect.top < monitor.top)
        dy = monitor.top - windowRect.top;
    else if (windowRect.bottom > monitor.bottom)
        dy = monitor.bottom - windowRect.bottom;
    if (windowRect.left < monitor.left)
        dx = monitor.left - windowRect.left;
    else if (windowRect.right > monitor.right)
        dx = monitor.right - windowRect.right;
    MoveRect(windowRect, dx, dy);
    clientLeft += dx, clientRight += dx;
    clientTop += dy, clientBottom += dy;
}

void Win32GameRenderWindow::UpdateMonitorSize() {
    const RECT monitor = MonitorRect();
    monitorWidth = monitor.right - monitor.left;
    monitorHeight = monitor.bottom - monitor.top;
}

DWORD Win32GameRenderWindow::WindowStyle() const {
    return fullscreen ? WS_POPUP : kWindowedStyle;
}

RECT Win32GameRenderWindow::MonitorRect() const {
    const HMONITOR monitor = handle ? MonitorFromWindow(handle, MONITOR_DEFAULTTONEAREST)
                                    : MonitorFromPoint({0, 0}, MONITOR_DEFAULTTOPRIMARY);
    MONITORINFO info = {};
    info.cbSize = sizeof(info);
    GetMonitorInfoA(monitor, &info);
    return info.rcMonitor;
}

VideoDevice* Win32GameRenderWindow::GetVideoDevice() const {
    VideoDevice* device = Lumo::InstanceHolder<PlatformVideoSystem>::Get()->GetDevice(deviceIndex);
    ZEP_ASSERT(device);
    return device;
}
