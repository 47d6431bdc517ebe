#include "Common/PackedBundle.h"

#include <algorithm>
#include <cstring>

#include "Common/CoreUtils.h"
#include "Common/StringUtils.h"

namespace Zep {

namespace {

typedef Detail::ThreadSyncGuard LockGuard;

// Offsets and sizes are 32-bit in the file.
const int64_t maxPackedSize = 0xFFFFFFFFll;

const uint32_t writingModes = FS_OPEN_WRITE | FS_OPEN_CREATE | FS_OPEN_TRUNCATE;
const uint32_t createModes = FS_OPEN_CREATE | FS_OPEN_TRUNCATE;

FileSystem* Files() {
    return FileSystem::GetInstance();
}

uint32_t ReadLE32(const unsigned char* bytes) {
    return static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
           static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
}

void AppendLE32(std::vector<unsigned char>& out, uint32_t value) {
    out.push_back(static_cast<unsigned char>(value));
    out.push_back(static_cast<unsigned char>(value >> 8));
    out.push_back(static_cast<unsigned char>(value >> 16));
    out.push_back(static_cast<unsigned char>(value >> 24));
}

int FoldCase(unsigned char c) {
    return c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c;
}

// Normalised, without trailing '/'.
std::string EntryName(const std::string& path) {
    std::string name = GetNormalizedPath(path);
    while (!name.empty() && name.back() == '/')
        name.pop_back();
    return name;
}

}  // namespace

int PackedBundle::CompareNames(const char* a, const char* b) {
    const unsigned char* x = reinterpret_cast<const unsigned char*>(a);
    const unsigned char* y = reinterpret_cast<const unsigned char*>(b);
    for (;; ++x, ++y) {
        const int difference = FoldCase(*x) - FoldCase(*y);
        if (difference != 0 || *x == 0)
            return difference;
    }
}

PackedBundle::PackedBundle(const std::string& path, uint32_t openMode) : Bundle(path), mode(openMode) {
    // A bundle that is written is read too (its directory, the files' bytes).
    const uint32_t fileFlags = (mode & FS_OPEN_WRITE) ? (mode | FS_OPEN_READ) : mode;
    packedFile = Files()->OpenFile(name, fileFlags);
    if (!packedFile)
        Panic(ZEP_SOURCE_FILE, __LINE__, "Unable to open packed bundle: " + name);

    struct CloseOnFailure {
        FileHandle& file;
        bool armed = true;
        ~CloseOnFailure() {
            if (armed) {
                Files()->CloseFile(file);
                file = nullptr;
            }
        }
    } closer{packedFile};

    if (mode & createModes) {
        // The directory of a new bundle is written at destruction; until then the
        // file holds the header alone.
        header = Header();
        if (!WriteHeader() || !Files()->SetEndOfFile(packedFile))
            Panic(ZEP_SOURCE_FILE, __LINE__, "Unable to write packed bundle header: " + name);
    } else {
        unsigned char bytes[HeaderSize];
        if (Files()->ReadFile(packedFile, bytes, HeaderSize) != HeaderSize)
            ZEP_PANIC("Unable to read packed bundle header");
        header.signature = ReadLE32(bytes);
        header.version = ReadLE32(bytes + 4);
        header.directoryOffset = ReadLE32(bytes + 8);
        header.reserved1 = ReadLE32(bytes + 12);
        header.reserved2 = ReadLE32(bytes + 16);
        if (header.signature != Signature)
            ZEP_PANIC("Invalid bundle signature");
        ReadDirectory();
        if (mode & FS_OPEN_WRITE) {
            // New data goes where the old directory stood.
            if (!SeekPacked(header.directoryOffset) || !Files()->SetEndOfFile(packedFile))
                Panic(ZEP_SOURCE_FILE, __LINE__, "Unable to open packed bundle for writing: " + name);
        }
    }
    closer.armed = false;
}

PackedBundle::~PackedBundle() {
    CloseAllFiles();
    if (IsOpenForWriting() && !WriteDirectory())
        LogError("Zep::PackedBundle: failed to write the directory of \"" + name + "\"; the bundle is damaged\n");
    Files()->CloseFile(packedFile);
}

void PackedBundle::Corrupted(const char* what) {
    Files()->SetLastError(FS_ERROR_BUNDLE_CORRUPTED);
    Panic(ZEP_SOURCE_FILE, __LINE__, std::string("Bundle is corrupted (") + what + "): " + name);
}

void PackedBundle::ReadDirectory() {
    const int64_t fileSize = PackedSize();
    const int64_t directory = header.directoryOffset;
    // The count and the pool size at least must fit behind the directory offset.
    if (directory < HeaderSize || directory + 8 > fileSize)
        Corrupted("directory offset out of range");
    if (!SeekPacked(directory))
        Corrupted("directory unreadable");

    unsigned char word[4];
    if (Files()->ReadFile(packedFile, word, 4) != 4)
        Corrupted("directory unreadable");
    const uint32_t count = ReadLE32(word);
    const int64_t entryBytes = static_cast<int64_t>(count) * EntrySize;
    if (entryBytes > fileSize - directory - 8)
        Corrupted("entry count out of range");
    std::vector<unsigned char> raw(static_cast<size_t>(entryBytes));
    if (count > 0 && Files()->ReadFile(packedFile, raw.data(), entryBytes) != entryBytes)
        Corrupted("directory unreadable");

    if (Files()->ReadFile(packedFile, word, 4) != 4)
        Corrupted("directory unreadable");
    const uint32_t poolSize = ReadLE32(word);
    if (poolSize > fileSize - directory - 8 - entryBytes)
        Corrupted("name pool size out of range");
    pool.assign(poolSize, 0);
    if (poolSize > 0 && Files()->ReadFile(packedFile, pool.data(), poolSize) != poolSize)
        Corrupted("directory unreadable");
    if (poolSize > 0 && pool.back() != 0)
        Corrupted("name pool not terminated");

    entries.resize(count);
    for (uint32_t i = 0; i < count; ++i) {
        const unsigned char* bytes = raw.data() + static_cast<size_t>(i) * EntrySize;
        Entry& entry = entries[i];
        entry.flags = ReadLE32(bytes);
        entry.dataOffset = ReadLE32(bytes + 4);
        entry.size = ReadLE32(bytes + 8);
        entry.nameOffset = ReadLE32(bytes + 12);
        if (entry.nameOffset >= poolSize)
            Corrupted("name offset out of range");
        // A file's bytes lie between the header and the directory.
        if (!(entry.flags & FolderFlag) && entry.size > 0 &&
            (entry.dataOffset < HeaderSize || static_cast<int64_t>(entry.dataOffset) + entry.size > directory))
            Corrupted("file data out of range");
    }
}

bool PackedBundle::WriteHeader() {
    std::vector<unsigned char> bytes;
    AppendLE32(bytes, header.signature);
    AppendLE32(bytes, header.version);
    AppendLE32(bytes, header.directoryOffset);
    AppendLE32(bytes, header.reserved1);
    AppendLE32(bytes, header.reserved2);
    return SeekPacked(0) && Files()->WriteFile(packedFile, bytes.data(), HeaderSize) == HeaderSize;
}

bool PackedBundle::WriteDirectory() {
    const int64_t end = PackedSize();
    if (end < HeaderSize || end > maxPackedSize)
        return false;
    header.directoryOffset = static_cast<uint32_t>(end);
    if (!WriteHeader())
        return false;

    std::vector<unsigned char> bytes;
    AppendLE32(bytes, static_cast<uint32_t>(entries.size()));
    for (const Entry& entry : entries) {
        AppendLE32(bytes, entry.flags);
        AppendLE32(bytes, entry.dataOffset);
        AppendLE32(bytes, entry.size);
        AppendLE32(bytes, entry.nameOffset);
    }
    AppendLE32(bytes, static_cast<uint32_t>(pool.size()));
    bytes.insert(bytes.end(), pool.begin(), pool.end());
    const int64_t length = static_cast<int64_t>(bytes.size());
    return Files()->SeekFile(packedFile, 0, FS_SEEK_END) == end &&
           Files()->WriteFile(packedFile, bytes.data(), length) == length;
}

bool PackedBundle::IsOpenForWriting() const {
    return (mode & writingModes) != 0;
}

const char* PackedBundle::NameOf(const Entry& entry) const {
    return pool.data() + entry.nameOffset;
}

int64_t PackedBundle::PackedSize() {
    return Files()->GetFileSize(packedFile);
}

bool PackedBundle::SeekPacked(int64_t offset) {
    return Files()->SeekFile(packedFile, offset, FS_SEEK_SET) == offset;
}

int64_t PackedBundle::FindEntry(const std::string& name) const {
    // Half-open range: an empty directory never enters the loop.
    size_t low = 0;
    size_t high = entries.size();
    while (low < high) {
        const size_t middle = low + (high - low) / 2;
        const int order = CompareNames(name.c_str(), NameOf(entries[middle]));
        if (order == 0)
            return static_cast<int64_t>(middle);
        if (order < 0)
            high = middle;
        else
            low = middle + 1;
    }
    return -1;
}

void PackedBundle::SortEntries() {
    std::stable_sort(entries.begin(), entries.end(),
                     [this](const Entry& a, const Entry& b) { return CompareNames(NameOf(a), NameOf(b)) < 0; });
}

bool PackedBundle::PathExists(const std::string& path, int kind) {
    const std::string entryName = EntryName(path);
    if (entryName.empty() && (kind & FS_PATH_DIRECTORY))
        return true;
    LockGuard guard(&lock);
    const int64_t index = FindEntry(entryName);
    if (index < 0)
        return false;
    const bool folder = (entries[static_cast<size_t>(index)].flags & FolderFlag) != 0;
    if (kind == FS_PATH_FILE)
        return !folder;
    if (kind == FS_PATH_DIRECTORY)
        return folder;
    return true;
}

bool PackedBundle::GetDirectoryContents(std::vector<std::string>& result, const std::string& path, int flags,
                                        bool recursive) {
    const std::string folder = EntryName(path);
    LockGuard guard(&lock);
    for (const Entry& entry : entries) {
        const bool isFolder = (entry.flags & FolderFlag) != 0;
        if (flags == FS_LIST_FILES && isFolder)
            continue;
        if (flags == FS_LIST_DIRECTORIES && !isFolder)
            continue;
        const char* entryName = NameOf(entry);
        const size_t length = std::strlen(entryName);
        if (length <= folder.size() || std::memcmp(entryName, folder.data(), folder.size()) != 0)
            continue;
        size_t start = folder.size();
        if (!folder.empty()) {
            if (entryName[start] != '/')
                continue;
            ++start;
        }
        const char* rest = entryName + start;
        if (*rest == 0 || (!recursive && std::strchr(rest, '/')))
            continue;
        result.push_back(rest);
    }
    return true;
}

int64_t PackedBundle::GetFileSize(FileHandle handle) {
    ZEP_CHECK_FILE_HANDLE(openFiles, handle, "Zep::PackedBundle.GetFileSize");
    return static_cast<int64_t>(handle->size);
}

FileHandle PackedBundle::OpenFile(const std::string& path, uint32_t flags) {
    flags = NormalizeOpenFlags(flags);
    const std::string entryName = EntryName(path);
    LockGuard guard(&lock);

    if ((flags & FS_OPEN_CREATE_FOLDERS) && !PathExists(ExtractBranch(entryName), FS_PATH_DIRECTORY) &&
        !CreateDirectory(ExtractBranch(entryName), true))
        return nullptr;

    Entry entry;
    if (flags & createModes) {
        if (!IsOpenForWriting())
            ZEP_PANIC("Zep::PackedBundle.OpenFile(): Bundle is not opened for writing");
        const int64_t found = FindEntry(entryName);
        if (found < 0 && !(flags & FS_OPEN_TRUNCATE))
            return nullptr;
        if (found >= 0 && (entries[static_cast<size_t>(found)].flags & FolderFlag))
            return nullptr;
        if (writer)
            ZEP_PANIC("Zep::PackedBundle.OpenFile(): Only one file can be opened for writing in the same time");
        if (entryName.empty())
            return nullptr;

        // While a file is written its bytes are the last ones of the packed file, so
        // it can grow without touching the data of any other entry.
        const int64_t end = PackedSize();
        if (end > maxPackedSize) {
            Files()->SetLastError(FS_ERROR_WRONG_PARAMETERS);
            return nullptr;
        }
        if (found >= 0) {
            Entry& existing = entries[static_cast<size_t>(found)];
            if (existing.size > 0 && static_cast<int64_t>(existing.dataOffset) + existing.size == end) {
                // The last file of the packed file is rewritten where it stands.
                if (!SeekPacked(existing.dataOffset) || !Files()->SetEndOfFile(packedFile))
                    return nullptr;
            } else {
                // Anything else moves to the end; its old bytes stay as dead space, so
                // readers of the old content keep reading it.
                existing.dataOffset = static_cast<uint32_t>(end);
            }
            existing.size = 0;
            entry = existing;
        } else {
            entry.flags = 0;
            entry.dataOffset = static_cast<uint32_t>(end);
            entry.size = 0;
            entry.nameOffset = static_cast<uint32_t>(pool.size());
            pool.insert(pool.end(), entryName.begin(), entryName.end());
            pool.push_back(0);
            entries.push_back(entry);
            SortEntries();
        }
    } else if (flags & FS_OPEN_WRITE) {
        ZEP_PANIC("Zep::PackedBundle.OpenFile(): Opening files for writing is not implemented");
    } else {
        const int64_t found = FindEntry(entryName);
        if (found < 0 || (entries[static_cast<size_t>(found)].flags & FolderFlag))
            return nullptr;
        entry = entries[static_cast<size_t>(found)];
    }

    OpenFileRecord* record = new OpenFileRecord;
    record->flags = flags;
    record->size = (flags & createModes) ? 0 : entry.size;
    record->position = 0;
    record->bundleEntry = new Entry(entry);
    openFiles.Add(record);
    if (flags & createModes)
        writer = record;
    return record;
}

void PackedBundle::CloseFile(FileHandle handle) {
    LockGuard guard(&lock);
    ZEP_CHECK_FILE_HANDLE(openFiles, handle, "Zep::PackedBundle.CloseFile");
    Entry* entry = static_cast<Entry*>(handle->bundleEntry);
    if (handle == writer) {
        // Only the writer changes the directory; readers hold copies of what they opened.
        entry->size = static_cast<uint32_t>(handle->size);
        const int64_t index = FindEntry(NameOf(*entry));
        if (index >= 0)
            entries[static_cast<size_t>(index)] = *entry;
        writer = nullptr;
    }
    openFiles.Remove(handle);
    delete entry;
    delete handle;
}

int64_t PackedBundle::SeekFile(FileHandle handle, int64_t offset, int origin) {
    LockGuard guard(&lock);
    ZEP_CHECK_FILE_HANDLE(openFiles, handle, "Zep::PackedBundle.SeekFile");
    const int64_t size = static_cast<int64_t>(handle->size);
    const int64_t position = static_cast<int64_t>(handle->position);
    if (origin == FS_SEEK_CUR && offset == 0)
        return position;
    int64_t target = Detail::GetSeekTarget(position, size, offset, origin);
    if (target > size) {
        if (!(handle->flags & writingModes))
            ZEP_PANIC("Zep::PackedBundle.SeekFile(): file is not opened in write mode");
        const Entry* entry = static_cast<const Entry*>(handle->bundleEntry);
        if (entry->dataOffset + target > maxPackedSize) {
            Files()->SetLastError(FS_ERROR_WRONG_PARAMETERS);
            return -1;
        }
        // The file's bytes end the packed file: growing it grows the file.
        if (Files()->SeekFile(packedFile, target - size, FS_SEEK_END) < 0)
            return -1;
        handle->size = static_cast<uint64_t>(target);
    }
    if (target < 0)
        target = 0;
    handle->position = static_cast<uint64_t>(target);
    return target;
}

bool PackedBundle::SetEndOfFile(FileHandle handle) {
    LockGuard guard(&lock);
    ZEP_CHECK_FILE_HANDLE(openFiles, handle, "Zep::PackedBundle.SetEndOfFile");
    if (!(handle->flags & writingModes))
        ZEP_PANIC("Zep::PackedBundle.SetEndOfFile(): file is not opened in write mode");
    if (handle == writer) {
        // Cut the packed file too, so that the written file still ends it.
        const Entry* entry = static_cast<const Entry*>(handle->bundleEntry);
        if (!SeekPacked(static_cast<int64_t>(entry->dataOffset) + static_cast<int64_t>(handle->position)) ||
            !Files()->SetEndOfFile(packedFile))
            return false;
    }
    handle->size = handle->position;
    return true;
}

int64_t PackedBundle::ReadFile(FileHandle handle, void* buffer, int64_t bytes) {
    if (!buffer || bytes < 0) {
        Files()->SetLastError(FS_ERROR_WRONG_PARAMETERS);
        return -1;
    }
    LockGuard guard(&lock);
    ZEP_CHECK_FILE_HANDLE(openFiles, handle, "Zep::PackedBundle.ReadFile");
    const int64_t left = handle->position < handle->size ? static_cast<int64_t>(handle->size - handle->position) : 0;
    const int64_t count = std::min(bytes, left);
    if (count == 0)
        return 0;
    const Entry* entry = static_cast<const Entry*>(handle->bundleEntry);
    if (!SeekPacked(static_cast<int64_t>(entry->dataOffset) + static_cast<int64_t>(handle->position)))
        return -1;
    if (Files()->ReadFile(packedFile, buffer, count) != count)
        return -1;
    handle->position += static_cast<uint64_t>(count);
    return count;
}

int64_t PackedBundle::WriteFile(FileHandle handle, const void* buffer, int64_t bytes) {
    if (!buffer || bytes < 0) {
        Files()->SetLastError(FS_ERROR_WRONG_PARAMETERS);
        return -1;
    }
    LockGuard guard(&lock);
    ZEP_CHECK_FILE_HANDLE(openFiles, handle, "Zep::PackedBundle.WriteFile");
    if (!(handle->flags & writingModes))
        ZEP_PANIC("Zep::PackedBundle.WriteFile(): file is not opened in write mode");
    const Entry* entry = static_cast<const Entry*>(handle->bundleEntry);
    const int64_t at = static_cast<int64_t>(entry->dataOffset) + static_cast<int64_t>(handle->position);
    if (at + bytes > maxPackedSize) {
        Files()->SetLastError(FS_ERROR_WRONG_PARAMETERS);
        return -1;
    }
    if (!SeekPacked(at) || Files()->WriteFile(packedFile, buffer, bytes) != bytes)
        return -1;
    handle->position += static_cast<uint64_t>(bytes);
    if (handle->position > handle->size)
        handle->size = handle->position;
    return bytes;
}

bool PackedBundle::CreateDirectory(const std::string& path, bool recursive) {
    const std::string entryName = EntryName(path);
    LockGuard guard(&lock);
    if (PathExists(entryName, FS_PATH_DIRECTORY))
        return true;
    if (PathExists(entryName, FS_PATH_FILE))
        return false;
    const std::string parent = EntryName(ExtractBranch(entryName));
    if (recursive && !CreateDirectory(parent, true))
        return false;
    if (!PathExists(parent, FS_PATH_DIRECTORY))
        return false;
    Entry entry;
    entry.flags = FolderFlag;
    entry.nameOffset = static_cast<uint32_t>(pool.size());
    pool.insert(pool.end(), entryName.begin(), entryName.end());
    pool.push_back(0);
    entries.push_back(entry);
    SortEntries();
    return true;
}

bool PackedBundle::RemoveDirectory(const std::string&, bool) {
    ZEP_PANIC("Zep::BundledFileSystem.RemoveDirectory(): not implemented");
}

bool PackedBundle::DeleteFile(const std::string&) {
    ZEP_PANIC("Zep::BundledFileSystem.DeleteFile(): not implemented");
}

}  // namespace Zep
