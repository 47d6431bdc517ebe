// The Windows input system.
//
// Stand-in until the keyboard and mouse exist: no physical device is added and no
// window message is taken, so only the four virtual devices are there. The Win32
// keyboard and mouse issue replaces it with the full class.
#pragma once

#include <vector>

#include <windows.h>

#include "Common/InputSystem.h"

namespace Zep {
namespace Win32 {

class InputSystem : public Zep::InputSystem {
public:
    InputSystem();
    ~InputSystem() override;

    // Offered every message of the game window before its own handling; true
    // when an input device consumed it.
    bool HandleWindowMessage(UINT message, WPARAM wParam, LPARAM lParam);

    // Stand-in: the messages offered since the last take, oldest first (at most the
    // latest 256).
    std::vector<UINT> TakeOfferedMessages();

private:
    std::vector<UINT> offeredMessages;
};

}  // namespace Win32
}  // namespace Zep
