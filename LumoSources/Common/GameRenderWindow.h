// The game's one window, as far as the renderer needs it so far.
//
// Stand-in: only the client size that ResetView reads. The game window issue
// replaces this with the full window (position, full screen, modes, coordinates).
#pragma once

#include <cstdint>

class GameRenderWindow {
public:
    virtual ~GameRenderWindow() {}

    // Client area size in pixels.
    virtual int32_t GetWidth() = 0;
    virtual int32_t GetHeight() = 0;
};
