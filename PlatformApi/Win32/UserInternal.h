// Internals of the user-interface half of the Win32 layer, shared by its pieces
// and by the other libraries of the platform layer; never included by engine code.
#pragma once

#include <SDL.h>

#include <memory>
#include <string>

#include "LayerInternal.h"
#include "win32_display.h"
#include "win32_user.h"

namespace PlatformInternal {

// --- Video -----------------------------------------------------------------------
// Starts SDL video at the first call, with closing the last window never quitting;
// false when it cannot start. The thread of the first call is the interface thread:
// only it pumps SDL and has idle passes.
bool StartVideo();
bool IsInterfaceThread();
// "offscreen" and "dummy" report no focus: the layer sends the activation messages itself.
bool DriverLacksFocusEvents();
// Only X11 has a global mouse position.
bool DriverHasGlobalMouse();

// --- Windows ---------------------------------------------------------------------
struct WindowClass {
    SystemString name;
    UINT style = 0;
    WNDPROC procedure = nullptr;
    HCURSOR cursor = nullptr;
};

struct Window {
    HWND handle = nullptr;
    SDL_Window* sdl = nullptr;
    Uint32 sdlId = 0;
    std::shared_ptr<WindowClass> windowClass;
    WNDPROC procedure = nullptr;
    DWORD style = 0;
    DWORD exStyle = 0;
    // The client area in screen coordinates, as the layer last placed or saw it.
    POINT clientOrigin = {0, 0};
    int clientWidth = 0;
    int clientHeight = 0;
    bool visible = false;
    bool leaveTracked = false;
    // Full screen in the display mode that ChangeDisplaySettingsExA recorded.
    bool fullscreen = false;
    int fullscreenDisplay = 0;
    int fullscreenWidth = 0;
    int fullscreenHeight = 0;
};

// The window of a handle the layer made and has not destroyed; otherwise null with
// ERROR_INVALID_WINDOW_HANDLE.
std::shared_ptr<Window> LookUpWindow(HWND window);
std::shared_ptr<Window> LookUpSdlWindow(Uint32 id);
// The SDL window of a handle (null with ERROR_INVALID_WINDOW_HANDLE when unknown).
SDL_Window* GetSdlWindow(HWND window);
// Where input that names no window goes: the active window, else the oldest one.
std::shared_ptr<Window> DefaultInputWindow();
// The client area's screen origin and size (the applied mode's size in full screen).
POINT ClientOrigin(const Window& window);
void ClientSize(const Window& window, int& width, int& height);

// Calls the window's procedure at once (a sent message); 0 when the window is gone.
LRESULT SendToWindow(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// --- Activation ------------------------------------------------------------------
// Sent (synthetic activation) or queued (from SDL focus events).
enum class Delivery { Send, Queue };
// WM_ACTIVATEAPP(1) when no window was active, WM_ACTIVATE(WA_ACTIVE, or
// MAKEWPARAM(1, 1) when minimised), WM_SETFOCUS; nothing when it is already active.
void Activate(HWND window, Delivery delivery, bool minimized);
// WM_ACTIVATE(WA_INACTIVE), WM_ACTIVATEAPP(0); nothing when it is not the active window.
void Deactivate(HWND window, Delivery delivery);
HWND ActiveWindow();

// --- Message queue ----------------------------------------------------------------
// Appends a message to the calling thread's queue with the keyboard modifiers in
// force when it was made (TranslateMessage reads them).
void QueueMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, Uint16 modifiers);
// Drops the queued messages of a destroyed window.
void DropQueuedMessages(HWND window);
// Translates one SDL event into queued messages (interface thread).
void TranslateSdlEvent(const SDL_Event& event);

// --- Input state -------------------------------------------------------------------
// What the layer has seen of the mouse and keyboard (injected events included).
struct InputState {
    POINT cursor = {0, 0};  // screen coordinates
    UINT buttons = 0;       // MK_LBUTTON, MK_RBUTTON, MK_MBUTTON, MK_XBUTTON1, MK_XBUTTON2
    Uint16 modifiers = 0;   // SDL modifiers of the last key event
};
InputState& Input();
// The MK_* flags of the buttons and of Shift and Ctrl.
WPARAM MouseKeyFlags();

// --- Keyboard ------------------------------------------------------------------------
// The virtual-key code of an SDL key (0 for keys Windows has no code for).
UINT VirtualKeyFromSdl(SDL_Keycode key, SDL_Scancode scancode, Uint16 modifiers);
// The ANSI (code page 1252) characters of UTF-8 text, one per UTF-16 unit: '?' for
// units without a byte and for each byte that does not start a valid sequence.
// Reads at most capacity bytes and stops at a NUL.
std::string Utf8ToAnsiCharacters(const char* text, size_t capacity);

// --- Full screen (for the Direct3D device) -----------------------------------------
// The mode ChangeDisplaySettingsExA recorded for a display; false when none is.
bool GetWantedDisplayMode(int display, DEVMODEA* mode);
// Puts the window in full screen on its display in the recorded mode (the desktop
// mode when none is recorded). LeaveFullscreen returns to the window.
bool EnterFullscreen(HWND window);
bool LeaveFullscreen(HWND window);

}  // namespace PlatformInternal
