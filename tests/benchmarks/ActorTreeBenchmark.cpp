// A walk over a tree of actors that reads every actor's name, from a script through the
// bindings (actors:Get(i) and name) against the same walk in C++. Each reports the
// time per actor (per_actor, in seconds).
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

extern "C" {
#include <lauxlib.h>
#include <lua.h>
}

#include "BenchmarkSupport.h"
#include "Bindings/ZepBindings.h"
#include "Common/Actor.h"
#include "Common/LuaCore.h"

namespace {

// A root with 100 containers of 99 actors each: 10,000 actors in all (100 in a smoke run).
std::unique_ptr<Zep::Actor> MakeTree(int actors) {
    const int branches = actors >= 10000 ? 100 : 10;
    std::unique_ptr<Zep::Actor> root(new Zep::Actor());
    root->SetCompound(true);
    for (int i = 0; i < branches; ++i) {
        Zep::Actor* branch = root->GetActors().Add(new Zep::Actor());
        branch->SetCompound(true);
        branch->SetName("branch " + std::to_string(i));
        for (int j = 0; j < actors / branches - 1; ++j)
            branch->GetActors().Add(new Zep::Actor())->SetName("leaf " + std::to_string(j));
    }
    return root;
}

size_t Walk(Zep::Actor* actor) {
    size_t length = actor->GetName().size();
    Zep::ActorCollection& children = actor->GetActors();
    for (int32_t i = 0; i < children.GetCount(); ++i)
        length += Walk(children.Get(i));
    return length;
}

void SetPerActor(benchmark::State& state, int actors) {
    state.counters["per_actor"] = benchmark::Counter(
        static_cast<double>(actors), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void ScriptWalk(benchmark::State& state) {
    BenchmarkSupport::UsePlayerHeap();
    const int actors = BenchmarkSupport::Size(10000, 100);
    std::unique_ptr<Zep::Actor> root = MakeTree(actors);
    lua_State* lua = Zep::CreateLuaState(false);
    tolua_Zep_open(lua);
    luaL_loadstring(lua,
                    "local root = ... "
                    "local function walk(actor) "
                    "  local length = #actor.name local actors = actor.actors "
                    "  for i = 0, actors.count - 1 do length = length + walk(actors:Get(i)) end "
                    "  return length "
                    "end "
                    "return walk(root)");
    const int function = lua_gettop(lua);
    for (auto _ : state) {
        lua_pushvalue(lua, function);
        LuaPushObject(lua, root.get(), "Zep::Actor");
        if (lua_pcall(lua, 1, 1, 0) != 0) {
            state.SkipWithError(lua_tostring(lua, -1));
            break;
        }
        benchmark::DoNotOptimize(lua_tonumber(lua, -1));
        lua_pop(lua, 1);
    }
    SetPerActor(state, actors);
    lua_close(lua);
}

void EngineWalk(benchmark::State& state) {
    BenchmarkSupport::UsePlayerHeap();
    const int actors = BenchmarkSupport::Size(10000, 100);
    std::unique_ptr<Zep::Actor> root = MakeTree(actors);
    for (auto _ : state)
        benchmark::DoNotOptimize(Walk(root.get()));
    SetPerActor(state, actors);
}

}  // namespace

BENCHMARK(ScriptWalk);
BENCHMARK(EngineWalk);

BENCHMARK_MAIN();
