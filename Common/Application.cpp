#include "Common/Application.h"

#include "Common/Scene.h"

namespace Zep {

Application::Application() : windowVirtualExtent(Vector2(0.1f, 0.1f), Vector2(0.0f, 0.0f)) {}

Application::~Application() {
    if (rootScene)
        rootScene->GetActors().Clear();
    listener = nullptr;
    delete rootScene;
    rootScene = nullptr;
}

// Not built yet (the frame loop): of the owned objects only the root scene is made.
void Application::Startup() {
    if (!rootScene)
        rootScene = new Scene();
}

void Application::LoadSkin(const std::string& path) {
    (void)path;
}

void Application::LoadSkin(const std::string& directory, const std::string& fileName) {
    (void)directory;
    (void)fileName;
}

void Application::NotifyException(const char* text) {
    if (listener)
        listener->OnException(text ? text : "");
}

void Application::NotifyClose() {
    if (listener)
        listener->OnClose();
}

}  // namespace Zep
