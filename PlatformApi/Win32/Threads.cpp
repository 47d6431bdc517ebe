#include <pthread.h>
#include <sched.h>
#include <sys/resource.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>

#include "LayerInternal.h"
#include "win32_errors.h"
#include "win32_process.h"
#include "win32_sync.h"
#include "win32_threads.h"

namespace {

const size_t kMinimumStack = 256 * 1024;
const size_t kDefaultStack = 1024 * 1024;
const DWORD kTerminateWaitMs = 1000;
// A thread waiting on another one looks at its own stop request this often.
const auto kStopPollInterval = std::chrono::milliseconds(50);

uint64_t ClockTime100ns(clockid_t clock) {
    timespec value;
    if (::clock_gettime(clock, &value) != 0)
        return 0;
    return static_cast<uint64_t>(value.tv_sec) * 10000000ull + static_cast<uint64_t>(value.tv_nsec) / 100;
}

void SetFileTime(LPFILETIME time, uint64_t value) {
    if (!time)
        return;
    time->dwLowDateTime = static_cast<DWORD>(value);
    time->dwHighDateTime = static_cast<DWORD>(value >> 32);
}

int NiceOf(int priority) {
    switch (priority) {
        case THREAD_PRIORITY_IDLE:
            return 19;
        case THREAD_PRIORITY_LOWEST:
            return 10;
        case THREAD_PRIORITY_BELOW_NORMAL:
            return 5;
        case THREAD_PRIORITY_ABOVE_NORMAL:
            return -5;
        case THREAD_PRIORITY_HIGHEST:
            return -10;
        case THREAD_PRIORITY_TIME_CRITICAL:
            return -20;
        default:
            return 0;
    }
}

bool IsPriority(int priority) {
    switch (priority) {
        case THREAD_PRIORITY_IDLE:
        case THREAD_PRIORITY_LOWEST:
        case THREAD_PRIORITY_BELOW_NORMAL:
        case THREAD_PRIORITY_NORMAL:
        case THREAD_PRIORITY_ABOVE_NORMAL:
        case THREAD_PRIORITY_HIGHEST:
        case THREAD_PRIORITY_TIME_CRITICAL:
            return true;
        default:
            return false;
    }
}

// A thread behind a handle: either started by CreateThread, or an existing thread
// (the one that called OpenThread on itself) adopted as it is.
class ThreadObject : public PlatformInternal::KernelObject, public std::enable_shared_from_this<ThreadObject> {
public:
    explicit ThreadObject(bool adopted) : adopted_(adopted) {}

    ~ThreadObject() override {
        if (!adopted_ && started_ && !joined_ && !detached_)
            ::pthread_detach(thread_);
    }

    DWORD Wait(DWORD milliseconds) override;

    const bool adopted_;
    std::mutex lock_;
    std::condition_variable changed_;
    pthread_t thread_{};
    bool started_ = false;
    DWORD id_ = 0;
    bool idPublished_ = false;
    DWORD suspendCount_ = 0;
    bool finished_ = false;
    DWORD exitCode_ = STILL_ACTIVE;
    bool stopRequested_ = false;
    DWORD stopCode_ = 0;
    int priority_ = THREAD_PRIORITY_NORMAL;
    uint64_t finalCpuTime_ = 0;
    bool joined_ = false;
    bool detached_ = false;
    LPTHREAD_START_ROUTINE startAddress_ = nullptr;
    LPVOID parameter_ = nullptr;
};

// The object of the calling thread when the layer started it or adopted it.
thread_local ThreadObject* currentThread = nullptr;

// Keeps the object of an adopted thread; marks it finished when the thread ends.
struct AdoptedThread {
    std::shared_ptr<ThreadObject> object;
    ~AdoptedThread() {
        if (!object)
            return;
        std::lock_guard<std::mutex> guard(object->lock_);
        object->finalCpuTime_ = ClockTime100ns(CLOCK_THREAD_CPUTIME_ID);
        object->exitCode_ = 0;
        object->finished_ = true;
        object->changed_.notify_all();
        currentThread = nullptr;
    }
};
thread_local AdoptedThread adoptedThread;

// Throws ThreadExit when the calling thread was asked to stop. Needs the lock.
void ThrowIfStopRequested(ThreadObject& self) {
    if (self.stopRequested_)
        throw ThreadExit{self.stopCode_};
}

DWORD ThreadObject::Wait(DWORD milliseconds) {
    ThreadObject* self = currentThread;
    if (self == this) {
        // A thread never ends while it waits for itself.
        if (milliseconds == INFINITE) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return WAIT_FAILED;
        }
        Sleep(milliseconds);
        return WAIT_TIMEOUT;
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    bool joinNow = false;
    for (;;) {
        if (self) {
            // Wait in slices so that a stop request of the waiting thread is seen.
            std::lock_guard<std::mutex> selfGuard(self->lock_);
            ThrowIfStopRequested(*self);
        }
        std::unique_lock<std::mutex> guard(lock_);
        if (finished_) {
            if (!adopted_ && !joined_ && !detached_) {
                joined_ = true;
                joinNow = true;
            }
            break;
        }
        const auto now = std::chrono::steady_clock::now();
        if (milliseconds != INFINITE && now >= deadline)
            return WAIT_TIMEOUT;
        auto until = self ? now + kStopPollInterval : std::chrono::steady_clock::time_point::max();
        if (milliseconds != INFINITE && deadline < until)
            until = deadline;
        if (until == std::chrono::steady_clock::time_point::max())
            changed_.wait(guard);
        else
            changed_.wait_until(guard, until);
    }
    if (joinNow)
        ::pthread_join(thread_, nullptr);
    return WAIT_OBJECT_0;
}

void* StartRoutine(void* parameter) {
    std::shared_ptr<ThreadObject> self = std::move(*static_cast<std::shared_ptr<ThreadObject>*>(parameter));
    delete static_cast<std::shared_ptr<ThreadObject>*>(parameter);
    bool stopped;
    {
        std::unique_lock<std::mutex> guard(self->lock_);
        self->id_ = GetCurrentThreadId();
        self->idPublished_ = true;
        self->changed_.notify_all();
        self->changed_.wait(guard, [&] { return self->suspendCount_ == 0 || self->stopRequested_; });
        stopped = self->stopRequested_;
    }
    currentThread = self.get();
    DWORD code = 0;
    if (!stopped) {
        try {
            code = self->startAddress_(self->parameter_);
        } catch (const ThreadExit& exit) {
            code = exit.exitCode;
        }
    }
    const uint64_t cpuTime = ClockTime100ns(CLOCK_THREAD_CPUTIME_ID);
    {
        std::lock_guard<std::mutex> guard(self->lock_);
        self->finalCpuTime_ = cpuTime;
        self->exitCode_ = self->stopRequested_ ? self->stopCode_ : code;
        self->finished_ = true;
        self->changed_.notify_all();
    }
    currentThread = nullptr;
    return nullptr;
}

std::shared_ptr<ThreadObject> FindThread(HANDLE handle) {
    std::shared_ptr<ThreadObject> thread = PlatformInternal::FindHandleAs<ThreadObject>(handle);
    if (!thread)
        SetLastError(ERROR_INVALID_HANDLE);
    return thread;
}

// Applies a priority as niceness. Needs the thread's lock.
void ApplyNiceness(ThreadObject& thread) {
    if (thread.finished_ || !thread.idPublished_)
        return;
    const int nice = NiceOf(thread.priority_);
    if (::setpriority(PRIO_PROCESS, static_cast<id_t>(thread.id_), nice) == 0)
        return;
    if (errno != EPERM && errno != EACCES)
        return;
    // The thread keeps running at the niceness it has, and the priority stays recorded.
    char text[160];
    std::snprintf(text, sizeof(text),
                  "Warning: thread priority %d (nice %d) refused for thread 0x%04x; running on unchanged\n",
                  thread.priority_, nice, static_cast<unsigned>(thread.id_));
    errno = 0;
    const int current = ::getpriority(PRIO_PROCESS, static_cast<id_t>(thread.id_));
    const bool raise = errno == 0 && nice < current;
    if (!raise) {
        OutputDebugStringA(text);
        return;
    }
    // Raising a priority needs a privilege that ordinary users lack: expected, so it is
    // told once, in the debug-log file only.
    static std::atomic<bool> told{false};
    const int logFile = PlatformInternal::DebugLogFileForSignals();
    if (logFile >= 0 && !told.exchange(true)) {
        // A failed write has nowhere else to be told.
        const ssize_t written = ::write(logFile, text, std::strlen(text));
        static_cast<void>(written);
    }
}

}  // namespace

void Sleep(DWORD milliseconds) {
    ThreadObject* self = currentThread;
    if (self && !self->adopted_) {
        std::unique_lock<std::mutex> guard(self->lock_);
        ThrowIfStopRequested(*self);
        if (milliseconds == 0) {
            guard.unlock();
            ::sched_yield();
            return;
        }
        self->changed_.wait_for(guard, std::chrono::milliseconds(milliseconds),
                                [self] { return self->stopRequested_; });
        ThrowIfStopRequested(*self);
        return;
    }
    if (milliseconds == 0) {
        ::sched_yield();
        return;
    }
    timespec remaining{static_cast<time_t>(milliseconds / 1000), static_cast<long>(milliseconds % 1000) * 1000000L};
    while (::nanosleep(&remaining, &remaining) != 0 && errno == EINTR) {
    }
}

HANDLE CreateThread(LPSECURITY_ATTRIBUTES, SIZE_T stackSize, LPTHREAD_START_ROUTINE startAddress, LPVOID parameter,
                    DWORD creationFlags, LPDWORD threadId) {
    if (!startAddress) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    auto thread = PlatformInternal::MakeSystemShared<ThreadObject>(false);
    thread->startAddress_ = startAddress;
    thread->parameter_ = parameter;
    thread->suspendCount_ = (creationFlags & CREATE_SUSPENDED) ? 1 : 0;

    const size_t pageSize = static_cast<size_t>(::sysconf(_SC_PAGESIZE));
    size_t realStack = stackSize == 0 ? kDefaultStack : (stackSize < kMinimumStack ? kMinimumStack : stackSize);
    realStack = (realStack + pageSize - 1) / pageSize * pageSize;

    pthread_attr_t attributes;
    ::pthread_attr_init(&attributes);
    ::pthread_attr_setstacksize(&attributes, realStack);
    auto* startParameter = new std::shared_ptr<ThreadObject>(thread);
    const int result = ::pthread_create(&thread->thread_, &attributes, &StartRoutine, startParameter);
    ::pthread_attr_destroy(&attributes);
    if (result != 0) {
        delete startParameter;
        SetLastError(result == EAGAIN ? ERROR_NOT_ENOUGH_MEMORY : PlatformInternal::ErrnoToWin32(result));
        return nullptr;
    }
    DWORD id;
    {
        std::unique_lock<std::mutex> guard(thread->lock_);
        thread->started_ = true;
        thread->changed_.wait(guard, [&] { return thread->idPublished_; });
        id = thread->id_;
    }
    if (threadId)
        *threadId = id;
    return PlatformInternal::AddHandle(thread);
}

DWORD ResumeThread(HANDLE handle) {
    std::shared_ptr<ThreadObject> thread = FindThread(handle);
    if (!thread)
        return static_cast<DWORD>(-1);
    std::lock_guard<std::mutex> guard(thread->lock_);
    const DWORD previous = thread->suspendCount_;
    if (thread->suspendCount_ > 0 && --thread->suspendCount_ == 0)
        thread->changed_.notify_all();
    return previous;
}

BOOL SetThreadPriority(HANDLE handle, int priority) {
    if (!IsPriority(priority)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::shared_ptr<ThreadObject> thread = FindThread(handle);
    if (!thread)
        return FALSE;
    std::lock_guard<std::mutex> guard(thread->lock_);
    thread->priority_ = priority;
    ApplyNiceness(*thread);
    return TRUE;
}

int GetThreadPriority(HANDLE handle) {
    std::shared_ptr<ThreadObject> thread = FindThread(handle);
    if (!thread)
        return THREAD_PRIORITY_ERROR_RETURN;
    std::lock_guard<std::mutex> guard(thread->lock_);
    return thread->priority_;
}

void ExitThread(DWORD exitCode) {
    throw ThreadExit{exitCode};
}

BOOL TerminateThread(HANDLE handle, DWORD exitCode) {
    std::shared_ptr<ThreadObject> thread = FindThread(handle);
    if (!thread)
        return FALSE;
    if (thread.get() == currentThread && !thread->adopted_)
        throw ThreadExit{exitCode};
    if (thread->adopted_) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    std::unique_lock<std::mutex> guard(thread->lock_);
    if (thread->finished_)
        return TRUE;
    if (!thread->stopRequested_) {
        thread->stopRequested_ = true;
        thread->stopCode_ = exitCode;
        thread->changed_.notify_all();
    }
    if (thread->changed_.wait_for(guard, std::chrono::milliseconds(kTerminateWaitMs),
                                  [&] { return thread->finished_; }))
        return TRUE;
    if (!thread->joined_ && !thread->detached_) {
        thread->detached_ = true;
        ::pthread_detach(thread->thread_);
    }
    char text[160];
    std::snprintf(text, sizeof(text),
                  "Warning: thread 0x%04x did not stop within %u ms of TerminateThread and is left running\n",
                  static_cast<unsigned>(thread->id_), static_cast<unsigned>(kTerminateWaitMs));
    OutputDebugStringA(text);
    return TRUE;
}

BOOL GetExitCodeThread(HANDLE handle, LPDWORD exitCode) {
    std::shared_ptr<ThreadObject> thread = FindThread(handle);
    if (!thread || !exitCode) {
        if (thread)
            SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::lock_guard<std::mutex> guard(thread->lock_);
    *exitCode = thread->finished_ ? thread->exitCode_ : STILL_ACTIVE;
    return TRUE;
}

BOOL GetThreadTimes(HANDLE handle, LPFILETIME creationTime, LPFILETIME exitTime, LPFILETIME kernelTime,
                    LPFILETIME userTime) {
    std::shared_ptr<ThreadObject> thread = FindThread(handle);
    if (!thread)
        return FALSE;
    uint64_t cpuTime;
    {
        // The thread cannot end while its lock is held and it is not finished.
        std::lock_guard<std::mutex> guard(thread->lock_);
        if (thread->finished_) {
            cpuTime = thread->finalCpuTime_;
        } else {
            clockid_t clock;
            if (::pthread_getcpuclockid(thread->thread_, &clock) != 0) {
                SetLastError(ERROR_INVALID_HANDLE);
                return FALSE;
            }
            cpuTime = ClockTime100ns(clock);
        }
    }
    SetFileTime(creationTime, 0);
    SetFileTime(exitTime, 0);
    SetFileTime(kernelTime, 0);
    SetFileTime(userTime, cpuTime);
    return TRUE;
}

HANDLE GetCurrentProcess() {
    return reinterpret_cast<HANDLE>(static_cast<intptr_t>(-1));
}

BOOL GetProcessTimes(HANDLE process, LPFILETIME creationTime, LPFILETIME exitTime, LPFILETIME kernelTime,
                     LPFILETIME userTime) {
    if (process != GetCurrentProcess()) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    rusage usage;
    if (::getrusage(RUSAGE_SELF, &usage) != 0) {
        SetLastError(PlatformInternal::ErrnoToWin32(errno));
        return FALSE;
    }
    auto toTicks = [](const timeval& value) {
        return static_cast<uint64_t>(value.tv_sec) * 10000000ull + static_cast<uint64_t>(value.tv_usec) * 10;
    };
    SetFileTime(creationTime, 0);
    SetFileTime(exitTime, 0);
    SetFileTime(kernelTime, toTicks(usage.ru_stime));
    SetFileTime(userTime, toTicks(usage.ru_utime));
    return TRUE;
}

HANDLE OpenThread(DWORD, BOOL, DWORD threadId) {
    if (threadId == 0 || threadId != GetCurrentThreadId()) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    std::shared_ptr<ThreadObject> thread;
    if (currentThread) {
        thread = currentThread->shared_from_this();
    } else {
        if (!adoptedThread.object) {
            auto adopted = PlatformInternal::MakeSystemShared<ThreadObject>(true);
            adopted->thread_ = ::pthread_self();
            adopted->id_ = threadId;
            adopted->idPublished_ = true;
            adoptedThread.object = adopted;
        }
        thread = adoptedThread.object;
        currentThread = thread.get();
    }
    return PlatformInternal::AddHandle(thread);
}

DWORD TlsAlloc() {
    pthread_key_t key;
    if (::pthread_key_create(&key, nullptr) != 0) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return TLS_OUT_OF_INDEXES;
    }
    return static_cast<DWORD>(key);
}

BOOL TlsFree(DWORD index) {
    if (index == TLS_OUT_OF_INDEXES || ::pthread_key_delete(static_cast<pthread_key_t>(index)) != 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    return TRUE;
}

BOOL TlsSetValue(DWORD index, LPVOID value) {
    if (index == TLS_OUT_OF_INDEXES || ::pthread_setspecific(static_cast<pthread_key_t>(index), value) != 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    return TRUE;
}

LPVOID TlsGetValue(DWORD index) {
    SetLastError(ERROR_SUCCESS);
    return ::pthread_getspecific(static_cast<pthread_key_t>(index));
}
