#include <spawn.h>
#include <strings.h>
#include <sys/wait.h>

#include <cerrno>
#include <string>
#include <thread>

#include "LayerInternal.h"
#include "win32_errors.h"
#include "win32_process.h"
#include "win32_shell.h"

extern char** environ;

namespace {

const uintptr_t kShellSuccess = 42;

HINSTANCE ShellResult(uintptr_t value) {
    return reinterpret_cast<HINSTANCE>(value);
}

std::string WideArgument(LPCWSTR text) {
    if (!text)
        return std::string();
    return PlatformInternal::Utf16ToUtf8(std::u16string(text));
}

// Starts xdg-open with the path as its only argument; the path never passes
// through a shell. A detached thread reaps the child.
bool SpawnOpener(const std::string& path) {
    char program[] = "xdg-open";
    std::string argument = path;
    char* argv[] = {program, &argument[0], nullptr};
    pid_t pid = 0;
    const int error = ::posix_spawnp(&pid, program, nullptr, nullptr, argv, environ);
    if (error != 0) {
        SetLastError(PlatformInternal::ErrnoToWin32(error));
        return false;
    }
    std::thread([pid] {
        int status = 0;
        while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
    }).detach();
    return true;
}

HINSTANCE Execute(const char* operation, const std::string& file) {
    if (operation && ::strcasecmp(operation, "open") != 0)
        return ShellResult(SE_ERR_NOASSOC);
    if (file.empty())
        return ShellResult(SE_ERR_FNF);
    if (PlatformInternal::GetEnv("ZEP_HEADLESS") == "1") {
        const std::string line = "ShellExecute: open \"" + file + "\"\n";
        OutputDebugStringA(line.c_str());
        return ShellResult(kShellSuccess);
    }
    return ShellResult(SpawnOpener(file) ? kShellSuccess : SE_ERR_NOASSOC);
}

}  // namespace

HINSTANCE ShellExecuteA(HWND, LPCSTR operation, LPCSTR file, LPCSTR, LPCSTR, INT) {
    return Execute(operation, file ? std::string(file) : std::string());
}

HINSTANCE ShellExecuteW(HWND, LPCWSTR operation, LPCWSTR file, LPCWSTR, LPCWSTR, INT) {
    const std::string verb = WideArgument(operation);
    return Execute(operation ? verb.c_str() : nullptr, WideArgument(file));
}
