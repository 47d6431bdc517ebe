// Throughput of reading every file of a packed bundle against reading the same tree
// as loose files. Prints its figures; asserts only that both reads agree.
// ZEP_BUNDLE_BENCH_LARGE_MIB sets the size of each large file (default 2).
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "Common/BundleSystem.h"
#include "Common/PackedBundle.h"
#include "TestSupport.h"

namespace {

using TestSupport::TempFolder;

class LocalBundleSystem : public Zep::BundleSystem {};

struct Tree {
    std::vector<std::string> names;
    std::vector<std::string> contents;
};

// Reads every file of the tree through the bundle system; returns the bytes read.
uint64_t ReadEverything(Zep::BundleSystem& bundles, const Tree& tree, std::vector<char>& buffer) {
    uint64_t total = 0;
    for (const std::string& name : tree.names) {
        Zep::FileHandle file = bundles.OpenFile(name, Zep::FS_OPEN_READ);
        if (!file)
            return 0;
        const int64_t size = bundles.GetFileSize(file);
        if (buffer.size() < static_cast<size_t>(size) + 1)
            buffer.resize(static_cast<size_t>(size) + 1);
        const int64_t read = bundles.ReadFile(file, buffer.data(), size);
        bundles.CloseFile(file);
        if (read != size)
            return 0;
        total += static_cast<uint64_t>(read);
    }
    return total;
}

double BestSeconds(Zep::BundleSystem& bundles, const Tree& tree, uint64_t expected) {
    std::vector<char> buffer;
    double best = 1e9;
    for (int round = 0; round < 3; ++round) {
        const auto start = std::chrono::steady_clock::now();
        const uint64_t bytes = ReadEverything(bundles, tree, buffer);
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        EXPECT_EQ(expected, bytes);
        if (seconds < best)
            best = seconds;
    }
    return best;
}

void Measure(const char* title, const Tree& tree) {
    TempFolder temp;
    const std::string folder = temp.File("loose");
    const std::string packed = temp.File("contents.dat");
    uint64_t bytes = 0;
    {
        Zep::PackedBundle writer(packed, Zep::FS_OPEN_CREATE | Zep::FS_OPEN_TRUNCATE);
        for (size_t i = 0; i < tree.names.size(); ++i) {
            const std::string path = folder + "/" + tree.names[i];
            std::filesystem::create_directories(std::filesystem::path(path).parent_path());
            TestSupport::WriteFile(path, tree.contents[i]);
            ASSERT_TRUE(writer.ImportFile(path, tree.names[i]));
            bytes += tree.contents[i].size();
        }
    }

    LocalBundleSystem loose, pack;
    loose.MountDirectory(folder);
    pack.MountPackage(packed, Zep::FS_OPEN_READ);
    // One untimed pass each, so that both come from the page cache.
    std::vector<char> buffer;
    ReadEverything(loose, tree, buffer);
    ReadEverything(pack, tree, buffer);
    const double looseSeconds = BestSeconds(loose, tree, bytes);
    const double packedSeconds = BestSeconds(pack, tree, bytes);
    const double mib = static_cast<double>(bytes) / (1024.0 * 1024.0);
    std::printf(
        "[bundle benchmark] %s: %zu files, %.1f MiB; loose %.2f ms (%.0f MiB/s), packed %.2f ms "
        "(%.0f MiB/s); loose/packed time ratio %.2f\n",
        title, tree.names.size(), mib, looseSeconds * 1e3, mib / looseSeconds, packedSeconds * 1e3, mib / packedSeconds,
        looseSeconds / packedSeconds);
}

TEST(BundleBenchmark, PackedAgainstLooseFiles) {
    Tree small;
    for (int i = 0; i < 2000; ++i) {
        small.names.push_back("level" + std::to_string(i % 20) + "/item_" + std::to_string(i) + ".txt");
        small.contents.push_back(std::string(200 + (i * 37) % 3000, static_cast<char>('a' + i % 26)));
    }
    Measure("2000 small files", small);

    const char* setting = std::getenv("ZEP_BUNDLE_BENCH_LARGE_MIB");
    const size_t mib = setting ? static_cast<size_t>(std::atoi(setting)) : 2;
    Tree large;
    for (int i = 0; i < 4; ++i) {
        large.names.push_back("media/large_" + std::to_string(i) + ".bin");
        large.contents.push_back(std::string(mib * 1024 * 1024, static_cast<char>(i)));
    }
    Measure("4 large files", large);
}

}  // namespace
