// Files and folders over POSIX, with the Windows file-name rules the engine relies on.
#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>
#include <wctype.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <vector>

#include "LayerInternal.h"
#include "TestHooks.h"
#include "win32_errors.h"
#include "win32_files.h"

namespace {

std::atomic<bool> caseInsensitiveLookup{true};

class FileObject : public PlatformInternal::KernelObject {
public:
    explicit FileObject(int descriptor) : fd(descriptor) {}
    ~FileObject() override { ::close(fd); }
    const int fd;
};

std::shared_ptr<FileObject> FindFile(HANDLE handle) {
    std::shared_ptr<FileObject> file = PlatformInternal::FindHandleAs<FileObject>(handle);
    if (!file)
        SetLastError(ERROR_INVALID_HANDLE);
    return file;
}

// Errors of calls on an open descriptor: a descriptor opened without the needed
// access reports EBADF, which Windows reports as access denied.
DWORD DescriptorErrorToWin32(int error) {
    return error == EBADF ? ERROR_ACCESS_DENIED : PlatformInternal::ErrnoToWin32(error);
}

std::string JoinPath(const std::string& folder, const std::string& name) {
    if (folder.empty())
        return name;
    if (folder.back() == '/')
        return folder + name;
    return folder + "/" + name;
}

std::string ParentOf(std::string path) {
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return path.substr(0, slash);
}

bool IsFolder(const std::string& path) {
    struct stat info;
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool PathMissing(const std::string& path) {
    struct stat info;
    return ::lstat(path.c_str(), &info) != 0;
}

// Copies the bytes of one open file into another.
bool CopyDescriptor(int from, int to) {
    std::vector<char> buffer(65536);
    for (;;) {
        const ssize_t got = ::read(from, buffer.data(), buffer.size());
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (got == 0)
            return true;
        ssize_t done = 0;
        while (done < got) {
            const ssize_t put = ::write(to, buffer.data() + done, static_cast<size_t>(got - done));
            if (put < 0) {
                if (errno == EINTR)
                    continue;
                return false;
            }
            done += put;
        }
    }
}

// Copies source to target; failIfExists refuses an existing target with ERROR_FILE_EXISTS.
BOOL CopyHostFile(const std::string& source, const std::string& target, bool failIfExists) {
    const int from = ::open(source.c_str(), O_RDONLY | O_CLOEXEC);
    if (from < 0) {
        SetLastError(PlatformInternal::PathErrorToWin32(errno, source));
        return FALSE;
    }
    struct stat sourceInfo;
    if (::fstat(from, &sourceInfo) != 0 || S_ISDIR(sourceInfo.st_mode)) {
        ::close(from);
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    struct stat targetInfo;
    if (::stat(target.c_str(), &targetInfo) == 0) {
        // Truncating the target would destroy the source when both are one file.
        if (targetInfo.st_dev == sourceInfo.st_dev && targetInfo.st_ino == sourceInfo.st_ino && !failIfExists) {
            ::close(from);
            SetLastError(ERROR_ACCESS_DENIED);
            return FALSE;
        }
        if (!failIfExists && !(targetInfo.st_mode & S_IWUSR)) {
            ::close(from);
            SetLastError(ERROR_ACCESS_DENIED);
            return FALSE;
        }
    }
    const int flags = O_WRONLY | O_CREAT | O_CLOEXEC | (failIfExists ? O_EXCL : O_TRUNC);
    const int to = ::open(target.c_str(), flags, sourceInfo.st_mode & 07777);
    if (to < 0) {
        const int error = errno;
        ::close(from);
        SetLastError(error == EEXIST ? ERROR_FILE_EXISTS : PlatformInternal::PathErrorToWin32(error, target));
        return FALSE;
    }
    const bool copied = CopyDescriptor(from, to);
    const int error = errno;
    ::fchmod(to, sourceInfo.st_mode & 07777);
    ::close(from);
    ::close(to);
    if (!copied) {
        SetLastError(PlatformInternal::ErrnoToWin32(error));
        return FALSE;
    }
    return TRUE;
}

}  // namespace

namespace PlatformTest {

void SetCaseInsensitiveLookup(bool enabled) {
    caseInsensitiveLookup = enabled;
}

}  // namespace PlatformTest

namespace PlatformInternal {

bool HostPath(LPCWSTR path, std::string& out) {
    if (!path || !path[0]) {
        SetLastError(ERROR_INVALID_NAME);
        return false;
    }
    out = Utf16ToUtf8(std::u16string(path));
    for (char& c : out) {
        if (c == '\\')
            c = '/';
    }
    return true;
}

bool AsciiEqualNoCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]);
        unsigned char y = static_cast<unsigned char>(b[i]);
        if (x >= 'A' && x <= 'Z')
            x = static_cast<unsigned char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z')
            y = static_cast<unsigned char>(y - 'A' + 'a');
        if (x != y)
            return false;
    }
    return true;
}

bool NtfsNameLess(const std::u16string& a, const std::u16string& b) {
    // The "C.UTF-8" locale object is never the global locale, which stays "C".
    static const locale_t upperLocale = ::newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(0));
    auto upper = [](char16_t unit) -> char32_t {
        if (unit >= 0xD800 && unit <= 0xDFFF)
            return unit;
        if (upperLocale)
            return static_cast<char32_t>(::towupper_l(static_cast<wint_t>(unit), upperLocale)) & 0xFFFF;
        return unit >= u'a' && unit <= u'z' ? static_cast<char32_t>(unit - u'a' + u'A') : unit;
    };
    const size_t common = a.size() < b.size() ? a.size() : b.size();
    for (size_t i = 0; i < common; ++i) {
        const char32_t x = upper(a[i]);
        const char32_t y = upper(b[i]);
        if (x != y)
            return x < y;
    }
    return a.size() < b.size();
}

std::string ResolvePathCase(const std::string& path) {
    if (!caseInsensitiveLookup || path.empty())
        return path;
    struct stat info;
    if (::lstat(path.c_str(), &info) == 0 || errno != ENOENT)
        return path;

    std::string result = path[0] == '/' ? "/" : "";
    bool missing = false;
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find('/', start);
        if (end == std::string::npos)
            end = path.size();
        const std::string component = path.substr(start, end - start);
        start = end + 1;
        if (component.empty())
            continue;
        const std::string exact = JoinPath(result, component);
        if (missing || component == "." || component == ".." || ::lstat(exact.c_str(), &info) == 0) {
            result = exact;
            continue;
        }
        // The first match in listing order wins.
        std::string match;
        std::u16string matchWide;
        if (DIR* folder = ::opendir(result.empty() ? "." : result.c_str())) {
            while (dirent* entry = ::readdir(folder)) {
                const std::string name = entry->d_name;
                if (!AsciiEqualNoCase(name, component))
                    continue;
                const std::u16string wide = Utf8ToUtf16(name);
                if (match.empty() || NtfsNameLess(wide, matchWide)) {
                    match = name;
                    matchWide = wide;
                }
            }
            ::closedir(folder);
        }
        if (match.empty()) {
            missing = true;
            result = exact;
        } else {
            result = JoinPath(result, match);
        }
    }
    if (path.size() > 1 && path.back() == '/' && !result.empty() && result.back() != '/')
        result += '/';
    return result;
}

DWORD PathErrorToWin32(int error, const std::string& path) {
    if (error == ENOENT)
        return IsFolder(ParentOf(path)) ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND;
    return ErrnoToWin32(error);
}

bool QueryAttributes(const std::string& path, const std::string& name, DWORD& attributes, uint64_t& size) {
    struct stat link;
    if (::lstat(path.c_str(), &link) != 0)
        return false;
    struct stat target = link;
    attributes = 0;
    if (S_ISLNK(link.st_mode)) {
        attributes |= FILE_ATTRIBUTE_REPARSE_POINT;
        if (::stat(path.c_str(), &target) != 0)
            target = link;  // a dangling link counts as a file
    }
    if (S_ISDIR(target.st_mode)) {
        attributes |= FILE_ATTRIBUTE_DIRECTORY;
        size = 0;
    } else {
        attributes |= FILE_ATTRIBUTE_ARCHIVE;
        size = S_ISLNK(target.st_mode) ? 0 : static_cast<uint64_t>(target.st_size);
    }
    if (!S_ISLNK(target.st_mode) && !(target.st_mode & S_IWUSR))
        attributes |= FILE_ATTRIBUTE_READONLY;
    if (!name.empty() && name[0] == '.' && name != "." && name != "..")
        attributes |= FILE_ATTRIBUTE_HIDDEN;
    return true;
}

}  // namespace PlatformInternal

using PlatformInternal::ErrnoToWin32;
using PlatformInternal::HostPath;
using PlatformInternal::PathErrorToWin32;
using PlatformInternal::ResolvePathCase;

HANDLE CreateFileW(LPCWSTR fileName, DWORD desiredAccess, DWORD, LPSECURITY_ATTRIBUTES, DWORD creationDisposition,
                   DWORD, HANDLE) {
    std::string path;
    if (!HostPath(fileName, path))
        return INVALID_HANDLE_VALUE;
    path = ResolvePathCase(path);

    const bool read = (desiredAccess & GENERIC_READ) != 0;
    const bool write = (desiredAccess & GENERIC_WRITE) != 0;
    // Opening a named pipe or a device could wait for a peer: the open never blocks,
    // and whatever is not a regular file is refused below.
    int flags = O_CLOEXEC | O_NONBLOCK | (write ? (read ? O_RDWR : O_WRONLY) : O_RDONLY);
    switch (creationDisposition) {
        case CREATE_NEW:
            flags |= O_CREAT | O_EXCL;
            break;
        case CREATE_ALWAYS:
            flags |= O_CREAT | O_TRUNC;
            break;
        case OPEN_EXISTING:
            break;
        case OPEN_ALWAYS:
            flags |= O_CREAT;
            break;
        case TRUNCATE_EXISTING:
            flags |= O_TRUNC;
            break;
        default:
            SetLastError(ERROR_INVALID_PARAMETER);
            return INVALID_HANDLE_VALUE;
    }

    struct stat info;
    const bool existed = ::stat(path.c_str(), &info) == 0;
    if (existed && creationDisposition != CREATE_NEW) {
        // Folders and special files (pipes, devices, sockets) have no file handles;
        // read-only files refuse writing, also to root.
        const bool changes = write || creationDisposition == CREATE_ALWAYS || creationDisposition == TRUNCATE_EXISTING;
        if (!S_ISREG(info.st_mode) || (changes && !(info.st_mode & S_IWUSR))) {
            SetLastError(ERROR_ACCESS_DENIED);
            return INVALID_HANDLE_VALUE;
        }
    }

    int fd;
    do {
        fd = ::open(path.c_str(), flags, 0666);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        SetLastError(PathErrorToWin32(errno, path));
        return INVALID_HANDLE_VALUE;
    }
    // Checked again on what was opened: the path may have changed since.
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) ||
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0) {
        ::close(fd);
        SetLastError(ERROR_ACCESS_DENIED);
        return INVALID_HANDLE_VALUE;
    }
    HANDLE handle = PlatformInternal::AddHandle(PlatformInternal::MakeSystemShared<FileObject>(fd));
    const bool reopened = existed && (creationDisposition == CREATE_ALWAYS || creationDisposition == OPEN_ALWAYS);
    SetLastError(reopened ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
    return handle;
}

BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD bytesToRead, LPDWORD bytesRead, LPOVERLAPPED) {
    if (bytesRead)
        *bytesRead = 0;
    std::shared_ptr<FileObject> object = FindFile(file);
    if (!object)
        return FALSE;
    if (!buffer && bytesToRead) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    DWORD total = 0;
    while (total < bytesToRead) {
        const ssize_t got = ::read(object->fd, static_cast<char*>(buffer) + total, bytesToRead - total);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            const int error = errno;
            if (bytesRead)
                *bytesRead = total;
            SetLastError(DescriptorErrorToWin32(error));
            return FALSE;
        }
        if (got == 0)
            break;
        total += static_cast<DWORD>(got);
    }
    if (bytesRead)
        *bytesRead = total;
    return TRUE;
}

BOOL WriteFile(HANDLE file, LPCVOID buffer, DWORD bytesToWrite, LPDWORD bytesWritten, LPOVERLAPPED) {
    if (bytesWritten)
        *bytesWritten = 0;
    std::shared_ptr<FileObject> object = FindFile(file);
    if (!object)
        return FALSE;
    if (!buffer && bytesToWrite) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    DWORD total = 0;
    while (total < bytesToWrite) {
        const ssize_t put = ::write(object->fd, static_cast<const char*>(buffer) + total, bytesToWrite - total);
        if (put < 0) {
            if (errno == EINTR)
                continue;
            const int error = errno;
            if (bytesWritten)
                *bytesWritten = total;
            SetLastError(DescriptorErrorToWin32(error));
            return FALSE;
        }
        total += static_cast<DWORD>(put);
    }
    if (bytesWritten)
        *bytesWritten = total;
    return TRUE;
}

BOOL SetFilePointerEx(HANDLE file, LARGE_INTEGER distance, PLARGE_INTEGER newPosition, DWORD moveMethod) {
    std::shared_ptr<FileObject> object = FindFile(file);
    if (!object)
        return FALSE;
    int64_t base = 0;
    if (moveMethod == FILE_CURRENT) {
        base = ::lseek(object->fd, 0, SEEK_CUR);
    } else if (moveMethod == FILE_END) {
        struct stat info;
        base = ::fstat(object->fd, &info) == 0 ? static_cast<int64_t>(info.st_size) : -1;
    } else if (moveMethod != FILE_BEGIN) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (base < 0) {
        SetLastError(DescriptorErrorToWin32(errno));
        return FALSE;
    }
    if (distance.QuadPart < 0 && base < -distance.QuadPart) {
        SetLastError(ERROR_NEGATIVE_SEEK);
        return FALSE;
    }
    const int64_t target = base + distance.QuadPart;
    const off_t reached = ::lseek(object->fd, static_cast<off_t>(target), SEEK_SET);
    if (reached < 0) {
        SetLastError(DescriptorErrorToWin32(errno));
        return FALSE;
    }
    if (newPosition)
        newPosition->QuadPart = reached;
    return TRUE;
}

BOOL SetEndOfFile(HANDLE file) {
    std::shared_ptr<FileObject> object = FindFile(file);
    if (!object)
        return FALSE;
    const off_t position = ::lseek(object->fd, 0, SEEK_CUR);
    if (position < 0 || ::ftruncate(object->fd, position) != 0) {
        // ftruncate reports a descriptor opened for reading only as EINVAL or EBADF.
        SetLastError(errno == EINVAL ? ERROR_ACCESS_DENIED : DescriptorErrorToWin32(errno));
        return FALSE;
    }
    return TRUE;
}

BOOL GetFileSizeEx(HANDLE file, PLARGE_INTEGER size) {
    std::shared_ptr<FileObject> object = FindFile(file);
    if (!object)
        return FALSE;
    struct stat info;
    if (::fstat(object->fd, &info) != 0) {
        SetLastError(ErrnoToWin32(errno));
        return FALSE;
    }
    size->QuadPart = static_cast<LONGLONG>(info.st_size);
    return TRUE;
}

DWORD GetFileAttributesW(LPCWSTR fileName) {
    std::string path;
    if (!HostPath(fileName, path))
        return INVALID_FILE_ATTRIBUTES;
    path = ResolvePathCase(path);
    std::string trimmed = path;
    while (trimmed.size() > 1 && trimmed.back() == '/')
        trimmed.pop_back();
    const size_t slash = trimmed.rfind('/');
    const std::string name = slash == std::string::npos ? trimmed : trimmed.substr(slash + 1);
    DWORD attributes = 0;
    uint64_t size = 0;
    if (!PlatformInternal::QueryAttributes(path, name, attributes, size)) {
        SetLastError(PathErrorToWin32(errno, path));
        return INVALID_FILE_ATTRIBUTES;
    }
    return attributes;
}

BOOL SetFileAttributesW(LPCWSTR fileName, DWORD attributes) {
    std::string path;
    if (!HostPath(fileName, path))
        return FALSE;
    path = ResolvePathCase(path);
    struct stat info;
    if (::stat(path.c_str(), &info) != 0) {
        SetLastError(PathErrorToWin32(errno, path));
        return FALSE;
    }
    mode_t mode = info.st_mode & 07777;
    if (attributes & FILE_ATTRIBUTE_READONLY)
        mode &= static_cast<mode_t>(~(S_IWUSR | S_IWGRP | S_IWOTH));
    else
        mode |= S_IWUSR;
    if (::chmod(path.c_str(), mode) != 0) {
        SetLastError(ErrnoToWin32(errno));
        return FALSE;
    }
    return TRUE;
}

BOOL CopyFileW(LPCWSTR existingFileName, LPCWSTR newFileName, BOOL failIfExists) {
    std::string source, target;
    if (!HostPath(existingFileName, source) || !HostPath(newFileName, target))
        return FALSE;
    return CopyHostFile(ResolvePathCase(source), ResolvePathCase(target), failIfExists != FALSE);
}

BOOL MoveFileW(LPCWSTR existingFileName, LPCWSTR newFileName) {
    std::string source, target;
    if (!HostPath(existingFileName, source) || !HostPath(newFileName, target))
        return FALSE;
    source = ResolvePathCase(source);
    target = ResolvePathCase(target);
    struct stat info;
    if (::lstat(source.c_str(), &info) != 0) {
        SetLastError(PathErrorToWin32(errno, source));
        return FALSE;
    }
    const bool folder = S_ISDIR(info.st_mode);
    // Never replaces the target: Windows refuses an existing one.
    if (::renameat2(AT_FDCWD, source.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) == 0)
        return TRUE;
    int error = errno;
    if (error == EINVAL || error == ENOSYS) {
        // The file system refuses the no-replace flag.
        if (!PathMissing(target)) {
            SetLastError(ERROR_ALREADY_EXISTS);
            return FALSE;
        }
        if (folder) {
            if (::rename(source.c_str(), target.c_str()) == 0)
                return TRUE;
            error = errno;
        } else if (::link(source.c_str(), target.c_str()) == 0) {
            ::unlink(source.c_str());
            return TRUE;
        } else {
            error = errno;
        }
    }
    if (error == EXDEV) {
        if (folder) {
            SetLastError(ERROR_NOT_SAME_DEVICE);
            return FALSE;
        }
        if (!CopyHostFile(source, target, true))
            return FALSE;
        ::unlink(source.c_str());
        return TRUE;
    }
    if (error == EEXIST) {
        SetLastError(ERROR_ALREADY_EXISTS);
        return FALSE;
    }
    SetLastError(PathErrorToWin32(error, target));
    return FALSE;
}

BOOL DeleteFileW(LPCWSTR fileName) {
    std::string path;
    if (!HostPath(fileName, path))
        return FALSE;
    path = ResolvePathCase(path);
    struct stat info;
    if (::lstat(path.c_str(), &info) != 0) {
        SetLastError(PathErrorToWin32(errno, path));
        return FALSE;
    }
    if (S_ISDIR(info.st_mode) || (!S_ISLNK(info.st_mode) && !(info.st_mode & S_IWUSR))) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    if (::unlink(path.c_str()) != 0) {
        SetLastError(PathErrorToWin32(errno, path));
        return FALSE;
    }
    return TRUE;
}

BOOL CreateDirectoryW(LPCWSTR pathName, LPSECURITY_ATTRIBUTES) {
    std::string path;
    if (!HostPath(pathName, path))
        return FALSE;
    path = ResolvePathCase(path);
    if (::mkdir(path.c_str(), 0777) != 0) {
        const int error = errno;
        if (error == EEXIST)
            SetLastError(ERROR_ALREADY_EXISTS);
        else if (error == ENOENT)
            SetLastError(ERROR_PATH_NOT_FOUND);
        else
            SetLastError(ErrnoToWin32(error));
        return FALSE;
    }
    return TRUE;
}

BOOL RemoveDirectoryW(LPCWSTR pathName) {
    std::string path;
    if (!HostPath(pathName, path))
        return FALSE;
    path = ResolvePathCase(path);
    std::string link = path;
    while (link.size() > 1 && link.back() == '/')
        link.pop_back();
    struct stat info;
    if (::lstat(link.c_str(), &info) == 0 && S_ISLNK(info.st_mode) && IsFolder(link)) {
        // A link to a folder is removed as itself, never the folder it leads to.
        if (::unlink(link.c_str()) != 0) {
            SetLastError(ErrnoToWin32(errno));
            return FALSE;
        }
        return TRUE;
    }
    if (::rmdir(path.c_str()) != 0) {
        const int error = errno;
        if (error == ENOTEMPTY || error == EEXIST)
            SetLastError(ERROR_DIR_NOT_EMPTY);
        else if (error == ENOTDIR)
            SetLastError(ERROR_DIRECTORY);
        else
            SetLastError(PathErrorToWin32(error, path));
        return FALSE;
    }
    return TRUE;
}

DWORD GetCurrentDirectoryW(DWORD bufferLength, LPWSTR buffer) {
    std::vector<char> host(256);
    while (!::getcwd(host.data(), host.size())) {
        if (errno != ERANGE) {
            SetLastError(ErrnoToWin32(errno));
            return 0;
        }
        host.resize(host.size() * 2);
    }
    const std::u16string wide = PlatformInternal::Utf8ToUtf16(host.data());
    if (!buffer || wide.size() + 1 > bufferLength)
        return static_cast<DWORD>(wide.size() + 1);
    std::memcpy(buffer, wide.data(), wide.size() * sizeof(WCHAR));
    buffer[wide.size()] = 0;
    return static_cast<DWORD>(wide.size());
}

BOOL SetCurrentDirectoryW(LPCWSTR pathName) {
    std::string path;
    if (!HostPath(pathName, path))
        return FALSE;
    path = ResolvePathCase(path);
    if (::chdir(path.c_str()) != 0) {
        SetLastError(PathErrorToWin32(errno, path));
        return FALSE;
    }
    return TRUE;
}

BOOL GetDiskFreeSpaceExW(LPCWSTR directoryName, PULARGE_INTEGER freeBytesAvailable, PULARGE_INTEGER totalBytes,
                         PULARGE_INTEGER totalFreeBytes) {
    std::string path = ".";
    if (directoryName && directoryName[0] && !HostPath(directoryName, path))
        return FALSE;
    path = ResolvePathCase(path);
    struct statvfs info;
    if (::statvfs(path.c_str(), &info) != 0) {
        SetLastError(PathErrorToWin32(errno, path));
        return FALSE;
    }
    const uint64_t unit = info.f_frsize;
    if (freeBytesAvailable)
        freeBytesAvailable->QuadPart = static_cast<uint64_t>(info.f_bavail) * unit;
    if (totalBytes)
        totalBytes->QuadPart = static_cast<uint64_t>(info.f_blocks) * unit;
    if (totalFreeBytes)
        totalFreeBytes->QuadPart = static_cast<uint64_t>(info.f_bfree) * unit;
    return TRUE;
}
