// The holders of the renderer layer's four singletons. The application makes each
// instance at start-up through its holder (CreateInstance) and deletes it at
// teardown; everything else reaches it with Lumo::InstanceHolder<T>::Get.
#pragma once

#include "LumoSources/Common/LumoCommon.h"

class FontSystem;
class GameRenderWindow;
class PlatformRenderer;
class PlatformVideoSystem;

class RendererSubsystem : public SubsystemBase<PlatformRenderer> {
public:
    void CreateInstance() override;
};

class VideoSubsystem : public SubsystemBase<PlatformVideoSystem> {
public:
    void CreateInstance() override;
};

class GameRenderWindowSubsystem : public SubsystemBase<GameRenderWindow> {
public:
    void CreateInstance() override;
};

template <class T>
class Subsystem;

template <>
class Subsystem<FontSystem> : public SubsystemBase<FontSystem> {
public:
    void CreateInstance() override;
};

extern RendererSubsystem rendererSubsystem;
extern VideoSubsystem videoSubsystem;
extern GameRenderWindowSubsystem gameRenderWindowSubsystem;
extern Subsystem<FontSystem> fontSubsystem;
