// Performance counter and tick count.
#pragma once

#include "win32_types.h"

// 100 ns ticks of a monotonic clock: the frequency is 10 MHz.
BOOL QueryPerformanceCounter(LARGE_INTEGER* count);
BOOL QueryPerformanceFrequency(LARGE_INTEGER* frequency);
// Milliseconds of the same clock in 32 bits; wraps after 49.7 days.
DWORD GetTickCount();
