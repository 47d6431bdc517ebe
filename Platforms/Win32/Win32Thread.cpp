#include "Platforms/Win32/Win32Thread.h"

#include <mmsystem.h>

#include <atomic>
#include <cstdio>

#include "Common/CoreUtils.h"
#include "Common/ThreadList.h"
#include "Common/ThreadSync.h"
#include "Common/ThreadVar.h"

namespace Zep {

namespace Detail {

void ProcessorSampler::Start(uint64_t cpuTime100ns, uint32_t nowMs) {
    lastCpu = cpuTime100ns;
    lastNow = nowMs;
}

void ProcessorSampler::AddSample(uint64_t cpuTime100ns, uint32_t nowMs) {
    const uint32_t elapsedMs = nowMs - lastNow;
    // The clock did not move: there is no interval to divide by.
    if (elapsedMs == 0)
        return;
    const uint64_t cpu = cpuTime100ns >= lastCpu ? cpuTime100ns - lastCpu : 0;
    const uint32_t sample = static_cast<uint32_t>(cpu * kOneProcessor / (static_cast<uint64_t>(elapsedMs) * 10000));
    ++counter;
    const uint32_t slot = counter & 3;
    sum = sum + sample - ring[slot];
    ring[slot] = sample;
    lastCpu = cpuTime100ns;
    lastNow = nowMs;
}

float ProcessorSampler::GetUsage(uint32_t processorCount) const {
    if (processorCount == 0)
        return 0.0f;
    const float usage = static_cast<float>(sum) / (static_cast<float>(processorCount) * 0x80000);
    return usage > 1.0f ? 1.0f : usage;
}

}  // namespace Detail

namespace Win32 {

namespace {

// The main-thread object's state and the sampler's, shared by every thread object.
DWORD currentThreadIndex = TLS_OUT_OF_INDEXES;
bool mainThreadDestroyed = false;
std::atomic<HANDLE> samplerHandle{nullptr};
std::atomic<uint32_t> processorCount{0};
std::atomic<uint32_t> timerPeriod{0};
Detail::ProcessorSampler sampler;
Detail::SpinLockByte samplerLock{0};

const int kSystemPriorities[7] = {
    THREAD_PRIORITY_IDLE,         THREAD_PRIORITY_LOWEST,  THREAD_PRIORITY_BELOW_NORMAL, THREAD_PRIORITY_NORMAL,
    THREAD_PRIORITY_ABOVE_NORMAL, THREAD_PRIORITY_HIGHEST, THREAD_PRIORITY_TIME_CRITICAL};
const DWORD kSamplerPeriodMs = 250;

int ClampPriority(int priority) {
    if (priority < Zep::Thread::kLowestPriority)
        return Zep::Thread::kLowestPriority;
    if (priority > Zep::Thread::kHighestPriority)
        return Zep::Thread::kHighestPriority;
    return priority;
}

uint64_t FileTimeValue(const FILETIME& time) {
    return static_cast<uint64_t>(time.dwHighDateTime) << 32 | time.dwLowDateTime;
}

uint64_t ProcessCpuTime() {
    FILETIME creation, exit, kernel, user;
    if (!::GetProcessTimes(::GetCurrentProcess(), &creation, &exit, &kernel, &user))
        return 0;
    return FileTimeValue(kernel) + FileTimeValue(user);
}

DWORD WINAPI SamplerProc(LPVOID) {
    while (samplerHandle.load()) {
        const uint64_t cpu = ProcessCpuTime();
        const uint32_t now = ::timeGetTime();
        {
            Detail::SpinLockGuard guard(samplerLock);
            sampler.AddSample(cpu, now);
        }
        ::Sleep(kSamplerPeriodMs);
    }
    return 0;
}

void StartSampler() {
    {
        Detail::SpinLockGuard guard(samplerLock);
        sampler.Start(ProcessCpuTime(), ::timeGetTime());
    }
    DWORD id = 0;
    HANDLE thread = ::CreateThread(nullptr, Thread::kMinimumStackSize, &SamplerProc, nullptr, CREATE_SUSPENDED, &id);
    if (!thread)
        ZEP_PANIC("Failed to create thread");
    if (!::SetThreadPriority(thread, THREAD_PRIORITY_TIME_CRITICAL))
        LogWarning("processor usage sampler runs at normal priority\n");
    samplerHandle = thread;
    ::ResumeThread(thread);
}

class MainThread : public EmptyThread {
public:
    MainThread() : EmptyThread(MainThreadTag{}) {}
};

Zep::Thread* MainThreadObject() {
    ZEP_ASSERT_MSG(!mainThreadDestroyed, "Trying to initialize main thread singleton but it was already destructed");
    static MainThread object;
    return &object;
}

// Formats a log line naming a thread id and a handle.
void FormatLine(char (&text)[200], const char* format, uint32_t id, HANDLE handle) {
    std::snprintf(text, sizeof(text), format, static_cast<unsigned>(id),
                  static_cast<unsigned>(reinterpret_cast<uintptr_t>(handle)));
}

}  // namespace

DWORD WINAPI ThreadProc(LPVOID parameter) {
    Thread* thread = static_cast<Thread*>(parameter);
    ::TlsSetValue(currentThreadIndex, thread);
    uint32_t exitCode;
    try {
        exitCode = thread->Run();
    } catch (const ThreadExit&) {
        throw;
    } catch (...) {
        uint32_t id;
        HANDLE handle;
        {
            Detail::ThreadSyncGuard guard(&thread->lock);
            id = thread->threadId;
            handle = thread->handle;
        }
        char text[200];
        FormatLine(text,
                   "unhandled exception were thrown in thread (Id == 0x%08X, handle == 0x%08X). Thread execution "
                   "will be terminated now\n",
                   id, handle);
        LogError(text);
        exitCode = 0;
    }
    thread->Exit(exitCode);
    return exitCode;
}

Thread::Thread() {
    MainThreadObject();
}

Thread::Thread(MainThreadTag) : isMainThread(true) {
    currentThreadIndex = ::TlsAlloc();
    if (currentThreadIndex == TLS_OUT_OF_INDEXES)
        ZEP_PANIC("Failed to allocate Win32 TLS index");
    running = true;
    resumed = true;
    threadId = ::GetCurrentThreadId();
    handle = ::OpenThread(SYNCHRONIZE | THREAD_QUERY_INFORMATION | THREAD_SET_INFORMATION | THREAD_SUSPEND_RESUME,
                          FALSE, threadId);
    if (!handle)
        ZEP_PANIC("Failed to get main thread's handle");
    ::TlsSetValue(currentThreadIndex, this);
    Detail::ThreadList::Instance()->AddToList(threadId, this);
    StartSampler();
}

Thread::~Thread() {
    if (isMainThread) {
        {
            Detail::ThreadSyncGuard guard(&lock);
            const uint32_t period = timerPeriod.exchange(0);
            if (period > 0)
                ::timeEndPeriod(period);
        }
        ::CloseHandle(handle);
        handle = nullptr;
        if (!Detail::ThreadList::IsDestroyed())
            Detail::ThreadList::Instance()->DeleteFromList(threadId);
        // Out of the list, its values would outlive the variables that free them.
        Detail::TLSManager::DestroyThreadData(this);
        mainThreadDestroyed = true;
        // The sampler stops when it sees its handle gone.
        if (HANDLE sampling = samplerHandle.exchange(nullptr))
            ::CloseHandle(sampling);
        ::TlsFree(currentThreadIndex);
        return;
    }
    bool alive;
    {
        Detail::ThreadSyncGuard guard(&lock);
        alive = running;
    }
    if (alive) {
        LogWarning("thread and its object are destroyed but thread was still alive\n");
        Terminate();
    }
    if (previousHandle)
        ::CloseHandle(previousHandle);
}

uint32_t Thread::RoundStackSize(uint32_t requested) {
    if (requested == 0)
        return 0;
    if (requested < kMinimumStackSize)
        return kMinimumStackSize;
    return (requested + 0xFFFu) & ~0xFFFu;
}

int Thread::ToSystemPriority(int priority) {
    return kSystemPriorities[ClampPriority(priority) - kLowestPriority];
}

void Thread::Create(uint32_t requestedStackSize, bool suspended, int requestedPriority) {
    Detail::ThreadSyncGuard guard(&lock);
    if (previousHandle) {
        ::CloseHandle(previousHandle);
        previousHandle = nullptr;
    }
    if (running)
        ZEP_PANIC("Zep::Win32::Thread.Create(): thread is already created");
    stackSize = RoundStackSize(requestedStackSize);
    DWORD id = 0;
    HANDLE thread = ::CreateThread(nullptr, stackSize, &ThreadProc, this, CREATE_SUSPENDED, &id);
    if (!thread)
        ZEP_PANIC("Failed to create thread");
    handle = thread;
    threadId = id;
    Detail::ThreadList::Instance()->AddToList(id, this);
    running = true;
    char text[200];
    FormatLine(text, "New thread is created, Id == 0x%04x, handle == 0x%04x\n", id, handle);
    LogInfo(text);
    priority = ClampPriority(requestedPriority);
    if (!::SetThreadPriority(handle, ToSystemPriority(priority)))
        ZEP_PANIC("Failed to set thread priority");
    if (!suspended) {
        resumed = true;
        if (::ResumeThread(handle) == static_cast<DWORD>(-1)) {
            resumed = false;
            ZEP_PANIC("Failed to resume thread");
        }
    }
}

void Thread::Exit(uint32_t code) {
    {
        Detail::ThreadSyncGuard guard(&lock);
        if (!running && ::TlsGetValue(currentThreadIndex) == this && handle == nullptr) {
            // Terminated by another thread while on its way out: already taken apart.
            code = exitCode;
        } else {
            if (threadId != ::GetCurrentThreadId())
                ZEP_PANIC("Zep::Win32::Thread.Exit(): function can not be called from other context");
            ZEP_ASSERT(running && resumed);
            exitCode = code;
            try {
                OnExit();
            } catch (...) {
            }
            ReleaseEndedThread();
        }
    }
    ::ExitThread(code);
}

uint32_t Thread::Wait() {
    HANDLE thread;
    {
        Detail::ThreadSyncGuard guard(&lock);
        if (!running)
            return exitCode;
        if (threadId == ::GetCurrentThreadId())
            ZEP_PANIC("Zep::Win32::Thread.Wait(): function can only be called from other context");
        thread = handle;
    }
    if (::WaitForSingleObject(thread, INFINITE) != WAIT_OBJECT_0)
        ZEP_PANIC("Failed to wait for thread termination");
    Detail::ThreadSyncGuard guard(&lock);
    return exitCode;
}

bool Thread::Terminate() {
    Detail::ThreadSyncGuard guard(&lock);
    if (!running)
        return false;
    if (threadId == ::GetCurrentThreadId())
        ZEP_PANIC("Zep::Win32::Thread.Terminate(): function can only be called from other context");
    if (isMainThread)
        ZEP_PANIC("Zep::Win32::Thread.Terminate(): main thread can not be terminated");
    exitCode = 0;
    if (!::TerminateThread(handle, 0))
        ZEP_PANIC("Failed to terminate thread");
    ReleaseEndedThread();
    return true;
}

void Thread::ReleaseEndedThread() {
    Detail::TLSManager::DestroyThreadData(this);
    running = false;
    resumed = false;
    Detail::ThreadList::Instance()->DeleteFromList(threadId);
    threadId = 0;
    previousHandle = handle;
    handle = nullptr;
}

void Thread::Resume() {
    Detail::ThreadSyncGuard guard(&lock);
    if (!running)
        ZEP_PANIC("Zep::Win32::Thread.Resume(): thread was not created, was terminated or has finished");
    if (!resumed) {
        if (::ResumeThread(handle) == static_cast<DWORD>(-1))
            ZEP_PANIC("Failed to resume thread");
        resumed = true;
    }
}

int Thread::SetPriority(int newPriority) {
    Detail::ThreadSyncGuard guard(&lock);
    if (newPriority == priority)
        return priority;
    const int previous = priority;
    priority = ClampPriority(newPriority);
    if (running && !::SetThreadPriority(handle, ToSystemPriority(priority)))
        ZEP_PANIC("Failed to set thread priority");
    return previous;
}

int Thread::GetPriority() {
    Detail::ThreadSyncGuard guard(&lock);
    return priority;
}

void Thread::SetTimerResolution(uint32_t milliseconds) {
    Detail::ThreadSyncGuard guard(&lock);
    const uint32_t previous = timerPeriod.exchange(milliseconds);
    if (previous > 0)
        ::timeEndPeriod(previous);
    if (milliseconds > 0)
        ::timeBeginPeriod(milliseconds);
}

uint32_t Thread::GetProcessorCount() {
    uint32_t count = processorCount.load();
    if (count == 0) {
        SYSTEM_INFO info;
        ::GetSystemInfo(&info);
        count = info.dwNumberOfProcessors;
        processorCount = count;
    }
    return count;
}

float Thread::GetProcessorUsage() {
    const uint32_t count = GetProcessorCount();
    Detail::SpinLockGuard guard(samplerLock);
    return sampler.GetUsage(count);
}

double Thread::GetCpuTime() {
    Detail::ThreadSyncGuard guard(&lock);
    HANDLE thread = handle ? handle : previousHandle;
    FILETIME creation, exit, kernel, user;
    if (!thread || !::GetThreadTimes(thread, &creation, &exit, &kernel, &user))
        return 0.0;
    return static_cast<double>(FileTimeValue(kernel) + FileTimeValue(user)) * 1e-7;
}

}  // namespace Win32

Zep::Thread* Thread::GetCurrent() {
    Win32::MainThreadObject();
    return static_cast<Zep::Thread*>(::TlsGetValue(Win32::currentThreadIndex));
}

}  // namespace Zep
