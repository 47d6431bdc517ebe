// The listener's step of the frame: the input system's update, then the script's
// OnUpdate through a linked Lua__ApplicationListener, once with an empty method and once
// with a method that asks for the application and makes 100 input queries. Each
// benchmark runs 1000 frames once and reports the time per frame (per_frame, in
// seconds).
#include <benchmark/benchmark.h>

#include <string>

extern "C" {
#include <lauxlib.h>
#include <lua.h>
}

#include "BenchmarkSupport.h"
#include "Bindings/ZepBindings.h"
#include "Common/Application.h"
#include "Common/InputSystem.h"
#include "Common/LuaCore.h"
#include "FixedGameWindow.h"
#include "LumoSources/Common/Subsystems.h"

namespace {

enum Kind { EMPTY_UPDATE, INPUT_QUERIES };

void ListenerFrames(benchmark::State& state) {
    BenchmarkSupport::UsePlayerHeap();
    const int frames = BenchmarkSupport::Size(1000, 10);
    lua_State* lua = Zep::CreateLuaState(false);
    tolua_Zep_open(lua);
    const char* const methods[] = {
        "function listener:OnUpdate(timeDelta) end",
        "function listener:OnUpdate(timeDelta)"
        "  local app = Zep.Application:GetInstance()"
        "  local input = Zep.InputSystem:GetInstance()"
        "  local device = input:GetVirtualDevice(0)"
        "  for i = 1, 25 do"
        "    device:IsButtonPressed('BUTTON_A') device:GetAxisValue('X')"
        "    input:IsDeviceOfTypePlugged('MOUSE') device:GetButton('OK')"
        "  end "
        "end",
    };
    const std::string script = std::string(
                                   "listener = Zep.Lua__ApplicationListener() "
                                   "listener:tolua__set_instance(listener) ") +
                               methods[state.range(0)] + " Zep.Application:GetInstance():SetListener(listener)";
    if (luaL_dostring(lua, script.c_str()) != 0) {
        state.SkipWithError(lua_tostring(lua, -1));
        lua_close(lua);
        return;
    }
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
