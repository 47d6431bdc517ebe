// A window of the layer whose procedure records every message, for the tests of
// windows, activation and the message queue.
#pragma once

#include <gtest/gtest.h>

#include <SDL.h>

#include <functional>
#include <vector>

#include <windows.h>

#include "UserInternal.h"

namespace WindowTestSupport {

struct Message {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    bool operator==(const Message& other) const {
        return message == other.message && wParam == other.wParam && lParam == other.lParam;
    }
};

inline std::ostream& operator<<(std::ostream& out, const Message& m) {
    return out << "{0x" << std::hex << m.message << ", 0x" << m.wParam << ", 0x" << m.lParam << std::dec << "}";
}

class WindowTest : public ::testing::Test {
protected:
    static constexpr DWORD kCaptionStyle = WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    static constexpr const char* kClassName = "Recording Window Class";

    static void SetUpTestSuite() {
        // A bare run of the test binary is headless too.
        setenv("SDL_VIDEODRIVER", "offscreen", 0);
        static bool registered = false;
        if (!registered) {
            WNDCLASSA windowClass = {};
            windowClass.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS | CS_OWNDC;
            windowClass.lpfnWndProc = &WindowTest::Procedure;
            windowClass.hInstance = GetModuleHandle(nullptr);
            windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
            windowClass.lpszClassName = kClassName;
            ASSERT_NE(0, RegisterClassA(&windowClass));
            registered = true;
        }
    }

    void SetUp() override {
        Drain();
        Log().clear();
        Reaction() = nullptr;
    }

    void TearDown() override {
        Reaction() = nullptr;
        for (HWND window : windows_)
            DestroyWindow(window);
        Drain();
    }

    static bool Offscreen() {
        const char* driver = SDL_GetCurrentVideoDriver();
        return driver && std::string(driver) == "offscreen";
    }

    HWND Create(DWORD style = kCaptionStyle, RECT rect = {100, 50, 420, 290}) {
        const HWND window =
            CreateWindowExA(WS_EX_APPWINDOW, kClassName, "ZepBox", style, rect.left, rect.top, rect.right - rect.left,
                            rect.bottom - rect.top, nullptr, nullptr, GetModuleHandle(nullptr), nullptr);
        if (window)
            windows_.push_back(window);
        return window;
    }

    // A window that is shown and active, with nothing recorded yet.
    HWND CreateActive() {
        const HWND window = Create();
        ShowWindow(window, SW_SHOW);
        SetForegroundWindow(window);
        Drain();
        Log().clear();
        return window;
    }

    // Empties the queue without dispatching.
    static void Drain() {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        }
    }

    // Runs the main loop's dispatch until the queue is empty; returns what the procedure
    // received from the start, with a retrieved WM_QUIT added where it came.
    static std::vector<Message> Dispatch() {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                Log().push_back(Message{WM_QUIT, msg.wParam, msg.lParam});
                continue;
            }
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        return Log();
    }

    static uint32_t WindowId(HWND window) { return SDL_GetWindowID(PlatformInternal::GetSdlWindow(window)); }

    static std::vector<Message>& Log() {
        static std::vector<Message> log;
        return log;
    }

    // Called by the procedure after recording a message.
    static std::function<void(HWND, UINT, WPARAM, LPARAM)>& Reaction() {
        static std::function<void(HWND, UINT, WPARAM, LPARAM)> reaction;
        return reaction;
    }

    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        // Only what the engine's procedure sees matters here; the creation record is a pointer.
        Log().push_back(Message{message, wParam, message == WM_CREATE ? 0 : lParam});
        if (Reaction())
            Reaction()(window, message, wParam, lParam);
        return DefWindowProcA(window, message, wParam, lParam);
    }

private:
    std::vector<HWND> windows_;
};

}  // namespace WindowTestSupport
