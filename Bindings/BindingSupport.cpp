#include "Bindings/BindingSupport.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

extern "C" {
#include <lauxlib.h>
#include <lua.h>
}

#include "Common/Actor.h"
#include "Common/Object.h"
#include "Common/Utils.h"

// --- Texts -------------------------------------------------------------------------

int tolua_istext(lua_State* state, int index, int hasDefault, tolua_Error* error) {
    return tolua_isstring(state, index, hasDefault, error);
}

std::string tolua_totext(lua_State* state, int index, const char* defaultValue) {
    if (lua_gettop(state) < std::abs(index))
        return defaultValue ? std::string(defaultValue) : std::string();
    size_t size = 0;
    const char* text = lua_tolstring(state, index, &size);
    return text ? std::string(text, size) : std::string();
}

void tolua_pushtext(lua_State* state, const std::string& text) {
    lua_pushlstring(state, text.data(), text.size());
}

namespace Zep {
namespace Bindings {

namespace {

// [-1, +1] Replaces the metatable on top of the stack by whether it is the type's or
// that of a class derived from it (the runtime's class tables: "tolua_super" maps a
// class's metatable to the names of its bases).
void AnswerIsOfType(lua_State* state, const char* type) {
    lua_pushstring(state, type);
    lua_rawget(state, LUA_REGISTRYINDEX);
    bool result = lua_rawequal(state, -1, -2) != 0;
    lua_pop(state, 1);
    if (!result) {
        lua_pushliteral(state, "tolua_super");
        lua_rawget(state, LUA_REGISTRYINDEX);
        lua_pushvalue(state, -2);
        lua_rawget(state, -2);
        if (lua_istable(state, -1)) {
            lua_pushstring(state, type);
            lua_rawget(state, -2);
            result = lua_toboolean(state, -1) != 0;
            lua_pop(state, 1);
        }
        lua_pop(state, 2);
    }
    lua_pop(state, 1);
    lua_pushboolean(state, result);
}

// The registry key of the answers of IsOfType: per type name (by the address of the
// reader's text), a table from metatables to booleans.
char typeAnswersKey;

// [-0, +0] True when the user data at the index is a box of the type or of a class
// derived from it. Answers are kept per type and metatable, so that a reader compares
// no names after its first call.
bool IsOfType(lua_State* state, int index, const char* type) {
    if (!lua_getmetatable(state, index))
        return false;
    lua_pushlightuserdata(state, &typeAnswersKey);
    lua_rawget(state, LUA_REGISTRYINDEX);
    if (!lua_istable(state, -1)) {
        lua_pop(state, 1);
        lua_newtable(state);
        lua_pushlightuserdata(state, &typeAnswersKey);
        lua_pushvalue(state, -2);
        lua_rawset(state, LUA_REGISTRYINDEX);
    }
    lua_pushlightuserdata(state, const_cast<char*>(type));
    lua_rawget(state, -2);
    if (!lua_istable(state, -1)) {
        lua_pop(state, 1);
        lua_newtable(state);
        lua_pushlightuserdata(state, const_cast<char*>(type));
        lua_pushvalue(state, -2);
        lua_rawset(state, -4);
    }
    // metatable answers typeAnswers
    lua_pushvalue(state, -3);
    lua_rawget(state, -2);
    if (lua_isnil(state, -1)) {
        lua_pop(state, 1);
        lua_pushvalue(state, -3);
        lua_pushvalue(state, -1);
        AnswerIsOfType(state, type);
        lua_pushvalue(state, -1);
        lua_insert(state, -3);
        lua_rawset(state, -4);
    }
    const bool result = lua_toboolean(state, -1) != 0;
    lua_pop(state, 4);
    return result;
}

// [-0, +0] What the value at the index is, for error texts: a class name for a box or a
// class table, else the Lua type.
std::string Describe(lua_State* state, int index) {
    const int type = lua_type(state, index);
    if (type == LUA_TNONE)
        return "no value";
    std::string description = lua_typename(state, type);
    if (type == LUA_TUSERDATA || type == LUA_TTABLE) {
        bool named = false;
        if (type == LUA_TUSERDATA) {
            named = lua_getmetatable(state, index) != 0;
        } else {
            lua_pushvalue(state, index);
            named = true;
        }
        if (named) {
            lua_rawget(state, LUA_REGISTRYINDEX);
            if (const char* name = lua_tostring(state, -1))
                description = type == LUA_TTABLE ? std::string("class ") + name : std::string(name);
            lua_pop(state, 1);
        }
    }
    return description;
}

// The type as messages name it: without const.
const char* LuaTypeName(const char* type) {
    return std::strncmp(type, "const ", 6) == 0 ? type + 6 : type;
}

[[noreturn]] void ThrowWrongArgument(lua_State* state, int index, const char* type) {
    throw ArgumentError(
        "argument #" + std::to_string(index) + " is " + Describe(state, index) + "; " + LuaTypeName(type) + " expected",
        true);
}

// [-0, +1] The box cache for values of the type: the class's "tolua_ubox", else the
// registry's.
void PushBoxCache(lua_State* state, int metatable) {
    lua_pushliteral(state, "tolua_ubox");
    lua_rawget(state, metatable);
    if (lua_isnil(state, -1)) {
        lua_pop(state, 1);
        lua_pushliteral(state, "tolua_ubox");
        lua_rawget(state, LUA_REGISTRYINDEX);
    }
}

// [-0, +0] True when the metatable at the first index is the one at the second or
// derives from it.
bool IsSameOrDerived(lua_State* state, int derived, int base) {
    if (lua_rawequal(state, derived, base))
        return true;
    lua_pushliteral(state, "tolua_super");
    lua_rawget(state, LUA_REGISTRYINDEX);
    lua_pushvalue(state, derived);
    lua_rawget(state, -2);
    bool result = false;
    if (lua_istable(state, -1)) {
        lua_pushvalue(state, base);
        lua_rawget(state, LUA_REGISTRYINDEX);
        lua_rawget(state, -2);
        result = lua_toboolean(state, -1) != 0;
        lua_pop(state, 1);
    }
    lua_pop(state, 2);
    return result;
}

// The read-only guard: __newindex of the class metatables, with the runtime's own as
// upvalue. t[k] = v for a user data t and a name k that a class of t has a getter and
// no setter for raises an error; everything else goes to the runtime.
int ReadOnlyNewIndex(lua_State* state) {
    if (lua_type(state, 1) == LUA_TUSERDATA && lua_type(state, 2) == LUA_TSTRING) {
        lua_pushvalue(state, 1);
        while (lua_getmetatable(state, -1)) {
            lua_remove(state, -2);  // ... mt
            lua_pushliteral(state, ".set");
            lua_rawget(state, -2);
            if (lua_istable(state, -1)) {
                lua_pushvalue(state, 2);
                lua_rawget(state, -2);
                const bool writable = lua_iscfunction(state, -1) != 0;
                lua_pop(state, 1);
                if (writable)
                    break;
            }
            lua_pop(state, 1);
            lua_pushliteral(state, ".get");
            lua_rawget(state, -2);
            if (lua_istable(state, -1)) {
                lua_pushvalue(state, 2);
                lua_rawget(state, -2);
                if (!lua_isnil(state, -1)) {
                    lua_pushvalue(state, -3);
                    lua_rawget(state, LUA_REGISTRYINDEX);
                    const char* type = lua_tostring(state, -1);
                    const char* path = luaL_gsub(state, type ? type : "?", "::", ".");
                    luaL_error(state, "%s.%s is read-only", path, lua_tostring(state, 2));
                }
                lua_pop(state, 1);
            }
            lua_pop(state, 1);
        }
        lua_settop(state, 3);
    }
    lua_pushvalue(state, lua_upvalueindex(1));
    lua_insert(state, 1);
    lua_call(state, 3, 0);
    return 0;
}

}  // namespace

// --- Readers -----------------------------------------------------------------------

void* UserArgument::operator()(lua_State* state, int index, void* defaultValue) const {
    if (lua_gettop(state) < std::abs(index)) {
        if (defaultValue || !required)
            return defaultValue;
        ThrowWrongArgument(state, index, type);
    }
    const int valueType = lua_type(state, index);
    if (valueType == LUA_TNIL && !required)
        return nullptr;
    if (valueType != LUA_TUSERDATA || !IsOfType(state, index, type))
        ThrowWrongArgument(state, index, type);
    return *static_cast<void**>(lua_touserdata(state, index));
}

void* ObjectArgument::operator()(lua_State* state, int index, void* defaultValue) const {
    void* value = UserArgument{type, required}(state, index, defaultValue);
    if (!value || lua_gettop(state) < std::abs(index))
        return value;
    // Only LuaPushObject makes boxes of the object classes; a cast made by a script
    // (tolua.cast) does not hold an object.
    Object* object = nullptr;
    uint32_t id = 0;
    if (!::Zep::Detail::ReadObjectBox(state, index, &object, &id))
        throw ArgumentError(
            "argument #" + std::to_string(index) + " is not an engine object; " + LuaTypeName(type) + " expected",
            true);
    uint32_t objectId = 0;
    uint32_t referenceId = 0;
    if (::Zep::Detail::IsDestroyedObjectBox(state, index, object, &objectId, &referenceId)) {
        char message[128];
        ::Zep::Detail::FormatDestroyedObjectError(message, sizeof(message), objectId, referenceId);
        throw ArgumentError(message, false);
    }
    return value;
}

// --- Pushes ------------------------------------------------------------------------

void PushUserType(lua_State* state, void* value, const char* type) {
    ZEP_LUA_STACK_BEGIN(state);
    if (!value) {
        lua_pushnil(state);
        ZEP_LUA_STACK_END(state, 1);
        return;
    }
    luaL_getmetatable(state, type);
    const int metatable = lua_gettop(state);
    PushBoxCache(state, metatable);
    lua_pushlightuserdata(state, value);
    lua_rawget(state, -2);  // mt cache box
    Object* object = nullptr;
    uint32_t id = 0;
    if (lua_isuserdata(state, -1) && !::Zep::Detail::ReadObjectBox(state, -1, &object, &id)) {
        // The value's own box: it takes the more derived of its class and the type.
        if (!lua_getmetatable(state, -1))
            lua_pushnil(state);
        if (!IsSameOrDerived(state, lua_gettop(state), metatable)) {
            lua_pushvalue(state, metatable);
            lua_setmetatable(state, -3);
        }
        lua_pop(state, 1);
        lua_replace(state, metatable);
        lua_pop(state, 1);
        ZEP_LUA_STACK_END(state, 1);
        return;
    }
    lua_pop(state, 1);
    *static_cast<void**>(lua_newuserdata(state, sizeof(void*))) = value;
    lua_pushlightuserdata(state, value);
    lua_pushvalue(state, -2);
    lua_rawset(state, -4);
    lua_pushvalue(state, metatable);
    lua_setmetatable(state, -2);
    lua_pushvalue(state, TOLUA_NOPEER);
    lua_setfenv(state, -2);
    lua_replace(state, metatable);
    lua_pop(state, 1);
    ZEP_LUA_STACK_END(state, 1);
}

void RegisterForCollection(lua_State* state) {
    ZEP_LUA_STACK_BEGIN(state);
    void* value = *static_cast<void**>(lua_touserdata(state, -1));
    lua_pushliteral(state, "tolua_gc");
    lua_rawget(state, LUA_REGISTRYINDEX);
    lua_pushlightuserdata(state, value);
    lua_getmetatable(state, -3);
    lua_rawset(state, -3);
    lua_pop(state, 1);
    ZEP_LUA_STACK_END(state, 0);
}

void ForgetCollection(lua_State* state, void* value) {
    ZEP_LUA_STACK_BEGIN(state);
    lua_pushliteral(state, "tolua_gc");
    lua_rawget(state, LUA_REGISTRYINDEX);
    lua_pushlightuserdata(state, value);
    lua_pushnil(state);
    lua_rawset(state, -3);
    lua_pop(state, 1);
    ZEP_LUA_STACK_END(state, 0);
}

// --- Collectors --------------------------------------------------------------------

int CollectObject(lua_State* state) {
    Object* object = nullptr;
    uint32_t id = 0;
    if (::Zep::Detail::ReadObjectBox(state, 1, &object, &id) && Object::IsLiveObject(object, id) &&
        !IsHeldByEngine(object))
        delete object;
    return 0;
}

bool IsHeldByEngine(Object* object) {
    if (const Actor* actor = CastTo<Actor>(object))
        return actor->GetParent() != nullptr;
    if (const Marker* marker = CastTo<Marker>(object))
        return marker->owner != nullptr;
    return false;
}

// --- Classes -----------------------------------------------------------------------

void GuardReadOnlyVariables(lua_State* state, const char* type) {
    ZEP_LUA_STACK_BEGIN(state);
    const std::string names[] = {type, std::string("const ") + type};
    for (const std::string& name : names) {
        luaL_getmetatable(state, name.c_str());
        if (lua_istable(state, -1)) {
            lua_pushliteral(state, "__newindex");
            lua_rawget(state, -2);
            if (lua_tocfunction(state, -1) != &ReadOnlyNewIndex) {
                lua_pushcclosure(state, &ReadOnlyNewIndex, 1);
                lua_pushliteral(state, "__newindex");
                lua_insert(state, -2);
                lua_rawset(state, -3);
            } else {
                lua_pop(state, 1);
            }
        }
        lua_pop(state, 1);
    }
    ZEP_LUA_STACK_END(state, 0);
}

// --- Guard -------------------------------------------------------------------------

namespace Detail {

void CopyArgumentError(const ArgumentError& error, const char* name, char* buffer, size_t size) {
    if (error.IsNamed())
        std::snprintf(buffer, size, "%s: %s", name, error.what());
    else
        std::snprintf(buffer, size, "%s", error.what());
}

int RaiseBindingError(lua_State* state, const char* message, int reference) {
    if (reference != LUA_NOREF) {
        PushScriptError(state, reference);
        return lua_error(state);
    }
    return luaL_error(state, "%s", message);
}

}  // namespace Detail

}  // namespace Bindings
}  // namespace Zep
