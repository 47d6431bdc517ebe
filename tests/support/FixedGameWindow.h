// A game window of fixed size that is never created, for tests of what reads the window.
#pragma once

#include <cstdint>

#include "LumoSources/Common/GameRenderWindow.h"

namespace TestSupport {

class FixedGameWindow : public GameRenderWindow {
public:
    explicit FixedGameWindow(int32_t width = 800, int32_t height = 600, HWND handle = nullptr)
        : width(width), height(height), handle(handle) {}

    int32_t GetWidth() override { return width; }
    int32_t GetHeight() override { return height; }
    bool IsFullscreen() override { return false; }
    void ScreenToClient(int32_t x, int32_t y, int32_t* clientX, int32_t* clientY) override {
        *clientX = x, *clientY = y;
    }
    void ClientToScreen(int32_t x, int32_t y, int32_t* screenX, int32_t* screenY) override {
        *screenX = x, *screenY = y;
    }
    void SetPosition(int32_t, int32_t) override {}
    void BringToFront() override {}
    HWND GetHandle() override { return handle; }
    void SetMode(int32_t, int32_t, bool) override {}
    void CreateFromSettings() override {}
    void Hide() override {}

    int32_t width;
    int32_t height;
    HWND handle;
};

}  // namespace TestSupport
