// Hooks for tests of the layer and of the engine. Engine code never calls them.
#pragma once

#include <cstdint>

#include "win32_types.h"

namespace PlatformTest {

// The period recorded by timeBeginPeriod (0 when none is in force).
uint32_t GetTimerPeriod();

// Added to GetTickCount and timeGetTime, to test the 32-bit wrap.
void SetTickOffset(uint32_t offset);

// The virtual clock of QueryPerformanceCounter, GetTickCount and timeGetTime, as
// ZEP_VIRTUAL_CLOCK_MS sets it: it moves by stepMs (1 to 1000) at each idle pass of
// PeekMessageA and at nothing else. 0 returns to the real clocks.
void SetVirtualClock(uint32_t stepMs);
// Moves the virtual clock forward by ms.
void AdvanceVirtualClock(uint32_t ms);

// How many times AllowSetForegroundWindow has been called.
uint32_t GetAllowSetForegroundWindowCount();

// Switches the case-insensitive retry of failed file lookups on or off (on by default).
void SetCaseInsensitiveLookup(bool enabled);

// Whether a ClipCursor rectangle is in force, and which (screen coordinates) into clip
// when it is not null.
BOOL GetCursorClip(RECT* clip);
// While on, RegisterRawInputDevices fails with FALSE.
void FailRegisterRawInput(bool fail);
// The size and hotspot of a cursor the layer made; FALSE for a handle it does not know.
BOOL GetCursorImage(HCURSOR cursor, int* width, int* height, POINT* hotspot);

}  // namespace PlatformTest
