// A script's application listener for the benchmarks that run frames with one: a linked
// Lua__ApplicationListener whose OnUpdate method is given as script text.
#pragma once

#include <benchmark/benchmark.h>

#include <string>

extern "C" {
#include <lauxlib.h>
#include <lua.h>
}

#include "Bindings/ZepBindings.h"
#include "Common/LuaCore.h"

namespace BenchmarkSupport {

// An OnUpdate that asks for the application and makes 100 input queries.
inline const char* const kInputQueriesOnUpdate =
    "function listener:OnUpdate(timeDelta)"
    "  local app = Zep.Application:GetInstance()"
    "  local input = Zep.InputSystem:GetInstance()"
    "  local device = input:GetVirtualDevice(0)"
    "  for i = 1, 25 do"
    "    device:IsButtonPressed('BUTTON_A') device:GetAxisValue('X')"
    "    input:IsDeviceOfTypePlugged('MOUSE') device:GetButton('OK')"
    "  end "
    "end";

// A Lua state with the bindings in which a listener with that OnUpdate method is the
// application's listener; nullptr, with the benchmark skipped, when the script fails.
inline lua_State* LinkScriptListener(benchmark::State& state, const char* onUpdate) {
    lua_State* lua = Zep::CreateLuaState(false);
    tolua_Zep_open(lua);
    const std::string script =
        std::string("listener = Zep.Lua__ApplicationListener() listener:tolua__set_instance(listener) ") + onUpdate +
        " Zep.Application:GetInstance():SetListener(listener)";
    if (luaL_dostring(lua, script.c_str()) != 0) {
        state.SkipWithError(lua_tostring(lua, -1));
        lua_close(lua);
        return nullptr;
    }
    return lua;
}

}  // namespace BenchmarkSupport
