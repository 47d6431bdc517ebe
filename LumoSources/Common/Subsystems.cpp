#include "LumoSources/Common/Subsystems.h"

#include "LumoSources/Common/FontSystem.h"

RendererSubsystem rendererSubsystem;
VideoSubsystem videoSubsystem;
GameRenderWindowSubsystem gameRenderWindowSubsystem;
Subsystem<FontSystem> fontSubsystem;

void Subsystem<FontSystem>::CreateInstance() {
    instance = new FontSystem();
}
