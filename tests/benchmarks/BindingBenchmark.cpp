// Calls through the generated bindings against a plain Lua call: each benchmark runs a
// Lua loop of calls once and reports the time per call (per_call, in seconds), loop
// included. The loop collects garbage fully after every 100,000 calls, which is part of
// the time: under Lua 5.1's default pause the incremental collector does not keep up
// with values registered for collection as fast as a loop makes them.
#include <benchmark/benchmark.h>

#include <string>

extern "C" {
#include <lauxlib.h>
#include <lua.h>
}

#include "BenchmarkSupport.h"
#include "Bindings/ZepBindings.h"
#include "Common/LuaCore.h"

namespace {

// The loop's body runs with v a Vector2, b an Aabb2, g a Graphic and a an Actor.
void RunLoop(benchmark::State& state, const char* body) {
    BenchmarkSupport::UsePlayerHeap();
    const int calls = BenchmarkSupport::Size(10000000, 200);
    const int chunk = BenchmarkSupport::Size(100000, 100);
    Zep::CheckDestroyedLuaObjects(state.range(0) != 0);
    lua_State* lua = Zep::CreateLuaState(false);
    tolua_Zep_open(lua);
    const std::string script = std::string(
                                   "local n, chunk = ... "
                                   "local v, b, g, a = Zep.Vector2(3, 4), Zep.Aabb2(0, 0, 1, 1), "
                                   "Zep.Graphic(), Zep.Actor() "
                                   "local function f() end "
                                   "for j = 1, n / chunk do for i = 1, chunk do ") +
                               body + " end collectgarbage() end";
    if (luaL_loadstring(lua, script.c_str()) != 0) {
        state.SkipWithError(lua_tostring(lua, -1));
        lua_close(lua);
        return;
    }
    const int function = lua_gettop(lua);
    for (auto _ : state) {
        lua_pushvalue(lua, function);
        lua_pushinteger(lua, calls);
        lua_pushinteger(lua, chunk);
        if (lua_pcall(lua, 2, 0, 0) != 0) {
            state.SkipWithError(lua_tostring(lua, -1));
            break;
        }
    }
    state.counters["per_call"] = benchmark::Counter(
        static_cast<double>(calls), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
    lua_close(lua);
    Zep::CheckDestroyedLuaObjects(true);
}

void LuaCall(benchmark::State& state) {
    RunLoop(state, "f()");
}

void BoundMethod(benchmark::State& state) {
    RunLoop(state, "v:CalcLength()");
}

void NumberVariable(benchmark::State& state) {
    RunLoop(state, "local x = v.x");
}

void ValueTypeVariable(benchmark::State& state) {
    RunLoop(state, "local p = g.position");
}

void MethodTakingAVector(benchmark::State& state) {
    RunLoop(state, "b:IncludePoint(v)");
}

void ObjectMethod(benchmark::State& state) {
    RunLoop(state, "a:PlayAnimation(0)");
}

}  // namespace

// The argument switches the destroyed-object check of object boxes (1 on, 0 off); it
// matters only where an object is read.
BENCHMARK(LuaCall)->Arg(1)->Iterations(1);
BENCHMARK(BoundMethod)->Arg(1)->Iterations(1);
BENCHMARK(NumberVariable)->Arg(1)->Iterations(1);
BENCHMARK(ValueTypeVariable)->Arg(1)->Arg(0)->Iterations(1);
BENCHMARK(MethodTakingAVector)->Arg(1)->Iterations(1);
BENCHMARK(ObjectMethod)->Arg(1)->Arg(0)->Iterations(1);

BENCHMARK_MAIN();
