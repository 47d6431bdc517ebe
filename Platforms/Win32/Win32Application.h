// The Windows application.
#pragma once

#include <string>

#include "Common/Application.h"

// The layer's bitmap handle, without its whole header.
struct HBITMAP__;
typedef HBITMAP__* HBITMAP;

namespace Zep {
namespace Win32 {

class Application : public Zep::Application {
public:
    Application();
    ~Application() override;

    // Not built yet (the message loop): answers 0 at once.
    int MainLoop() override;
};

// True when the program file is the engine's editor.
bool IsRunningInEditor();

// A 32-bit bitmap of the image file found for texturePath (".dds", ".pvr" or ".png"
// appended), which must hold RGBA8 pixels; NULL when there is no such file.
HBITMAP CreateBitmapFromTexture(const std::string& texturePath);

}  // namespace Win32
}  // namespace Zep
