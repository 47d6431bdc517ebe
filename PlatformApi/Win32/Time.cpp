#include <time.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <string>

#include "LayerInternal.h"
#include "TestHooks.h"
#include "mmsystem.h"
#include "win32_time.h"

namespace {

std::atomic<uint32_t> tickOffset{0};

// The virtual clock: off while the step is 0. A step of -1 means that
// ZEP_VIRTUAL_CLOCK_MS has not been read yet.
constexpr int32_t kStepUnread = -1;
constexpr uint32_t kMaxStepMs = 1000;
// Where the virtual clock starts, so that runs see the same times.
constexpr int64_t kVirtualOriginMs = 1000000;
std::atomic<int32_t> virtualStepMs{kStepUnread};
std::atomic<int64_t> virtualElapsedMs{0};

uint32_t StepFromEnvironment() {
    const std::string text = PlatformInternal::GetEnv("ZEP_VIRTUAL_CLOCK_MS");
    if (text.empty())
        return 0;
    char* end = nullptr;
    errno = 0;
    const long value = std::strtol(text.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || value < 1 || value > static_cast<long>(kMaxStepMs))
        return 0;
    return static_cast<uint32_t>(value);
}

uint32_t VirtualStep() {
    int32_t step = virtualStepMs.load();
    if (step == kStepUnread) {
        int32_t expected = kStepUnread;
        virtualStepMs.compare_exchange_strong(expected, static_cast<int32_t>(StepFromEnvironment()));
        step = virtualStepMs.load();
    }
    return static_cast<uint32_t>(step);
}

int64_t VirtualMilliseconds() {
    return kVirtualOriginMs + virtualElapsedMs.load();
}

int64_t MonotonicNanoseconds() {
    timespec now;
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<int64_t>(now.tv_sec) * 1000000000LL + now.tv_nsec;
}

}  // namespace

BOOL QueryPerformanceCounter(LARGE_INTEGER* count) {
    if (VirtualStep() != 0)
        count->QuadPart = VirtualMilliseconds() * 10000;
    else
        count->QuadPart = MonotonicNanoseconds() / 100;
    return TRUE;
}

BOOL QueryPerformanceFrequency(LARGE_INTEGER* frequency) {
    frequency->QuadPart = 10000000;
    return TRUE;
}

DWORD GetTickCount() {
    const int64_t milliseconds = VirtualStep() != 0 ? VirtualMilliseconds() : MonotonicNanoseconds() / 1000000;
    return static_cast<DWORD>(milliseconds) + tickOffset.load();
}

DWORD timeGetTime() {
    return GetTickCount();
}

void PlatformInternal::AdvanceVirtualClockForIdlePass() {
    const uint32_t step = VirtualStep();
    if (step != 0)
        virtualElapsedMs += step;
}

void PlatformTest::SetTickOffset(uint32_t offset) {
    tickOffset = offset;
}

void PlatformTest::SetVirtualClock(uint32_t stepMs) {
    virtualStepMs = static_cast<int32_t>(stepMs <= kMaxStepMs ? stepMs : 0);
}

void PlatformTest::AdvanceVirtualClock(uint32_t ms) {
    virtualElapsedMs += ms;
}
