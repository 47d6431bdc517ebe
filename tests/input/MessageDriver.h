// Drives the Windows input system's own mouse and keyboard as the game window would: the
// left button and keys by messages, the pointer by the layer's cursor (client pixels of a
// game window at the screen origin).
#pragma once

#include <string>

#include "Platforms/Win32/Win32InputSystem.h"

namespace InputTesting {

struct MessageDriver {
    void Press(const std::string& name) { Send(name, WM_LBUTTONDOWN, WM_KEYDOWN); }
    void Release(const std::string& name) { Send(name, WM_LBUTTONUP, WM_KEYUP); }
    void Move(const std::string& axis, float value) {
        (axis == "X" ? x : y) = static_cast<int>(value);
        SetCursorPos(x, y);
    }
    static void Send(const std::string& name, UINT buttonMessage, UINT keyMessage) {
        auto* system = static_cast<Zep::Win32::InputSystem*>(Zep::InputSystem::GetInstance());
        auto* keyboard = static_cast<Zep::Win32::Keyboard*>(system->FindDevice("KEYBOARD", 0));
        uint8_t code = 0;
        while (code < 255 && keyboard->GetKeyName(code) != name)
            ++code;
        system->HandleWindowMessage(name == "LEFT_BUTTON" ? buttonMessage : keyMessage, code, 0);
    }
    int x = 0, y = 0;
};

}  // namespace InputTesting
