// The virtual file tree over the mounted bundles.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

#include "Common/FileHandle.h"
#include "Common/FileSystem.h"
#include "Platforms/Win32/Win32CriticalSection.h"

namespace Zep {

// A file tree with the operations of the file system, addressed by bundle-relative
// paths ('/' separated, no leading '/'). Open flags, path kinds, listing flags and
// seek origins are those of Zep::FileSystem, and so are the error codes.
class Bundle {
public:
    virtual ~Bundle();

    virtual bool PathExists(const std::string& path, int kind) = 0;
    // Lists the entries below path (relative to it, joined by '/').
    virtual bool GetDirectoryContents(std::vector<std::string>& entries, const std::string& path, int flags,
                                      bool recursive) = 0;
    virtual int64_t GetFileSize(FileHandle handle) = 0;
    // Opens the file for reading and takes its size; -1 when it cannot be opened.
    virtual int64_t GetFileSizeByPath(const std::string& path);
    virtual FileHandle OpenFile(const std::string& path, uint32_t flags) = 0;
    virtual void CloseFile(FileHandle handle) = 0;
    // The new position, or -1.
    virtual int64_t SeekFile(FileHandle handle, int64_t offset, int origin) = 0;
    // position >= size; the handle is not checked.
    virtual bool IsFileAtEof(FileHandle handle);
    // The file ends at the current position.
    virtual bool SetEndOfFile(FileHandle handle) = 0;
    // Bytes read (0 at the end of the file) or -1.
    virtual int64_t ReadFile(FileHandle handle, void* buffer, int64_t bytes) = 0;
    virtual int64_t WriteFile(FileHandle handle, const void* buffer, int64_t bytes) = 0;
    virtual bool CreateDirectory(const std::string& path, bool recursive) = 0;
    virtual bool RemoveDirectory(const std::string& path, bool recursive) = 0;
    virtual bool DeleteFile(const std::string& path) = 0;
    // Copies a file of the platform file system into this bundle (replacing what is
    // there); true only when every byte was read and written.
    virtual bool ImportFile(const std::string& platformPath, const std::string& bundlePath);

    // Closes every handle left in this bundle's own open-file table; returns the count.
    int CloseAllFiles();

    // The normalised path the bundle was mounted from.
    const std::string& GetName() const { return name; }

    Bundle(const Bundle&) = delete;
    Bundle& operator=(const Bundle&) = delete;

protected:
    explicit Bundle(const std::string& path);

    FileHandleTable openFiles;
    Win32::CriticalSection lock;
    std::string name;
};

// A folder of the platform file system. Its handles are file-system handles.
class PlainBundle : public Bundle {
public:
    explicit PlainBundle(const std::string& folder);
    ~PlainBundle() override;

    bool PathExists(const std::string& path, int kind) override;
    bool GetDirectoryContents(std::vector<std::string>& entries, const std::string& path, int flags,
                              bool recursive) override;
    int64_t GetFileSize(FileHandle handle) override;
    // 0 for a refused path, -1 when the file cannot be asked.
    int64_t GetFileSizeByPath(const std::string& path) override;
    FileHandle OpenFile(const std::string& path, uint32_t flags) override;
    void CloseFile(FileHandle handle) override;
    int64_t SeekFile(FileHandle handle, int64_t offset, int origin) override;
    bool SetEndOfFile(FileHandle handle) override;
    int64_t ReadFile(FileHandle handle, void* buffer, int64_t bytes) override;
    int64_t WriteFile(FileHandle handle, const void* buffer, int64_t bytes) override;
    bool CreateDirectory(const std::string& path, bool recursive) override;
    bool RemoveDirectory(const std::string& path, bool recursive) override;
    bool DeleteFile(const std::string& path) override;

    // The platform path of a bundle path; false for paths that would leave the folder
    // (their normalised form begins with "./" or "..").
    bool ResolvePath(const std::string& path, std::string& platformPath) const;
};

// The bundles in mount order. Reads ask the most recently mounted bundle first;
// listings merge all of them; writes go to the bundle for writing.
class BundleSystem : public Bundle {
public:
    ~BundleSystem() override;

    bool PathExists(const std::string& path, int kind) override;
    // Clears entries, then merges the listings of every bundle that has path as a
    // folder, sorted byte-wise without duplicates. False when no bundle has the
    // folder (error -17) or a bundle that has it fails to list it.
    bool GetDirectoryContents(std::vector<std::string>& entries, const std::string& path, int flags,
                              bool recursive) override;
    int64_t GetFileSize(FileHandle handle) override;
    int64_t GetFileSizeByPath(const std::string& path) override;
    FileHandle OpenFile(const std::string& path, uint32_t flags) override;
    // NULL is ignored.
    void CloseFile(FileHandle handle) override;
    int64_t SeekFile(FileHandle handle, int64_t offset, int origin) override;
    bool IsFileAtEof(FileHandle handle) override;
    bool SetEndOfFile(FileHandle handle) override;
    int64_t ReadFile(FileHandle handle, void* buffer, int64_t bytes) override;
    int64_t WriteFile(FileHandle handle, const void* buffer, int64_t bytes) override;
    bool CreateDirectory(const std::string& path, bool recursive) override;
    bool RemoveDirectory(const std::string& path, bool recursive) override;
    bool DeleteFile(const std::string& path) override;

    // NULL when nothing is mounted; the last mounted bundle while the path for writing
    // is empty; else the bundle whose name equals the normalised path for writing.
    Bundle* GetBundleForWriting();
    void MountDirectory(const std::string& path);
    // Mode: file-system open flags for the packed file (0 or 1 read only; 0x02 read
    // and write an existing one; 0x10 or 0x20 create a new one). A file that cannot be
    // opened or is not a packed file is a panic.
    void MountPackage(const std::string& path, uint32_t mode);
    // Removes every bundle mounted from path. Refused (false, error -9) while files
    // opened through one of them are still open.
    bool Unmount(const std::string& path);
    void SetBundlePathForWriting(const std::string& path);
    std::string GetBundlePathForWriting();
    // The mounted bundles, in mount order.
    std::vector<Bundle*> GetBundles();
    // How many handles handed out by the bundle system are open.
    size_t GetOpenFileCount();

    static BundleSystem* GetInstance();

protected:
    BundleSystem();

private:
    void Append(std::unique_ptr<Bundle> bundle);
    // The handle's owner; an unknown handle is an assertion naming the operation.
    Bundle* OwnerOf(FileHandle handle, const char* operation);

    std::vector<std::unique_ptr<Bundle>> bundles;
    std::string bundlePathForWriting;
    Win32::CriticalSection systemLock;
    // Every handle handed out and not yet closed.
    std::unordered_set<FileHandle> handles;
};

}  // namespace Zep
