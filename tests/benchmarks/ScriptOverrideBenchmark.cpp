// The engine calling Update on an actor: a Lua__Actor whose script object has a trivial
// Update method, one whose lookup finds a native function (the engine's Update runs), one
// whose lookup finds nothing, and a plain actor (the engine's own Update alone). Each
// benchmark makes one million calls from C++ once and reports the time per call
// (per_call, in seconds).
#include <benchmark/benchmark.h>

#include <memory>

extern "C" {
#include <lauxlib.h>
#include <lua.h>
}

#include "BenchmarkSupport.h"
#include "Bindings/LuaClasses.h"
#include "Bindings/ZepBindings.h"
#include "Common/LuaCore.h"

namespace {

enum Kind { SCRIPT_METHOD, NATIVE_FUNCTION, NO_METHOD, PLAIN_ACTOR };

void EngineCallsUpdate(benchmark::State& state) {
    BenchmarkSupport::UsePlayerHeap();
    const int calls = BenchmarkSupport::Size(1000000, 100);
    lua_State* lua = Zep::CreateLuaState(false);
    tolua_Zep_open(lua);
    std::unique_ptr<Zep::Actor> actor;
    if (state.range(0) == PLAIN_ACTOR) {
        actor.reset(new Zep::Actor());
    } else {
        Zep::Lua__Actor* scripted = new Zep::Lua__Actor();
        actor.reset(scripted);
        LuaPushObject(lua, scripted, "Zep::Lua__Actor");
        lua_setglobal(lua, "actor");
        const char* const scripts[] = {
            "actor:tolua__set_instance(actor) function actor:Update(timeDelta) end",
            "actor:tolua__set_instance(actor) actor.Update = Zep.Lua__Actor.Actor__Update",
            "actor:tolua__set_instance(actor)",
        };
        if (luaL_dostring(lua, scripts[state.range(0)]) != 0) {
            state.SkipWithError(lua_tostring(lua, -1));
            actor.reset();
            lua_close(lua);
            return;
        }
    }
    for (auto _ : state) {
        for (int i = 0; i < calls; ++i)
            actor->Update(1);
    }
    state.counters["per_call"] = benchmark::Counter(
        static_cast<double>(calls), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
    actor.reset();
    lua_close(lua);
}

}  // namespace

// 0: a script method; 1: a native function in the field; 2: no method; 3: a plain actor.
BENCHMARK(EngineCallsUpdate)->DenseRange(SCRIPT_METHOD, PLAIN_ACTOR)->Iterations(1);

BENCHMARK_MAIN();
