// Threads, thread-local storage, thread and process times, and waiting.
#pragma once

#include "win32_types.h"

typedef DWORD(WINAPI* LPTHREAD_START_ROUTINE)(LPVOID parameter);

#define CREATE_SUSPENDED 0x00000004u
#define STILL_ACTIVE 259u

#define THREAD_TERMINATE 0x0001u
#define THREAD_SUSPEND_RESUME 0x0002u
#define THREAD_SET_INFORMATION 0x0020u
#define THREAD_QUERY_INFORMATION 0x0040u

#define THREAD_PRIORITY_IDLE (-15)
#define THREAD_PRIORITY_LOWEST (-2)
#define THREAD_PRIORITY_BELOW_NORMAL (-1)
#define THREAD_PRIORITY_NORMAL 0
#define THREAD_PRIORITY_ABOVE_NORMAL 1
#define THREAD_PRIORITY_HIGHEST 2
#define THREAD_PRIORITY_TIME_CRITICAL 15
#define THREAD_PRIORITY_ERROR_RETURN 0x7FFFFFFF

#define TLS_OUT_OF_INDEXES 0xFFFFFFFFu

// Thrown by ExitThread, and by a Sleep or wait of a thread that TerminateThread
// asked to stop; the start routine of the thread catches it and records the code.
// A catch (...) on a thread's way must rethrow it first.
struct ThreadExit {
    DWORD exitCode;
};

// Sleep(0) yields the processor; other values sleep at least that many milliseconds.
// A thread asked to stop by TerminateThread ends here.
void Sleep(DWORD milliseconds);

// The new thread's id is known when this returns; with CREATE_SUSPENDED it waits
// for ResumeThread. The real stack is at least 256 KiB (1 MiB for 0).
HANDLE CreateThread(LPSECURITY_ATTRIBUTES attributes, SIZE_T stackSize, LPTHREAD_START_ROUTINE startAddress,
                    LPVOID parameter, DWORD creationFlags, LPDWORD threadId);
// Returns the previous suspend count, (DWORD)-1 on failure.
DWORD ResumeThread(HANDLE thread);
// Values -15, -2, -1, 0, 1, 2 and 15. The value is kept; the system niceness is
// best effort, and a refusal for want of privileges is logged, not a failure.
BOOL SetThreadPriority(HANDLE thread, int priority);
int GetThreadPriority(HANDLE thread);
// Ends the calling thread (by throwing ThreadExit) with the code. Only for threads
// that CreateThread started: elsewhere nothing catches the exception.
[[noreturn]] void ExitThread(DWORD exitCode);
// Cooperative: the target ends at its next Sleep or wait; the caller waits up to
// one second for that, then leaves the thread to itself.
BOOL TerminateThread(HANDLE thread, DWORD exitCode);
BOOL GetExitCodeThread(HANDLE thread, LPDWORD exitCode);
// Kernel time is reported as 0 and all processor time as user time.
BOOL GetThreadTimes(HANDLE thread, LPFILETIME creationTime, LPFILETIME exitTime, LPFILETIME kernelTime,
                    LPFILETIME userTime);
BOOL GetProcessTimes(HANDLE process, LPFILETIME creationTime, LPFILETIME exitTime, LPFILETIME kernelTime,
                     LPFILETIME userTime);
HANDLE GetCurrentProcess();
// Only the calling thread's own id can be opened.
HANDLE OpenThread(DWORD desiredAccess, BOOL inheritHandle, DWORD threadId);

DWORD TlsAlloc();
BOOL TlsFree(DWORD index);
BOOL TlsSetValue(DWORD index, LPVOID value);
LPVOID TlsGetValue(DWORD index);
