#include "LumoSources/Common/GameRenderWindow.h"

#include "Common/CoreUtils.h"
#include "LumoSources/Common/PlatformRenderer.h"
#include "LumoSources/Common/PlatformVideoSystem.h"
#include "LumoSources/Common/Subsystems.h"
#include "LumoSources/Common/VideoDevice.h"

namespace {

VideoDevice* FirstVideoDevice() {
    VideoDevice* device = Lumo::InstanceHolder<PlatformVideoSystem>::Get()->GetDevice(0);
    ZEP_ASSERT(device);
    return device;
}

}  // namespace

GameRenderWindow::GameRenderWindow()
    : renderContext(nullptr), userPointer(nullptr), wideAspectRatio(16.0f / 9.0f), standardAspectRatio(4.0f / 3.0f) {}

GameRenderWindow::~GameRenderWindow() {}

float GameRenderWindow::GetAspectRatio() {
    VideoMode* mode = FirstVideoDevice()->GetCurrentMode();
    ZEP_ASSERT(mode);
    return mode->GetPixelAspect();
}

Zep::StringVector GameRenderWindow::GetResolutionList() {
    return FirstVideoDevice()->GetResolutionList(800, 600);
}

void GameRenderWindow::Initialize() {
    CreateFromSettings();
    PlatformRenderer* renderer = Lumo::InstanceHolder<PlatformRenderer>::Get();
    renderContext = renderer->OpenRenderContext(GetHandle(), IsFullscreen());
    renderer->SetRenderContext(renderContext);
}
