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

bool InputSystem::HandleWindowMessage(UINT, WPARAM, LPARAM) {
    return false;
}

}  // namespace Win32
}  // namespace Zep
