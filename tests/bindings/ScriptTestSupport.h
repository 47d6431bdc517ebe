// A Lua state with the module Zep for the binding tests, and ways to run script text in
// it.
#pragma once

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

extern "C" {
#include <lauxlib.h>
#include <lua.h>
}

#include "Bindings/ZepBindings.h"
#include "Common/Archive.h"
#include "Common/LuaCore.h"
#include "Common/MemoryManager.h"
#include "Common/MemoryStream.h"
#include "Common/PropertyInfo.h"
#include "TestSupport.h"

namespace ScriptTestSupport {

// A line of the script API list tests/data/bindings/script-api.txt.
struct Entry {
    std::string table;  // _G, Zep, Zep.Vector2, a global class's name
    std::string base;   // on class lines
    std::string kind;
    std::string name;
    std::string arguments;
    std::string results;
    bool readOnly = false;

    std::string Text() const {
        return table + " | " + base + " | " + kind + " | " + name + " | " + arguments + " | " + results +
               (readOnly ? " | read-only" : "");
    }
};

inline std::string Trim(const std::string& text) {
    const size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos)
        return std::string();
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

inline std::vector<Entry> ReadList() {
    std::vector<Entry> entries;
    std::istringstream lines(TestSupport::ReadFile(ZEP_TEST_DATA "/bindings/script-api.txt"));
    std::string line;
    while (std::getline(lines, line)) {
        if (line.empty() || line[0] == '#')
            continue;
        std::vector<std::string> cells;
        std::istringstream columns(line);
        std::string cell;
        while (std::getline(columns, cell, '|'))
            cells.push_back(Trim(cell));
        cells.resize(7);
        entries.push_back({cells[0], cells[1], cells[2], cells[3], cells[4], cells[5], cells[6] == "read-only"});
    }
    return entries;
}

// A property's value as its archive form writes it, and a value read into it.
inline std::string ArchiveValue(const Zep::PropertyInfo* property, Zep::Object* object) {
    Zep::MemoryStream stream(0, Zep::MemoryStream::AutoResize);
    Zep::OTextArchive writer(&stream, false);
    property->WriteToArchive(object, writer);
    return stream.GetAsString();
}

inline void ReadArchiveValue(const Zep::PropertyInfo* property, Zep::Object* object, const std::string& text) {
    Zep::MemoryStream stream(text.data(), static_cast<int32_t>(text.size()), 0);
    Zep::ITextArchive reader(&stream, "value");
    property->ReadFromArchive(object, reader);
}

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
