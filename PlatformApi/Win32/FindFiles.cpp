// Folder searches: the whole folder is read at the first call (a snapshot), "." and
// ".." come first, then the names in NTFS order.
#include <dirent.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

#include "LayerInternal.h"
#include "win32_errors.h"
#include "win32_files.h"

namespace {

struct FoundEntry {
    std::u16string name;
    DWORD attributes;
    uint64_t size;
};

class FindObject : public PlatformInternal::KernelObject {
public:
    std::vector<FoundEntry> entries;
    size_t next = 0;
};

char AsciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// '*' and '?' over ASCII case-insensitive characters.
bool MatchPattern(const char* pattern, const char* name) {
    const char* starPattern = nullptr;
    const char* starName = nullptr;
    while (*name) {
        if (*pattern == '*') {
            starPattern = ++pattern;
            starName = name;
        } else if (*pattern && (*pattern == '?' || AsciiLower(*pattern) == AsciiLower(*name))) {
            ++pattern;
            ++name;
        } else if (starPattern) {
            pattern = starPattern;
            name = ++starName;
        } else {
            return false;
        }
    }
    while (*pattern == '*')
        ++pattern;
    return *pattern == 0;
}

bool Matches(const std::string& pattern, const std::string& name) {
    if (pattern == "*" || pattern == "*.*")
        return true;
    return MatchPattern(pattern.c_str(), name.c_str());
}

void Fill(const FoundEntry& entry, LPWIN32_FIND_DATAW data) {
    std::memset(data, 0, sizeof(*data));
    data->dwFileAttributes = entry.attributes;
    data->nFileSizeHigh = static_cast<DWORD>(entry.size >> 32);
    data->nFileSizeLow = static_cast<DWORD>(entry.size);
    const size_t length = std::min<size_t>(entry.name.size(), MAX_PATH - 1);
    std::memcpy(data->cFileName, entry.name.data(), length * sizeof(WCHAR));
    data->cFileName[length] = 0;
}

}  // namespace

HANDLE FindFirstFileW(LPCWSTR patternPath, LPWIN32_FIND_DATAW findData) {
    std::string path;
    if (!PlatformInternal::HostPath(patternPath, path))
        return INVALID_HANDLE_VALUE;
    const size_t slash = path.rfind('/');
    std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
    const std::string pattern = slash == std::string::npos ? path : path.substr(slash + 1);
    folder = PlatformInternal::ResolvePathCase(folder);

    DIR* handle = ::opendir(folder.c_str());
    if (!handle) {
        const int error = errno;
        SetLastError(error == ENOENT || error == ENOTDIR ? ERROR_PATH_NOT_FOUND
                                                         : PlatformInternal::ErrnoToWin32(error));
        return INVALID_HANDLE_VALUE;
    }
    std::vector<std::string> names;
    while (dirent* entry = ::readdir(handle)) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..")
            names.push_back(name);
    }
    ::closedir(handle);

    auto object = PlatformInternal::MakeSystemShared<FindObject>();
    for (const char* dot : {".", ".."}) {
        if (Matches(pattern, dot))
            object->entries.push_back({PlatformInternal::Utf8ToUtf16(dot), FILE_ATTRIBUTE_DIRECTORY, 0});
    }
    std::vector<FoundEntry> found;
    const std::string prefix = folder.back() == '/' ? folder : folder + "/";
    for (const std::string& name : names) {
        if (!Matches(pattern, name))
            continue;
        FoundEntry entry{PlatformInternal::Utf8ToUtf16(name), 0, 0};
        // An entry removed since the folder was read is left out.
        if (PlatformInternal::QueryAttributes(prefix + name, name, entry.attributes, entry.size))
            found.push_back(std::move(entry));
    }
    std::sort(found.begin(), found.end(),
              [](const FoundEntry& a, const FoundEntry& b) { return PlatformInternal::NtfsNameLess(a.name, b.name); });
    object->entries.insert(object->entries.end(), found.begin(), found.end());
    if (object->entries.empty()) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    Fill(object->entries[0], findData);
    object->next = 1;
    SetLastError(ERROR_SUCCESS);
    return PlatformInternal::AddHandle(object);
}

BOOL FindNextFileW(HANDLE find, LPWIN32_FIND_DATAW findData) {
    std::shared_ptr<FindObject> object = PlatformInternal::FindHandleAs<FindObject>(find);
    if (!object) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (object->next >= object->entries.size()) {
        SetLastError(ERROR_NO_MORE_FILES);
        return FALSE;
    }
    Fill(object->entries[object->next++], findData);
    return TRUE;
}

BOOL FindClose(HANDLE find) {
    if (!PlatformInternal::FindHandleAs<FindObject>(find) || !PlatformInternal::RemoveHandle(find)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return TRUE;
}
