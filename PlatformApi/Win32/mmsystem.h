// Multimedia timers.
#pragma once

#include "win32_types.h"

typedef UINT MMRESULT;
#define TIMERR_NOERROR 0u
#define TIMERR_NOCANDO 97u

// Records the period in force; sleeps are already fine-grained here.
MMRESULT timeBeginPeriod(UINT period);
MMRESULT timeEndPeriod(UINT period);
// Milliseconds, the same clock as GetTickCount.
DWORD timeGetTime();
