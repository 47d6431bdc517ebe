// The main routine: from the single-instance guard to running "Main.lua".
#pragma once

#include <string>

struct lua_State;

namespace Zep {

// System-wide name of the single-instance guard.
extern const char* const kSingleInstanceGuardName;

// The main Lua state: set from its creation in PlayerMain until it is closed. The
// program entry's last handler prints its call stack.
extern lua_State* mainLuaState;

// Loads a script file of the bundles and runs it through the debugger's protected
// call; a script that cannot be loaded, or an error handed back by that call, is a panic.
void RunScript(const std::string& path, lua_State* state);

// The profiler's output: to a connected debugger, else to the debug log.
void LuaPrintOutput(void* userData, const char* text);

}  // namespace Zep

int PlayerMain(int argc, char** argv);
