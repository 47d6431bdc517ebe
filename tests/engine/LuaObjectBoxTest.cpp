// Engine objects in scripts: boxes, their cache and the destroyed-object check.
#include <gtest/gtest.h>

#include <new>
#include <string>

extern "C" {
#include <lauxlib.h>
#include <lua.h>
}
#include <tolua++.h>

#include "Common/LuaCore.h"
#include "Common/MemoryManager.h"
#include "ObjectTestSupport.h"
#include "ReflectionTestClasses.h"

using ObjectTestSupport::PanicReport;
using ObjectTestSupport::ReportOf;
using ReflectionTest::Item;

namespace {

// Script function: the object of its argument's box, as a light user data.
int ToObject(lua_State* state) {
    lua_pushlightuserdata(state, Zep::LuaToObject(state, 1, nullptr));
    return 1;
}

class LuaObjectBoxTest : public ::testing::Test {
protected:
    void SetUp() override {
        static Zep::MemoryManager::HeapHandle heap =
            Zep::MemoryManager::CreateHeap(3, 16 << 20, "Lua test heap", 4, 2 | 8, 20);
        (void)heap;
        state = Zep::CreateLuaState(false);
        ASSERT_NE(nullptr, state);
        tolua_open(state);
        tolua_usertype(state, "Zep::Object");
        tolua_usertype(state, "Lua__Item");
        lua_register(state, "ToObject", &ToObject);
    }

    void TearDown() override {
        Zep::CheckDestroyedLuaObjects(true);
        lua_close(state);
    }

    // Calls ToObject with the global's box: "ok" when it returned the object,
    // else the error message.
    std::string Check(const char* global, const void* expected) {
        lua_getglobal(state, "ToObject");
        lua_getglobal(state, global);
        if (lua_pcall(state, 1, 1, 0) != 0) {
            std::string error = lua_tostring(state, -1);
            lua_pop(state, 1);
            return error;
        }
        const void* object = lua_touserdata(state, -1);
        lua_pop(state, 1);
        return object == expected ? "ok" : "another object";
    }

    lua_State* state = nullptr;
};

}  // namespace

TEST_F(LuaObjectBoxTest, LiveObjectsKeepOneBoxUnderTheirNearestKnownClass) {
    Item item(1);
    LuaPushObject(state, &item, "Test::Item");
    LuaPushObject(state, &item, "Test::Item");
    EXPECT_TRUE(lua_rawequal(state, -1, -2));
    // The class itself has no metatable: its base's is taken.
    lua_getmetatable(state, -1);
    luaL_getmetatable(state, "Zep::Object");
    EXPECT_TRUE(lua_rawequal(state, -1, -2));
    lua_pop(state, 4);

    Item scripted(2);
    LuaPushObject(state, &scripted, "Lua__Item");
    lua_getmetatable(state, -1);
    luaL_getmetatable(state, "Lua__Item");
    EXPECT_TRUE(lua_rawequal(state, -1, -2));
    lua_pop(state, 3);

    LuaPushObject(state, nullptr, "Zep::Object");
    EXPECT_TRUE(lua_isnil(state, -1));
    lua_pop(state, 1);
    EXPECT_EQ(PanicReport("Common\\LuaCore.cpp", 614, "LuaPushObject failed"),
              ReportOf([&] { LuaPushObject(state, &item, "Lua__Unknown"); }));
    EXPECT_EQ(0, lua_gettop(state));
}

TEST_F(LuaObjectBoxTest, BoxesOfDestroyedObjectsAreRefused) {
    Item* item = new Item(1);
    const uint32_t id = item->GetObjectId();
    LuaPushObject(state, item, "Test::Item");
    lua_setglobal(state, "box");
    EXPECT_EQ("ok", Check("box", item));

    delete item;
    const std::string error =
        "Attempt to access destroyed Zep::Object (object id: 0, reference id: " + std::to_string(id) + ")";
    EXPECT_EQ(error, Check("box", item));

    Zep::CheckDestroyedLuaObjects(false);
    EXPECT_EQ("ok", Check("box", item));  // handed on unchecked, never read
    Zep::CheckDestroyedLuaObjects(true);
    lua_pushnil(state);
    lua_setglobal(state, "nothing");
    EXPECT_EQ("ok", Check("nothing", nullptr));
}

TEST_F(LuaObjectBoxTest, ANewObjectAtADestroyedOnesAddressGetsANewBox) {
    alignas(Item) unsigned char storage[sizeof(Item)];
    Item* first = new (storage) Item(1);
    const uint32_t firstId = first->GetObjectId();
    LuaPushObject(state, first, "Test::Item");
    lua_setglobal(state, "old");
    first->~Item();

    Item* second = new (storage) Item(2);
    LuaPushObject(state, second, "Test::Item");
    lua_getglobal(state, "old");
    EXPECT_FALSE(lua_rawequal(state, -1, -2));
    lua_setglobal(state, "old");
    lua_setglobal(state, "new");
    EXPECT_EQ("ok", Check("new", second));
    // The error names the object that lives at the address now.
    EXPECT_EQ("Attempt to access destroyed Zep::Object (object id: " + std::to_string(second->GetObjectId()) +
                  ", reference id: " + std::to_string(firstId) + ")",
              Check("old", second));
    second->~Item();
}
