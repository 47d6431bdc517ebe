// The game's one window, as far as the renderer needs it so far.
//
// Stand-in: only the client size that ResetView reads and the window handle the
// renderer compares with. The game window issue replaces this with the full window
// (position, full screen, modes, coordinates).
#pragma once

#include <cstdint>

#include <windows.h>

class GameRenderWindow {
public:
    virtual ~GameRenderWindow() {}

    // Client area size in pixels.
    virtual int32_t GetWidth() = 0;
    virtual int32_t GetHeight() = 0;
    // The system window; its render context is its device's default context. None
    // until the window is created.
    virtual HWND GetHandle() { return nullptr; }
};
