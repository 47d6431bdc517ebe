// Frames of N images in one scene, drawn as the application draws its root scene
// (textures acquired, the scene rendered, textures released), against the same N quads
// drawn directly with DrawTexturedRect2d, in one run. Each frame: BeginRenderFrame,
// ClearScreen, the quads, EndRenderFrame (which presents), glFinish. "per_image" is the
// frame time per image; the scene graph's cost per image is the difference of the two.
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "BenchmarkSize.h"
#include "Common/BundleSystem.h"
#include "Common/Image.h"
#include "Common/Scene.h"
#include "Common/TextureManager.h"
#include "ImageSamples.h"
#include "RendererRig.h"
#include "TestSupport.h"

namespace {

const int kWidth = 800;
const int kHeight = 600;

struct Setup : BenchmarkSupport::RendererRig {
    TestSupport::TempFolder content;
};

Setup& TheSetup() {
    static Setup setup;
    return setup;
}

// A 26 x 37 sprite, half its texels translucent, as "sprite.png" of the mounted content.
bool MakeSetup(Setup& setup) {
    ImageSamples::Png png;
    png.width = 26, png.height = 37, png.colourType = 6;
    for (uint32_t y = 0; y < 37; ++y)
        for (uint32_t x = 0; x < 26; ++x)
            png.scanlines += {char(x * 8), char(y * 4), char(0x40), char((x + y) % 2 ? 0x80 : 0xFF)};
    TestSupport::WriteFile(setup.content.File("sprite.png"), png.Build());
    Zep::BundleSystem::GetInstance()->MountDirectory(setup.content.Path());

    return setup.Open("SceneBenchmark", kWidth, kHeight);
}

void FreeSetup(Setup& setup) {
    Zep::TextureManager::GetInstance()->Drain(100);
    setup.Close();
    Zep::BundleSystem::GetInstance()->Unmount(setup.content.Path());
}

// Top-left corners of N sprites from a fixed seed.
std::vector<Zep::Vector2> Positions(int count) {
    std::mt19937 random(1);
    std::uniform_real_distribution<float> x(0, kWidth - 37), y(0, kHeight - 37);
    std::vector<Zep::Vector2> positions(count);
    for (Zep::Vector2& position : positions)
        position = Zep::Vector2(x(random), y(random));
    return positions;
}

void Frame(Setup& setup, benchmark::State& state, int count, void (*draw)(void*), void* what) {
    setup.renderer->BeginRenderFrame();
    setup.renderer->ClearScreen(Zep::Color(0xFF000000u));
    draw(what);
    setup.renderer->EndRenderFrame();
    setup.finish();
    if (!setup.renderer->IsDeviceReady())
        state.SkipWithError("the device was lost");
    state.counters["per_image"] =
        benchmark::Counter(count, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void SceneImages(benchmark::State& state) {
    Setup& setup = TheSetup();
    const int count = static_cast<int>(state.range(0));
    Zep::Scene root;
    root.SetSize(Zep::Vector2(kWidth, kHeight));
    for (const Zep::Vector2& position : Positions(count)) {
        auto* image = new Zep::Image;
        root.GetActors().Add(image);
        image->SetPosition(position), image->SetSize(Zep::Vector2(26, 37)), image->SetTexturePath("sprite.png");
    }
    root.Update(16);
    for (auto _ : state) {
        root.AcquireTextures();
        Frame(
            setup, state, count, [](void* scene) { static_cast<Zep::Scene*>(scene)->Render(); }, &root);
        root.ReleaseTextures();
    }
}

struct Direct {
    DX8Renderer* renderer;
    Zep::Texture* texture;
    std::vector<Zep::Vector2> positions;
};

void DirectQuads(benchmark::State& state) {
    Setup& setup = TheSetup();
    const int count = static_cast<int>(state.range(0));
    Direct direct{setup.renderer, Zep::TextureManager::GetInstance()->GetTexture("sprite"), Positions(count)};
    for (auto _ : state) {
        Frame(
            setup, state, count,
            [](void* what) {
                Direct& d = *static_cast<Direct*>(what);
                for (const Zep::Vector2& position : d.positions)
                    d.renderer->DrawTexturedRect2d(d.texture, position, position + Zep::Vector2(26, 37),
                                                   Zep::Vector2(0, 0), Zep::Vector2(1, 1), 0, Zep::Vector2(1, 1),
                                                   Zep::Color(0xFFFFFFFFu), 0);
            },
            &direct);
    }
    static_cast<Zep::ManagedTexture*>(direct.texture)->Release();
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    Setup& setup = TheSetup();
    if (!MakeSetup(setup)) {
        std::fprintf(stderr, "SceneBenchmark: no Direct3D device (SDL_VIDEODRIVER=offscreen gives one)\n");
        return 1;
    }
    const int count = BenchmarkSupport::Size(5000, 50);
    benchmark::RegisterBenchmark("Scene/Images", SceneImages)->Arg(count)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("Scene/DirectDrawTexturedRect2d", DirectQuads)
        ->Arg(count)
        ->Unit(benchmark::kMillisecond);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    FreeSetup(setup);
    return 0;
}
