// Fast trigonometry, the reciprocal square root, the engine's random number
// streams and CRC-32.
#pragma once

#include <cstddef>
#include <cstdint>

namespace Zep {

// --- Math ----------------------------------------------------------------------------
// Parabolic sine approximation; writes the cosine when cosine is not null. The
// precise mode adds one refinement step (error below 0.001).
float FastSin(float angle, float* cosine, bool precise);
void FastSinCos(float angle, float& sine, float& cosine, bool precise);

// The processor's reciprocal-square-root estimate refined by one Newton step.
float FastReciprocalSqrt(float value);

// Truncates toward zero; NaN gives 0 and values beyond the int range are clamped.
int TruncateToInt(float value);
// Truncates to an integer and clamps to 0..255; NaN gives 0.
int TruncateToByte(float value);

float CatmullRom(float t, float p0, float p1, float p2, float p3);

// --- Random numbers ------------------------------------------------------------------
// Eight linear-congruential streams (slot & 7): state = state * 214013 + 2531011,
// output state >> 16. All states are 0 at start. Unguarded: the game thread
// draws from them.
int Rand();                            // one step of slot 0: the 16-bit output
int Rand(int n, int slot);             // 0..n-1; n > 65534 gives the raw output, n <= 0 gives 0
float RandUnit(int slot);              // output / 65535: 0 to 1 inclusive
int SetRand(uint32_t seed, int slot);  // returns slot & 7
// A fresh seed from the tick count and the current thread id.
uint32_t Random();

// The platforms a game may run on, as scripts number them.
enum PlatformType : int32_t {
    PLATFORM_WIN32 = 1,
    PLATFORM_MACOSX = 2,
    PLATFORM_LINUX = 3,
    PLATFORM_WII = 4,
    PLATFORM_XBOX360 = 5,
    PLATFORM_PS3 = 6,
    PLATFORM_PSP = 7,
    PLATFORM_IPHONE = 8,
};

// The platform of this build: PLATFORM_WIN32.
int GetCurrentPlatform();

// --- CRC-32 --------------------------------------------------------------------------
// The CRC-32 of zlib and PNG (reflected polynomial 0xEDB88320). previous = 0
// starts a checksum; passing an earlier result continues it.
uint32_t Crc32(uint32_t previous, const void* bytes, size_t count);
// Builds the lookup table; Crc32 does so on first use.
void InitCrc32Table();

}  // namespace Zep
