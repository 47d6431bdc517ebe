#include "FatalSignals.h"

#include "LayerInternal.h"

#include <signal.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

namespace {

int debugLogFile = -1;

void WriteRaw(int fd, const char* text) {
    size_t size = std::strlen(text);
    while (size > 0) {
        const ssize_t written = ::write(fd, text, size);
        if (written <= 0)
            return;
        text += written;
        size -= static_cast<size_t>(written);
    }
}

void OnFatalSignal(int) {
    static const char kText[] = "An unknown exception has occurred.\n";
    WriteRaw(STDERR_FILENO, kText);
    if (debugLogFile >= 0)
        WriteRaw(debugLogFile, kText);
    ::_exit(1);
}

}  // namespace

void PlatformProcess::InstallFatalSignalHandler() {
    debugLogFile = PlatformInternal::DebugLogFileForSignals();

    static char* alternateStack = nullptr;
    if (!alternateStack) {
        const size_t size = 64 * 1024;
        alternateStack = static_cast<char*>(std::malloc(size));
        stack_t stack{};
        stack.ss_sp = alternateStack;
        stack.ss_size = size;
        ::sigaltstack(&stack, nullptr);
    }
    struct sigaction action {};
    action.sa_handler = &OnFatalSignal;
    action.sa_flags = SA_ONSTACK;
    sigemptyset(&action.sa_mask);
    for (int signal : {SIGSEGV, SIGBUS, SIGFPE, SIGILL})
        ::sigaction(signal, &action, nullptr);
}
