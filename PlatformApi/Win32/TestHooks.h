// Hooks for tests of the layer and of the engine. Engine code never calls them.
#pragma once

#include <cstdint>

namespace PlatformTest {

// The period recorded by timeBeginPeriod (0 when none is in force).
uint32_t GetTimerPeriod();

// Added to GetTickCount and timeGetTime, to test the 32-bit wrap.
void SetTickOffset(uint32_t offset);

// Switches the case-insensitive retry of failed file lookups on or off (on by default).
void SetCaseInsensitiveLookup(bool enabled);

}  // namespace PlatformTest
