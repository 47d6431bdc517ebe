// The application singleton: owner of the game's top-level objects.
#pragma once

#include <string>

#include "Common/ValueTypes.h"

namespace Zep {

// Script-overridable receiver of the application's events; defaults do nothing.
class ApplicationListener {
public:
    virtual ~ApplicationListener() {}
    virtual void OnUpdate(int timeDelta) { (void)timeDelta; }
    virtual void OnClose() {}
    virtual void OnInputDeviceListChange() {}
    virtual void OnException(std::string text) { (void)text; }
};

class Application {
public:
    virtual ~Application();

    static Application* GetInstance();

    void SetListener(ApplicationListener* newListener) { listener = newListener; }
    ApplicationListener* GetListener() const { return listener; }
    void Terminate() { terminated = true; }
    bool IsTerminated() const { return terminated; }

    // The area of the virtual coordinate space that the window shows.
    const Aabb2& GetWindowVirtualExtent() const { return windowVirtualExtent; }
    void SetWindowVirtualExtent(const Aabb2& extent) { windowVirtualExtent = extent; }

    // Tells the listener of an assertion or panic report. Without a listener nothing is
    // made of the text: a report of exhausted memory must not need memory.
    void NotifyException(const char* text);
    void NotifyClose();

    // Used by the reports: creates the singleton when needed; after it was
    // destroyed at exit the notification is skipped.
    static void NotifyExceptionFromReport(const char* text);

    bool terminated = false;

protected:
    Application();

    // Empty until start-up sets it to the window's size.
    Aabb2 windowVirtualExtent;
    ApplicationListener* listener = nullptr;
};

}  // namespace Zep
