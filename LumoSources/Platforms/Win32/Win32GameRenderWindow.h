// The game window as a Win32 top-level window of the class "Lumo GameEngine Window
// Class", whose procedure is the application's.
#pragma once

#include <cstdint>

#include <windows.h>

#include "LumoSources/Common/GameRenderWindow.h"

class VideoDevice;

class Win32GameRenderWindow : public GameRenderWindow {
public:
    Win32GameRenderWindow();
    ~Win32GameRenderWindow() override;

    int32_t GetWidth() override { return clientRight - clientLeft; }
    int32_t GetHeight() override { return clientBottom - clientTop; }
    float GetAspectRatio() override;
    bool IsFullscreen() override { return fullscreen; }
    void ScreenToClient(int32_t x, int32_t y, int32_t* clientX, int32_t* clientY) override;
    void ClientToScreen(int32_t x, int32_t y, int32_t* screenX, int32_t* screenY) override;
    // Ignored in full screen.
    void SetPosition(int32_t x, int32_t y) override;
    // The device follows the monitor the window was moved to.
    void OnMoved() override;
    void BringToFront() override;
    HWND GetHandle() override { return handle; }
    // Nothing when neither the size nor the mode changes. Full screen takes the size of
    // the display mode that best matches the one asked for.
    void SetMode(int32_t width, int32_t height, bool fullscreen) override;
    Zep::StringVector GetResolutionList() override;
    bool IsActive() override;
    // "RenderWidth" x "RenderHeight", full screen when "RenderFullscreen" is 1.
    void CreateFromSettings() override;
    void Hide() override;
    // An empty operation kept in the table.
    virtual void Reserved() {}

    // Registers the class and creates the window centred on the primary monitor.
    void CreateRenderingWindow(int32_t width, int32_t height);
    // Centres the window for the size and the current mode and applies its style.
    void AdjustWindow(int32_t width, int32_t height);
    // Centres the client area on the window's monitor (the primary one before the window
    // exists), then keeps the window on it.
    void CenterOnMonitor(int32_t width, int32_t height);
    // Moves the window back onto its monitor: top before bottom, left before right.
    void KeepOnMonitor();
    void UpdateMonitorSize();

    int32_t GetDeviceIndex() const { return deviceIndex; }
    // The window rectangle, frame included.
    const RECT& GetWindowRect() const { return windowRect; }
    int32_t GetMonitorWidth() const { return monitorWidth; }
    int32_t GetMonitorHeight() const { return monitorHeight; }

private:
    // WS_POPUP in full screen, a caption with the system menu and a minimise box otherwise.
    DWORD WindowStyle() const;
    // The monitor nearest the window, or the primary one before it exists.
    RECT MonitorRect() const;
    VideoDevice* GetVideoDevice() const;

    HWND handle;
    int32_t deviceIndex;
    int32_t clientLeft;
    int32_t clientTop;
    int32_t clientRight;
    int32_t clientBottom;
    RECT windowRect;
    int32_t monitorWidth;
    int32_t monitorHeight;
    uint8_t flag;  // not used by the window itself
    bool fullscreen;
};
