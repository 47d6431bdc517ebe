#include "Common/CoreUtils.h"

#include <cxxabi.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <memory>

#include <windows.h>

#include "Common/Application.h"
#include "Common/MemoryManager.h"
#include "Common/StringUtils.h"
#include "Common/ThreadSync.h"

namespace Zep {

namespace {

const size_t kReportBufferSize = 512;
char reportBuffer[kReportBufferSize];

ErrorHandler errorHandler = nullptr;
int errorHandlerValue = 0;

Detail::SpinLockByte logLock{0};

// Depth of reports under way on this thread. A report made while another is
// being handed to the listener or the handler must not start over.
thread_local int reportDepth = 0;

struct ReportDepthGuard {
    ReportDepthGuard() { ++reportDepth; }
    ~ReportDepthGuard() { --reportDepth; }
};

void FormatReport(const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::vsnprintf(reportBuffer, kReportBufferSize, format, args);
    va_end(args);
}

void CallErrorHandler() {
    if (!errorHandler)
        return;
    try {
        errorHandler(reportBuffer, errorHandlerValue);
        return;
    } catch (...) {
    }
    // A handler that failed gets one more try; then the process ends.
    try {
        errorHandler(reportBuffer, errorHandlerValue);
    } catch (...) {
    }
    ::ExitProcess(1);
}

// Logs the report, tells the listener and calls the handler. Returns only when
// no handler ended the process; the caller then throws.
void Report(const char* caption) {
    LogOutput(reportBuffer);
    LogOutput("\n");
    ReportDepthGuard depth;
    if (reportDepth > 1) {
        // A report from inside a report (a failing listener or handler): straight
        // to the handler, or out when there is none. A handler that reports again
        // ends the process at once.
        if (reportDepth == 2)
            CallErrorHandler();
        ::ExitProcess(1);
    }
    if (!errorHandler)
        ShowErrorBox(reportBuffer, caption);
    Application::NotifyExceptionFromReport(reportBuffer);
    CallErrorHandler();
}

void WritePrefixed(const char* prefix, const char* text) {
    if (!text)
        return;
    if (text[0] == '<' && text[1] != '\0') {
        LogOutput(text + 1);
        return;
    }
    LogOutput(prefix);
    LogOutput(text);
}

}  // namespace

namespace Detail {

const char* GetReportText() {
    return reportBuffer;
}

std::string SingletonMessage(const char* format, const std::type_info& base) {
    return Sprintf(format, GetTypeName(base).c_str());
}

}  // namespace Detail

void AssertionFailed(const char* file, int line) {
    FormatReport("Assertion failed in file \"%s\", line %d", file, line);
    Report("Assertion error");
    throw Exception::Assertion(Exception::CopiedText{reportBuffer});
}

void AssertionFailed(const char* file, int line, const char* message) {
    FormatReport("Assertion failed in file \"%s\", line %d:\n  %s", file, line, message ? message : "");
    Report("Assertion error");
    throw Exception::Assertion(Exception::CopiedText{reportBuffer});
}

void AssertionFailed(const char* file, int line, const std::string& message) {
    AssertionFailed(file, line, message.c_str());
}

void Panic(const char* file, int line, const char* message) {
    if (!message)
        message = "";
    if (message[0] == '<' && message[1] != '\0')
        FormatReport("%s", message + 1);
    else
        FormatReport("Panic error in file \"%s\", line %d:\n  %s", file, line, message);
    Report("Panic error");
    throw Exception::Panic(Exception::CopiedText{reportBuffer});
}

void Panic(const char* file, int line, const std::string& message) {
    Panic(file, line, message.c_str());
}

void SetErrorHandler(ErrorHandler handler, int value) {
    errorHandler = handler;
    errorHandlerValue = value;
}

void ShowErrorBox(const char* text, const char* caption) {
    ::MessageBoxA(nullptr, text, caption, MB_ICONERROR);
}

void LogOutput(const char* text) {
    Detail::SpinLockGuard guard(logLock);
    ::OutputDebugStringA(text);
}

void LogError(const char* text) {
    WritePrefixed("Error: ", text);
}

void LogError(const std::string& text) {
    LogError(text.c_str());
}

void LogWarning(const char* text) {
    WritePrefixed("Warning: ", text);
}

void LogWarning(const std::string& text) {
    LogWarning(text.c_str());
}

void LogInfo(const char* text) {
    if (text)
        LogOutput(text);
}

void LogInfo(const std::string& text) {
    LogInfo(text.c_str());
}

std::string GetTypeName(const std::type_info& type) {
    StartTrackingMemoryLeaks();
    int status = 0;
    std::unique_ptr<char, void (*)(void*)> demangled(abi::__cxa_demangle(type.name(), nullptr, nullptr, &status),
                                                     std::free);
    std::string name = (status == 0 && demangled) ? demangled.get() : type.name();
    ReplaceAll(name, "enum ", "");
    ReplaceAll(name, "class ", "");
    ReplaceAll(name, "struct ", "");
    ReplaceAll(name, "> ", ">");
    ReplaceAll(name, ", ", ",");
    return name;
}

}  // namespace Zep
