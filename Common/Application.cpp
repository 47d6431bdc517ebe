#include "Common/Application.h"

namespace Zep {

Application::Application() {}

Application::~Application() {
    listener = nullptr;
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
