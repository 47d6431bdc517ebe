// What the holders make on Windows.
#include "LumoSources/Common/Subsystems.h"

// Stand-ins until the Direct3D renderer, the video system and the game window
// exist: the holders stay empty, so any use fails the holder's assertion as it
// would before start-up.
void RendererSubsystem::CreateInstance() {}

void VideoSubsystem::CreateInstance() {}

void GameRenderWindowSubsystem::CreateInstance() {}
