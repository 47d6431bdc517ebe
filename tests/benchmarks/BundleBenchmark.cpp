// Reading every file of a packed bundle against reading the same tree as loose
// files, through the bundle system. Each pass checks the bytes it read.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "BenchmarkSupport.h"
#include "Common/BundleSystem.h"
#include "Common/PackedBundle.h"
#include "TestSupport.h"

namespace {

class LocalBundleSystem : public Zep::BundleSystem {};

struct Tree {
    std::vector<std::string> names;
    std::vector<std::string> contents;
    uint64_t bytes = 0;
};

// Reads every file of the tree through the bundle system; answers the bytes read, 0 on a failure.
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

Tree SmallFiles() {
    Tree tree;
    const int count = BenchmarkSupport::Size(2000, 50);
    for (int i = 0; i < count; ++i) {
        tree.names.push_back("level" + std::to_string(i % 20) + "/item_" + std::to_string(i) + ".txt");
        tree.contents.push_back(std::string(200 + (i * 37) % 3000, static_cast<char>('a' + i % 26)));
    }
    return tree;
}

Tree LargeFiles() {
    Tree tree;
    const size_t mib = BenchmarkSupport::Size<size_t>(32, 1);
    for (int i = 0; i < 4; ++i) {
        tree.names.push_back("media/large_" + std::to_string(i) + ".bin");
        tree.contents.push_back(std::string(mib * 1024 * 1024, static_cast<char>(i)));
    }
    return tree;
}

// The tree written once as loose files and once into a "contents.dat".
struct Fixture {
    explicit Fixture(Tree fromTree) : tree(std::move(fromTree)) {
        const std::string folder = temp.File("loose");
        const std::string packed = temp.File("contents.dat");
        {
            Zep::PackedBundle writer(packed, Zep::FS_OPEN_CREATE | Zep::FS_OPEN_TRUNCATE);
            for (size_t i = 0; i < tree.names.size(); ++i) {
                const std::string path = folder + "/" + tree.names[i];
                std::filesystem::create_directories(std::filesystem::path(path).parent_path());
                TestSupport::WriteFile(path, tree.contents[i]);
                writer.ImportFile(path, tree.names[i]);
                tree.bytes += tree.contents[i].size();
            }
        }
        loose.MountDirectory(folder);
        pack.MountPackage(packed, Zep::FS_OPEN_READ);
    }
    TestSupport::TempFolder temp;
    Tree tree;
    LocalBundleSystem loose, pack;
};

void Read(benchmark::State& state, Tree (*makeTree)(), bool packed) {
    BenchmarkSupport::UsePlayerHeap();
    Fixture fixture(makeTree());
    Zep::BundleSystem& bundles = packed ? static_cast<Zep::BundleSystem&>(fixture.pack) : fixture.loose;
    std::vector<char> buffer;
    ReadEverything(bundles, fixture.tree, buffer);  // from the page cache from now on
    for (auto _ : state) {
        if (ReadEverything(bundles, fixture.tree, buffer) != fixture.tree.bytes) {
            state.SkipWithError("a file read back short");
            return;
        }
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * fixture.tree.bytes));
}

void Loose(benchmark::State& state, Tree (*makeTree)()) {
    Read(state, makeTree, false);
}

void Packed(benchmark::State& state, Tree (*makeTree)()) {
    Read(state, makeTree, true);
}

BENCHMARK_CAPTURE(Loose, SmallFiles, SmallFiles)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Packed, SmallFiles, SmallFiles)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Loose, LargeFiles, LargeFiles)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Packed, LargeFiles, LargeFiles)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
