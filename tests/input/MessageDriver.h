// Drives the Windows input system's own mouse and keyboard as the game window would:
// buttons and keys by window messages, the pointer through the layer's cursor position
// (client pixels, for a game window whose client area sits at the screen origin).
#pragma once

#include <string>

#include <windows.h>

#include "Common/InputSystem.h"
#include "Platforms/Win32/Win32InputSystem.h"

namespace InputTesting {

class MessageDriver {
public:
    void Press(const std::string& name) { Send(name, true); }
    void Release(const std::string& name) { Send(name, false); }
    void Move(const std::string& axis, float value) {
        (axis == "X" ? x : y) = static_cast<int>(value);
        SetCursorPos(x, y);
    }

private:
    static void Send(const std::string& name, bool down) {
        auto* system = static_cast<Zep::Win32::InputSystem*>(Zep::InputSystem::GetInstance());
        if (name == "LEFT_BUTTON" || name == "RIGHT_BUTTON") {
            const bool left = name == "LEFT_BUTTON";
            system->HandleWindowMessage(
                down ? (left ? WM_LBUTTONDOWN : WM_RBUTTONDOWN) : (left ? WM_LBUTTONUP : WM_RBUTTONUP), 0, 0);
            return;
        }
        auto* keyboard = static_cast<Zep::Win32::Keyboard*>(system->FindDevice("KEYBOARD", 0));
        for (int code = 0; code < 256; ++code) {
            if (keyboard->GetKeyName(static_cast<uint8_t>(code)) == name) {
                system->HandleWindowMessage(down ? WM_KEYDOWN : WM_KEYUP, code, down ? 1 : 0xC0000001);
                return;
            }
        }
    }

    int x = 0;
    int y = 0;
};

}  // namespace InputTesting
