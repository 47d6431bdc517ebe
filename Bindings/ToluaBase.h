// The script link of the engine's Lua__ classes: a Lua__ class derives from an engine
// class and from ToluaBase, and each of its overridable operations first looks for a
// Lua function of the operation's name on the script object it is linked to.
//
// The script object lives in the registry table "toluabase" under the link's
// reference. Overrides run on the main thread of the state the link was made in,
// whatever coroutine runs, and call the script protected: the engine calls them from
// deep C++ frames (updates, traversals, loading), which a Lua error must not longjmp
// over. A script error is thrown as Zep::Exception::ScriptError with the error value and
// the Lua call stack where it was raised; the binding the script called last raises the
// same value again once the engine's frames have unwound.
//
// Closing a state clears every link made in it, so an engine object that outlives the
// state (a scene of the application, destroyed at exit) behaves as unlinked.
#pragma once

#include <cstdint>
#include <string>

#include "Common/ValueTypes.h"

struct lua_State;

namespace Zep {
class Object;
}

class ToluaBase {
public:
    ToluaBase(const ToluaBase&) = delete;
    ToluaBase& operator=(const ToluaBase&) = delete;

    // [-0, +0] Links the object to the value at the index of the state's stack (any Lua
    // value; a missing one is nil): a new reference in "toluabase", which the registry
    // gets on first use. Linking again takes another reference and leaves the earlier
    // one in the table until the state closes.
    void tolua__set_instance(lua_State* state, int index);

    // The main thread of the state the link was made in; null while unlinked.
    lua_State* GetLuaState() const { return luaState; }
    // The script object's key in "toluabase"; -2 while unlinked.
    int32_t GetReference() const { return reference; }

    // Values handed to a script method: an engine object, boxed through LuaPushObject,
    // and user data that the engine keeps, valid during the call only.
    struct ObjectValue {
        Zep::Object* object;
        const char* type;
    };
    struct UserDataValue {
        const void* value;
        const char* type;
    };

    // [-1, +0] The result on top of the stack, popped: a number truncated to an
    // integer (saturating, 0 for NaN), a number, Lua truth, a byte string ("" for what
    // is neither text nor number), a Vector2 copied ((0, 0) for anything else), the
    // object of a live object box (null for anything else), the pointer of user data of
    // the type or a class derived from it (null for anything else).
    static int32_t PopInteger(lua_State* state);
    static float PopFloat(lua_State* state);
    static bool PopBoolean(lua_State* state);
    static std::string PopText(lua_State* state);
    static Zep::Vector2 PopVector2(lua_State* state);
    static Zep::Object* PopObject(lua_State* state);
    static void* PopUserData(lua_State* state, const char* type);

protected:
    ToluaBase() {}
    // Releases the reference when linked.
    ~ToluaBase();

    // [-0, +3 when true] Looks the method up on the script object, metamethods
    // applying. False while unlinked and when the value found is nil or a native
    // function (such as the class's own binding of that name, which would lead back
    // here). True leaves the call's message handler, the function and the script object.
    bool push_method(const char* name) const;

    // Calls the script's method of that name with the script object and the arguments,
    // when it has one: then answers the state with resultCount results on its top
    // (read them with the Pop... functions), else null. Nothing of this object is used
    // once the script has run, so the method may delete the object.
    template <class... Arguments>
    lua_State* CallMethod(const char* name, int resultCount, const Arguments&... arguments) const {
        if (!push_method(name))
            return nullptr;
        lua_State* state = luaState;
        (PushArgument(state, arguments), ...);
        CallPushedMethod(state, static_cast<int>(sizeof...(Arguments)), resultCount);
        return state;
    }

    // For an operation the engine does not implement: without the method, raises the
    // script error "pure-virtual method <method> not implemented." through the link's
    // state; unlinked, writes "pure-virtual method <method> called with no lua_state.
    // Aborting" to stderr and ends the process.
    [[noreturn]] void NotImplemented(const char* method) const;

private:
    friend struct ToluaLinks;

    // [-0, +1]
    static void PushArgument(lua_State* state, int32_t value);
    static void PushArgument(lua_State* state, float value);
    static void PushArgument(lua_State* state, bool value);
    static void PushArgument(lua_State* state, const std::string& value);
    static void PushArgument(lua_State* state, const ObjectValue& value);
    static void PushArgument(lua_State* state, const UserDataValue& value);
    // [-(argumentCount + 3), +resultCount] Calls what push_method left, with the
    // arguments above it; a Lua error is thrown as a ScriptError.
    static void CallPushedMethod(lua_State* state, int argumentCount, int resultCount);

    lua_State* luaState = nullptr;
    int32_t reference = -2;
    // The list of linked objects, which a closing state clears.
    ToluaBase* previousLinked = nullptr;
    ToluaBase* nextLinked = nullptr;
};
