// Shell: opening documents and addresses with the desktop's default handler.
#pragma once

#include "win32_types.h"

#define SW_HIDE 0
#define SW_SHOWNORMAL 1
#define SW_NORMAL 1

// Results up to 32 are errors.
#define SE_ERR_FNF 2
#define SE_ERR_NOASSOC 31

// Only the "open" verb (also a null verb) is known; any other gives SE_ERR_NOASSOC.
// Opens the file or address with xdg-open, started directly without a shell, and
// returns 42 without waiting for it; parameters, folder and show command are not
// used. With ZEP_HEADLESS=1 it only writes `ShellExecute: open "<file>"` to the
// debug output. SE_ERR_NOASSOC also when xdg-open cannot be started.
HINSTANCE ShellExecuteA(HWND owner, LPCSTR operation, LPCSTR file, LPCSTR parameters, LPCSTR directory,
                        INT showCommand);
HINSTANCE ShellExecuteW(HWND owner, LPCWSTR operation, LPCWSTR file, LPCWSTR parameters, LPCWSTR directory,
                        INT showCommand);
