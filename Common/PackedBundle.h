// A bundle over one packed file ("contents.dat"): a header, the stored files kept
// whole, and at the end a sorted directory with a pool of names.
//
// Layout (unsigned 32-bit little-endian integers, offsets from the start of the file):
//   0  signature 0xECEDDECE      4  version (1)      8  directory offset
//   12 reserved (0)              16 reserved (0)     20 file data
//   directory: entry count N, N entries of 16 bytes, name pool size P, P bytes of pool.
// Entry: flags (bit 0: folder), data offset, size, name offset (into the pool).
// The pool holds NUL-terminated full bundle paths; entries are sorted by name with
// ASCII letters compared as lower case and every other byte by value.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "Common/BundleSystem.h"

namespace Zep {

class PackedBundle : public Bundle {
public:
    static const uint32_t Signature = 0xECEDDECEu;
    static const uint32_t Version = 1;
    static const uint32_t HeaderSize = 20;
    static const uint32_t EntrySize = 16;
    static const uint32_t FolderFlag = 1;

    struct Header {
        uint32_t signature = Signature;
        uint32_t version = Version;
        uint32_t directoryOffset = HeaderSize;
        uint32_t reserved1 = 0;
        uint32_t reserved2 = 0;
    };

    struct Entry {
        uint32_t flags = 0;
        uint32_t dataOffset = 0;
        uint32_t size = 0;
        uint32_t nameOffset = 0;
    };

    // Opens the packed file with mode as open flags (see BundleSystem::MountPackage).
    // A file that cannot be opened, or whose header or directory is not sound, is a panic.
    PackedBundle(const std::string& path, uint32_t mode);
    // Closes what is still open and, when open for writing, writes the directory.
    ~PackedBundle() override;

    bool PathExists(const std::string& path, int kind) override;
    // Appends (without clearing) the names below path in directory order; always true.
    bool GetDirectoryContents(std::vector<std::string>& entries, const std::string& path, int flags,
                              bool recursive) override;
    int64_t GetFileSize(FileHandle handle) override;
    FileHandle OpenFile(const std::string& path, uint32_t flags) override;
    void CloseFile(FileHandle handle) override;
    int64_t SeekFile(FileHandle handle, int64_t offset, int origin) override;
    bool SetEndOfFile(FileHandle handle) override;
    int64_t ReadFile(FileHandle handle, void* buffer, int64_t bytes) override;
    int64_t WriteFile(FileHandle handle, const void* buffer, int64_t bytes) override;
    bool CreateDirectory(const std::string& path, bool recursive) override;
    bool RemoveDirectory(const std::string& path, bool recursive) override;
    bool DeleteFile(const std::string& path) override;

    bool IsOpenForWriting() const;
    // Index of the entry named name (compared case-insensitively), or -1.
    int64_t FindEntry(const std::string& name) const;
    // <0, 0, >0 as a sorts before, with or after b: ASCII letters as lower case, other
    // bytes by value. Independent of the locale.
    static int CompareNames(const char* a, const char* b);

private:
    void ReadDirectory();
    // Writes the header at the start of the packed file.
    bool WriteHeader();
    bool WriteDirectory();
    const char* NameOf(const Entry& entry) const;
    // Sorts the entries by name, keeping the order of equal ones.
    void SortEntries();
    // The packed file's current size.
    int64_t PackedSize();
    // Moves the packed file to offset; false when it cannot get there.
    bool SeekPacked(int64_t offset);
    [[noreturn]] void Corrupted(const char* what);

    Header header;
    std::vector<char> pool;
    std::vector<Entry> entries;
    FileHandle packedFile = nullptr;
    uint32_t mode = 0;
    // The handle open for writing, if any: at most one at a time.
    FileHandle writer = nullptr;
};

}  // namespace Zep
