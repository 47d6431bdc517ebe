// The C++ side of the generated script bindings (Bindings/GeneratorHooks.lua says which
// generator change uses what): how bindings read and push values, the guard through
// which every binding is registered, the collectors, texts and read-only variables.
//
// Every function here that touches a Lua stack follows Common/LuaCore.h's two rules.
// Readers never raise a Lua error: they throw ArgumentError, which unwinds the
// binding's C++ frames before its guard raises the Lua error.
#pragma once

#include <cstdint>
#include <exception>
#include <string>
#include <utility>

#include <tolua++.h>

#include "Common/LuaCore.h"

// --- Texts: the binding kind "text" ---------------------------------------------
// std::string passes with its length both ways. The generated code calls these by
// the kind's name.

// A text, a number or nil; a missing value when it has a default.
int tolua_istext(lua_State* state, int index, int hasDefault, tolua_Error* error);
// [-0, +0] A missing value gives the default ("" for none); a value that is neither a
// text nor a number gives "".
std::string tolua_totext(lua_State* state, int index, const char* defaultValue);
// [-0, +1]
void tolua_pushtext(lua_State* state, const std::string& text);

namespace Zep {
namespace Bindings {

// A value that a binding cannot take. Its guard raises it as a Lua error; a named
// error is prefixed with the binding's Lua name.
class ArgumentError : public std::exception {
public:
    ArgumentError(std::string message, bool named) : message(std::move(message)), named(named) {}
    const char* what() const noexcept override { return message.c_str(); }
    bool IsNamed() const noexcept { return named; }

private:
    std::string message;
    bool named;
};

// --- Readers -----------------------------------------------------------------------
// Called by the generated code as Reader{"type", required}(state, index, default):
// [-0, +0] the pointer held by the user data at the index. The value must be a box of
// the type or of a class derived from it. A missing value gives the default; nil and a
// missing value without default give null, or throw when the binding dereferences
// the value (required).
struct UserArgument {
    const char* type;
    bool required;
    void* operator()(lua_State* state, int index, void* defaultValue) const;
};

// The same for classes derived from Zep::Object: the value must also be an object box
// whose object still lives (the destroyed-object check of Common/LuaCore, with its
// error text).
struct ObjectArgument {
    const char* type;
    bool required;
    void* operator()(lua_State* state, int index, void* defaultValue) const;
};

// --- Pushes ------------------------------------------------------------------------
// [-0, +1] Pushes the value under the type without collection (nil for null), reusing
// the box cached for its address. A cached object box (an object's, possibly destroyed
// and still held by a script) is left as it is and the value gets a box of its own.
void PushUserType(lua_State* state, void* value, const char* type);

// [-0, +1] Pushes a collected copy of a value-type variable.
template <class T>
void PushCopy(lua_State* state, void* value, const char* type);

// The getter's result as an lvalue that lives until the copy is made.
template <class T>
const T& AsLvalue(const T& value) {
    return value;
}

// [-0, +0] Registers the fresh value on top of the stack for collection under its
// metatable. A registration left at that address by an object that the engine
// deleted is replaced.
void RegisterForCollection(lua_State* state);

// [-0, +0] The value no longer belongs to the collector.
void ForgetCollection(lua_State* state, void* value);

// --- Collectors --------------------------------------------------------------------
// The collector of every class that is not derived from Zep::Object: deletes the value.
template <class T>
int CollectValue(lua_State* state) {
    delete static_cast<T*>(tolua_tousertype(state, 1, nullptr));
    return 0;
}

// The collector of the Zep::Object classes. It deletes the object only while it lives
// with the collected box's id (a registration can outlive an object that the engine
// deleted) and while it has no parent and lies in no owning collection; otherwise the
// script's claim is dropped and the owner deletes the object.
int CollectObject(lua_State* state);

// True when the engine holds the object: an actor with a parent, a marker of an actor.
bool IsHeldByEngine(Object* object);

// --- Classes -----------------------------------------------------------------------
// Makes assigning a read-only variable of the class, or of a class derived from it, a
// Lua error. Without it the runtime would store the value beside the object and answer
// it to later reads.
void GuardReadOnlyVariables(lua_State* state, const char* type);

// --- Guard -------------------------------------------------------------------------
namespace Detail {
// Copies the argument error's text, named after the binding where it asks for it.
void CopyArgumentError(const ArgumentError& error, const char* name, char* buffer, size_t size);
// Raises the copied text, or the error value of a script error when reference is not
// LUA_NOREF, as a Lua error.
int RaiseBindingError(lua_State* state, const char* message, int reference);
}  // namespace Detail

// Runs a binding. Its argument errors, and a script error thrown by a script that the
// engine called from inside it, become a Lua error raised here, after the binding's
// C++ frames have unwound. Engine exceptions pass through untouched.
inline int Guard(lua_State* state, lua_CFunction binding, const char* name) {
    char message[512];
    int reference = LUA_NOREF;
    try {
        return binding(state);
    } catch (const ArgumentError& error) {
        Detail::CopyArgumentError(error, name, message, sizeof(message));
    } catch (const Exception::ScriptError& error) {
        message[0] = '\0';
        reference = error.GetReference();
    }
    return Detail::RaiseBindingError(state, message, reference);
}

template <class T>
void PushCopy(lua_State* state, void* value, const char* type) {
    T* copy = new T(*static_cast<const T*>(value));
    PushUserType(state, copy, type);
    RegisterForCollection(state);
}

}  // namespace Bindings
}  // namespace Zep
