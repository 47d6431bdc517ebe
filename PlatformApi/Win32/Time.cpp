#include <time.h>

#include <atomic>

#include "TestHooks.h"
#include "mmsystem.h"
#include "win32_time.h"

namespace {

std::atomic<uint32_t> tickOffset{0};

int64_t MonotonicNanoseconds() {
    timespec now;
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<int64_t>(now.tv_sec) * 1000000000LL + now.tv_nsec;
}

}  // namespace

BOOL QueryPerformanceCounter(LARGE_INTEGER* count) {
    count->QuadPart = MonotonicNanoseconds() / 100;
    return TRUE;
}

BOOL QueryPerformanceFrequency(LARGE_INTEGER* frequency) {
    frequency->QuadPart = 10000000;
    return TRUE;
}

DWORD GetTickCount() {
    return static_cast<DWORD>(MonotonicNanoseconds() / 1000000) + tickOffset.load();
}

DWORD timeGetTime() {
    return GetTickCount();
}

void PlatformTest::SetTickOffset(uint32_t offset) {
    tickOffset = offset;
}
