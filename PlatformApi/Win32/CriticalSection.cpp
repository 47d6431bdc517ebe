#include <pthread.h>

#include <new>

#include "win32_sync.h"

namespace {

static_assert(sizeof(pthread_mutex_t) <= sizeof(CRITICAL_SECTION::storage), "CRITICAL_SECTION is too small");
static_assert(alignof(pthread_mutex_t) <= 16, "CRITICAL_SECTION is not aligned enough");

pthread_mutex_t* MutexOf(LPCRITICAL_SECTION section) {
    return reinterpret_cast<pthread_mutex_t*>(section->storage);
}

}  // namespace

void InitializeCriticalSection(LPCRITICAL_SECTION section) {
    pthread_mutexattr_t attributes;
    ::pthread_mutexattr_init(&attributes);
    ::pthread_mutexattr_settype(&attributes, PTHREAD_MUTEX_RECURSIVE);
    ::pthread_mutex_init(new (section->storage) pthread_mutex_t, &attributes);
    ::pthread_mutexattr_destroy(&attributes);
}

void EnterCriticalSection(LPCRITICAL_SECTION section) {
    ::pthread_mutex_lock(MutexOf(section));
}

BOOL TryEnterCriticalSection(LPCRITICAL_SECTION section) {
    return ::pthread_mutex_trylock(MutexOf(section)) == 0 ? TRUE : FALSE;
}

void LeaveCriticalSection(LPCRITICAL_SECTION section) {
    ::pthread_mutex_unlock(MutexOf(section));
}

void DeleteCriticalSection(LPCRITICAL_SECTION section) {
    ::pthread_mutex_destroy(MutexOf(section));
}
