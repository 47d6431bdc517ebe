#include <fcntl.h>
#include <unistd.h>

#include <SDL.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "LayerInternal.h"
#include "win32_errors.h"
#include "win32_process.h"
#include "win32_user.h"

namespace {

// Writes all bytes with one write call, continued only after a short write.
void WriteAll(int fd, const char* data, size_t size) {
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return;
        }
        data += written;
        size -= static_cast<size_t>(written);
    }
}

int OpenAppendFile(const char* variable) {
    const std::string path = PlatformInternal::GetEnv(variable);
    if (path.empty())
        return -1;
    return ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
}

int DebugLogFile() {
    static const int fd = OpenAppendFile("ZEP_DEBUG_LOG");
    return fd;
}

std::string EscapeRecordField(const char* text) {
    std::string out;
    for (const char* p = text ? text : ""; *p; ++p) {
        switch (*p) {
            case '\\':
                out += "\\\\";
                break;
            case '\t':
                out += "\\t";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\n':
                out += "\\n";
                break;
            default:
                out += *p;
                break;
        }
    }
    return out;
}

const char* IconName(UINT type) {
    switch (type & 0xF0u) {
        case MB_ICONERROR:
            return "error";
        case MB_ICONWARNING:
            return "warning";
        case MB_ICONINFORMATION:
            return "information";
        case MB_ICONQUESTION:
            return "question";
        default:
            return "none";
    }
}

bool CanShowWindowBox() {
    using PlatformInternal::GetEnv;
    if (GetEnv("DISPLAY").empty() && GetEnv("WAYLAND_DISPLAY").empty())
        return false;
    if (GetEnv("ZEP_HEADLESS") == "1")
        return false;
    const std::string driver = GetEnv("SDL_VIDEODRIVER");
    return driver != "offscreen" && driver != "dummy";
}

}  // namespace

namespace PlatformInternal {
int DebugLogFileForSignals() {
    return DebugLogFile();
}
}  // namespace PlatformInternal

void OutputDebugStringA(LPCSTR text) {
    if (!text)
        return;
    const size_t size = std::strlen(text);
    WriteAll(STDERR_FILENO, text, size);
    const int file = DebugLogFile();
    if (file >= 0)
        WriteAll(file, text, size);
}

void ExitProcess(UINT exitCode) {
    std::fflush(nullptr);
    ::_exit(static_cast<int>(exitCode));
}

DWORD GetModuleFileNameA(HMODULE, LPSTR buffer, DWORD size) {
    char path[4096];
    const ssize_t length = ::readlink("/proc/self/exe", path, sizeof(path) - 1);
    if (length < 0) {
        SetLastError(PlatformInternal::ErrnoToWin32(errno));
        return 0;
    }
    if (size == 0) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    const DWORD needed = static_cast<DWORD>(length);
    if (needed >= size) {
        // As Windows does: truncated, terminated, and the buffer size returned.
        std::memcpy(buffer, path, size - 1);
        buffer[size - 1] = '\0';
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return size;
    }
    std::memcpy(buffer, path, needed);
    buffer[needed] = '\0';
    SetLastError(ERROR_SUCCESS);
    return needed;
}

DWORD GetModuleFileNameW(HMODULE, LPWSTR buffer, DWORD size) {
    char path[4096];
    const ssize_t length = ::readlink("/proc/self/exe", path, sizeof(path) - 1);
    if (length < 0) {
        SetLastError(PlatformInternal::ErrnoToWin32(errno));
        return 0;
    }
    if (size == 0) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    const std::u16string wide = PlatformInternal::Utf8ToUtf16(std::string(path, static_cast<size_t>(length)));
    if (wide.size() >= size) {
        std::memcpy(buffer, wide.data(), (size - 1) * sizeof(WCHAR));
        buffer[size - 1] = 0;
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return size;
    }
    std::memcpy(buffer, wide.data(), wide.size() * sizeof(WCHAR));
    buffer[wide.size()] = 0;
    SetLastError(ERROR_SUCCESS);
    return static_cast<DWORD>(wide.size());
}

HMODULE GetModuleHandleA(LPCSTR) {
    static char module;
    return reinterpret_cast<HMODULE>(&module);
}

int MessageBoxA(HWND, LPCSTR text, LPCSTR caption, UINT type) {
    const std::string captionText = caption ? caption : "";
    const std::string bodyText = text ? text : "";

    const std::string line = captionText + ": " + bodyText + "\n";
    WriteAll(STDERR_FILENO, line.data(), line.size());

    static const int recordFile = OpenAppendFile("ZEP_MESSAGEBOX_LOG");
    if (recordFile >= 0) {
        const std::string record =
            std::string(IconName(type)) + "\t" + EscapeRecordField(caption) + "\t" + EscapeRecordField(text) + "\n";
        WriteAll(recordFile, record.data(), record.size());
    }

    if (CanShowWindowBox()) {
        Uint32 flags = SDL_MESSAGEBOX_INFORMATION;
        if ((type & 0xF0u) == MB_ICONERROR)
            flags = SDL_MESSAGEBOX_ERROR;
        else if ((type & 0xF0u) == MB_ICONWARNING)
            flags = SDL_MESSAGEBOX_WARNING;
        SDL_ShowSimpleMessageBox(flags, captionText.c_str(), bodyText.c_str(), nullptr);
    }
    return IDOK;
}
