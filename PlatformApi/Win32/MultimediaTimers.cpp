#include <atomic>

#include "TestHooks.h"
#include "mmsystem.h"

namespace {
std::atomic<uint32_t> timerPeriod{0};
}

MMRESULT timeBeginPeriod(UINT period) {
    if (period == 0)
        return TIMERR_NOCANDO;
    timerPeriod = period;
    return TIMERR_NOERROR;
}

MMRESULT timeEndPeriod(UINT period) {
    if (period == 0)
        return TIMERR_NOCANDO;
    uint32_t expected = period;
    timerPeriod.compare_exchange_strong(expected, 0);
    return TIMERR_NOERROR;
}

uint32_t PlatformTest::GetTimerPeriod() {
    return timerPeriod;
}
