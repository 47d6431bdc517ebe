// The Lua core over the process-wide bundle system: states, script files, the module
// loader, the script-path globals, Print and the call stack.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

extern "C" {
#include <lauxlib.h>
#include <lua.h>
}

#include "ReportOf.h"
#include "Common/BundleSystem.h"
#include "Common/Exceptions.h"
#include "Common/LuaCore.h"
#include "Common/MemoryManager.h"
#include "Common/ZepBoxMain.h"
#include "TestSupport.h"

namespace {

using ::testing::HasSubstr;
using ::testing::StartsWith;
using TestSupport::WriteFile;

// A content folder mounted in the bundle system and a fresh state for each test.
class LuaCoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        // Room for the states on the default heap, which is the small "SafeHeap" until
        // a heap has been created.
        static Zep::MemoryManager::HeapHandle heap =
            Zep::MemoryManager::CreateHeap(3, 16 << 20, "Lua test heap", 4, 2 | 8, 20);
        (void)heap;
        bundles->MountDirectory(content.Path());
        state = Zep::CreateLuaState(false);
        ASSERT_NE(nullptr, state);
    }

    void TearDown() override {
        if (state)
            Zep::CloseLuaState(state);
        bundles->Unmount(content.Path());
    }

    void Write(const std::string& name, const std::string& text) {
        std::filesystem::create_directories(std::filesystem::path(content.File(name)).parent_path());
        WriteFile(content.File(name), text);
    }

    // Runs a chunk; its first result as text, or "error: " and the message.
    std::string Run(const std::string& code) {
        const int top = lua_gettop(state);
        std::string result;
        if (luaL_loadstring(state, code.c_str()) != 0 || lua_pcall(state, 0, 1, 0) != 0) {
            result = std::string("error: ") + lua_tostring(state, -1);
        } else {
            lua_getglobal(state, "tostring");
            lua_insert(state, -2);
            lua_call(state, 1, 1);
            result = lua_tostring(state, -1);
        }
        lua_settop(state, top);
        return result;
    }

    TestSupport::TempFolder content;
    Zep::BundleSystem* bundles = Zep::BundleSystem::GetInstance();
    lua_State* state = nullptr;
};

TEST_F(LuaCoreTest, StateHasTheNamedLibrariesAndTheEngineLoaderInsteadOfPackage) {
    for (const char* library : {"string", "table", "math", "coroutine", "debug"})
        EXPECT_EQ("table", Run(std::string("return type(") + library + ")")) << library;
    EXPECT_EQ("nil", Run("return type(io)"));
    EXPECT_EQ("nil", Run("return type(os)"));
    for (const char* global : {"require", "module", "GetScriptPath", "GetScriptDirectory", "Print"})
        EXPECT_EQ("function", Run(std::string("return type(") + global + ")")) << global;

    EXPECT_EQ(".\\?.lua;?.lua", Run("return package.path"));
    EXPECT_EQ("true", Run("return package.loaded == debug.getregistry()._LOADED"));
    EXPECT_EQ("function", Run("return type(package.seeall)"));
    EXPECT_EQ("nil nil nil", Run("return tostring(package.loaders) .. ' ' .. tostring(package.cpath) .. ' ' .. "
                                 "tostring(package.loadlib)"));
}

TEST_F(LuaCoreTest, ClosingRunsCleanupAndReturnsTheStatesMemory) {
    Zep::CloseLuaState(state);
    state = nullptr;
    for (bool attach : {false, true}) {
        const size_t before = Zep::MemoryManager::GetHeapAllocateSize();
        lua_State* other = Zep::CreateLuaState(attach);
        static int cleanups;
        cleanups = 0;
        lua_register(other, "CountCleanup", [](lua_State*) -> int {
            ++cleanups;
            return 0;
        });
        ASSERT_EQ(0, luaL_dostring(other, "Cleanup = function() CountCleanup() end; big = string.rep('x', 100000)"));
        Zep::CloseLuaState(other);
        EXPECT_EQ(1, cleanups) << attach;
        EXPECT_EQ(before, Zep::MemoryManager::GetHeapAllocateSize()) << attach;
    }
}

TEST_F(LuaCoreTest, LoadScriptReportsEachFailureWithItsCodeAndMessage) {
    const int top = lua_gettop(state);
    EXPECT_EQ(6, Zep::LoadScript(state, nullptr));
    EXPECT_STREQ("File name is not specified", lua_tostring(state, -1));
    EXPECT_EQ(6, Zep::LoadScript(state, ""));
    EXPECT_STREQ("File name is not specified", lua_tostring(state, -1));
    EXPECT_EQ(6, Zep::LoadScript(state, "missing.lua"));
    EXPECT_STREQ("Failed to open file missing.lua", lua_tostring(state, -1));

    Write("bad.lua", "x = = 1\n");
    EXPECT_EQ(LUA_ERRSYNTAX, Zep::LoadScript(state, "bad.lua"));
    EXPECT_THAT(lua_tostring(state, -1), StartsWith("bad.lua:1:"));
    EXPECT_EQ(top + 4, lua_gettop(state)) << "each call leaves exactly its message";
    EXPECT_EQ(0u, bundles->GetOpenFileCount());
}

TEST_F(LuaCoreTest, LoadScriptReadsLargeFilesAcrossBufferBoundariesUnderTheNormalisedName) {
    // Longer than three read buffers, with text straddling each 32 KiB boundary.
    std::string body = "local parts = {}\n";
    for (int i = 0; i < 4000; ++i)
        body += "parts[#parts + 1] = 'line " + std::to_string(i) + "'\n";
    body += "return #parts, parts[4000], debug.getinfo(1, 'S').source\n";
    ASSERT_GT(body.size(), 3u * 0x8000);
    Write("dir/big.lua", body);

    ASSERT_EQ(0, Zep::LoadScript(state, "dir\\..\\dir//big.lua")) << lua_tostring(state, -1);
    ASSERT_EQ(LUA_TFUNCTION, lua_type(state, -1));
    ASSERT_EQ(0, lua_pcall(state, 0, 3, 0)) << lua_tostring(state, -1);
    EXPECT_EQ(4000, lua_tointeger(state, -3));
    EXPECT_STREQ("line 3999", lua_tostring(state, -2));
    EXPECT_STREQ("@dir/big.lua", lua_tostring(state, -1));
    EXPECT_EQ(0u, bundles->GetOpenFileCount());
}

TEST_F(LuaCoreTest, RequireFindsDottedNamesAsFileNamesAndRunsEachModuleOnce) {
    Write("a.b.lua", "loads = (loads or 0) + 1; return 'dotted ' .. ...");
    Write("a/b.lua", "return 'folder'");
    EXPECT_EQ("dotted a.b", Run("return require('a.b')"));
    EXPECT_EQ("dotted a.b 1", Run("return require('a.b') .. ' ' .. loads"));
    EXPECT_EQ("dotted a.b", Run("return package.loaded['a.b']"));

    Write("silent.lua", "silentRuns = (silentRuns or 0) + 1");
    EXPECT_EQ("true", Run("return require('silent')"));
    EXPECT_EQ("true 1", Run("return tostring(require('silent')) .. ' ' .. silentRuns"));

    // The search follows package.path, read from the loader's own environment.
    Write("lib/tool.lua", "return 'tool'");
    EXPECT_EQ("tool", Run("package.path = 'lib/?.lua'; return require('tool')"));
    EXPECT_THAT(Run("package.path = {}; require('other')"), HasSubstr("'package.path' must be a string"));
}

TEST_F(LuaCoreTest, RequireRaisesForLoopsMissingFilesAndBrokenModules) {
    Write("loop.lua", "require('loop')");
    EXPECT_THAT(Run("require('loop')"), HasSubstr("loop or previous error loading module 'loop'"));
    EXPECT_THAT(Run("require('loop')"), HasSubstr("loop or previous error loading module 'loop'"));

    EXPECT_THAT(Run("require('nothere')"),
                HasSubstr("error loading module 'nothere':\n\tfile not found or cannot be read"));

    Write("broken.lua", "return = 1");
    EXPECT_THAT(Run("require('broken')"),
                HasSubstr("error loading module 'broken' from file 'broken.lua':\n\t'broken.lua:1:"));
}

TEST_F(LuaCoreTest, ModuleAndSeeAllBuildModuleTablesAsLuaDoes) {
    Write("m.inner.lua",
          "module(..., package.seeall)\nvalue = 42\nfunction get() return value end\n"
          "sawPrint = type(print)\n");
    EXPECT_EQ("m.inner m. true 42 function true nil",
              Run("local m = require('m.inner')\n"
                  "return m._NAME .. ' ' .. m._PACKAGE .. ' ' .. tostring(m._M == m) .. ' ' .. m.get() .. ' ' .. "
                  "m.sawPrint .. ' ' .. tostring(m == _G.m.inner) .. ' ' .. tostring(rawget(_G, 'value'))"));

    Write("closed.lua", "module('closed')\nsawPrint = print ~= nil\n");
    EXPECT_EQ("false", Run("require('closed'); return closed.sawPrint"));
    EXPECT_EQ("", Run("return closed._PACKAGE"));

    EXPECT_THAT(Run("taken = 5; module('taken')"), HasSubstr("name conflict for module 'taken'"));
    EXPECT_THAT(Run("return select(2, pcall(module, 'fromc'))"), HasSubstr("'module' not called from a Lua function"));
}

TEST_F(LuaCoreTest, ScriptPathIsTheCallingFilesAndEmptyWithoutOne) {
    Write("dir/x.lua", "return GetScriptPath() .. '|' .. GetScriptDirectory()");
    EXPECT_EQ("dir/x.lua|dir/", Run("return require('dir/x')"));
    EXPECT_EQ("|", Run("return GetScriptPath() .. '|' .. GetScriptDirectory()"));
    EXPECT_EQ("|",
              Run("return coroutine.wrap(loadstring('return GetScriptPath() .. \\'|\\' .. GetScriptDirectory()'))()"));

    // No calling function at all: called from C, or as the body of a coroutine.
    for (const char* function : {"GetScriptPath", "GetScriptDirectory"}) {
        lua_getglobal(state, function);
        lua_call(state, 0, 1);
        EXPECT_STREQ("", lua_tostring(state, -1)) << function;
        lua_State* coroutine = lua_newthread(state);
        lua_getglobal(coroutine, function);
        ASSERT_EQ(0, lua_resume(coroutine, 0));
        EXPECT_STREQ("", lua_tostring(coroutine, -1)) << function;
        lua_settop(state, 0);
    }
}

TEST_F(LuaCoreTest, PrintWritesItsLastArgumentAndNothingForOtherValues) {
    TestSupport::StderrCapture capture;
    Run("Print('first', 'second')");
    Run("Print(12)");
    Run("Print({})");
    Run("Print()");
    Run("Print(nil)");
    // The profiler's output goes to the log as it is while no debugger is connected.
    Zep::LuaPrintOutput(state, "profiled");
    EXPECT_EQ("second\n12\nprofiled", capture.Text());
}

TEST_F(LuaCoreTest, EngineExceptionsPassThroughProtectedCallsUnchanged) {
    // Not even a script's own pcall sees them; the program entry's handlers do.
    lua_register(state, "Fail", [](lua_State*) -> int { throw Zep::Exception::Memory("engine failure"); });
    ASSERT_EQ(0, luaL_loadstring(state, "local ok, message = pcall(Fail)\nreached = true"));
    EXPECT_EQ("engine failure", TestSupport::ReportOf<Zep::Exception::Memory>([&] { lua_pcall(state, 0, 0, 0); }));
    lua_getglobal(state, "reached");
    EXPECT_TRUE(lua_isnil(state, -1));
}

// A function that leaves one value more than it declares.
void PushesOneTooMany(lua_State* state) {
    ZEP_LUA_STACK_BEGIN(state);
    lua_pushinteger(state, 1);
    lua_pushinteger(state, 2);
    ZEP_LUA_STACK_END(state, 1);
}

TEST_F(LuaCoreTest, StackGuardNamesAFunctionWhoseEffectDiffersFromItsDeclaration) {
#ifdef NDEBUG
    GTEST_SKIP() << "the guard is compiled out of release builds";
#else
    EXPECT_THAT(TestSupport::ReportOf<Zep::Exception::Assertion>([&] { PushesOneTooMany(state); }),
                HasSubstr("Lua stack effect of PushesOneTooMany is 2, declared 1"));
    // The guarded engine functions keep their declared effects on every road.
    const int top = lua_gettop(state);
    LuaPushObject(state, nullptr, "Zep::Object");
    EXPECT_EQ(6, Zep::LoadScript(state, ""));  // a failure still pushes its message
    EXPECT_EQ(top + 2, lua_gettop(state));
#endif
}

TEST(LuaStateWithoutDebugger, UnprotectedErrorIsLoggedThenEndsTheProcess) {
    const TestSupport::ChildResult result = TestSupport::RunInChild([] {
        lua_State* state = Zep::CreateLuaState(false);
        lua_pushstring(state, "no protection");
        lua_error(state);
    });
    EXPECT_EQ(1, result.exitCode);
    EXPECT_THAT(result.stdErr, HasSubstr("Error: unprotected error in call to Lua API (no protection)\n"));
}

TEST_F(LuaCoreTest, CallStackDescribesEveryLevel) {
    static std::string stack;
    lua_register(state, "Stack", [](lua_State* inner) -> int {
        stack = Zep::GetLuaCallStack(inner);
        return 0;
    });
    const auto stackOf = [&](const char* name, const char* code) {
        Write(name, code);
        stack = "<not reached>";
        EXPECT_EQ(0, Zep::LoadScript(state, name));
        EXPECT_EQ(0, lua_pcall(state, 0, 0, 0)) << lua_tostring(state, -1);
        return stack;
    };
    EXPECT_EQ("Stack\nhelper; @named.lua:1\nouter; @named.lua:2\nf; @named.lua:3\nmain_chunk; @named.lua:4\n",
              stackOf("named.lua",
                      "local function helper() Stack() end\n"
                      "function outer() helper() end\n"
                      "local t = { f = function() outer() end }\n"
                      "t.f()\n"));
    EXPECT_EQ("Stack\nno name [defined <anonymous.lua:1>]; @anonymous.lua:1\npcall\nmain_chunk; @anonymous.lua:1\n",
              stackOf("anonymous.lua", "pcall(function() Stack() end)"));
    EXPECT_EQ("Stack\nno name [defined <tail.lua:1>]; @tail.lua:1\n?\nmain_chunk; @tail.lua:3\n",
              stackOf("tail.lua",
                      "local function inner() Stack() end\n"
                      "local function tail() return inner() end\n"
                      "tail()\n"));
    EXPECT_EQ("", Zep::GetLuaCallStack(state)) << "nothing runs";
}

}  // namespace
