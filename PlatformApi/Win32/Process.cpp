#include <fcntl.h>
#include <sys/uio.h>
#include <unistd.h>

#include <SDL.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
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

// The diagnostics below run when the engine's heaps may be exhausted (a report of
// running out of memory): they take no memory at all.

// Writes the pieces in order, with one writev call unless the descriptor takes less.
void WriteAllPieces(int fd, iovec* pieces, int count) {
    while (count > 0) {
        ssize_t written = ::writev(fd, pieces, count);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return;
        }
        while (count > 0 && static_cast<size_t>(written) >= pieces->iov_len) {
            written -= static_cast<ssize_t>(pieces->iov_len);
            ++pieces;
            --count;
        }
        if (count > 0) {
            pieces->iov_base = static_cast<char*>(pieces->iov_base) + written;
            pieces->iov_len -= static_cast<size_t>(written);
        }
    }
}

const char* EnvironmentValue(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

int OpenAppendFile(const char* variable) {
    const char* path = EnvironmentValue(variable);
    if (!*path)
        return -1;
    return ::open(path, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
}

int DebugLogFile() {
    static const int fd = OpenAppendFile("ZEP_DEBUG_LOG");
    return fd;
}

// Builds a message-box record in a fixed buffer, written out whenever it is full: one
// write for any record of ordinary length.
class RecordWriter {
public:
    explicit RecordWriter(int fd) : fd_(fd) {}
    ~RecordWriter() { Flush(); }

    void Put(char c) {
        if (used_ == sizeof(buffer_))
            Flush();
        buffer_[used_++] = c;
    }
    void Put(const char* text) {
        for (; *text; ++text)
            Put(*text);
    }
    // Back-slashes, tabs and line breaks escaped, so the record stays one line of three fields.
    void PutEscaped(const char* text) {
        for (const char* p = text ? text : ""; *p; ++p) {
            switch (*p) {
                case '\\':
                    Put("\\\\");
                    break;
                case '\t':
                    Put("\\t");
                    break;
                case '\r':
                    Put("\\r");
                    break;
                case '\n':
                    Put("\\n");
                    break;
                default:
                    Put(*p);
                    break;
            }
        }
    }

private:
    void Flush() {
        WriteAll(fd_, buffer_, used_);
        used_ = 0;
    }

    int fd_;
    size_t used_ = 0;
    char buffer_[4096];
};

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
    if (!*EnvironmentValue("DISPLAY") && !*EnvironmentValue("WAYLAND_DISPLAY"))
        return false;
    if (std::strcmp(EnvironmentValue("ZEP_HEADLESS"), "1") == 0)
        return false;
    const char* driver = EnvironmentValue("SDL_VIDEODRIVER");
    return std::strcmp(driver, "offscreen") != 0 && std::strcmp(driver, "dummy") != 0;
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
    const char* captionText = caption ? caption : "";
    const char* bodyText = text ? text : "";

    iovec line[] = {{const_cast<char*>(captionText), std::strlen(captionText)},
                    {const_cast<char*>(": "), 2},
                    {const_cast<char*>(bodyText), std::strlen(bodyText)},
                    {const_cast<char*>("\n"), 1}};
    WriteAllPieces(STDERR_FILENO, line, 4);

    static const int recordFile = OpenAppendFile("ZEP_MESSAGEBOX_LOG");
    if (recordFile >= 0) {
        RecordWriter record(recordFile);
        record.Put(IconName(type));
        record.Put('\t');
        record.PutEscaped(caption);
        record.Put('\t');
        record.PutEscaped(text);
        record.Put('\n');
    }

    if (CanShowWindowBox()) {
        Uint32 flags = SDL_MESSAGEBOX_INFORMATION;
        if ((type & 0xF0u) == MB_ICONERROR)
            flags = SDL_MESSAGEBOX_ERROR;
        else if ((type & 0xF0u) == MB_ICONWARNING)
            flags = SDL_MESSAGEBOX_WARNING;
        SDL_ShowSimpleMessageBox(flags, captionText, bodyText, nullptr);
    }
    return IDOK;
}
