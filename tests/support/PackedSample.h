// Builds packed-bundle files for the tests, byte by byte and without the engine's
// writer, so that a mistake shared by the engine's reader and writer still shows.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace TestSupport {

struct PackedItem {
    std::string name;
    bool folder = false;
    std::string data;
};

inline PackedItem PackedFolder(const std::string& name) {
    return PackedItem{name, true, std::string()};
}

inline PackedItem PackedFile(const std::string& name, const std::string& data) {
    return PackedItem{name, false, data};
}

inline void AppendU32(std::string& out, uint32_t value) {
    for (int i = 0; i < 4; ++i)
        out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

inline void PutU32(std::string& out, size_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i)
        out[at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

inline uint32_t GetU32(const std::string& in, size_t at) {
    uint32_t value = 0;
    for (int i = 3; i >= 0; --i)
        value = (value << 8) | static_cast<unsigned char>(in[at + i]);
    return value;
}

// Items in the order they were added; the pool keeps that order, the entries are
// sorted with letters folded to lower case.
inline std::string BuildPacked(const std::vector<PackedItem>& items) {
    struct Row {
        std::string key;
        uint32_t flags, offset, size, nameOffset;
    };
    std::string data, pool;
    std::vector<Row> rows;
    for (const PackedItem& item : items) {
        std::string key = item.name;
        for (char& c : key)
            if (c >= 'A' && c <= 'Z')
                c = static_cast<char>(c + ('a' - 'A'));
        const uint32_t nameOffset = static_cast<uint32_t>(pool.size());
        pool += item.name;
        pool += '\0';
        if (item.folder) {
            rows.push_back({key, 1, 0, 0, nameOffset});
        } else {
            rows.push_back(
                {key, 0, static_cast<uint32_t>(20 + data.size()), static_cast<uint32_t>(item.data.size()), nameOffset});
            data += item.data;
        }
    }
    // std::string orders its bytes as unsigned values.
    std::stable_sort(rows.begin(), rows.end(), [](const Row& a, const Row& b) { return a.key < b.key; });
    std::string out;
    AppendU32(out, 0xECEDDECEu);
    AppendU32(out, 1);
    AppendU32(out, static_cast<uint32_t>(20 + data.size()));
    AppendU32(out, 0);
    AppendU32(out, 0);
    out += data;
    AppendU32(out, static_cast<uint32_t>(rows.size()));
    for (const Row& row : rows) {
        AppendU32(out, row.flags);
        AppendU32(out, row.offset);
        AppendU32(out, row.size);
        AppendU32(out, row.nameOffset);
    }
    AppendU32(out, static_cast<uint32_t>(pool.size()));
    out += pool;
    return out;
}

}  // namespace TestSupport
