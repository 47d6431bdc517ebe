#include "Common/ThreadSync.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

#include <windows.h>

#include "Common/CoreUtils.h"

namespace Zep {
namespace Detail {

namespace {

bool TryAcquire(SpinLockByte& lock) {
    uint8_t expected = 0;
    return lock.compare_exchange_strong(expected, 1, std::memory_order_seq_cst);
}

void Pause() {
#if defined(__x86_64__) || defined(__i386__)
    _mm_pause();
#elif defined(__aarch64__)
    asm volatile("yield");
#endif
}

}  // namespace

void SpinLockAcquire(SpinLockByte& lock) {
    if (TryAcquire(lock))
        return;
    Pause();
    if (TryAcquire(lock))
        return;
    ::Sleep(0);
    if (TryAcquire(lock))
        return;
    do {
        ::Sleep(1);
    } while (!TryAcquire(lock));
}

void SpinLockRelease(SpinLockByte& lock) {
    // Release ordering is all an unlock needs; a sequentially consistent store costs a full fence.
    lock.store(0, std::memory_order_release);
}

ThreadSyncGuard::ThreadSyncGuard(ThreadSync* lock) : lock_(lock) {
    ZEP_ASSERT(lock_ != nullptr);
    lock_->Lock();
}

}  // namespace Detail
}  // namespace Zep
