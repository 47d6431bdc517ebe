#include "Common/Application.h"

namespace Zep {

Application::Application() {}

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
