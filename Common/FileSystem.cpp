#include "Common/FileSystem.h"

#include <atomic>
#include <cstdio>

#include "Common/CoreUtils.h"
#include "Common/MemoryManager.h"
#include "Common/ThreadSync.h"
#include "Common/ThreadVar.h"

namespace Zep {

// --- Error state ---------------------------------------------------------------------

namespace {

// The thread variable of the error state lives from the first file system's
// construction to the last one's destruction, so that its values are freed before
// the exit-time memory report. Errors recorded outside that time (by exit-time
// destructors) go to one process-wide record.
Detail::SpinLockByte threadErrorsLock{0};
int liveFileSystems = 0;
std::atomic<ThreadVar<Detail::FileSystemThreadErrors>*> threadErrors{nullptr};
Detail::FileSystemThreadErrors errorsWithoutFileSystem;

}  // namespace

namespace Detail {

FileSystemThreadErrors& GetFileSystemThreadErrors() {
    ThreadVar<FileSystemThreadErrors>* errors = threadErrors.load(std::memory_order_acquire);
    return errors ? errors->Get() : errorsWithoutFileSystem;
}

}  // namespace Detail

namespace {

const char* const errorTexts[] = {
    "No errors",                                       //   0
    "One or more parameters are wrong",                //  -1
    "Operation was canceled",                          //  -2
    "Path is too long",                                //  -3
    "Media was removed",                               //  -4
    "Wrong media was inserted",                        //  -5
    "Function (operation) not supported",              //  -6
    "Bundle not loaded",                               //  -7
    "Bundle is corrupted",                             //  -8
    "Bundle is still in use (some files are opened)",  //  -9
    "File in bundle is duplicated and is in use now",  // -10
    nullptr,                                           // -11
    nullptr,                                           // -12
    nullptr,                                           // -13
    nullptr,                                           // -14
    nullptr,                                           // -15
    nullptr,                                           // -16
    "File or directory not found",                     // -17
    "File or directory already exists",                // -18
    "Can not rename/move file or directory",           // -19
    "Directory is not empty",                          // -20
    "Sharing violation error",                         // -21
    "Access denied",                                   // -22
    "Data (CRC) error",                                // -23
    "Unknown system error",                            // -24
};

bool IsSeparator(char c) {
    return c == '/' || c == '\\';
}

// Length of the root of a correctly slashed path: a drive prefix with one '/' after
// it, or a leading '/'. A ':' after a separator is part of a name, not a drive.
size_t RootLength(const std::string& path) {
    const size_t colon = path.find(':');
    const size_t slash = path.find('/');
    if (colon != std::string::npos && (slash == std::string::npos || colon < slash))
        return colon + 1 + (colon + 1 < path.size() && path[colon + 1] == '/' ? 1 : 0);
    return !path.empty() && path[0] == '/' ? 1 : 0;
}

// Index of the end of path once trailing separators are left out.
size_t EndWithoutTrailingSeparators(const std::string& path) {
    size_t end = path.size();
    while (end > 0 && IsSeparator(path[end - 1]))
        --end;
    return end;
}

}  // namespace

uint32_t NormalizeOpenFlags(uint32_t flags) {
    if (flags & (FS_OPEN_TRUNCATE | FS_OPEN_CREATE_FOLDERS))
        flags |= FS_OPEN_CREATE | FS_OPEN_READ | FS_OPEN_WRITE;
    else if (flags & FS_OPEN_CREATE)
        flags |= FS_OPEN_READ | FS_OPEN_WRITE;
    else if (!(flags & (FS_OPEN_READ | FS_OPEN_WRITE)))
        flags |= FS_OPEN_READ;
    if ((flags & (FS_OPEN_READ | FS_OPEN_WRITE)) == FS_OPEN_READ)
        flags |= FS_OPEN_SHARE_READ;
    return flags;
}

// --- The interface's own operations ---------------------------------------------------

FileSystem::FileSystem() {
    StartTrackingMemoryLeaks();
    // The first file system makes the error variable; memory is never taken under the spin lock.
    ThreadVar<Detail::FileSystemThreadErrors>* made = nullptr;
    for (;;) {
        {
            Detail::SpinLockGuard guard(threadErrorsLock);
            if (liveFileSystems > 0 || made) {
                if (liveFileSystems++ == 0) {
                    threadErrors.store(made, std::memory_order_release);
                    made = nullptr;
                }
                break;
            }
        }
        made = new ThreadVar<Detail::FileSystemThreadErrors>();
    }
    delete made;  // another file system came first
}

FileSystem::~FileSystem() {
    ThreadVar<Detail::FileSystemThreadErrors>* released = nullptr;
    {
        Detail::SpinLockGuard guard(threadErrorsLock);
        if (--liveFileSystems == 0)
            released = threadErrors.exchange(nullptr, std::memory_order_acq_rel);
    }
    // Frees the record of every thread that has one.
    delete released;
}

const char* FileSystem::GetErrorText(int32_t code) {
    const int32_t count = static_cast<int32_t>(sizeof(errorTexts) / sizeof(errorTexts[0]));
    if (code > 0 || code <= -count || !errorTexts[-code]) {
        char message[96];
        std::snprintf(message, sizeof(message), "Zep::FileSystem.GetLastErrorText(): unknown error code %d",
                      static_cast<int>(code));
        ZEP_ASSERT_MSG(false, message);
    }
    return errorTexts[-code];
}

int32_t FileSystem::GetLastError() {
    return Detail::GetFileSystemThreadErrors().code;
}

void FileSystem::SetLastError(int32_t code) {
    Detail::GetFileSystemThreadErrors().code = code;
}

const char* FileSystem::GetLastErrorText() {
    return GetErrorText(GetLastError());
}

int FileSystem::CheckMediaError(int) {
    return 0;
}

std::string FileSystem::GetOSErrorText() {
    return std::string();
}

bool FileSystem::IsFileAtEof(FileHandle handle) {
    ZEP_ASSERT_MSG(openFiles.IsValid(handle), "Zep::FileSystem.IsFileAtEof(): invalid file handle");
    return handle->position >= handle->size;
}

bool FileSystem::GetDirectoryContents(std::vector<std::string>& entries, const std::string& path, int flags,
                                      bool recursive) {
    entries.clear();
    if (!PathExists(path, FS_PATH_DIRECTORY)) {
        SetLastError(FS_ERROR_NOT_FOUND);
        return false;
    }
    return CollectDirectoryEntries(entries, path, std::string(), flags, recursive);
}

void FileSystem::SetMediaErrorCallback(MediaErrorCallback callback, uintptr_t userWord) {
    mediaErrorCallback = callback;
    mediaErrorUserWord = userWord;
}

int FileSystem::CloseAllFiles() {
    Detail::ThreadSyncGuard guard(&lock);
    int closed = 0;
    while (OpenFileRecord* record = openFiles.FindFirst(false)) {
        CloseFile(record);
        ++closed;
    }
    return closed;
}

// --- Paths ---------------------------------------------------------------------------

std::string GetCorrectlySlashedPath(const std::string& path) {
    std::string result;
    result.reserve(path.size());
    bool afterSeparator = false;
    for (char c : path) {
        if (IsSeparator(c)) {
            if (!afterSeparator)
                result += '/';
            afterSeparator = true;
        } else {
            result += c;
            afterSeparator = false;
        }
    }
    return result;
}

std::string GetNormalizedPath(const std::string& path) {
    std::string prefix;
    size_t start = 0;
    const size_t colon = path.find(':');
    const size_t separator = path.find_first_of("/\\");
    if (colon != std::string::npos && (separator == std::string::npos || colon < separator)) {
        prefix = path.substr(0, colon + 1);
        for (char& c : prefix) {
            if (c >= 'a' && c <= 'z')
                c = static_cast<char>(c - 'a' + 'A');
        }
        start = colon + 1;
    } else if (path.size() >= 2 && path[0] == '.' && IsSeparator(path[1])) {
        prefix = "./";
        start = 2;
    }

    std::string output;
    output.reserve(path.size());
    bool afterSeparator = false;
    const size_t end = path.size();
    for (size_t i = start; i < end; ++i) {
        const char c = path[i];
        if (IsSeparator(c)) {
            if (!afterSeparator)
                output += '/';
            afterSeparator = true;
            continue;
        }
        const bool componentStart = i == start || IsSeparator(path[i - 1]);
        if (c == '.' && componentStart) {
            if (i + 1 == end || IsSeparator(path[i + 1])) {
                // "." names the folder itself: it goes, with its separator.
                ++i;
                continue;
            }
            if (path[i + 1] == '.' && (i + 2 == end || IsSeparator(path[i + 2]))) {
                ++i;
                if (output == "/") {
                    // Nothing lies above the root: the ".." goes.
                    afterSeparator = true;
                    continue;
                }
                if (!output.empty() && output.back() == '/')
                    output.pop_back();
                const bool endsWithDots = output.size() >= 2 && output.compare(output.size() - 2, 2, "..") == 0 &&
                                          (output.size() == 2 || output[output.size() - 3] == '/');
                if (output.empty() || endsWithDots) {
                    if (!output.empty())
                        output += '/';
                    output += "..";
                    afterSeparator = false;
                } else {
                    const size_t slash = output.rfind('/');
                    output.erase(slash == std::string::npos ? 0 : slash + 1);
                    afterSeparator = true;
                }
                continue;
            }
        }
        output += c;
        afterSeparator = false;
    }
    return prefix + output;
}

std::string ConcatPaths(const std::string& folder, const std::string& name) {
    if (folder.empty())
        return GetNormalizedPath(name);
    return GetNormalizedPath(folder + "/" + name);
}

bool IsPathAbsolute(const std::string& path) {
    const size_t separator = path.find_first_of("/\\");
    if (separator == std::string::npos)
        return false;
    return separator == 0 || path[separator - 1] == ':';
}

std::string ExtractFileFullName(const std::string& path) {
    const size_t end = EndWithoutTrailingSeparators(path);
    const size_t last = end == 0 ? std::string::npos : path.find_last_of("/\\:", end - 1);
    const size_t begin = last == std::string::npos ? 0 : last + 1;
    return path.substr(begin, end - begin);
}

std::string ExtractFileName(const std::string& path) {
    const std::string name = ExtractFileFullName(path);
    const size_t dot = name.rfind('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

std::string ExtractFileExtension(const std::string& path) {
    const size_t end = EndWithoutTrailingSeparators(path);
    const size_t last = end == 0 ? std::string::npos : path.find_last_of("./\\:", end - 1);
    if (last == std::string::npos || path[last] != '.')
        return std::string();
    return path.substr(last + 1, end - last - 1);
}

std::string ExtractBranch(const std::string& path) {
    const std::string slashed = GetCorrectlySlashedPath(path);
    const size_t root = RootLength(slashed);
    size_t end = slashed.size();
    if (end > 0 && slashed[end - 1] == '/')
        --end;
    const size_t slash = end == 0 ? std::string::npos : slashed.rfind('/', end - 1);
    const size_t length = slash == std::string::npos ? 0 : slash + 1;
    return slashed.substr(0, length < root ? root : length);
}

std::string ExtractPathWithoutExtension(const std::string& path) {
    std::string slashed = GetCorrectlySlashedPath(path);
    const size_t root = RootLength(slashed);
    if (slashed.size() > root && slashed.back() == '/')
        slashed.pop_back();
    const size_t last = slashed.find_last_of("./:");
    if (last != std::string::npos && slashed[last] == '.')
        slashed.erase(last < root ? root : last);
    return slashed;
}

}  // namespace Zep
