#include "Platforms/Win32/Win32InputSystem.h"

#include "Common/CoreUtils.h"
#include "LumoSources/Common/GameRenderWindow.h"
#include "LumoSources/Common/LumoCommon.h"

namespace Zep {

InputSystem* InputSystem::GetInstance() {
    return SubSystemSingleton<Zep::InputSystem, Win32::InputSystem>::Instance();
}

namespace Win32 {

namespace {

const char kSource[] = "Platforms\\Win32\\Win32InputSystem.cpp";

GameRenderWindow* GameWindow() {
    return Lumo::InstanceHolder<GameRenderWindow>::Get();
}

// Virtual-key codes and the buttons the keyboard names after them. 44, 59 and 61 carry
// the characters' own codes: the keys that bear those characters send other codes.
void FillKeyNames(std::string (&names)[256]) {
    static const struct {
        uint8_t code;
        const char* name;
    } kSingles[] = {
        {8, "BACKSPACE"},
        {9, "TAB"},
        {13, "RETURN"},
        {16, "SHIFT"},
        {17, "CONTROL"},
        {18, "ALT"},
        {19, "PAUSE"},
        {20, "CAPITAL"},
        {27, "ESCAPE"},
        {32, "SPACE"},
        {33, "PAGE_UP"},
        {34, "PAGE_DOWN"},
        {35, "END"},
        {36, "HOME"},
        {37, "LEFT_ARROW"},
        {38, "UP_ARROW"},
        {39, "RIGHT_ARROW"},
        {40, "DOWN_ARROW"},
        {44, ","},
        {45, "INSERT"},
        {46, "DELETE"},
        {59, ";"},
        {61, "="},
        {106, "NUMPAD_MULTIPLY"},
        {107, "NUMPAD_ADD"},
        {109, "NUMPAD_SUBTRACT"},
        {110, "NUMPAD_DECIMAL"},
        {111, "NUMPAD_DIVIDE"},
        {144, "NUM_LOCK"},
        {145, "SCROLL_LOCK"},
        {187, "PLUS"},
        {188, "COMMA"},
        {189, "MINUS"},
        {190, "PERIOD"},
        {191, "/"},
        {192, "`"},
        {219, "["},
        {220, "\\"},
        {221, "]"},
    };
    for (const auto& key : kSingles)
        names[key.code] = key.name;
    for (int digit = 0; digit < 10; ++digit) {
        names['0' + digit] = std::string(1, static_cast<char>('0' + digit));
        names[96 + digit] = "NUMPAD_" + std::to_string(digit);
    }
    for (char letter = 'A'; letter <= 'Z'; ++letter)
        names[static_cast<uint8_t>(letter)] = std::string(1, letter);
    for (int key = 1; key <= 12; ++key)
        names[111 + key] = "F" + std::to_string(key);
}

}  // namespace

// --- Input system ----------------------------------------------------------------------

InputSystem::InputSystem() : active(true) {
    InitializeRawInput();
    EnsureDefaultDevices();
    CreateVirtualDevices();
    // The devices were added before any status was recorded, so they start disabled.
    SetDeviceInputStatus("KEYBOARD", true);
    SetDeviceInputStatus("MOUSE", true);
}

InputSystem::~InputSystem() {}

void InputSystem::InitializeRawInput() {
    RAWINPUTDEVICE mouse = {};
    mouse.usUsagePage = 1;
    mouse.usUsage = 2;
    mouse.dwFlags = 0;
    // Null while the window is still being created: the procedure meets the input
    // system first at WM_CREATE, before the window has its handle.
    mouse.hwndTarget = GameWindow()->GetHandle();
    if (!::RegisterRawInputDevices(&mouse, 1, sizeof(mouse)))
        Panic(kSource, 69, "Zep::Win32::InputSystem.InitializeRawInput(): failed to register raw input device");
}

void InputSystem::EnsureDefaultDevices() {
    if (!IsDeviceOfTypePlugged("MOUSE")) {
        AddDevice(new Mouse(0));
        SetDeviceListChanged(true);
    }
    if (!IsDeviceOfTypePlugged("KEYBOARD")) {
        AddDevice(new Keyboard(0));
        SetDeviceListChanged(true);
    }
}

bool InputSystem::HandleWindowMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_ACTIVATEAPP) {
        active = wParam != 0;
        return false;
    }
    for (Zep::InputDevice* device : GetPhysicalDevices()) {
        auto* windowsDevice = dynamic_cast<InputDevice*>(device);
        if (!windowsDevice)
            AssertionFailed(kSource, 86);
        if (windowsDevice->HandleMessage(message, wParam, lParam))
            return true;
    }
    return false;
}

void InputSystem::Update(bool) {
    SetDeviceListChanged(false);
    if (active && GetActivePlayerCount() > 1) {
        // Several players share the screen: keep the one cursor inside the game.
        HWND window = GameWindow()->GetHandle();
        RECT client = {0, 0, 0, 0};
        POINT origin = {0, 0};
        ::GetClientRect(window, &client);
        ::ClientToScreen(window, &origin);
        RECT clip = {client.left + origin.x, client.top + origin.y, client.right + origin.x, client.bottom + origin.y};
        ::ClipCursor(&clip);
    } else {
        ::ClipCursor(nullptr);
    }
    EnsureDefaultDevices();
    Zep::InputSystem::Update(active);
}

// --- Devices fed by messages -----------------------------------------------------------

void InputDevice::TakePendingEvents(bool collectEvents) {
    ClearEvents();
    if (collectEvents) {
        for (const InputEvent& event : pendingEvents)
            AddEvent(event);
    }
    // Dropped while inactive; the states the messages set stay.
    pendingEvents.clear();
}

// --- Keyboard --------------------------------------------------------------------------

Keyboard::Keyboard(int32_t deviceIndex) : InputDevice("KEYBOARD", deviceIndex) {
    FillKeyNames(keyNames);
    for (const std::string& name : keyNames) {
        if (!name.empty())
            AddButton(name);
    }
}

void Keyboard::Update(bool collectEvents) {
    TakePendingEvents(collectEvents);
}

bool Keyboard::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    int32_t kind;
    switch (message) {
        case WM_KEYDOWN:
            // Bit 30: the key was already down, so this is the auto-repeat.
            kind = (lParam & (1 << 30)) ? INPUT_BUTTON_REPEAT : INPUT_BUTTON_DOWN;
            break;
        case WM_KEYUP:
            kind = INPUT_BUTTON_UP;
            break;
        case WM_CHAR: {
            InputEvent event(INPUT_CHARACTER, GetDeviceType(), GetDeviceIndex(), "");
            event.SetCharacter(static_cast<int8_t>(wParam & 0xFF));
            pendingEvents.push_back(event);
            return true;
        }
        default:
            // The system keys (Alt held, F10) are the window procedure's.
            return false;
    }
    const std::string& name = keyNames[wParam & 0xFF];
    if (name.empty())
        return false;
    SetButtonState(name, kind != INPUT_BUTTON_UP);
    pendingEvents.push_back(InputEvent(kind, GetDeviceType(), GetDeviceIndex(), name));
    return true;
}

// --- Mouse -----------------------------------------------------------------------------

Mouse::Mouse(int32_t deviceIndex) : InputDevice("MOUSE", deviceIndex) {
    GameRenderWindow* window = GameWindow();
    cursorX = window->GetWidth() / 2;
    cursorY = window->GetHeight() / 2;
    AddAxis("X", 0.0f, 0.0f, 0.0f);
    AddAxis("Y", 0.0f, 0.0f, 0.0f);
    AddButton("LEFT_BUTTON");
    AddButton("RIGHT_BUTTON");
    AddButton("WHEEL_UP");
    AddButton("WHEEL_DOWN");
}

void Mouse::Update(bool collectEvents) {
    TakePendingEvents(collectEvents);

    GameRenderWindow* window = GameWindow();
    // With several players the cursor is confined and no longer anybody's pointer.
    if (Zep::InputSystem::GetInstance()->GetActivePlayerCount() <= 1) {
        POINT screen = {0, 0};
        if (::GetCursorPos(&screen))
            window->ScreenToClient(screen.x, screen.y, &cursorX, &cursorY);
    }
    // Outside the window is kept as it is: a drag may leave the client area.
    SetAxisRawValue("X", static_cast<float>(cursorX));
    SetAxisRawValue("Y", static_cast<float>(cursorY));
    SetAxisRange("X", 0.0f, static_cast<float>(window->GetWidth() - 1));
    SetAxisRange("Y", 0.0f, static_cast<float>(window->GetHeight() - 1));
    // The pointer moves whether or not the frame collects events.
    EmitAxisEvents();
}

void Mouse::AddPendingEvent(int32_t kind, const char* button) {
    pendingEvents.push_back(InputEvent(kind, GetDeviceType(), GetDeviceIndex(), button));
}

bool Mouse::HandleMessage(UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
            SetButtonState("LEFT_BUTTON", true);
            AddPendingEvent(INPUT_BUTTON_DOWN, "LEFT_BUTTON");
            return true;
        case WM_LBUTTONUP:
            SetButtonState("LEFT_BUTTON", false);
            AddPendingEvent(INPUT_BUTTON_UP, "LEFT_BUTTON");
            return true;
        case WM_RBUTTONDOWN:
        case WM_RBUTTONDBLCLK:
            SetButtonState("RIGHT_BUTTON", true);
            AddPendingEvent(INPUT_BUTTON_DOWN, "RIGHT_BUTTON");
            return true;
        case WM_RBUTTONUP:
            SetButtonState("RIGHT_BUTTON", false);
            AddPendingEvent(INPUT_BUTTON_UP, "RIGHT_BUTTON");
            return true;
        case WM_MOUSEWHEEL: {
            // One notch is a click of its own; the wheel buttons are never held.
            const char* button = static_cast<int16_t>(HIWORD(wParam)) > 0 ? "WHEEL_UP" : "WHEEL_DOWN";
            AddPendingEvent(INPUT_BUTTON_DOWN, button);
            AddPendingEvent(INPUT_BUTTON_UP, button);
            return true;
        }
        default:
            // Moves are polled once per frame; other buttons have no component.
            return false;
    }
}

}  // namespace Win32
}  // namespace Zep
