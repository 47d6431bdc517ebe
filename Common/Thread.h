// The engine's thread object.
#pragma once

#include <atomic>
#include <cstdint>

#include "Platforms/Win32/Win32CriticalSection.h"

namespace Zep {

namespace Detail {
class TLSManager;
}

class Thread {
public:
    // Priorities run from -3 (idle) to 3 (time critical); other values are clamped.
    static const int kLowestPriority = -3;
    static const int kHighestPriority = 3;
    // Thread variables come in groups of 32; 8 groups give 256 of them.
    static const int kVariableGroups = 8;

    Thread();
    virtual ~Thread();

    // Starts the system thread running Run(). A stack size of 0 is the system's
    // default; smaller than 64 KiB becomes 64 KiB, anything else is rounded up to 4 KiB.
    virtual void Create(uint32_t stackSize, bool suspended, int priority) = 0;
    // Ends the thread from another one; false when it was not running.
    virtual bool Terminate() = 0;
    // Waits for the thread to end (from another thread) and returns its exit code.
    virtual uint32_t Wait() = 0;
    // Sets the system timer resolution, ending the one set before; 0 sets none.
    virtual void SetTimerResolution(uint32_t milliseconds) = 0;
    virtual uint32_t GetProcessorCount() = 0;
    // The process's average load per processor over the last second, 0 to 1.
    virtual float GetProcessorUsage() = 0;
    // Processor time of the thread in seconds; 0 when not available.
    virtual double GetCpuTime() = 0;
    virtual int GetPriority() = 0;
    // Returns the previous priority.
    virtual int SetPriority(int priority) = 0;
    virtual void Resume() = 0;
    // The body of the thread; its result is the exit code.
    virtual uint32_t Run() = 0;
    // Ends the calling thread, which must be this one, with the code.
    virtual void Exit(uint32_t exitCode) = 0;
    // Called on the thread when it exits.
    virtual void OnExit() {}

    uint32_t GetThreadId() const { return threadId; }

    static void Sleep(uint32_t milliseconds);
    // The calling thread's object; the main-thread object is set up on first use.
    // NULL on threads the engine did not start, other than the main thread.
    static Thread* GetCurrent();

    Thread(const Thread&) = delete;
    Thread& operator=(const Thread&) = delete;

protected:
    std::atomic<uint32_t> threadId{0};  // also read without the thread's lock
    bool running = false;
    bool resumed = false;
    Win32::CriticalSection lock;
    // Per group of 32 thread variables an array of 32 value pointers, made on first use.
    void** variableGroups[kVariableGroups] = {};

    friend class Detail::TLSManager;
};

}  // namespace Zep
