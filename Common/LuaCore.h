// The glue between the engine and Lua 5.1: script states, the module loader over the
// bundle system, script files, the Lua call stack
// and the object boxes through which engine objects reach scripts.
//
// Not built yet: LuaPushBox2DType and Zep::LuaToVec2Array come with the Box2D bindings.
#pragma once

#include <cstddef>
#include <cstdint>
#include <exception>
#include <string>

#include "Common/CoreUtils.h"

struct lua_State;

// Two rules hold for every function here and for every binding:
//
// 1. Each function that touches a Lua stack states its effect in its comment, in the
//    style of the Lua manual: [-o, +p] pops o values and pushes p; a lua_CFunction states
//    what it leaves above its arguments when it returns. In debug builds the effect is
//    checked: ZEP_LUA_STACK_BEGIN(state) records the top, and ZEP_LUA_STACK_END(state,
//    delta) at every return reports an assertion naming the function when the top
//    differs from the recorded one by anything but delta.
//
// 2. A Lua error (lua_error, luaL_error, luaL_check*, any API call that may raise one)
//    is a longjmp out of the C frame. It must never cross a C++ frame that holds an
//    object with a destructor: such objects live in a scope that ends before the call
//    that may raise, or the error is raised by the caller after they are gone. The stack
//    guard above is a plain integer for that reason.
#ifdef NDEBUG
#define ZEP_LUA_STACK_BEGIN(state) ((void)0)
#define ZEP_LUA_STACK_END(state, delta) ((void)0)
#else
#define ZEP_LUA_STACK_BEGIN(state) const int zepLuaStackTop_ = ::Zep::Detail::LuaStackTop(state)
#define ZEP_LUA_STACK_END(state, delta) \
    ::Zep::Detail::CheckLuaStackEffect((state), zepLuaStackTop_, (delta), __func__, ZEP_SOURCE_FILE, __LINE__)
#endif

namespace Zep {
class Object;
}

// [-0, +1] Pushes the box of the object (nil for null) under the tolua metatable of the
// declared "Lua__" class, else of the object's nearest class that scripts know. A
// live object keeps its box; a new object at a destroyed one's address gets a new box.
void LuaPushObject(lua_State* state, Zep::Object* object, const char* typeName);
// [-0, +1] The same for the generated bindings, which pass every pointer as void*: the
// pointer is taken as the Zep::Object it points to.
void LuaPushObject(lua_State* state, void* object, const char* typeName);
// [-0, +1] Pushes nil.
inline void LuaPushObject(lua_State* state, std::nullptr_t, const char* typeName) {
    LuaPushObject(state, static_cast<Zep::Object*>(nullptr), typeName);
}

namespace Zep {

// [-0, +0] The object of the box at the index (tolua's user-type conversion). While the check
// is on, a box whose object no longer lives raises the Lua error "Attempt to access
// destroyed Zep::Object (object id: <id of the object living at that address now, 0 for
// none>, reference id: <id of the box>)".
Object* LuaToObject(lua_State* state, int index, void* defaultValue);

// Status codes of LoadScript besides lua_load's own.
enum LoadScriptResult { LOAD_SCRIPT_OK = 0, LOAD_SCRIPT_OUT_OF_MEMORY = 4, LOAD_SCRIPT_FILE_ERROR = 6 };

// A new state on the engine allocator with the standard libraries (base, coroutine,
// table, string, math, debug) and the engine's module loader in place of the package
// library. With attachDebugger the remote debugger client opens the libraries.
lua_State* CreateLuaState(bool attachDebugger);
// Opens the standard libraries of every state: base (with coroutine), table, string,
// math and debug; not io, os or Lua's own package library.
void OpenLuaLibraries(lua_State* state);
// Calls the global "Cleanup" (unprotected) when it is not nil, then closes the state.
void CloseLuaState(lua_State* state);
// [-0, +1] Compiles a script file of the bundles. 0: the chunk is on top of the stack;
// otherwise a code (6 file error, 4 out of memory, or lua_load's) with the message on top.
int LoadScript(lua_State* state, const char* path);
// [-0, +0] One line per level: the function's description, then "; source:line" when known.
std::string GetLuaCallStack(lua_State* state);
// Switches the destroyed-object check of the object boxes.
void CheckDestroyedLuaObjects(bool check);
bool IsCheckingDestroyedLuaObjects();

namespace Exception {

// A Lua error of a script that the engine called from C++ frames (a script override
// called by the frame loop or a traversal). The engine calls such scripts protected and
// throws this with the error value, which the binding the script called last raises
// again as the same Lua value once the C++ frames between have unwound. Not an engine
// failure: it never reaches the program entry's handlers from inside a binding.
class ScriptError : public std::exception {
public:
    // The reference of the error value in the registry.
    explicit ScriptError(int reference) noexcept : reference(reference) {}
    int GetReference() const noexcept { return reference; }
    const char* what() const noexcept override { return "Lua error in a script called by the engine"; }

private:
    int reference;
};

}  // namespace Exception

// [-1, +0] Keeps the error value on top of the stack and throws it as a ScriptError.
[[noreturn]] void ThrowScriptError(lua_State* state);
// [-0, +1] Pushes the error value of a ScriptError's reference and releases the reference.
void PushScriptError(lua_State* state, int reference);

namespace Detail {
int LuaStackTop(lua_State* state);
// [-0, +0] True when the value at the index is the box of an object that no longer lives
// at its address, while the destroyed-object check is on (and outside the editor); then
// the id of the object that lives there now (0 for none) and the box's own id are given.
bool IsDestroyedObjectBox(lua_State* state, int index, const void* object, uint32_t* objectId, uint32_t* referenceId);
// [-0, +0] The object and the id at boxing of the object box at the index; false for
// any other value (a plain box of the bindings holds only a pointer).
bool ReadObjectBox(lua_State* state, int index, Object** object, uint32_t* id);
// Formats the destroyed-object error into the buffer, as LuaToObject raises it.
void FormatDestroyedObjectError(char* buffer, size_t size, uint32_t objectId, uint32_t referenceId);
// Reports the assertion "Lua stack effect of <function> is <n>, declared <delta>" at the
// given place when the top is not top + delta.
void CheckLuaStackEffect(lua_State* state, int top, int delta, const char* function, const char* file, int line);
}  // namespace Detail

}  // namespace Zep
