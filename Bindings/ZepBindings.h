// The engine's script module: the tables `Zep` and `Zep.iPhone` and the Box2D classes.
//
// Not built yet: the classes, functions and constants themselves (the script
// registration and script API issues). Until then opening the module starts the
// binding runtime and registers the empty module table `Zep`.
#pragma once

struct lua_State;

// Opens the binding runtime in the state, then registers the module. Returns 1.
int tolua_Zep_open(lua_State* state);
