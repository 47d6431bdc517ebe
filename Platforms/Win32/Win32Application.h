// The Windows application.
#pragma once

#include "Common/Application.h"

namespace Zep {
namespace Win32 {

class Application : public Zep::Application {
public:
    Application();
    ~Application() override;
};

// True when the program file is the engine's editor.
bool IsRunningInEditor();

}  // namespace Win32
}  // namespace Zep
