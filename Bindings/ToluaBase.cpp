#include "Bindings/ToluaBase.h"

#include <cstdio>
#include <cstdlib>

extern "C" {
#include <lauxlib.h>
#include <lua.h>
}

#include "Bindings/BindingSupport.h"
#include "Bindings/ScriptFunctions.h"
#include "Common/LuaCore.h"
#include "Common/Object.h"

// The linked objects of every state; game thread only. A plain pointer, so that objects
// destroyed at exit find it whatever the order of the statics.
struct ToluaLinks {
    static ToluaBase* head;

    static void Add(ToluaBase* link) {
        if (link->previousLinked || head == link)
            return;
        link->nextLinked = head;
        if (head)
            head->previousLinked = link;
        head = link;
    }

    static void Remove(ToluaBase* link) {
        if (link->previousLinked)
            link->previousLinked->nextLinked = link->nextLinked;
        else if (head == link)
            head = link->nextLinked;
        if (link->nextLinked)
            link->nextLinked->previousLinked = link->previousLinked;
        link->previousLinked = nullptr;
        link->nextLinked = nullptr;
    }

    // The state whose main thread is given is closing: its links behave as unlinked
    // from now on.
    static void Clear(lua_State* mainThread) {
        for (ToluaBase* link = head; link;) {
            ToluaBase* next = link->nextLinked;
            if (link->luaState == mainThread) {
                link->luaState = nullptr;
                link->reference = -2;
                Remove(link);
            }
            link = next;
        }
    }
};

ToluaBase* ToluaLinks::head = nullptr;

namespace {

const char* const kLinkTable = "toluabase";

// Registry keys of the closing sentinel and of the two functions every override runs.
char closingSentinelKey;
char messageHandlerKey;
char lookUpKey;

// The call stack the message handler saw at the last script error.
std::string errorCallStack;

// __gc of the sentinel that the registry holds once a link was made: runs when the state
// closes.
int ClearLinksOfClosingState(lua_State* state) {
    ToluaLinks::Clear(Zep::GetLuaMainThread(state));
    return 0;
}

// Message handler of the protected calls: keeps the error value and notes the call stack
// at the error point.
int NoteCallStack(lua_State* state) {
    errorCallStack = Zep::GetLuaCallStack(state, 1);
    return 1;
}

// (reference, name) -> the method and the script object, or nothing when the value
// found is nil or a native function.
int LookUpMethod(lua_State* state) {
    lua_getfield(state, LUA_REGISTRYINDEX, kLinkTable);  // 3
    if (!lua_istable(state, 3))
        return 0;
    lua_rawgeti(state, 3, static_cast<int>(lua_tointeger(state, 1)));  // 4
    lua_pushvalue(state, 2);
    lua_gettable(state, 4);
    if (lua_isnil(state, -1) || lua_iscfunction(state, -1))
        return 0;
    lua_pushvalue(state, 4);
    return 2;
}

// [-0, +1] The registry's function under the key, made on first use.
void PushRegisteredFunction(lua_State* state, char* key, lua_CFunction function) {
    lua_pushlightuserdata(state, key);
    lua_rawget(state, LUA_REGISTRYINDEX);
    if (lua_isnil(state, -1)) {
        lua_pop(state, 1);
        lua_pushcfunction(state, function);
        lua_pushlightuserdata(state, key);
        lua_pushvalue(state, -2);
        lua_rawset(state, LUA_REGISTRYINDEX);
    }
}

// [-0, +0] Places the closing sentinel in the registry when it is not there yet.
void EnsureClosingSentinel(lua_State* state) {
    ZEP_LUA_STACK_BEGIN(state);
    lua_pushlightuserdata(state, &closingSentinelKey);
    lua_rawget(state, LUA_REGISTRYINDEX);
    const bool present = !lua_isnil(state, -1);
    lua_pop(state, 1);
    if (!present) {
        lua_pushlightuserdata(state, &closingSentinelKey);
        lua_newuserdata(state, 1);
        lua_createtable(state, 0, 1);
        lua_pushcfunction(state, &ClearLinksOfClosingState);
        lua_setfield(state, -2, "__gc");
        lua_setmetatable(state, -2);
        lua_rawset(state, LUA_REGISTRYINDEX);
    }
    ZEP_LUA_STACK_END(state, 0);
}

// [-0, +1] The link table, made on first use.
void PushLinkTable(lua_State* state) {
    lua_getfield(state, LUA_REGISTRYINDEX, kLinkTable);
    if (lua_isnil(state, -1)) {
        lua_pop(state, 1);
        lua_newtable(state);
        lua_setfield(state, LUA_REGISTRYINDEX, kLinkTable);
        lua_getfield(state, LUA_REGISTRYINDEX, kLinkTable);
    }
}

}  // namespace

ToluaBase::~ToluaBase() {
    if (luaState && reference != -2) {
        lua_getfield(luaState, LUA_REGISTRYINDEX, kLinkTable);
        if (lua_istable(luaState, -1))
            luaL_unref(luaState, -1, reference);
        lua_pop(luaState, 1);
    }
    ToluaLinks::Remove(this);
}

void ToluaBase::tolua__set_instance(lua_State* state, int index) {
    ZEP_LUA_STACK_BEGIN(state);
    const bool present = index != 0 && std::abs(index) <= lua_gettop(state);
    if (index < 0)
        index += lua_gettop(state) + 1;
    EnsureClosingSentinel(state);
    PushLinkTable(state);
    if (present)
        lua_pushvalue(state, index);
    else
        lua_pushnil(state);
    const int newReference = luaL_ref(state, -2);
    lua_pop(state, 1);
    luaState = Zep::GetLuaMainThread(state);
    reference = newReference;
    ToluaLinks::Add(this);
    ZEP_LUA_STACK_END(state, 0);
}

bool ToluaBase::push_method(const char* name) const {
    if (!luaState)
        return false;
    lua_State* state = luaState;
    PushRegisteredFunction(state, &messageHandlerKey, &NoteCallStack);
    const int handler = lua_gettop(state);
    PushRegisteredFunction(state, &lookUpKey, &LookUpMethod);
    lua_pushinteger(state, reference);
    lua_pushstring(state, name);
    errorCallStack.clear();
    if (lua_pcall(state, 2, 2, handler) != 0) {
        lua_remove(state, handler);
        Zep::ThrowScriptError(state, errorCallStack);
    }
    if (lua_isnil(state, -2)) {
        lua_settop(state, handler - 1);
        return false;
    }
    return true;
}

void ToluaBase::CallPushedMethod(lua_State* state, int argumentCount, int resultCount) {
    const int handler = lua_gettop(state) - argumentCount - 2;
    errorCallStack.clear();
    const int status = lua_pcall(state, argumentCount + 1, resultCount, handler);
    lua_remove(state, handler);
    if (status != 0)
        Zep::ThrowScriptError(state, errorCallStack);
}

void ToluaBase::NotImplemented(const char* method) const {
    if (!luaState) {
        std::fprintf(stderr, "pure-virtual method %s called with no lua_state. Aborting\n", method);
        std::fflush(stderr);
        std::abort();
    }
    lua_pushfstring(luaState, "pure-virtual method %s not implemented.", method);
    Zep::ThrowScriptError(luaState, Zep::GetLuaCallStack(luaState));
}

// --- Arguments ------------------------------------------------------------------------

void ToluaBase::PushArgument(lua_State* state, int32_t value) {
    lua_pushnumber(state, value);
}

void ToluaBase::PushArgument(lua_State* state, float value) {
    lua_pushnumber(state, value);
}

void ToluaBase::PushArgument(lua_State* state, bool value) {
    lua_pushboolean(state, value);
}

void ToluaBase::PushArgument(lua_State* state, const std::string& value) {
    lua_pushlstring(state, value.data(), value.size());
}

void ToluaBase::PushArgument(lua_State* state, const ObjectValue& value) {
    LuaPushObject(state, value.object, value.type);
}

void ToluaBase::PushArgument(lua_State* state, const UserDataValue& value) {
    Zep::Bindings::PushUserType(state, const_cast<void*>(value.value), value.type);
}

// --- Results --------------------------------------------------------------------------

int32_t ToluaBase::PopInteger(lua_State* state) {
    const double number = lua_tonumber(state, -1);
    lua_pop(state, 1);
    return Zep::Bindings::ToInt32(number);
}

float ToluaBase::PopFloat(lua_State* state) {
    const float number = static_cast<float>(lua_tonumber(state, -1));
    lua_pop(state, 1);
    return number;
}

bool ToluaBase::PopBoolean(lua_State* state) {
    const bool truth = lua_toboolean(state, -1) != 0;
    lua_pop(state, 1);
    return truth;
}

std::string ToluaBase::PopText(lua_State* state) {
    size_t size = 0;
    const char* text = lua_isstring(state, -1) ? lua_tolstring(state, -1, &size) : nullptr;
    std::string result = text ? std::string(text, size) : std::string();
    lua_pop(state, 1);
    return result;
}

Zep::Vector2 ToluaBase::PopVector2(lua_State* state) {
    const void* value = PopUserData(state, "Zep::Vector2");
    return value ? *static_cast<const Zep::Vector2*>(value) : Zep::Vector2(0.0f, 0.0f);
}

Zep::Object* ToluaBase::PopObject(lua_State* state) {
    Zep::Object* object = nullptr;
    uint32_t id = 0;
    const bool live = Zep::Detail::ReadObjectBox(state, -1, &object, &id) && Zep::Object::IsLiveObject(object, id);
    lua_pop(state, 1);
    return live ? object : nullptr;
}

void* ToluaBase::PopUserData(lua_State* state, const char* type) {
    void* value = nullptr;
    if (lua_type(state, -1) == LUA_TUSERDATA && Zep::Bindings::IsUserType(state, -1, type))
        value = *static_cast<void**>(lua_touserdata(state, -1));
    lua_pop(state, 1);
    return value;
}
