#include "Common/Application.h"

namespace Zep {

Application::Application() : windowVirtualExtent(Vector2(0.1f, 0.1f), Vector2(0.0f, 0.0f)) {}

Application::~Application() {
    listener = nullptr;
}

void Application::Startup() {}

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
