// The debugger's entry points as they stand before a debugger can connect: attached
// states run protected calls, a script error with a text ends the process in the
// "Lua error has occurred" box, and states that were never attached are refused.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

extern "C" {
#include <lauxlib.h>
#include <lua.h>
}

#include "Common/LuaCore.h"
#include "Debugger/LuaDebugger.h"
#include "TestSupport.h"

namespace {

using ::testing::HasSubstr;

TEST(DebuggerEntry, AttachedStateRunsProtectedCallsAndReturnsErrorsWithoutText) {
    lua_State* state = Zep::CreateLuaState(true);
    EXPECT_FALSE(LDB::IsConnected(state));
    EXPECT_EQ(0, LDB::Output(state, "nobody listens"));

    ASSERT_EQ(0, luaL_loadstring(state, "return 1, 2"));
    EXPECT_EQ(0, LDB::PCall(state, 0, LUA_MULTRET, 0));
    EXPECT_EQ(2, lua_gettop(state));
    lua_settop(state, 0);

    ASSERT_EQ(0, luaL_loadstring(state, "error({ code = 7 })"));
    EXPECT_EQ(LUA_ERRRUN, LDB::PCall(state, 0, 0, 0));
    ASSERT_TRUE(lua_istable(state, -1)) << "the error value stays on the stack";
    lua_getfield(state, -1, "code");
    EXPECT_EQ(7, lua_tointeger(state, -1));

    Zep::CloseLuaState(state);
}

TEST(DebuggerEntry, ScriptErrorWithTextEndsTheProcessInTheLuaErrorBox) {
    const TestSupport::ChildResult numberError = TestSupport::RunInChild([] {
        lua_State* state = Zep::CreateLuaState(true);
        luaL_loadstring(state, "error(42, 0)");
        LDB::PCall(state, 0, 0, 0);
        std::fprintf(stderr, "returned\n");
    });
    EXPECT_EQ(1, numberError.exitCode);
    EXPECT_EQ("Lua error has occurred: 42\n", numberError.stdErr);

    // An error outside any protected call reaches the panic handler, with the same box.
    const TestSupport::ChildResult unprotected = TestSupport::RunInChild([] {
        lua_State* state = Zep::CreateLuaState(true);
        luaL_dostring(state, "Cleanup = function() error('late failure') end");
        Zep::CloseLuaState(state);
        std::fprintf(stderr, "returned\n");
    });
    EXPECT_EQ(1, unprotected.exitCode);
    EXPECT_THAT(unprotected.stdErr, HasSubstr("Lua error has occurred: [string \"Cleanup = "));
    EXPECT_THAT(unprotected.stdErr, HasSubstr("\"]:1: late failure\n"));
    EXPECT_THAT(unprotected.stdErr, ::testing::Not(HasSubstr("returned")));
}

TEST(DebuggerEntry, StatesThatWereNeverAttachedAreRefused) {
    lua_State* state = Zep::CreateLuaState(false);
    const char* const refusal = "Conldn't find the Context object.";
    luaL_loadstring(state, "ran = true");
    EXPECT_EQ(-1, LDB::PCall(state, 0, 0, 0));
    EXPECT_STREQ(refusal, lua_tostring(state, -1));
    EXPECT_EQ(-1, LDB::Output(state, "text"));
    EXPECT_STREQ(refusal, lua_tostring(state, -1));
    EXPECT_FALSE(LDB::Detach(state));
    EXPECT_STREQ(refusal, lua_tostring(state, -1));
    lua_getglobal(state, "ran");
    EXPECT_TRUE(lua_isnil(state, -1));
    lua_close(state);
}

}  // namespace
