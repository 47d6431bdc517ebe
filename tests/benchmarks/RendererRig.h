// A layer window with the Direct3D 8 renderer on it, for the benchmarks that draw or make
// textures: opened once in a benchmark binary and closed at its end.
#pragma once

#include <SDL.h>

#include <cstdint>

#include "FixedGameWindow.h"
#include "LumoSources/Common/PlatformVideoSystem.h"
#include "LumoSources/Common/Subsystems.h"
#include "LumoSources/Platforms/Win32/Win32DX8Renderer.h"

// After the Windows types, so that OpenGL's header keeps its APIENTRY.
#include <GL/gl.h>

namespace BenchmarkSupport {

struct RendererRig {
    HWND window = nullptr;
    TestSupport::FixedGameWindow* gameWindow = nullptr;
    DX8Renderer* renderer = nullptr;
    // To wait for OpenGL's own work at the end of a pass.
    decltype(&glFinish) finish = nullptr;

    // The window of that size as the game window, the video system and the renderer with
    // its context and a 2D projection over the window. False when something is missing.
    bool Open(const char* className, int32_t width, int32_t height) {
        WNDCLASSA windowClass = {};
        windowClass.lpfnWndProc = &DefWindowProcA;
        windowClass.lpszClassName = className;
        RegisterClassA(&windowClass);
        window = CreateWindowExA(WS_EX_APPWINDOW, className, "Benchmark", WS_POPUP, 0, 0, width, height, nullptr,
                                 nullptr, nullptr, nullptr);
        if (!window)
            return false;
        gameWindow = new TestSupport::FixedGameWindow(width, height, window);
        gameRenderWindowSubsystem.SetInstance(gameWindow);
        videoSubsystem.CreateInstance();
        videoSubsystem.GetInstance()->Initialize();
        rendererSubsystem.CreateInstance();
        renderer = static_cast<DX8Renderer*>(rendererSubsystem.GetInstance());
        renderer->Initialize();
        renderer->SetRenderContext(renderer->OpenRenderContext(window, false));
        renderer->SetProjection2d(0, 0, static_cast<float>(width), static_cast<float>(height));
        finish = reinterpret_cast<decltype(finish)>(SDL_GL_GetProcAddress("glFinish"));
        return finish != nullptr;
    }

    void Close() {
        if (renderer) {
            renderer->Shutdown();
            delete renderer;
            rendererSubsystem.SetInstance(nullptr);
            delete videoSubsystem.GetInstance();
            videoSubsystem.SetInstance(nullptr);
        }
        gameRenderWindowSubsystem.SetInstance(nullptr);
        delete gameWindow;
        if (window)
            DestroyWindow(window);
        *this = RendererRig();
    }
};

}  // namespace BenchmarkSupport
