// Windows threads, the main-thread object and the processor-usage sampler.
#pragma once

#include <windows.h>

#include <cstdint>

#include "Common/Thread.h"

namespace Zep {
namespace Win32 {

// Entry of every engine thread: runs the object's Run() and exits with its code.
DWORD WINAPI ThreadProc(LPVOID parameter);

class Thread : public Zep::Thread {
public:
    // The smallest stack a thread is created with.
    static const uint32_t kMinimumStackSize = 64 * 1024;

    Thread();
    ~Thread() override;

    void Create(uint32_t stackSize, bool suspended, int priority) override;
    bool Terminate() override;
    uint32_t Wait() override;
    void SetTimerResolution(uint32_t milliseconds) override;
    uint32_t GetProcessorCount() override;
    float GetProcessorUsage() override;
    double GetCpuTime() override;
    int GetPriority() override;
    int SetPriority(int priority) override;
    void Resume() override;
    void Exit(uint32_t exitCode) override;

    // The stack size the thread was created with, after rounding.
    uint32_t GetStackSize() const { return stackSize; }
    // The stack size Create records for a requested one.
    static uint32_t RoundStackSize(uint32_t requested);
    // The system priority of an engine priority, after clamping to -3..3.
    static int ToSystemPriority(int priority);

protected:
    struct MainThreadTag {};
    // Sets up the object of the thread that calls it as the main-thread object.
    explicit Thread(MainThreadTag);

    HANDLE handle = nullptr;
    HANDLE previousHandle = nullptr;  // kept after the thread ended, for times and closing
    int priority = 0;
    uint32_t exitCode = 0;
    uint32_t stackSize = 0;
    bool isMainThread = false;

    friend DWORD WINAPI ThreadProc(LPVOID parameter);

private:
    // Takes apart what a running thread holds once it has ended; called under the lock.
    void ReleaseEndedThread();
};

// A thread that does nothing; the main-thread object is one.
class EmptyThread : public Thread {
public:
    EmptyThread() {}
    uint32_t Run() override { return 0; }

protected:
    explicit EmptyThread(MainThreadTag tag) : Thread(tag) {}
};

}  // namespace Win32

namespace Detail {

// The arithmetic of the processor-usage sampler: a ring of four samples, each the
// load since the one before, 0x20000 being one processor fully busy.
class ProcessorSampler {
public:
    static const uint32_t kOneProcessor = 0x20000;

    // Takes the reference reading the first sample is measured from.
    void Start(uint64_t cpuTime100ns, uint32_t nowMs);
    // Adds a sample; a reading at the same millisecond as the last one is skipped.
    void AddSample(uint64_t cpuTime100ns, uint32_t nowMs);
    uint32_t GetSum() const { return sum; }
    // The average load per processor, 0 to 1.
    float GetUsage(uint32_t processorCount) const;

private:
    uint64_t lastCpu = 0;
    uint32_t lastNow = 0;
    uint32_t counter = 0;
    uint32_t ring[4] = {};
    uint32_t sum = 0;
};

}  // namespace Detail
}  // namespace Zep
