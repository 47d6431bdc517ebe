// A layer window with the Direct3D 8 renderer on it, for the benchmarks that draw or make
// textures: opened once in a benchmark binary and closed at its end.
#pragma once

#include <SDL.h>
#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>
#include <vector>

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

    // A frame is BeginRenderFrame, ClearScreen, what the benchmark draws, EndRenderFrame
    // (which presents) and glFinish, so that the time includes llvmpipe's rasterising. The
    // counter is the frame time per drawn item.
    void BeginFrame() {
        renderer->BeginRenderFrame();
        renderer->ClearScreen(Zep::Color(0xFF000000u));
    }

    void EndFrame(benchmark::State& state, const char* counter, int items) {
        renderer->EndRenderFrame();
        finish();
        if (!renderer->IsDeviceReady())
            state.SkipWithError("the device was lost");
        state.counters[counter] =
            benchmark::Counter(items, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
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

// Top-left corners of N sprites of up to 37 x 37 in a window of that size, from a fixed seed.
inline std::vector<Zep::Vector2> SpritePositions(int count, int32_t width, int32_t height) {
    std::mt19937 random(1);
    std::uniform_real_distribution<float> x(0, width - 37), y(0, height - 37);
    std::vector<Zep::Vector2> positions(count);
    for (Zep::Vector2& position : positions)
        position = Zep::Vector2(x(random), y(random));
    return positions;
}

}  // namespace BenchmarkSupport
