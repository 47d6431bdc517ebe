#include "Platforms/Win32/Win32InputSystem.h"

#include "Common/CoreUtils.h"

namespace Zep {

InputSystem* InputSystem::GetInstance() {
    return SubSystemSingleton<Zep::InputSystem, Win32::InputSystem>::Instance();
}

namespace Win32 {

InputSystem::InputSystem() {
    CreateVirtualDevices();
}

InputSystem::~InputSystem() {}

bool InputSystem::HandleWindowMessage(UINT message, WPARAM, LPARAM) {
    // Only the latest are kept: nobody takes them in the player.
    if (offeredMessages.size() >= 256)
        offeredMessages.erase(offeredMessages.begin());
    offeredMessages.push_back(message);
    return false;
}

std::vector<UINT> InputSystem::TakeOfferedMessages() {
    std::vector<UINT> taken;
    taken.swap(offeredMessages);
    return taken;
}

}  // namespace Win32
}  // namespace Zep
