// The Windows application: the game window's procedure, activation and the system
// cursor.
#pragma once

#include <map>
#include <string>

#include <windows.h>

#include "Common/Application.h"

namespace Zep {
namespace Win32 {

class Application : public Zep::Application {
public:
    Application();
    ~Application() override;

    // Shows the blank cursor, then takes one message a pass; a pass that finds the
    // queue empty sleeps 1 ms and runs a frame while active. WM_QUIT terminates.
    int MainLoop() override;
    // The size of the monitor nearest to the game window.
    IntVector2 GetDesktopSize() override;

    // The game window's procedure: 0 for a message the application handled, otherwise
    // the default procedure's answer.
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    // True when the message is handled. Once the application is terminated, none is.
    bool HandleWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    // Activation resumes the sounds, deactivation pauses them; frames run only while
    // active.
    void OnActivate() override;
    void OnDeactivate() override;
    bool IsActive() const { return active; }

    void SetSystemCursor(const std::string& texturePath, IntVector2 hotspot) override;
    // The cursor made from the texture path, made at the first request and kept: the
    // hotspot of later requests is not applied. Null for the empty path.
    HCURSOR GetCursorHandle(const std::string& texturePath, int hotspotX, int hotspotY);
    // Fully transparent, 16 x 16, hotspot (0, 0).
    HCURSOR GetBlankCursor();

private:
    bool active;
    std::map<std::string, HCURSOR> cursorCache;
    HCURSOR blankCursor;
};

// True when the program file is the engine's editor.
bool IsRunningInEditor();

// A 32-bit bitmap of the image file found for texturePath (".dds", ".pvr" or ".png"
// appended), which must hold RGBA8 pixels; NULL when there is no such file.
HBITMAP CreateBitmapFromTexture(const std::string& texturePath);
// A cursor of that image with the hotspot; a missing image fails an assertion.
HCURSOR CreateCursorFromTexture(const std::string& texturePath, int hotspotX, int hotspotY);

}  // namespace Win32
}  // namespace Zep
