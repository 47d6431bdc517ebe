// What the holders make on Windows.
#include "LumoSources/Common/Subsystems.h"
#include "LumoSources/Platforms/Win32/Win32DX8Renderer.h"

void RendererSubsystem::CreateInstance() {
    instance = new DX8Renderer();
}

// Stand-ins until the video system and the game window exist: the holders stay empty,
// so any use fails the holder's assertion as it would before start-up.
void VideoSubsystem::CreateInstance() {}

void GameRenderWindowSubsystem::CreateInstance() {}
