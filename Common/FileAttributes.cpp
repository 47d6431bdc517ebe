#include "Common/FileAttributes.h"

#include "Common/BundleSystem.h"
#include "Common/FileStream.h"
#include "Common/FileSystem.h"
#include "Common/StringUtils.h"
#include "Common/TextTokenizer.h"

namespace Zep {

namespace {

const char* const attributesFileName = ".attributes";

// The normalised path without the extension of its last component; a folder path
// (ending in '/') keeps its '/'.
std::string KeyOf(const std::string& path) {
    const std::string normalized = GetNormalizedPath(path);
    if (!normalized.empty() && normalized.back() == '/')
        return ToLower(normalized);
    return ToLower(ExtractPathWithoutExtension(normalized));
}

}  // namespace

FileAttributes& FileAttributes::GetInstance() {
    static FileAttributes instance;
    return instance;
}

void FileAttributes::LoadAll() {
    attributes.clear();
    BundleSystem* bundles = BundleSystem::GetInstance();
    std::vector<std::string> folders;
    // Nothing mounted lists nothing; the root is probed all the same.
    if (!bundles->GetDirectoryContents(folders, "", FS_LIST_DIRECTORIES, true))
        folders.clear();
    folders.insert(folders.begin(), std::string());
    // Listings hide names beginning with '.', so each folder is probed for its file.
    // A folder that happens to be called ".attributes" is no attributes file.
    for (const std::string& folder : folders) {
        const std::string path = ConcatPaths(folder, attributesFileName);
        if (bundles->PathExists(path, FS_PATH_FILE))
            Parse(path, folder);
    }
}

void FileAttributes::Parse(const std::string& path, const std::string& folder) {
    BundleSystem* bundles = BundleSystem::GetInstance();
    FileStream stream(path, FS_OPEN_READ);
    TextTokenizer tokenizer(&stream);
    tokenizer.SkipBlanks();
    while (!stream.IsEOF()) {
        const std::string pattern = tokenizer.ReadQuotedString();
        const std::string name = ToLower(tokenizer.ReadIdentifier());
        const std::string value = tokenizer.ReadQuotedString();

        bool found = true;
        std::string target;
        if (pattern == "*") {
            target = folder;
        } else {
            const std::string named = ConcatPaths(folder, pattern);
            if (bundles->PathExists(named, FS_PATH_FILE))
                target = ExtractPathWithoutExtension(named);
            else if (bundles->PathExists(named, FS_PATH_DIRECTORY))
                target = named + "/";
            else
                found = false;  // a pattern that names nothing is ignored
        }
        if (found)
            attributes[name].emplace_back(ToLower(GetNormalizedPath(target)), value);
        tokenizer.SkipBlanks();
    }
}

std::string FileAttributes::GetString(const std::string& path, const std::string& name,
                                      const std::string& defaultValue) const {
    const auto list = attributes.find(ToLower(name));
    if (list == attributes.end())
        return defaultValue;
    const EntryList& entries = list->second;
    const std::string query = KeyOf(path);
    // The test is textual: the key "ui" also covers "uiextra/x".
    for (auto it = entries.rbegin(); it != entries.rend(); ++it) {
        const std::string& key = it->first;
        if (key.size() <= query.size() && query.compare(0, key.size(), key) == 0)
            return it->second;
    }
    return defaultValue;
}

bool FileAttributes::GetBool(const std::string& path, const std::string& name, bool defaultValue) const {
    const std::string value = GetString(path, name, std::string());
    if (value.empty())
        return defaultValue;
    return ToLower(value) == "true";
}

}  // namespace Zep
