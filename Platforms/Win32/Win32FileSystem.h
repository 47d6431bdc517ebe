// The file system over the Win32 wide-character file functions.
#pragma once

#include <cstdint>

#include "Common/FileSystem.h"

namespace Zep {
namespace Win32 {

class FileSystem : public Zep::FileSystem {
public:
    FileSystem();
    ~FileSystem() override;

    bool PathExists(const std::string& path, int kind) override;
    int64_t GetFileSize(FileHandle handle) override;
    int64_t GetFileSizeByPath(const std::string& path) override;
    FileHandle OpenFile(const std::string& path, uint32_t flags) override;
    void CloseFile(FileHandle handle) override;
    int64_t SeekFile(FileHandle handle, int64_t offset, int origin) override;
    bool SetEndOfFile(FileHandle handle) override;
    int64_t ReadFile(FileHandle handle, void* buffer, int64_t bytes) override;
    int64_t WriteFile(FileHandle handle, const void* buffer, int64_t bytes) override;
    bool CopyFile(const std::string& source, const std::string& destination, bool failIfExists) override;
    bool Rename(const std::string& source, const std::string& destination) override;
    bool CreateDirectory(const std::string& path, bool recursive) override;
    bool RemoveDirectory(const std::string& path, bool recursive) override;
    bool DeleteFile(const std::string& path) override;
    std::string GetCurrentDirectory() override;
    bool SetCurrentDirectory(const std::string& path) override;
    std::string GetBinaryDirectory() override;
    void SetLastError(int32_t code) override;
    std::string GetOSErrorText() override;
    bool CollectDirectoryEntries(std::vector<std::string>& entries, const std::string& root,
                                 const std::string& relative, int flags, bool recursive) override;
    // The absolute, normalised form of a path.
    virtual std::string GetFullPath(const std::string& path);

    // The engine code of a Win32 error number.
    static int32_t MapOSError(uint32_t osError);

private:
    // Records the calling thread's last Win32 error: its engine code and the number itself.
    void RecordOSError();
    void RecordOSError(uint32_t osError);
};

}  // namespace Win32
}  // namespace Zep
