#include "Platforms/Win32/Win32FileSystem.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "Common/CoreUtils.h"
#include "Common/StringUtils.h"

namespace Zep {

FileSystem* FileSystem::GetInstance() {
    return SubSystemSingleton<Zep::FileSystem, Win32::FileSystem>::Instance();
}

FileSystem* FileSystem::GetExisting() {
    return SubSystemSingleton<Zep::FileSystem, Win32::FileSystem>::Existing();
}

namespace Win32 {

namespace {

// Size of the zero-filled pieces that grow a file when a seek passes its end.
const int64_t growPiece = 0x8000;

std::u16string ToWide(const std::string& text) {
    return Utf8ToWide(text);
}

std::string ToUtf8(const char16_t* text, size_t length) {
    return WideToUtf8(std::u16string(text, length));
}

std::string ToUtf8(const char16_t* text) {
    return WideToUtf8(std::u16string(text));
}

bool IsDotName(const char16_t* name) {
    return (name[0] == u'.' && name[1] == 0) || (name[0] == u'.' && name[1] == u'.' && name[2] == 0);
}

// Requests are capped at what one Win32 call can move; a shorter count is an ordinary partial transfer.
DWORD ClampTransfer(int64_t bytes) {
    return bytes > static_cast<int64_t>(0xFFFFFFFFu) ? 0xFFFFFFFFu : static_cast<DWORD>(bytes);
}

}  // namespace

FileSystem::FileSystem() {}

FileSystem::~FileSystem() {
    const int closed = CloseAllFiles();
    if (closed > 0) {
        char message[128];
        std::snprintf(message, sizeof(message), "%d file(s) were closed automatically at program termination (OS FS)\n",
                      closed);
        LogWarning(message);
    }
}

int32_t FileSystem::MapOSError(uint32_t osError) {
    switch (osError) {
        case ERROR_SUCCESS:
            return FS_ERROR_NONE;
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_NAME:
            return FS_ERROR_NOT_FOUND;
        case ERROR_ACCESS_DENIED:
            return FS_ERROR_ACCESS_DENIED;
        case ERROR_CRC:
            return FS_ERROR_DATA_CRC;
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
            return FS_ERROR_SHARING_VIOLATION;
        case ERROR_FILE_EXISTS:
        case ERROR_ALREADY_EXISTS:
            return FS_ERROR_ALREADY_EXISTS;
        case ERROR_DIR_NOT_EMPTY:
            return FS_ERROR_DIRECTORY_NOT_EMPTY;
        default:
            return FS_ERROR_UNKNOWN;
    }
}

void FileSystem::RecordOSError() {
    RecordOSError(::GetLastError());
}

void FileSystem::RecordOSError(uint32_t osError) {
    Detail::FileSystemThreadErrors& errors = Detail::GetFileSystemThreadErrors();
    errors.code = MapOSError(osError);
    errors.osError = osError;
}

void FileSystem::SetLastError(int32_t code) {
    Detail::FileSystemThreadErrors& errors = Detail::GetFileSystemThreadErrors();
    errors.code = code;
    errors.osError = 0;
}

std::string FileSystem::GetOSErrorText() {
    const uint32_t osError = Detail::GetFileSystemThreadErrors().osError;
    if (osError == 0)
        return std::string();
    char text[512];
    const DWORD length =
        ::FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_MAX_WIDTH_MASK,
                         nullptr, osError, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), text, sizeof(text), nullptr);
    std::string message(text, length);
    while (!message.empty() && (message.back() == ' ' || message.back() == '.'))
        message.pop_back();
    char result[600];
    std::snprintf(result, sizeof(result), "OS[%d]: %s", static_cast<int>(osError), message.c_str());
    return result;
}

bool FileSystem::PathExists(const std::string& path, int kind) {
    const DWORD attributes = ::GetFileAttributesW(ToWide(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return false;
    const bool folder = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    if (kind == FS_PATH_FILE)
        return !folder;
    if (kind == FS_PATH_DIRECTORY)
        return folder;
    return true;
}

int64_t FileSystem::GetFileSize(FileHandle handle) {
    ZEP_ASSERT_MSG(openFiles.IsValid(handle), "Zep::Win32::FileSystem.GetFileSize(): invalid file handle");
    return static_cast<int64_t>(handle->size);
}

int64_t FileSystem::GetFileSizeByPath(const std::string& path) {
    HANDLE file = ::CreateFileW(ToWide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        RecordOSError();
        return -1;
    }
    LARGE_INTEGER size;
    const BOOL known = ::GetFileSizeEx(file, &size);
    if (!known)
        RecordOSError();
    ::CloseHandle(file);
    return known ? size.QuadPart : -1;
}

FileHandle FileSystem::OpenFile(const std::string& path, uint32_t flags) {
    flags = NormalizeOpenFlags(flags);
    DWORD access = 0;
    if (flags & FS_OPEN_READ)
        access |= GENERIC_READ;
    if (flags & FS_OPEN_WRITE)
        access |= GENERIC_WRITE;
    DWORD share = 0;
    if (flags & FS_OPEN_SHARE_READ)
        share |= FILE_SHARE_READ;
    if (flags & FS_OPEN_SHARE_WRITE)
        share |= FILE_SHARE_WRITE;
    DWORD disposition = OPEN_EXISTING;
    if (flags & FS_OPEN_CREATE)
        disposition = (flags & FS_OPEN_TRUNCATE) ? CREATE_ALWAYS : CREATE_NEW;

    if (flags & FS_OPEN_CREATE_FOLDERS) {
        // A bare name has no folder to create.
        const std::string folder = ExtractBranch(path);
        if (!folder.empty() && !PathExists(folder, FS_PATH_ANY) && !CreateDirectory(folder, true))
            return nullptr;
    }

    OpenFileRecord* record = new OpenFileRecord;
    record->flags = flags;
    HANDLE file =
        ::CreateFileW(ToWide(path).c_str(), access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        RecordOSError();
        delete record;
        return nullptr;
    }
    record->platformHandle = file;
    if (!(flags & FS_OPEN_CREATE)) {
        LARGE_INTEGER size;
        if (!::GetFileSizeEx(file, &size)) {
            RecordOSError();
            ::CloseHandle(file);
            delete record;
            return nullptr;
        }
        record->size = static_cast<uint64_t>(size.QuadPart);
    }
    openFiles.Add(record);
    return record;
}

void FileSystem::CloseFile(FileHandle handle) {
    if (!handle)
        return;
    Detail::ThreadSyncGuard guard(&lock);
    ZEP_CHECK_FILE_HANDLE(openFiles, handle, "Zep::Win32::FileSystem.CloseFile");
    openFiles.Remove(handle);
    ::CloseHandle(handle->platformHandle);
    delete handle;
}

int64_t FileSystem::SeekFile(FileHandle handle, int64_t offset, int origin) {
    Detail::ThreadSyncGuard guard(&lock);
    ZEP_CHECK_FILE_HANDLE(openFiles, handle, "Zep::Win32::FileSystem.SeekFile");
    const int64_t size = static_cast<int64_t>(handle->size);
    const int64_t position = static_cast<int64_t>(handle->position);
    if (origin == FS_SEEK_CUR && offset == 0)
        return position;
    int64_t target = Detail::GetSeekTarget(position, size, offset, origin);

    if (target > size) {
        // The file grows: zeros from its end up to the target.
        LARGE_INTEGER distance;
        distance.QuadPart = 0;
        LARGE_INTEGER end;
        if (!::SetFilePointerEx(handle->platformHandle, distance, &end, FILE_END)) {
            RecordOSError();
            return -1;
        }
        handle->size = static_cast<uint64_t>(end.QuadPart);
        handle->position = handle->size;
        const int64_t gap = target - end.QuadPart;
        std::vector<char> zeros(static_cast<size_t>(std::min(gap, growPiece)), 0);
        int64_t left = gap;
        while (left > 0) {
            const DWORD piece = static_cast<DWORD>(std::min(left, growPiece));
            DWORD written = 0;
            const BOOL done = ::WriteFile(handle->platformHandle, zeros.data(), piece, &written, nullptr);
            handle->position += written;
            if (handle->position > handle->size)
                handle->size = handle->position;
            if (!done || written == 0) {
                RecordOSError();
                return -1;
            }
            left -= written;
        }
    } else {
        if (target < 0)
            target = 0;
        LARGE_INTEGER distance;
        distance.QuadPart = target;
        LARGE_INTEGER reached;
        if (!::SetFilePointerEx(handle->platformHandle, distance, &reached, FILE_BEGIN)) {
            RecordOSError();
            return -1;
        }
        if (reached.QuadPart != target) {
            RecordOSError();
            return -1;
        }
    }
    handle->position = static_cast<uint64_t>(target);
    return target;
}

bool FileSystem::SetEndOfFile(FileHandle handle) {
    Detail::ThreadSyncGuard guard(&lock);
    ZEP_CHECK_FILE_HANDLE(openFiles, handle, "Zep::Win32::FileSystem.SetEndOfFile");
    if (!::SetEndOfFile(handle->platformHandle)) {
        RecordOSError();
        return false;
    }
    handle->size = handle->position;
    return true;
}

int64_t FileSystem::ReadFile(FileHandle handle, void* buffer, int64_t bytes) {
    if (!buffer || bytes < 0) {
        SetLastError(FS_ERROR_WRONG_PARAMETERS);
        return -1;
    }
    Detail::ThreadSyncGuard guard(&lock);
    ZEP_CHECK_FILE_HANDLE(openFiles, handle, "Zep::Win32::FileSystem.ReadFile");
    DWORD read = 0;
    const BOOL done = ::ReadFile(handle->platformHandle, buffer, ClampTransfer(bytes), &read, nullptr);
    handle->position += read;
    if (!done) {
        RecordOSError();
        return -1;
    }
    return read;
}

int64_t FileSystem::WriteFile(FileHandle handle, const void* buffer, int64_t bytes) {
    if (!buffer || bytes < 0) {
        SetLastError(FS_ERROR_WRONG_PARAMETERS);
        return -1;
    }
    Detail::ThreadSyncGuard guard(&lock);
    ZEP_CHECK_FILE_HANDLE(openFiles, handle, "Zep::Win32::FileSystem.WriteFile");
    DWORD written = 0;
    const BOOL done = ::WriteFile(handle->platformHandle, buffer, ClampTransfer(bytes), &written, nullptr);
    handle->position += written;
    if (handle->position > handle->size)
        handle->size = handle->position;
    if (!done) {
        RecordOSError();
        return -1;
    }
    return written;
}

bool FileSystem::CopyFile(const std::string& source, const std::string& destination, bool failIfExists) {
    if (!::CopyFileW(ToWide(source).c_str(), ToWide(destination).c_str(), failIfExists ? TRUE : FALSE)) {
        RecordOSError();
        return false;
    }
    return true;
}

bool FileSystem::Rename(const std::string& source, const std::string& destination) {
    // MoveFileW refuses an existing destination (183), so nothing is replaced.
    if (!::MoveFileW(ToWide(source).c_str(), ToWide(destination).c_str())) {
        RecordOSError();
        return false;
    }
    return true;
}

bool FileSystem::DeleteFile(const std::string& path) {
    if (!::DeleteFileW(ToWide(path).c_str())) {
        RecordOSError();
        return false;
    }
    return true;
}

bool FileSystem::SetCurrentDirectory(const std::string& path) {
    if (!::SetCurrentDirectoryW(ToWide(path).c_str())) {
        RecordOSError();
        return false;
    }
    return true;
}

bool FileSystem::CreateDirectory(const std::string& path, bool recursive) {
    if (::CreateDirectoryW(ToWide(path).c_str(), nullptr))
        return true;
    const DWORD osError = ::GetLastError();
    // "Already exists" is success only when a folder stands there, not a file.
    if (osError == ERROR_ALREADY_EXISTS && PathExists(path, FS_PATH_DIRECTORY))
        return true;
    RecordOSError(osError);
    if (recursive && osError == ERROR_PATH_NOT_FOUND) {
        const std::string parent = ExtractBranch(path);
        if (!parent.empty() && parent.size() < path.size())
            return CreateDirectory(parent, true) && CreateDirectory(path, false);
    }
    return false;
}

bool FileSystem::RemoveDirectory(const std::string& path, bool recursive) {
    if (::RemoveDirectoryW(ToWide(path).c_str()))
        return true;
    RecordOSError();
    if (!recursive)
        return false;

    const std::string folder = GetNormalizedPath(path);
    WIN32_FIND_DATAW entry;
    HANDLE search = ::FindFirstFileW(ToWide(folder + "/*.*").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE) {
        RecordOSError();
        return false;
    }
    do {
        if (IsDotName(entry.cFileName))
            continue;
        const std::string name = ToUtf8(entry.cFileName);
        const std::string child = folder + "/" + name;
        bool removed;
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) {
            // A link goes as itself; what it leads to stays untouched.
            if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                removed = ::RemoveDirectoryW(ToWide(child).c_str()) != FALSE;
            else
                removed = ::DeleteFileW(ToWide(child).c_str()) != FALSE;
            if (!removed)
                RecordOSError();
        } else if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            removed = RemoveDirectory(child, true);
        } else {
            const std::u16string wide = ToWide(child);
            if (entry.dwFileAttributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_SYSTEM))
                ::SetFileAttributesW(wide.c_str(), FILE_ATTRIBUTE_ARCHIVE);
            removed = ::DeleteFileW(wide.c_str()) != FALSE;
            if (!removed)
                RecordOSError();
        }
        if (!removed) {
            ::FindClose(search);
            return false;
        }
    } while (::FindNextFileW(search, &entry));

    const DWORD osError = ::GetLastError();
    ::FindClose(search);
    if (osError != ERROR_NO_MORE_FILES) {
        RecordOSError(osError);
        return false;
    }
    if (!::RemoveDirectoryW(ToWide(path).c_str())) {
        RecordOSError();
        return false;
    }
    return true;
}

std::string FileSystem::GetCurrentDirectory() {
    std::vector<WCHAR> buffer(1024);
    for (;;) {
        const DWORD length = ::GetCurrentDirectoryW(static_cast<DWORD>(buffer.size()), buffer.data());
        if (length == 0) {
            RecordOSError();
            return std::string();
        }
        if (length < buffer.size())
            return GetNormalizedPath(ToUtf8(buffer.data(), length) + "/");
        buffer.resize(length);
    }
}

std::string FileSystem::GetBinaryDirectory() {
    std::vector<WCHAR> buffer(1024);
    for (;;) {
        const DWORD length = ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) {
            RecordOSError();
            return std::string();
        }
        if (length < buffer.size())
            return ExtractBranch(ToUtf8(buffer.data(), length));
        buffer.resize(buffer.size() * 2);
    }
}

std::string FileSystem::GetFullPath(const std::string& path) {
    const size_t separator = path.find_first_of("/\\");
    if (separator != std::string::npos && separator > 0 && path[separator - 1] == ':')
        return GetNormalizedPath(path);
    // A path that begins with a separator is already absolute here: there are no drives.
    if (separator == 0)
        return GetNormalizedPath(path);
    return GetNormalizedPath(GetCurrentDirectory() + "/" + path);
}

bool FileSystem::CollectDirectoryEntries(std::vector<std::string>& entries, const std::string& root,
                                         const std::string& relative, int flags, bool recursive) {
    const std::string pattern = GetNormalizedPath(root + "/" + relative + "/*.*");
    WIN32_FIND_DATAW entry;
    HANDLE search = ::FindFirstFileW(ToWide(pattern).c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE) {
        RecordOSError();
        return false;
    }
    do {
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_HIDDEN)
            continue;
        const std::string name = ToUtf8(entry.cFileName);
        const std::string path = relative.empty() ? name : relative + "/" + name;
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            if (IsDotName(entry.cFileName))
                continue;
            if (flags & FS_LIST_DIRECTORIES)
                entries.push_back(path);
            // Links are listed as themselves and never walked: nothing outside the tree, no cycles.
            if (recursive && !(entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) &&
                !CollectDirectoryEntries(entries, root, path, flags, true)) {
                ::FindClose(search);
                return false;
            }
        } else if (flags & FS_LIST_FILES) {
            entries.push_back(path);
        }
    } while (::FindNextFileW(search, &entry));

    const DWORD osError = ::GetLastError();
    ::FindClose(search);
    if (osError != ERROR_NO_MORE_FILES) {
        RecordOSError(osError);
        return false;
    }
    return true;
}

}  // namespace Win32
}  // namespace Zep
