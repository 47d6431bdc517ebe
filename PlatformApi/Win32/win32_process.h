// Process services and diagnostics.
#pragma once

#include "win32_types.h"

// Writes the text to stderr in one write (and to the file named by ZEP_DEBUG_LOG).
void OutputDebugStringA(LPCSTR text);
// Flushes the stdio streams and ends the process at once: no destructor, no exit-list entry.
[[noreturn]] void ExitProcess(UINT exitCode);
DWORD GetModuleFileNameA(HMODULE module, LPSTR buffer, DWORD size);
DWORD GetModuleFileNameW(HMODULE module, LPWSTR buffer, DWORD size);
HMODULE GetModuleHandleA(LPCSTR moduleName);
#define GetModuleHandle GetModuleHandleA
