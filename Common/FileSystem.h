// The file system interface, its error codes and the engine's path helpers.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "Common/FileHandle.h"
#include "Platforms/Win32/Win32CriticalSection.h"

namespace Zep {

// Error codes of file and bundle operations (0 is success). -11 to -16 are unassigned.
enum FileSystemErrorCode : int32_t {
    FS_ERROR_NONE = 0,
    FS_ERROR_WRONG_PARAMETERS = -1,
    FS_ERROR_CANCELED = -2,
    FS_ERROR_PATH_TOO_LONG = -3,
    FS_ERROR_MEDIA_REMOVED = -4,
    FS_ERROR_WRONG_MEDIA = -5,
    FS_ERROR_NOT_SUPPORTED = -6,
    FS_ERROR_BUNDLE_NOT_LOADED = -7,
    FS_ERROR_BUNDLE_CORRUPTED = -8,
    FS_ERROR_BUNDLE_IN_USE = -9,
    FS_ERROR_BUNDLE_FILE_DUPLICATED = -10,
    FS_ERROR_NOT_FOUND = -17,
    FS_ERROR_ALREADY_EXISTS = -18,
    FS_ERROR_CANNOT_RENAME = -19,
    FS_ERROR_DIRECTORY_NOT_EMPTY = -20,
    FS_ERROR_SHARING_VIOLATION = -21,
    FS_ERROR_ACCESS_DENIED = -22,
    FS_ERROR_DATA_CRC = -23,
    FS_ERROR_UNKNOWN = -24,
};

// Open flags (bits of OpenFile's second argument).
enum FileOpenFlags : uint32_t {
    FS_OPEN_READ = 0x01,
    FS_OPEN_WRITE = 0x02,
    FS_OPEN_SHARE_READ = 0x04,
    FS_OPEN_SHARE_WRITE = 0x08,
    FS_OPEN_CREATE = 0x10,          // a new file; fails when it exists
    FS_OPEN_TRUNCATE = 0x20,        // created, or replaced by an empty one
    FS_OPEN_CREATE_FOLDERS = 0x40,  // the missing folders of the path are created first
};

// Kinds of PathExists; any other value means either.
enum PathKind { FS_PATH_FILE = 1, FS_PATH_DIRECTORY = 2, FS_PATH_ANY = 3 };

// Listing flags of GetDirectoryContents.
enum ListingFlags { FS_LIST_FILES = 1, FS_LIST_DIRECTORIES = 2, FS_LIST_ALL = 3 };

// Seek origins.
enum SeekOrigin { FS_SEEK_SET = 0, FS_SEEK_CUR = 1, FS_SEEK_END = 2 };

namespace Detail {
// Where a seek by offset from origin lands; any other origin counts from the start.
inline int64_t GetSeekTarget(int64_t position, int64_t size, int64_t offset, int origin) {
    return origin == FS_SEEK_CUR ? position + offset : origin == FS_SEEK_END ? size + offset : offset;
}
}  // namespace Detail

// The flags an open really uses: creating or truncating implies read and write, and
// read is assumed when neither is given; a read-only open lets others read.
uint32_t NormalizeOpenFlags(uint32_t flags);

class FileSystem {
public:
    typedef int (*MediaErrorCallback)(uintptr_t userWord);

    virtual int32_t GetLastError();
    virtual const char* GetLastErrorText();
    // Asked by the frame loop, which stops a frame's update when it answers non-zero.
    virtual int CheckMediaError(int argument);
    virtual bool PathExists(const std::string& path, int kind) = 0;
    virtual bool GetDirectoryContents(std::vector<std::string>& entries, const std::string& path, int flags,
                                      bool recursive);
    virtual int64_t GetFileSize(FileHandle handle) = 0;
    // -1 on failure.
    virtual int64_t GetFileSizeByPath(const std::string& path) = 0;
    virtual FileHandle OpenFile(const std::string& path, uint32_t flags) = 0;
    // NULL is ignored.
    virtual void CloseFile(FileHandle handle) = 0;
    // The new position, or -1.
    virtual int64_t SeekFile(FileHandle handle, int64_t offset, int origin) = 0;
    virtual bool IsFileAtEof(FileHandle handle);
    // The file ends at the current position.
    virtual bool SetEndOfFile(FileHandle handle) = 0;
    // Bytes read (0 at the end of the file) or -1.
    virtual int64_t ReadFile(FileHandle handle, void* buffer, int64_t bytes) = 0;
    virtual int64_t WriteFile(FileHandle handle, const void* buffer, int64_t bytes) = 0;
    virtual bool CopyFile(const std::string& source, const std::string& destination, bool failIfExists) = 0;
    // Never replaces an existing destination.
    virtual bool Rename(const std::string& source, const std::string& destination) = 0;
    virtual bool CreateDirectory(const std::string& path, bool recursive) = 0;
    virtual bool RemoveDirectory(const std::string& path, bool recursive) = 0;
    virtual bool DeleteFile(const std::string& path) = 0;
    // Ends in '/'.
    virtual std::string GetCurrentDirectory() = 0;
    virtual bool SetCurrentDirectory(const std::string& path) = 0;
    // The folder of the executable, ending in '/'.
    virtual std::string GetBinaryDirectory() = 0;
    virtual void SetLastError(int32_t code);
    // The text of the last operating-system error of the calling thread; "" here.
    virtual std::string GetOSErrorText();
    // Appends the entries of root/relative (paths relative to root, joined by '/').
    virtual bool CollectDirectoryEntries(std::vector<std::string>& entries, const std::string& root,
                                         const std::string& relative, int flags, bool recursive) = 0;
    virtual ~FileSystem();

    void SetMediaErrorCallback(MediaErrorCallback callback, uintptr_t userWord);
    // Closes every file still open and returns how many were closed.
    int CloseAllFiles();

    // The text of an error code; an unassigned code is an assertion failure.
    static const char* GetErrorText(int32_t code);

    static FileSystem* GetInstance();
    // The instance when it exists, without creating it; null after its teardown at exit.
    static FileSystem* GetExisting();

protected:
    FileSystem();

    // Held by close, seek, set-end, read and write.
    Win32::CriticalSection lock;
    FileHandleTable openFiles;
    MediaErrorCallback mediaErrorCallback = nullptr;
    uintptr_t mediaErrorUserWord = 0;
};

namespace Detail {

// The calling thread's file-system error state, a thread variable.
struct FileSystemThreadErrors {
    int32_t code = 0;
    uint32_t osError = 0;
};
FileSystemThreadErrors& GetFileSystemThreadErrors();

}  // namespace Detail

// --- Paths -------------------------------------------------------------------------
// Paths are UTF-8; '/' and '\' both separate components; a ':' ends a drive prefix.

// Every run of '/' and '\' becomes one '/'.
std::string GetCorrectlySlashedPath(const std::string& path);
// Resolves "." and ".." components, collapses separators to single '/' and upper-cases a drive prefix.
std::string GetNormalizedPath(const std::string& path);
std::string ConcatPaths(const std::string& folder, const std::string& name);
bool IsPathAbsolute(const std::string& path);
// The last component ("c.txt" of "a/b/c.txt"; "b" of "a/b/").
std::string ExtractFileFullName(const std::string& path);
// The last component without its extension.
std::string ExtractFileName(const std::string& path);
// The text after the last '.' of the last component, or "".
std::string ExtractFileExtension(const std::string& path);
// Everything up to and including the '/' before the last component, never less than the root.
std::string ExtractBranch(const std::string& path);
std::string ExtractPathWithoutExtension(const std::string& path);

}  // namespace Zep
