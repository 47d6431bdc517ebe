#include "Common/LuaCore.h"

#include <cstdio>
#include <cstring>

extern "C" {
#include <lauxlib.h>
#include <lua.h>
#include <lualib.h>
}
#include <tolua++.h>

#include "Common/BundleSystem.h"
#include "Common/CoreUtils.h"
#include "Common/FileSystem.h"
#include "Common/MemoryManager.h"
#include "Common/Object.h"
#include "Common/StringUtils.h"
#include "Platforms/Win32/Win32Application.h"
#include "Debugger/LuaDebugger.h"

// Functions registered in a state raise Lua errors, which unwind by longjmp: where they
// can raise, they hold no lock and no object whose destructor must run; texts that
// must survive live on the Lua stack or in statics.

namespace Zep {

namespace {

const size_t kReadBufferSize = 0x8000;
const char* const kModulePath = ".\\?.lua;?.lua";

bool checkDestroyedObjects = true;

// The Lua value of an engine object: the object and its id when the box was made.
// The object pointer comes first, where tolua's user-type conversion reads it.
struct ObjectBox {
    Object* object;
    uint32_t id;
};

// The object box at the index, null when the value there is not one.
ObjectBox* BoxAt(lua_State* state, int index) {
    if (lua_type(state, index) != LUA_TUSERDATA || lua_objlen(state, index) < sizeof(ObjectBox))
        return nullptr;
    return static_cast<ObjectBox*>(lua_touserdata(state, index));
}

// Marks a module whose chunk is running, so that requiring it again is a loop.
char loadingSentinel;

// The state of one LoadScript's chunk reader.
struct ChunkReader {
    FileHandle file;
    char* buffer;
    int32_t errorCode;
};

const char* ReadChunk(lua_State*, void* data, size_t* size) {
    ChunkReader* reader = static_cast<ChunkReader*>(data);
    *size = 0;
    BundleSystem* bundles = BundleSystem::GetInstance();
    if (bundles->IsFileAtEof(reader->file))
        return nullptr;
    const int64_t read = bundles->ReadFile(reader->file, reader->buffer, kReadBufferSize);
    if (read < 0) {
        // A failed read must not pass for the end of the file.
        reader->errorCode = FileSystem::GetInstance()->GetLastError();
        if (reader->errorCode == 0)
            reader->errorCode = FS_ERROR_UNKNOWN;
        return nullptr;
    }
    if (read == 0)
        return nullptr;
    *size = static_cast<size_t>(read);
    return reader->buffer;
}

// [-0, +0] Writes an unprotected error of a state created without the debugger to the
// debug log. The error may be that memory ran out: the line is made in a fixed buffer,
// or written in pieces when it does not fit.
int LogPanic(lua_State* state) {
    ZEP_LUA_STACK_BEGIN(state);
    const char* text = lua_tostring(state, -1);
    if (!text)
        text = "";
    const char* const format = "unprotected error in call to Lua API (%s)\n";
    char line[1024];
    if (std::snprintf(line, sizeof(line), format, text) < static_cast<int>(sizeof(line))) {
        LogError(line);
    } else {
        LogError("unprotected error in call to Lua API (");
        LogOutput(text);
        LogOutput(")\n");
    }
    ZEP_LUA_STACK_END(state, 0);
    return 0;
}

// --- Script globals -------------------------------------------------------------------

// require(name): leaves [_LOADED, module] above the name.
int Require(lua_State* state) {
    const char* name = luaL_checkstring(state, 1);
    lua_settop(state, 1);
    ZEP_LUA_STACK_BEGIN(state);
    lua_getfield(state, LUA_REGISTRYINDEX, "_LOADED");  // 2
    lua_getfield(state, 2, name);
    if (lua_toboolean(state, -1)) {
        if (lua_touserdata(state, -1) == &loadingSentinel)
            luaL_error(state, "loop or previous error loading module '%s'", name);
        ZEP_LUA_STACK_END(state, 2);
        return 1;
    }
    lua_pop(state, 1);

    lua_getfield(state, LUA_ENVIRONINDEX, "path");  // 3
    const char* templates = lua_tostring(state, -1);
    if (!templates)
        luaL_error(state, "'package.%s' must be a string", "path");
    const char* file = nullptr;
    BundleSystem* bundles = BundleSystem::GetInstance();
    while (!file && *templates) {
        while (*templates == ';')
            ++templates;
        if (!*templates)
            break;
        const char* end = std::strchr(templates, ';');
        if (!end)
            end = templates + std::strlen(templates);
        lua_pushlstring(state, templates, static_cast<size_t>(end - templates));
        const char* candidate = luaL_gsub(state, lua_tostring(state, -1), "?", name);
        lua_remove(state, -2);
        FileHandle handle = bundles->OpenFile(candidate, FS_OPEN_READ);
        if (handle) {
            bundles->CloseFile(handle);
            file = candidate;  // stays on the stack at 4
        } else {
            lua_pop(state, 1);
        }
        templates = end;
    }
    if (!file)
        luaL_error(state, "error loading module '%s':\n\tfile not found or cannot be read", name);

    if (LoadScript(state, file) != 0)
        luaL_error(state, "error loading module '%s' from file '%s':\n\t'%s'", name, file, lua_tostring(state, -1));
    lua_pushlightuserdata(state, &loadingSentinel);
    lua_setfield(state, 2, name);
    lua_pushstring(state, name);
    lua_call(state, 1, 1);
    if (!lua_isnil(state, -1))
        lua_setfield(state, 2, name);
    lua_getfield(state, 2, name);
    if (lua_touserdata(state, -1) == &loadingSentinel) {
        lua_pushboolean(state, 1);
        lua_pushvalue(state, -1);
        lua_setfield(state, 2, name);
    }
    lua_replace(state, 3);
    lua_settop(state, 3);
    ZEP_LUA_STACK_END(state, 2);
    return 1;
}

// Makes the table on top of the stack the environment of the Lua function that called module.
void SetCallerEnvironment(lua_State* state) {
    lua_Debug record;
    if (!lua_getstack(state, 1, &record) || !lua_getinfo(state, "f", &record) || lua_iscfunction(state, -1))
        luaL_error(state, "'module' not called from a Lua function");
    lua_pushvalue(state, -2);
    lua_setfenv(state, -2);
    lua_pop(state, 1);
}

int Module(lua_State* state) {
    const char* name = luaL_checkstring(state, 1);
    const int lastArgument = lua_gettop(state);
    const int loaded = lastArgument + 1;
    luaL_findtable(state, LUA_REGISTRYINDEX, "_LOADED", 1);
    lua_getfield(state, loaded, name);
    if (!lua_istable(state, -1)) {
        lua_pop(state, 1);
        if (luaL_findtable(state, LUA_GLOBALSINDEX, name, 1) != nullptr)
            luaL_error(state, "name conflict for module '%s'", name);
        lua_pushvalue(state, -1);
        lua_setfield(state, loaded, name);
    }
    const int module = lua_gettop(state);
    lua_getfield(state, module, "_M");
    const bool initialised = !lua_isnil(state, -1);
    lua_pop(state, 1);
    if (!initialised) {
        lua_pushvalue(state, module);
        lua_setfield(state, module, "_M");
        lua_pushstring(state, name);
        lua_setfield(state, module, "_NAME");
        const char* lastDot = std::strrchr(name, '.');
        lua_pushlstring(state, name, lastDot ? static_cast<size_t>(lastDot - name + 1) : 0);
        lua_setfield(state, module, "_PACKAGE");
    }
    SetCallerEnvironment(state);
    for (int option = 2; option <= lastArgument; ++option) {
        lua_pushvalue(state, option);
        lua_pushvalue(state, module);
        lua_call(state, 1, 0);
    }
    return 0;
}

int SeeAll(lua_State* state) {
    luaL_checktype(state, 1, LUA_TTABLE);
    if (!lua_getmetatable(state, 1)) {
        lua_createtable(state, 0, 1);
        lua_pushvalue(state, -1);
        lua_setmetatable(state, 1);
    }
    lua_pushvalue(state, LUA_GLOBALSINDEX);
    lua_setfield(state, -2, "__index");
    return 0;
}

// The normalised path of the calling function's script file; "" for a chunk that is
// not a file and when there is no calling function (a coroutine's body, a C caller).
std::string CallerScriptPath(lua_State* state) {
    lua_Debug record;
    if (!lua_getstack(state, 1, &record) || !lua_getinfo(state, "nSl", &record) || record.source[0] != '@')
        return std::string();
    return GetNormalizedPath(record.source + 1);
}

int GetScriptPath(lua_State* state) {
    static std::string path;
    path = CallerScriptPath(state);
    lua_pushlstring(state, path.data(), path.size());
    return 1;
}

int GetScriptDirectory(lua_State* state) {
    static std::string directory;
    directory = ExtractBranch(CallerScriptPath(state));
    lua_pushlstring(state, directory.data(), directory.size());
    return 1;
}

int Print(lua_State* state) {
    // The last argument; a value that is no text (nor number) prints nothing.
    if (lua_gettop(state) == 0 || !lua_isstring(state, -1))
        return 0;
    const char* text = lua_tostring(state, -1);
    LDB::Output(state, text);
    LogInfo(text);
    LogInfo("\n");
    return 0;
}

// Runs as a C function so that "package" becomes the environment of the functions
// registered after it.
int OpenModuleLoader(lua_State* state) {
    luaL_newmetatable(state, "_LOADLIB");
    lua_pop(state, 1);

    static const luaL_Reg packageFunctions[] = {{"seeall", SeeAll}, {nullptr, nullptr}};
    luaL_register(state, "package", packageFunctions);
    lua_pushvalue(state, -1);
    lua_replace(state, LUA_ENVIRONINDEX);
    lua_pushstring(state, kModulePath);
    lua_setfield(state, -2, "path");
    luaL_findtable(state, LUA_REGISTRYINDEX, "_LOADED", 2);
    lua_setfield(state, -2, "loaded");

    static const luaL_Reg globals[] = {{"require", Require},
                                       {"module", Module},
                                       {"GetScriptPath", GetScriptPath},
                                       {"GetScriptDirectory", GetScriptDirectory},
                                       {"Print", Print},
                                       {nullptr, nullptr}};
    lua_pushvalue(state, LUA_GLOBALSINDEX);
    luaL_register(state, nullptr, globals);
    lua_pop(state, 2);
    return 0;
}

}  // namespace

lua_State* CreateLuaState(bool attachDebugger) {
    lua_State* state = lua_newstate(&LuaAllocate, nullptr);
    if (!state)
        return nullptr;
    lua_atpanic(state, &LogPanic);
    if (attachDebugger)
        LDB::Attach(state);
    else
        OpenLuaLibraries(state);
    lua_pushcfunction(state, &OpenModuleLoader);
    lua_call(state, 0, 0);
    return state;
}

void OpenLuaLibraries(lua_State* state) {
    static const luaL_Reg libraries[] = {
        {"", luaopen_base},  // also the coroutine library
        {LUA_TABLIBNAME, luaopen_table},
        {LUA_STRLIBNAME, luaopen_string},
        {LUA_MATHLIBNAME, luaopen_math},
        {LUA_DBLIBNAME, luaopen_debug},
    };
    for (const luaL_Reg& library : libraries) {
        lua_pushcfunction(state, library.func);
        lua_pushstring(state, library.name);
        lua_call(state, 1, 0);
    }
}

void CloseLuaState(lua_State* state) {
    lua_getglobal(state, "Cleanup");
    if (!lua_isnil(state, -1))
        lua_call(state, 0, 0);  // unprotected: an error ends in the panic handler
    else
        lua_pop(state, 1);
    if (!LDB::Detach(state))
        lua_close(state);
}

int LoadScript(lua_State* state, const char* path) {
    ZEP_LUA_STACK_BEGIN(state);
    if (!path || !*path) {
        lua_pushstring(state, "File name is not specified");
        ZEP_LUA_STACK_END(state, 1);
        return LOAD_SCRIPT_FILE_ERROR;
    }
    BundleSystem* bundles = BundleSystem::GetInstance();
    ChunkReader reader = {bundles->OpenFile(path, FS_OPEN_READ), nullptr, 0};
    if (!reader.file) {
        lua_pushfstring(state, "Failed to open file %s", path);
        ZEP_LUA_STACK_END(state, 1);
        return LOAD_SCRIPT_FILE_ERROR;
    }
    reader.buffer = static_cast<char*>(MemoryManager::Allocate(kReadBufferSize));
    if (!reader.buffer) {
        bundles->CloseFile(reader.file);
        lua_pushstring(state, "Failed to allocate memory for file buffer");
        ZEP_LUA_STACK_END(state, 1);
        return LOAD_SCRIPT_OUT_OF_MEMORY;
    }
    {
        const std::string chunkName = "@" + GetNormalizedPath(path);
        lua_pushlstring(state, chunkName.data(), chunkName.size());
    }
    const int result = lua_load(state, &ReadChunk, &reader, lua_tostring(state, -1));
    MemoryManager::Deallocate(reader.buffer);
    bundles->CloseFile(reader.file);
    if (reader.errorCode != 0) {
        lua_pop(state, 2);
        lua_pushfstring(state, "Failed to read data from file %s: %s", path,
                        FileSystem::GetErrorText(reader.errorCode));
        ZEP_LUA_STACK_END(state, 1);
        return LOAD_SCRIPT_FILE_ERROR;
    }
    lua_remove(state, -2);
    ZEP_LUA_STACK_END(state, 1);
    return result;
}

std::string GetLuaCallStack(lua_State* state) {
    std::string stack;
    lua_Debug record;
    for (int level = 0; lua_getstack(state, level, &record); ++level) {
        lua_getinfo(state, "Snl", &record);
        if (record.namewhat && *record.namewhat) {
            stack += record.name ? record.name : "";
        } else if (std::strcmp(record.what, "C") == 0 || std::strcmp(record.what, "tail") == 0) {
            stack += "?";
        } else if (std::strcmp(record.what, "main") == 0) {
            stack += "main_chunk";
        } else {
            stack += "no name [defined <";
            stack += record.short_src;
            stack += ":" + std::to_string(record.linedefined) + ">]";
        }
        if (record.currentline >= 0) {
            stack += "; ";
            stack += record.source;
            stack += ":" + std::to_string(record.currentline);
        }
        stack += "\n";
    }
    return stack;
}

namespace Detail {

int LuaStackTop(lua_State* state) {
    return lua_gettop(state);
}

void CheckLuaStackEffect(lua_State* state, int top, int delta, const char* function, const char* file, int line) {
    const int effect = lua_gettop(state) - top;
    if (effect != delta)
        AssertionFailed(file, line,
                        std::string("Lua stack effect of ") + function + " is " + std::to_string(effect) +
                            ", declared " + std::to_string(delta));
}

}  // namespace Detail

void CheckDestroyedLuaObjects(bool check) {
    checkDestroyedObjects = check;
}

bool IsCheckingDestroyedLuaObjects() {
    return checkDestroyedObjects;
}

}  // namespace Zep

void LuaPushObject(lua_State* state, Zep::Object* object, const char* typeName) {
    ZEP_LUA_STACK_BEGIN(state);
    if (!object) {
        lua_pushnil(state);
        ZEP_LUA_STACK_END(state, 1);
        return;
    }
    // The class metatable: the declared script class's, or that of the nearest class
    // of the object that scripts know.
    if (typeName && std::strstr(typeName, "Lua__")) {
        lua_getfield(state, LUA_REGISTRYINDEX, typeName);
    } else {
        lua_pushnil(state);
        for (Zep::ClassInfo* info = object->GetClassInfo(); info && lua_isnil(state, -1);
             info = info->GetBaseClassInfo()) {
            lua_pop(state, 1);
            lua_getfield(state, LUA_REGISTRYINDEX, info->GetName().c_str());
        }
    }
    if (!lua_istable(state, -1)) {
        lua_pop(state, 1);
        Zep::Panic("Common\\LuaCore.cpp", 614, "LuaPushObject failed");
    }
    // The box cache, by object address.
    lua_pushstring(state, "tolua_ubox");
    lua_rawget(state, -2);
    if (lua_isnil(state, -1)) {
        lua_pop(state, 1);
        lua_pushstring(state, "tolua_ubox");
        lua_rawget(state, LUA_REGISTRYINDEX);
    }
    if (!lua_istable(state, -1)) {
        lua_pop(state, 2);
        Zep::Panic("Common\\LuaCore.cpp", 614, "LuaPushObject failed");
    }
    // Stack: metatable, cache.
    lua_pushlightuserdata(state, object);
    lua_rawget(state, -2);
    const Zep::ObjectBox* cached = Zep::BoxAt(state, -1);
    if (cached && cached->id == object->GetObjectId()) {
        lua_replace(state, -3);
        lua_pop(state, 1);
        ZEP_LUA_STACK_END(state, 1);
        return;
    }
    lua_pop(state, 1);
    // A new box; it replaces a stale one of an object that lived at this address.
    auto* box = static_cast<Zep::ObjectBox*>(lua_newuserdata(state, sizeof(Zep::ObjectBox)));
    box->object = object;
    box->id = object->GetObjectId();
    lua_pushlightuserdata(state, object);
    lua_pushvalue(state, -2);
    lua_rawset(state, -4);
    lua_pushvalue(state, -3);
    lua_setmetatable(state, -2);
    lua_pushvalue(state, LUA_REGISTRYINDEX);
    lua_setfenv(state, -2);
    lua_replace(state, -3);
    lua_pop(state, 1);
    ZEP_LUA_STACK_END(state, 1);
}

namespace Zep {

Object* LuaToObject(lua_State* state, int index, void* defaultValue) {
    ZEP_LUA_STACK_BEGIN(state);
    Object* object = static_cast<Object*>(tolua_tousertype(state, index, defaultValue));
    uint32_t objectId = 0;
    uint32_t referenceId = 0;
    if (object && Detail::IsDestroyedObjectBox(state, index, object, &objectId, &referenceId)) {
        char message[128];
        Detail::FormatDestroyedObjectError(message, sizeof(message), objectId, referenceId);
        luaL_error(state, "%s", message);
    }
    ZEP_LUA_STACK_END(state, 0);
    return object;
}

namespace Detail {

bool IsDestroyedObjectBox(lua_State* state, int index, const void* object, uint32_t* objectId, uint32_t* referenceId) {
    if (!checkDestroyedObjects || Win32::IsRunningInEditor())
        return false;
    const ObjectBox* box = BoxAt(state, index);
    if (!box || box->object != object)
        return false;
    // The object is never read: the live-object registry says which object, if any,
    // lives at that address now.
    const uint32_t liveId = Object::GetLiveObjectId(object);
    if (liveId == box->id)
        return false;
    *objectId = liveId;
    *referenceId = box->id;
    return true;
}

bool ReadObjectBox(lua_State* state, int index, Object** object, uint32_t* id) {
    const ObjectBox* box = BoxAt(state, index);
    if (!box)
        return false;
    *object = box->object;
    *id = box->id;
    return true;
}

void FormatDestroyedObjectError(char* buffer, size_t size, uint32_t objectId, uint32_t referenceId) {
    std::snprintf(buffer, size, "Attempt to access destroyed Zep::Object (object id: %d, reference id: %d)",
                  static_cast<int>(objectId), static_cast<int>(referenceId));
}

}  // namespace Detail

void ThrowScriptError(lua_State* state) {
    const int reference = luaL_ref(state, LUA_REGISTRYINDEX);
    throw Exception::ScriptError(reference);
}

void PushScriptError(lua_State* state, int reference) {
    ZEP_LUA_STACK_BEGIN(state);
    lua_rawgeti(state, LUA_REGISTRYINDEX, reference);
    luaL_unref(state, LUA_REGISTRYINDEX, reference);
    ZEP_LUA_STACK_END(state, 1);
}

}  // namespace Zep

void LuaPushObject(lua_State* state, void* object, const char* typeName) {
    LuaPushObject(state, static_cast<Zep::Object*>(object), typeName);
}
