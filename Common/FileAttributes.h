// Per-path text attributes read from the ".attributes" files of the content folders.
#pragma once

#include <map>
#include <string>
#include <utility>
#include <vector>

namespace Zep {

// Each folder of the content may hold a file ".attributes": a sequence of triples
//   "pattern" name "value"
// where the pattern is "*" (the folder itself) or a file or subfolder relative to the
// folder. Entries are kept per attribute name in the order read; queries walk them
// backwards, so deeper folders and later lines override earlier ones.
class FileAttributes {
public:
    static FileAttributes& GetInstance();

    // Rebuilds the registry from the ".attributes" files of every folder of the mounted
    // bundles, the root first. A malformed file throws the tokenizer's syntax error.
    void LoadAll();

    // The value of the last entry of name whose key is a prefix of the query (path
    // normalised, lower-cased, without extension); defaultValue when none is.
    std::string GetString(const std::string& path, const std::string& name, const std::string& defaultValue) const;
    // True exactly for the value "true" in any capitalisation; defaultValue when the
    // attribute is missing or empty.
    bool GetBool(const std::string& path, const std::string& name, bool defaultValue) const;

    FileAttributes(const FileAttributes&) = delete;
    FileAttributes& operator=(const FileAttributes&) = delete;

private:
    FileAttributes() = default;

    // Reads the ".attributes" file at path, whose triples belong to folder.
    void Parse(const std::string& path, const std::string& folder);

    // (path key, value) pairs in the order read: keys are lower-case normalised paths,
    // files without their extension, subfolders with a trailing '/', and for "*" the
    // folder as listed (no '/').
    typedef std::vector<std::pair<std::string, std::string>> EntryList;
    // By attribute name, lower-case.
    std::map<std::string, EntryList> attributes;
};

}  // namespace Zep
