// One frame of the started application (input, update and render of an empty root
// scene, presented) against the layer's bare clear and present of the same window in the
// same run; the difference is the engine's own cost per frame. A third case adds a linked
// script listener that asks for the application and makes 100 input queries each frame.
// Every frame ends with glFinish, so llvmpipe's work is inside the time. "per_frame" is
// the time per frame.
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>

#include "BenchmarkSupport.h"
#include "Common/Application.h"
#include "LumoSources/Common/Subsystems.h"
#include "LumoSources/Platforms/Win32/Win32DX8Renderer.h"
#include "ScriptListener.h"

// After the Windows types, so that OpenGL's header keeps its APIENTRY.
#include <GL/gl.h>

namespace {

enum Kind { BARE_CLEAR_AND_PRESENT, EMPTY_FRAME, FRAME_WITH_LISTENER };

Zep::Application* StartedApplication() {
    static Zep::Application* application = [] {
        setenv("SDL_VIDEODRIVER", "offscreen", 0);
        BenchmarkSupport::UsePlayerHeap();
        Zep::Application* started = Zep::Application::GetInstance();
        started->Startup();
        return started;
    }();
    return application;
}

void Frames(benchmark::State& state) {
    Zep::Application* application = StartedApplication();
    IDirect3DDevice8* device = static_cast<DX8Renderer*>(rendererSubsystem.GetInstance())->GetDevice();
    const auto finish = reinterpret_cast<decltype(&glFinish)>(SDL_GL_GetProcAddress("glFinish"));
    const int frames = BenchmarkSupport::Size(500, 5);
    lua_State* lua = nullptr;
    if (state.range(0) == FRAME_WITH_LISTENER) {
        lua = BenchmarkSupport::LinkScriptListener(state, BenchmarkSupport::kInputQueriesOnUpdate);
        if (!lua)
            return;
    }
    for (auto _ : state) {
        for (int frame = 0; frame < frames; ++frame) {
            if (state.range(0) == BARE_CLEAR_AND_PRESENT) {
                device->BeginScene();
                device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
                device->EndScene();
                device->Present(nullptr, nullptr, nullptr, nullptr);
            } else {
                application->ProcessInput();
                application->Update();
                application->Render();
            }
            finish();
        }
    }
    state.counters["per_frame"] = benchmark::Counter(
        static_cast<double>(frames), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
    if (lua) {
        application->SetListener(nullptr);
        lua_close(lua);
    }
}

}  // namespace

// 0: the layer's clear and present; 1: the application's empty frame; 2: the same with a
// script listener.
BENCHMARK(Frames)->DenseRange(BARE_CLEAR_AND_PRESENT, FRAME_WITH_LISTENER)->Iterations(1);

BENCHMARK_MAIN();
