// The engine's script module: the tables `Zep` and `Zep.iPhone` and the Box2D classes.
// tolua++ generates it at build time from Bindings/Zep.pkg (see that package).
#pragma once

struct lua_State;

// Opens the binding runtime in the state, declares the user types and registers the
// module. Returns 1.
int tolua_Zep_open(lua_State* state);
