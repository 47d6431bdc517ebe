#include "Common/MathUtils.h"

#include <climits>
#include <cmath>

#if defined(__SSE__) || defined(__x86_64__)
#include <xmmintrin.h>
#define ZEP_HAS_SSE_RSQRT 1
#endif

#include <windows.h>

namespace Zep {

namespace {

const float kTwoPi = 6.2831855f;
const float kPi = 3.1415927f;
const float kHalfPi = 1.5707964f;
const float kInverseTwoPi = 0.15915494f;

// The parabola through (-pi, 0), (0, 0), (pi, 0) with its peak at pi/2, and the
// optional refinement towards the real sine.
float SineOfReduced(float v, bool precise) {
    float y = v >= 0.0f ? v * (1.2732395f - 0.40528473f * v) : v * (1.2732395f + 0.40528473f * v);
    if (precise)
        y = y >= 0.0f ? y * ((y - 1.0f) * 0.225f + 1.0f) : y * (1.0f - (y + 1.0f) * 0.225f);
    return y;
}

uint32_t randomStates[8] = {0, 0, 0, 0, 0, 0, 0, 0};

uint32_t StepRandom(int slot) {
    uint32_t& state = randomStates[slot & 7];
    state = state * 214013u + 2531011u;
    return state >> 16;
}

struct Crc32Table {
    uint32_t entries[256];
    Crc32Table() {
        for (uint32_t n = 0; n < 256; ++n) {
            uint32_t c = n;
            for (int bit = 0; bit < 8; ++bit)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            entries[n] = c;
        }
    }
};

// Built on first use; the function-local static makes a first use from two
// threads at once safe.
const Crc32Table& GetCrc32Table() {
    static const Crc32Table table;
    return table;
}

}  // namespace

int TruncateToInt(float value) {
    if (!(value == value))
        return 0;
    // 2^31 is the first float beyond the int range; -2^31 itself still fits.
    if (value >= 2147483648.0f)
        return INT_MAX;
    if (value < -2147483648.0f)
        return INT_MIN;
    return static_cast<int>(value);
}

int TruncateToByte(float value) {
    if (!(value > 0.0f))
        return 0;
    if (value >= 255.0f)
        return 255;
    return static_cast<int>(value);
}

float FastSin(float angle, float* cosine, bool precise) {
    if (angle == 0.0f) {
        if (cosine)
            *cosine = 1.0f;
        return 0.0f;
    }
    if (angle > kTwoPi)
        angle -= static_cast<float>(TruncateToInt(angle * kInverseTwoPi)) * kTwoPi;
    if (angle < 0.0f)
        angle = kTwoPi - static_cast<float>(TruncateToInt(angle * kInverseTwoPi)) * kTwoPi + angle;
    if (angle > kPi)
        angle -= kTwoPi;
    if (cosine) {
        float b = angle + kHalfPi;
        if (b > kPi)
            b -= kTwoPi;
        *cosine = SineOfReduced(b, precise);
    }
    return SineOfReduced(angle, precise);
}

void FastSinCos(float angle, float& sine, float& cosine, bool precise) {
    sine = FastSin(angle, &cosine, precise);
}

float FastReciprocalSqrt(float value) {
#if defined(ZEP_HAS_SSE_RSQRT)
    const float r = _mm_cvtss_f32(_mm_rsqrt_ss(_mm_set_ss(value)));
#else
    const float r = 1.0f / std::sqrt(value);
#endif
    return r * (3.0f - r * r * value) * 0.5f;
}

float CatmullRom(float t, float p0, float p1, float p2, float p3) {
    const float t2 = t * t;
    const float t3 = t2 * t;
    return p1 + 0.5f * ((p2 - p0) * t + (2.0f * p0 - 5.0f * p1 + 4.0f * p2 - p3) * t2 +
                        (3.0f * p1 - p0 - 3.0f * p2 + p3) * t3);
}

int Rand() {
    return static_cast<int>(StepRandom(0));
}

int Rand(int n, int slot) {
    const uint32_t output = StepRandom(slot);
    if (n > 65534)
        return static_cast<int>(output);
    if (n <= 0)
        return 0;
    // Unsigned: 65534 * 65535 does not fit a signed 32-bit product.
    return static_cast<int>((static_cast<uint32_t>(n) * output) >> 16);
}

float RandUnit(int slot) {
    return static_cast<float>(StepRandom(slot)) / 65535.0f;
}

int SetRand(uint32_t seed, int slot) {
    randomStates[slot & 7] = seed;
    return slot & 7;
}

uint32_t Random() {
    const DWORD ticks = ::GetTickCount();
    return Crc32(::GetCurrentThreadId(), &ticks, sizeof(ticks));
}

int GetCurrentPlatform() {
    return PLATFORM_WIN32;
}

void InitCrc32Table() {
    GetCrc32Table();
}

uint32_t Crc32(uint32_t previous, const void* bytes, size_t count) {
    const uint32_t* table = GetCrc32Table().entries;
    const unsigned char* data = static_cast<const unsigned char*>(bytes);
    uint32_t crc = ~previous;
    for (size_t i = 0; i < count; ++i)
        crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

}  // namespace Zep
