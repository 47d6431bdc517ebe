// What the holders make on Windows.
#include "LumoSources/Common/Subsystems.h"
#include "LumoSources/Platforms/Win32/Win32DX8Renderer.h"
#include "LumoSources/Platforms/Win32/Win32VideoSystem.h"

void RendererSubsystem::CreateInstance() {
    instance = new DX8Renderer();
}

void VideoSubsystem::CreateInstance() {
    instance = new Win32VideoSystem();
}

// Stand-in until the game window exists: the holder stays empty, so any use fails the
// holder's assertion as it would before start-up.
void GameRenderWindowSubsystem::CreateInstance() {}
