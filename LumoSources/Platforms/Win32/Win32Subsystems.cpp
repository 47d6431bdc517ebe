// What the holders make on Windows.
#include "LumoSources/Common/Subsystems.h"
#include "LumoSources/Platforms/Win32/Win32DX8Renderer.h"
#include "LumoSources/Platforms/Win32/Win32GameRenderWindow.h"
#include "LumoSources/Platforms/Win32/Win32VideoSystem.h"

void RendererSubsystem::CreateInstance() {
    instance = new DX8Renderer();
}

void VideoSubsystem::CreateInstance() {
    instance = new Win32VideoSystem();
}

void GameRenderWindowSubsystem::CreateInstance() {
    instance = new Win32GameRenderWindow();
}
