// The application singleton: owner of the game's top-level objects.
#pragma once

#include <string>

#include "Common/ValueTypes.h"

namespace Zep {

class CursorManager;
class FocusNavigator;
class Scene;

// Script-overridable receiver of the application's events; defaults do nothing.
class ApplicationListener {
public:
    // The application holds its listener unowned: a listener that goes while it is the
    // one set (a script's listener freed by the collector) is forgotten, so that no
    // later event reaches it.
    virtual ~ApplicationListener();
    virtual void OnUpdate(int timeDelta) { (void)timeDelta; }
    virtual void OnClose() {}
    virtual void OnInputDeviceListChange() {}
    virtual void OnException(std::string text) { (void)text; }
};

class Application {
public:
    virtual ~Application();

    static Application* GetInstance();

    // --- Start-up and the frame loop ---
    // Brings the platform up and creates the root and skin scenes, the focus navigator
    // and the cursor manager. Not built yet (the frame loop): creates the root scene
    // only, which the application deletes with its children.
    void Startup();
    // Runs frames until the application is terminated, then answers 0.
    virtual int MainLoop() = 0;
    // The size of the monitor that shows the game window.
    virtual IntVector2 GetDesktopSize() = 0;
    // Replaces the skin scene by the scene of the file. Not built yet (the frame loop):
    // loads nothing.
    void LoadSkin(const std::string& path);
    void LoadSkin(const std::string& directory, const std::string& fileName);
    // The scene tree that is updated and drawn; null until start-up.
    Scene* GetRootScene() const { return rootScene; }
    // Deletes every child of the root scene, when there is one.
    void CleanupRootScene();
    // Removes every cursor from the cursor manager, when there is one.
    void CleanupCursorManager();
    // Shows the extent (0, 0)-(size) in a window of that size and mode. Not built yet
    // (the game window): only the extent changes.
    void AdjustRenderWindow(IntVector2 size, bool fullscreen);

    // The window became active or inactive.
    virtual void OnActivate() {}
    virtual void OnDeactivate() {}
    // The cursor shown over the game window: the image of the texture path, whose
    // hotspot is the given point; the empty path shows no cursor.
    virtual void SetSystemCursor(const std::string& texturePath, IntVector2 hotspot) = 0;

    void SetListener(ApplicationListener* newListener) { listener = newListener; }
    ApplicationListener* GetListener() const { return listener; }
    void Terminate() { terminated = true; }
    bool IsTerminated() const { return terminated; }

    // The area of the virtual coordinate space that the window shows.
    const Aabb2& GetWindowVirtualExtent() const { return windowVirtualExtent; }
    void SetWindowVirtualExtent(const Aabb2& extent) { windowVirtualExtent = extent; }

    // The navigator the controls ask about the focus; null without one. Until
    // start-up creates and owns it, whoever sets it keeps it alive.
    FocusNavigator* GetFocusNavigator() const { return focusNavigator; }
    void SetFocusNavigator(FocusNavigator* navigator) { focusNavigator = navigator; }
    // The cursor manager the graphics register their cursors with; null without one.
    // Until start-up creates and owns it, whoever sets it keeps it alive.
    CursorManager* GetCursorManager() const { return cursorManager; }
    void SetCursorManager(CursorManager* manager) { cursorManager = manager; }
    // The scene of skin templates, cursors among them; null without one. Until
    // start-up loads and owns it, whoever sets it keeps it alive.
    Scene* GetSkinScene() const { return skinScene; }
    void SetSkinScene(Scene* scene) { skinScene = scene; }
    // The cursor manager's choice of system cursors for device 0; false and ignored
    // without a cursor manager.
    bool IsSystemCursorsEnabled() const;
    void SetSystemCursorsEnabled(bool enabled);

    // Tells the listener of an assertion or panic report. Without a listener nothing is
    // made of the text: a report of exhausted memory must not need memory.
    void NotifyException(const char* text);
    void NotifyClose();

    // Used by the reports: creates the singleton when needed; after it was
    // destroyed at exit the notification is skipped.
    static void NotifyExceptionFromReport(const char* text);
    // The application, when it exists, stops referring to a listener that goes.
    static void ForgetListener(ApplicationListener* listener);

    bool terminated = false;
    // Draws the statistics overlay over each frame.
    bool showStatistics = false;
    // Localised texts found in the dictionary show as empty texts.
    bool hideLocalizedTexts = false;

protected:
    Application();

    Scene* rootScene = nullptr;
    // Empty until start-up sets it to the window's size.
    Aabb2 windowVirtualExtent;
    ApplicationListener* listener = nullptr;
    FocusNavigator* focusNavigator = nullptr;
    CursorManager* cursorManager = nullptr;
    Scene* skinScene = nullptr;
};

}  // namespace Zep
