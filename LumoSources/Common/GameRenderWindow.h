// The game's one window: its size, position and full-screen state, the conversion
// between screen and client coordinates, and the switch between windowed and
// full-screen display modes.
#pragma once

#include <cstdint>

#include <windows.h>

#include "Common/StringUtils.h"

class RenderContext;

class GameRenderWindow {
public:
    GameRenderWindow();
    virtual ~GameRenderWindow();

    GameRenderWindow(const GameRenderWindow&) = delete;
    GameRenderWindow& operator=(const GameRenderWindow&) = delete;

    // Client area size in pixels.
    virtual int32_t GetWidth() = 0;
    virtual int32_t GetHeight() = 0;
    // Width-to-height ratio of one pixel in the current display mode of the window's
    // video device (video device 0 here).
    virtual float GetAspectRatio();
    virtual bool IsFullscreen() = 0;
    // Outputs must not be null.
    virtual void ScreenToClient(int32_t x, int32_t y, int32_t* clientX, int32_t* clientY) = 0;
    virtual void ClientToScreen(int32_t x, int32_t y, int32_t* screenX, int32_t* screenY) = 0;
    // Records where the system has put the client area's top-left corner; the window
    // itself is not moved.
    virtual void SetPosition(int32_t x, int32_t y) = 0;
    // The system has finished moving the window.
    virtual void OnMoved() {}
    virtual void BringToFront() = 0;
    // The system window; null until it is created.
    virtual HWND GetHandle() = 0;
    virtual void SetMode(int32_t width, int32_t height, bool fullscreen) = 0;
    // "WxH" of every mode of the window's video device (video device 0 here) of at
    // least 800 x 600.
    virtual Zep::StringVector GetResolutionList();
    virtual bool IsActive() { return true; }
    // Creates the system window at the size and mode the variables ask for.
    virtual void CreateFromSettings() = 0;
    virtual void Hide() = 0;

    // Creates the window, then opens its render context and makes it current.
    void Initialize();
    // Made by the renderer, which owns it; null before Initialize.
    RenderContext* GetRenderContext() const { return renderContext; }

protected:
    RenderContext* renderContext;
    // Not used by the window itself.
    void* userPointer;
    const float wideAspectRatio;
    const float standardAspectRatio;
};
