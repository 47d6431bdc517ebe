#include "Common/LuaProfiler.h"

extern "C" {
#include <lua.h>
}

namespace {

// Where the profiler's reports will go.
LuaProfilerOutput outputCallback = nullptr;
void* outputUserData = nullptr;

}  // namespace

int luaopen_profiler(lua_State* state, LuaProfilerOutput output, void* userData) {
    outputCallback = output;
    outputUserData = userData;
    lua_newtable(state);
    lua_setfield(state, LUA_REGISTRYINDEX, "prof_table");
    return 1;
}
