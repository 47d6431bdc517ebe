#include "Debugger/LuaDebugger.h"

#include <atomic>
#include <stdexcept>

#include <windows.h>

extern "C" {
#include <lauxlib.h>
#include <lua.h>
}

#include "Common/LuaCore.h"
#include "Platforms/Win32/Win32CriticalSection.h"

namespace LDB {
namespace Detail {

const char* const kNoContextText = "Conldn't find the Context object.";

namespace {

// The states that have been attached. Stands in for the context list of the debugger
// issue, which will map every thread (main state and coroutines) to its context.
class ContextList {
public:
    static ContextList& Get() {
        static ContextList list;
        return list;
    }

    void Add(lua_State* thread) {
        Guard guard(lock);
        for (lua_State*& slot : slots) {
            if (!slot) {
                slot = thread;
                return;
            }
        }
        guard.Release();
        throw std::runtime_error("Too many contexts");
    }

    void Remove(lua_State* thread) {
        Guard guard(lock);
        for (lua_State*& slot : slots) {
            if (slot == thread)
                slot = nullptr;
        }
    }

    bool Find(lua_State* thread) {
        if (!thread)
            return false;
        Guard guard(lock);
        for (lua_State* slot : slots) {
            if (slot == thread)
                return true;
        }
        return false;
    }

private:
    class Guard {
    public:
        explicit Guard(Zep::Win32::CriticalSection& lock) : lock_(&lock) { lock_->Lock(); }
        ~Guard() { Release(); }
        void Release() {
            if (lock_)
                lock_->Unlock();
            lock_ = nullptr;
        }

    private:
        Zep::Win32::CriticalSection* lock_;
    };

    Zep::Win32::CriticalSection lock;
    lua_State* slots[256] = {};
};

HWND mainWindow = nullptr;

// Live Lua threads of the process: attached main states, and coroutines made through
// coroutine.create or coroutine.wrap. A coroutine is counted until the collector frees
// it: a weak-keyed table holds a sentinel under it whose finaliser counts it off.
std::atomic<int32_t> liveThreads{0};
char sentinelTableKey;
char sentinelMetatableKey;

int ReleaseSentinel(lua_State*) {
    --liveThreads;
    return 0;
}

// Calls the library's function (the upvalue) with the arguments and hangs a sentinel
// under the thread or wrapping function it answers.
int CountedCoroutine(lua_State* state) {
    lua_pushvalue(state, lua_upvalueindex(1));
    lua_insert(state, 1);
    lua_call(state, lua_gettop(state) - 1, LUA_MULTRET);
    if (lua_gettop(state) >= 1 && (lua_isthread(state, 1) || lua_isfunction(state, 1))) {
        lua_pushlightuserdata(state, &sentinelTableKey);
        lua_rawget(state, LUA_REGISTRYINDEX);
        lua_pushvalue(state, 1);
        lua_newuserdata(state, 1);
        lua_pushlightuserdata(state, &sentinelMetatableKey);
        lua_rawget(state, LUA_REGISTRYINDEX);
        lua_setmetatable(state, -2);
        lua_rawset(state, -3);
        lua_pop(state, 1);
        ++liveThreads;
    }
    return lua_gettop(state);
}

void InstallThreadCounting(lua_State* state) {
    lua_pushlightuserdata(state, &sentinelTableKey);
    lua_newtable(state);
    lua_newtable(state);
    lua_pushliteral(state, "k");
    lua_setfield(state, -2, "__mode");
    lua_setmetatable(state, -2);
    lua_rawset(state, LUA_REGISTRYINDEX);

    lua_pushlightuserdata(state, &sentinelMetatableKey);
    lua_newtable(state);
    lua_pushcfunction(state, &ReleaseSentinel);
    lua_setfield(state, -2, "__gc");
    lua_rawset(state, LUA_REGISTRYINDEX);

    lua_getglobal(state, "coroutine");
    if (lua_istable(state, -1)) {
        for (const char* name : {"create", "wrap"}) {
            lua_getfield(state, -1, name);
            lua_pushcclosure(state, &CountedCoroutine, 1);
            lua_setfield(state, -2, name);
        }
    }
    lua_pop(state, 1);
    ++liveThreads;
}

// The error output of a context whose engine is not connected.
void OutputError(const char* text) {
    if (text)
        FatalLuaError(text);
}

}  // namespace

int PanicHandler(lua_State* state) {
    const char* text = lua_tostring(state, -1);
    if (ContextList::Get().Find(state))
        OutputError(text);
    FatalLuaError(text);
}

void FatalLuaError(const char* text) {
    if (text)
        ::MessageBoxA(nullptr, text, "Lua error has occurred", MB_ICONWARNING);
    ::ExitProcess(1);
}

HWND GetMainWindow() {
    return mainWindow;
}

}  // namespace Detail

int Attach(lua_State* state) {
    lua_atpanic(state, &Detail::PanicHandler);
    Zep::OpenLuaLibraries(state);
    Detail::InstallThreadCounting(state);
    Detail::ContextList::Get().Add(state);
    // The connection to a debugger server comes with the debugger issue; until then
    // every attach runs on as after a failed connection attempt: no hook.
    return 0;
}

bool IsConnected(lua_State* state) {
    if (!Detail::ContextList::Get().Find(state)) {
        lua_pushstring(state, Detail::kNoContextText);
        return false;
    }
    return false;
}

bool Detach(lua_State* state) {
    if (!Detail::ContextList::Get().Find(state)) {
        lua_pushstring(state, Detail::kNoContextText);
        return false;
    }
    Detail::ContextList::Get().Remove(state);
    --Detail::liveThreads;
    lua_close(state);
    return true;
}

int32_t GetLiveThreadCount() {
    return Detail::liveThreads.load();
}

int PCall(lua_State* state, int argumentCount, int resultCount, int errorHandler) {
    if (!Detail::ContextList::Get().Find(state)) {
        lua_pushstring(state, Detail::kNoContextText);
        return -1;
    }
    const int status = lua_pcall(state, argumentCount, resultCount, errorHandler);
    if (status != 0)
        Detail::OutputError(lua_tostring(state, -1));
    return status;
}

int Output(lua_State* state, const char*) {
    if (!Detail::ContextList::Get().Find(state)) {
        lua_pushstring(state, Detail::kNoContextText);
        return -1;
    }
    // Nothing is ever connected yet, so there is nobody to send the record to.
    return 0;
}

int SetMainWindow(HWND window) {
    Detail::mainWindow = window;
    return 0;
}

}  // namespace LDB
