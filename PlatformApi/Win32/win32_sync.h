// Kernel objects shared by every handle kind, kernel mutexes and critical sections.
#pragma once

#include "win32_types.h"

#define WAIT_OBJECT_0 0x00000000u
#define WAIT_ABANDONED 0x00000080u
#define WAIT_TIMEOUT 0x00000102u
#define WAIT_FAILED 0xFFFFFFFFu

#define SYNCHRONIZE 0x00100000u

BOOL CloseHandle(HANDLE handle);
DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds);
DWORD GetCurrentThreadId();

// Unnamed: a recursive in-process lock. Named: the same lock plus an exclusive
// lock file, so that two processes opening one name exclude each other.
HANDLE CreateMutexA(LPSECURITY_ATTRIBUTES attributes, BOOL initialOwner, LPCSTR name);
BOOL ReleaseMutex(HANDLE mutex);

// A recursive in-process lock. The storage holds the system lock; it must not be
// moved or copied between InitializeCriticalSection and DeleteCriticalSection.
typedef struct _CRITICAL_SECTION {
    alignas(16) unsigned char storage[64];
} CRITICAL_SECTION, *LPCRITICAL_SECTION;

void InitializeCriticalSection(LPCRITICAL_SECTION section);
void EnterCriticalSection(LPCRITICAL_SECTION section);
BOOL TryEnterCriticalSection(LPCRITICAL_SECTION section);
void LeaveCriticalSection(LPCRITICAL_SECTION section);
void DeleteCriticalSection(LPCRITICAL_SECTION section);
