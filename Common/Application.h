// The application singleton: owner of the game's top-level objects.
#pragma once

#include <cstdint>
#include <string>

#include "Common/Utils.h"
#include "Common/ValueTypes.h"

namespace Zep {

class Actor;
class CursorManager;
class Dictionary;
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
    // Loads the dictionary, brings up the video system, the renderer, the game window
    // and the font system, and creates the root and skin scenes, the focus navigator
    // and the cursor manager. The root scene takes the window's size.
    void Startup();
    // Runs frames until the application is terminated, then answers 0.
    virtual int MainLoop() = 0;
    // The size of the monitor that shows the game window.
    virtual IntVector2 GetDesktopSize() = 0;
    // Replaces the skin scene by the scene of the file; a file that holds no scene
    // fails an assertion and leaves no skin.
    void LoadSkin(const std::string& path);
    void LoadSkin(const std::string& directory, const std::string& fileName);

    // The three steps of a frame; each panics before start-up.
    // The input system's update, then the focus navigator's handling of the events.
    void ProcessInput();
    // The frame's time, cursors, focus, the scene tree, the listener and the systems.
    void Update();
    // The root scene, the cursors and the statistics overlay in one frame.
    void Render();
    // The frame time handed to the last update, in milliseconds.
    int32_t GetTimeDelta() const { return timeDelta; }
    // Frames counted by the frame timer in the last full second.
    uint32_t GetFps() const { return timer.GetFps(); }
    bool IsInitialized() const { return initialized; }
    // The scene tree that is updated and drawn; null until start-up.
    Scene* GetRootScene() const { return rootScene; }
    // Deletes every child of the root scene, when there is one.
    void CleanupRootScene();
    // Removes every cursor from the cursor manager, when there is one.
    void CleanupCursorManager();
    // Shows the extent (0, 0)-(size) in a window of that size and mode.
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

    // Called first and last by Startup.
    virtual void OnStartupBegin() {}
    virtual void OnStartupEnd() {}

    // Replaces the dictionary by the one of "Dictionary.txt", empty without the file.
    void LoadDictionary();
    // The overlay of scene, script, memory, texture, sound, draw-call and frame figures.
    void DrawStatistics();
    // With a media error pending, a frame of its message instead of the scene; true then.
    bool DrawMediaErrorScreen();
    // The file system's media check: draws the message at once when no frame has been
    // drawn yet.
    bool OnMediaError();
    static int MediaErrorCallback(uintptr_t userWord);
    // The loaded actor becomes the skin scene when it is a scene, else it is deleted and
    // the assertion of that line fails.
    void AdoptSkin(Actor* loaded, int reportLine);
    // Panics "Application is not initialized" before start-up.
    void CheckInitialized() const;
    // Shuts down and deletes the renderer, the game window, the font system and the video
    // system, in this order.
    void ShutdownPlatform();

    CursorManager* cursorManager = nullptr;
    // Empty until start-up sets it to the window's size.
    Aabb2 windowVirtualExtent;
    Scene* skinScene = nullptr;
    Scene* rootScene = nullptr;
    Dictionary* dictionary = nullptr;
    FocusNavigator* focusNavigator = nullptr;
    Timer timer;
    int32_t timeDelta = 0;
    bool renderStarted = false;
    bool devicesChanged = false;
    bool initialized = false;
    ApplicationListener* listener = nullptr;
};

namespace Detail {
// The media error the frame loop sees; the player's file system never has one, so
// tests set one here. 0 returns to the file system's answer.
void SetMediaErrorForTests(int error);
}  // namespace Detail

}  // namespace Zep
