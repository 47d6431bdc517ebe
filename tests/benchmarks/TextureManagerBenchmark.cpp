// The texture cache in one run: lookups of cached names against a std::unordered_map of
// the same names, and preloading a list of images on the worker thread against loading
// them on the game thread (wall time). The textures are Direct3D ones, on an offscreen
// window's renderer.
#include <benchmark/benchmark.h>

#include <chrono>
#include <random>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

#include "BenchmarkSupport.h"
#include "Common/BundleSystem.h"
#include "Common/TextureManager.h"
#include "ImageSamples.h"
#include "RendererRig.h"
#include "TestSupport.h"

namespace {

class Manager : public Zep::TextureManager {
public:
    Manager() = default;
};

// A folder of PNGs "n0" ... mounted as content, and a manager.
struct Content {
    Content(int count, uint32_t size) {
        ImageSamples::Png png;
        png.width = png.height = size;
        png.colourType = 6;
        png.scanlines = ImageSamples::Pattern(size_t(size) * size * 4);
        const std::string file = png.Build();
        for (int i = 0; i < count; ++i) {
            names.push_back("n" + std::to_string(i));
            TestSupport::WriteFile(folder.File(names.back() + ".png"), file);
        }
        Zep::BundleSystem::GetInstance()->MountDirectory(folder.Path());
    }
    ~Content() {
        delete manager;
        Zep::BundleSystem::GetInstance()->Unmount(folder.Path());
    }
    TestSupport::TempFolder folder;
    std::vector<std::string> names;
    Manager* manager = new Manager();
};

int LookupCount() {
    return BenchmarkSupport::Size(100000, 1000);
}

std::vector<int> RandomPicks(int count, int range) {
    std::mt19937 random(11);
    std::vector<int> picks(static_cast<size_t>(count));
    for (int& pick : picks)
        pick = static_cast<int>(random() % static_cast<unsigned>(range));
    return picks;
}

void BM_GetTextureOfCachedNames(benchmark::State& state) {
    Content content(BenchmarkSupport::Size(2000, 100), 1);
    for (const std::string& name : content.names)
        content.manager->GetTexture(name)->Release();
    const std::vector<int> picks = RandomPicks(LookupCount(), static_cast<int>(content.names.size()));
    for (auto _ : state) {
        for (int pick : picks) {
            Zep::ManagedTexture* texture = content.manager->GetTexture(content.names[pick]);
            benchmark::DoNotOptimize(texture);
            texture->Release();
        }
    }
    state.SetItemsProcessed(state.iterations() * LookupCount());
}
BENCHMARK(BM_GetTextureOfCachedNames)->Unit(benchmark::kMillisecond);

void BM_UnorderedMapOfTheSameNames(benchmark::State& state) {
    Content content(BenchmarkSupport::Size(2000, 100), 1);
    std::unordered_map<std::string, Zep::ManagedTexture*> map;
    for (const std::string& name : content.names) {
        map[name] = content.manager->GetTexture(name);
        map[name]->Release();
    }
    const std::vector<int> picks = RandomPicks(LookupCount(), static_cast<int>(content.names.size()));
    for (auto _ : state) {
        for (int pick : picks) {
            Zep::ManagedTexture* texture = map.find(content.names[pick])->second;
            texture->AddRef();
            benchmark::DoNotOptimize(texture);
            texture->Release();
        }
    }
    state.SetItemsProcessed(state.iterations() * LookupCount());
}
BENCHMARK(BM_UnorderedMapOfTheSameNames)->Unit(benchmark::kMillisecond);

int PreloadCount() {
    return BenchmarkSupport::Size(50, 4);
}

uint32_t PreloadSize() {
    return BenchmarkSupport::Size(256u, 16u);
}

// Wall time until the whole list is cached, the game thread calling Update every
// millisecond; "game_thread_ms" is the time spent inside Update.
void BM_PreloadOnTheWorker(benchmark::State& state) {
    Content content(PreloadCount(), PreloadSize());
    std::string list;
    for (const std::string& name : content.names)
        list += name + "\n";
    TestSupport::WriteFile(content.folder.File("list.txt"), list);
    content.manager->LoadPreloadingListFromFile("list.txt");
    std::chrono::duration<double, std::milli> inUpdate(0);
    for (auto _ : state) {
        content.manager->StartPreloading(0);
        do {
            const auto start = std::chrono::steady_clock::now();
            content.manager->Update(16);
            inUpdate += std::chrono::steady_clock::now() - start;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        } while (content.manager->GetPreloadingPercent() < 100.0f);
        state.PauseTiming();
        content.manager->Drain(100);
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * PreloadCount());
    state.counters["game_thread_ms"] = inUpdate.count() / static_cast<double>(state.iterations());
}
BENCHMARK(BM_PreloadOnTheWorker)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_LoadOnTheGameThread(benchmark::State& state) {
    Content content(PreloadCount(), PreloadSize());
    for (auto _ : state) {
        for (const std::string& name : content.names)
            content.manager->GetTexture(name)->Release();
        state.PauseTiming();
        content.manager->Drain(100);
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * PreloadCount());
}
BENCHMARK(BM_LoadOnTheGameThread)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    BenchmarkSupport::RendererRig rig;
    if (!rig.Open("TextureManagerBenchmark", 800, 600))
        return 1;

    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    rig.Close();
    return 0;
}
