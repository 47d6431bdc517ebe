// User interface: message boxes.
#pragma once

#include "win32_types.h"

#define MB_OK 0x00000000u
#define MB_ICONERROR 0x00000010u
#define MB_ICONHAND MB_ICONERROR
#define MB_ICONSTOP MB_ICONERROR
#define MB_ICONQUESTION 0x00000020u
#define MB_ICONWARNING 0x00000030u
#define MB_ICONEXCLAMATION MB_ICONWARNING
#define MB_ICONINFORMATION 0x00000040u
#define MB_ICONASTERISK MB_ICONINFORMATION

#define IDOK 1
#define IDCANCEL 2

// Modal; usable before any window or video exists. Always writes "caption: text\n"
// to stderr and appends a record to the file named by ZEP_MESSAGEBOX_LOG.
int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type);
