#include "Common/ZepBoxMain.h"

extern "C" {
#include <lauxlib.h>
#include <lua.h>
}

#include "Bindings/ZepBindings.h"
#include "Common/BundleSystem.h"
#include "Common/ClassRegistrations.h"
#include "Common/CoreUtils.h"
#include "Common/FileAttributes.h"
#include "Common/FileSystem.h"
#include "Common/LuaCore.h"
#include "Common/LuaProfiler.h"
#include "Common/StringUtils.h"
#include "Debugger/LuaDebugger.h"
#include "Platforms/Win32/Win32Mutex.h"

namespace Zep {

const char* const kSingleInstanceGuardName = "6F1D2C84-3B7A-4E59-9C20-8A5B71D0E3F4";

lua_State* mainLuaState = nullptr;

namespace {

const char* const packedContentName = "contents.dat";
const char* const mainScriptName = "Main.lua";
// The collector's pause (percent of the memory in use after a collection that starts
// the next cycle): at 150 it keeps up with the values the frames hand to scripts.
const int kCollectorPause = 150;

// Mounts "contents.dat" of the current folder (when there is one) and then the folder
// itself, so that loose files shadow packed ones. A "contents.dat" beside the
// executable makes the executable's folder the current one first.
void MountContent() {
    FileSystem* files = FileSystem::GetInstance();
    const std::string binaryFolder = files->GetBinaryDirectory();
    if (files->PathExists(ConcatPaths(binaryFolder, packedContentName), FS_PATH_ANY))
        files->SetCurrentDirectory(binaryFolder);

    const std::string currentFolder = files->GetCurrentDirectory();
    const std::string packedContent = ConcatPaths(currentFolder, packedContentName);
    BundleSystem* bundles = BundleSystem::GetInstance();
    if (files->PathExists(packedContent, FS_PATH_ANY))
        bundles->MountPackage(packedContent, FS_OPEN_READ);
    bundles->MountDirectory(currentFolder);
}

// The text of the error value on top of the stack, or a note of its type.
std::string ErrorText(lua_State* state) {
    const char* text = lua_tostring(state, -1);
    if (text)
        return text;
    return std::string("(error object is a ") + luaL_typename(state, -1) + " value)";
}

}  // namespace

void RunScript(const std::string& path, lua_State* state) {
    if (LoadScript(state, path.c_str()) != 0)
        Panic("Common\\ZepBoxMain.cpp", 30, "Failed to load script: " + ErrorText(state));
    if (LDB::PCall(state, 0, LUA_MULTRET, 0) != 0)
        Panic("Common\\ZepBoxMain.cpp", 38, "Failed to run script: " + ErrorText(state));
}

void LuaPrintOutput(void* userData, const char* text) {
    lua_State* state = static_cast<lua_State*>(userData);
    if (LDB::IsConnected(state))
        LDB::Output(state, text);
    else
        LogInfo(text);
}

}  // namespace Zep

int PlayerMain(int, char**) {
    Zep::ForceLinkClassRegistrations();
    // Held until the process ends; the system releases it then.
    static Zep::Win32::Mutex singleInstanceGuard(Zep::kSingleInstanceGuardName);
    if (!singleInstanceGuard.TryLock())
        return 0;

    Zep::MountContent();
    if (!Zep::BundleSystem::GetInstance()->PathExists(Zep::mainScriptName, Zep::FS_PATH_FILE))
        Zep::Panic("Common\\ZepBoxMain.cpp", 116, Zep::Sprintf("Script \"%s\" not found", Zep::mainScriptName));

    Zep::FileAttributes::GetInstance().LoadAll();

    lua_State* state = Zep::CreateLuaState(true);
    if (!state)
        ZEP_PANIC("Failed to create the Lua state");
    Zep::mainLuaState = state;
    // Frames copy values into scripts all the time; with the default pause the
    // incremental collector falls behind and memory grows without bound.
    lua_gc(state, LUA_GCSETPAUSE, Zep::kCollectorPause);
    luaopen_profiler(state, &Zep::LuaPrintOutput, state);
    tolua_Zep_open(state);
    Zep::RunScript(Zep::mainScriptName, state);
    Zep::CloseLuaState(state);
    Zep::mainLuaState = nullptr;
    return 0;
}
