// Helpers of the thread tests.
#pragma once

#include <atomic>
#include <functional>
#include <string>

#include <windows.h>

#include "Common/CoreUtils.h"
#include "ReportOf.h"
#include "Platforms/Win32/Win32Thread.h"

namespace ThreadTestSupport {

// An engine thread whose body is a function; its destruction waits for it.
class FunctionThread : public Zep::Win32::Thread {
public:
    explicit FunctionThread(std::function<uint32_t()> body) : body_(std::move(body)) {}
    ~FunctionThread() override { Wait(); }

    uint32_t Run() override { return body_(); }
    void OnExit() override { onExitThreadId = ::GetCurrentThreadId(); }

    std::atomic<uint32_t> onExitThreadId{0};

private:
    std::function<uint32_t()> body_;
};

using TestSupport::ReportOf;

}  // namespace ThreadTestSupport
