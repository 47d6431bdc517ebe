#include "Common/Application.h"

namespace Zep {

Application::Application() : windowVirtualExtent(Vector2(0.1f, 0.1f), Vector2(0.0f, 0.0f)) {}

Application::~Application() {
    listener = nullptr;
}

void Application::NotifyException(std::string text) {
    if (listener)
        listener->OnException(std::move(text));
}

void Application::NotifyClose() {
    if (listener)
        listener->OnClose();
}

}  // namespace Zep
