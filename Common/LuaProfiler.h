// The script library "profiler".
//
// Not built yet: the measuring itself (profiler.start, profiler.stop, profiler.dump
// and the call/return hook) comes with the profiler issue. Until then opening the
// library keeps the output callback and creates the registry's record table.
#pragma once

struct lua_State;

typedef void (*LuaProfilerOutput)(void* userData, const char* text);

// Keeps the output callback with its user data and sets the registry's "prof_table"
// to a new empty table. Returns 1.
int luaopen_profiler(lua_State* state, LuaProfilerOutput output, void* userData);
