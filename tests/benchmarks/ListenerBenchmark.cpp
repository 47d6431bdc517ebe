// The listener's step of the frame: the input system's update, then the script's
// OnUpdate through a linked Lua__ApplicationListener, once with an empty method and once
// with a method that asks for the application and makes 100 input queries. Each
// benchmark runs 1000 frames once and reports the time per frame (per_frame, in
// seconds).
#include <benchmark/benchmark.h>

#include "BenchmarkSupport.h"
#include "Common/Application.h"
#include "Common/InputSystem.h"
#include "FixedGameWindow.h"
#include "LumoSources/Common/Subsystems.h"
#include "ScriptListener.h"

namespace {

enum Kind { EMPTY_UPDATE, INPUT_QUERIES };

void ListenerFrames(benchmark::State& state) {
    BenchmarkSupport::UsePlayerHeap();
    const int frames = BenchmarkSupport::Size(1000, 10);
    const char* const methods[] = {"function listener:OnUpdate(timeDelta) end",
                                   BenchmarkSupport::kInputQueriesOnUpdate};
    lua_State* lua = BenchmarkSupport::LinkScriptListener(state, methods[state.range(0)]);
    if (!lua)
        return;
    Zep::Application* app = Zep::Application::GetInstance();
    // The mouse reads the game window.
    static TestSupport::FixedGameWindow window;
    gameRenderWindowSubsystem.SetInstance(&window);
    Zep::InputSystem* input = Zep::InputSystem::GetInstance();
    for (auto _ : state) {
        for (int frame = 0; frame < frames; ++frame) {
            input->Update(true);
            app->GetListener()->OnUpdate(16);
        }
    }
    state.counters["per_frame"] = benchmark::Counter(
        static_cast<double>(frames), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
    app->SetListener(nullptr);
    lua_close(lua);
}

}  // namespace

// 0: an empty OnUpdate; 1: GetInstance and 100 input queries per frame.
BENCHMARK(ListenerFrames)->DenseRange(EMPTY_UPDATE, INPUT_QUERIES)->Iterations(1);

BENCHMARK_MAIN();
