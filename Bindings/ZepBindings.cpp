#include "Bindings/ZepBindings.h"

#include <tolua++.h>

int tolua_Zep_open(lua_State* state) {
    tolua_open(state);
    tolua_module(state, nullptr, 0);
    tolua_beginmodule(state, nullptr);
    tolua_module(state, "Zep", 0);
    tolua_beginmodule(state, "Zep");
    tolua_endmodule(state);
    tolua_endmodule(state);
    return 1;
}
