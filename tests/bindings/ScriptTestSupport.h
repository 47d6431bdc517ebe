// A Lua state with the module Zep for the binding tests, and ways to run script text in
// it.
#pragma once

#include <gtest/gtest.h>

#include <string>

extern "C" {
#include <lauxlib.h>
#include <lua.h>
}

#include "Bindings/ZepBindings.h"
#include "Common/LuaCore.h"
#include "Common/MemoryManager.h"

namespace ScriptTestSupport {

class ScriptFixture : public ::testing::Test {
protected:
    void SetUp() override {
        // Room for the states on the default heap.
        static Zep::MemoryManager::HeapHandle heap =
            Zep::MemoryManager::CreateHeap(3, 16 << 20, "Lua test heap", 4, 2 | 8, 20);
        (void)heap;
        state = Zep::CreateLuaState(false);
        ASSERT_NE(nullptr, state);
        tolua_Zep_open(state);
    }

    void TearDown() override {
        Zep::CheckDestroyedLuaObjects(true);
        lua_close(state);
    }

    // Runs a chunk; its results joined by "," through tostring, or "error: " and the
    // message.
    std::string Run(const std::string& code) {
        const int top = lua_gettop(state);
        std::string result;
        if (luaL_loadstring(state, code.c_str()) != 0 || lua_pcall(state, 0, LUA_MULTRET, 0) != 0) {
            result = std::string("error: ") + (lua_tostring(state, -1) ? lua_tostring(state, -1) : "?");
        } else {
            for (int i = top + 1; i <= lua_gettop(state); ++i) {
                lua_getglobal(state, "tostring");
                lua_pushvalue(state, i);
                lua_call(state, 1, 1);
                size_t size = 0;
                const char* text = lua_tolstring(state, -1, &size);
                result += (i > top + 1 ? "," : "") + std::string(text, size);
                lua_pop(state, 1);
            }
        }
        lua_settop(state, top);
        return result;
    }

    // Makes the engine object a global of the script under its declared type.
    void SetGlobalObject(const char* name, Zep::Object* object, const char* type) {
        LuaPushObject(state, object, type);
        lua_setglobal(state, name);
    }

    // The global's box is registered for collection.
    bool IsCollected(const char* global) {
        lua_getglobal(state, global);
        void* value = *static_cast<void**>(lua_touserdata(state, -1));
        lua_getfield(state, LUA_REGISTRYINDEX, "tolua_gc");
        lua_pushlightuserdata(state, value);
        lua_rawget(state, -2);
        const bool collected = !lua_isnil(state, -1);
        lua_pop(state, 3);
        return collected;
    }

    lua_State* state = nullptr;
};

}  // namespace ScriptTestSupport
