// The remote script debugger client: the entry points through which the rest of
// the program reaches it.
//
// Not built yet: contexts with their remote engine, the connection, the debug hook,
// the coroutine wrappers' registration of threads (they only count them so far), the
// replacement assert and the LDB table (the debugger issue). Until then every attached state behaves as one whose
// connection attempt failed: the standard libraries and the panic handler are installed, nothing is ever connected,
// output goes nowhere and a script error with a text ends the process in the "Lua error has occurred" box.
#pragma once

#include <cstdint>
#include <string>

#include <windows.h>

struct lua_State;

namespace LDB {

// Opens the standard libraries, installs the panic handler and registers the state
// as attached. Returns 0.
int Attach(lua_State* state);
// True when the state's context holds a connection to a debugger server.
bool IsConnected(lua_State* state);
// For an attached main state: forgets it and closes it (lua_close); true. Otherwise
// pushes the missing-context text and returns false.
bool Detach(lua_State* state);
// lua_pcall through the state's context. An error whose value has a text ends the
// process while no debugger is connected; an error without a text returns its status
// with the value left on the stack. -1 (with the missing-context text pushed) for a
// state that was never attached.
int PCall(lua_State* state, int argumentCount, int resultCount, int errorHandler);
// Sends the text to a connected debugger as an output record. 0; -1 (with the
// missing-context text pushed) for a state that was never attached.
int Output(lua_State* state, const char* text);
// Live Lua threads of the process: each attached main state and each coroutine made
// by coroutine.create or coroutine.wrap in one, until the collector frees it.
int32_t GetLiveThreadCount();
// Remembers the game window, which a debugger brings to the front when it resumes the
// game. Returns 0.
int SetMainWindow(HWND window);

namespace Detail {

// Pushed when an entry point finds no context for a state; spelled as the server expects.
extern const char* const kNoContextText;

// The panic handler of attached states: the error text goes to the error output,
// then the process ends in FatalLuaError.
int PanicHandler(lua_State* state);
// "Lua error has occurred" box (warning icon) with the text, then exit code 1. A null
// text skips the box.
[[noreturn]] void FatalLuaError(const char* text);
// The window given to SetMainWindow; null before the first.
HWND GetMainWindow();

}  // namespace Detail
}  // namespace LDB
