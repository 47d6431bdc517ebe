// Frames of N images in one scene, drawn as the application draws its root scene
// (textures acquired, the scene rendered, textures released), against the same N quads
// drawn directly with DrawTexturedRect2d, in one run. Each frame: BeginRenderFrame,
// ClearScreen, the quads, EndRenderFrame (which presents), glFinish. "per_image" is the
// frame time per image; the scene graph's cost per image is the difference of the two.
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
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

void SceneImages(benchmark::State& state) {
    Setup& setup = TheSetup();
    const int count = static_cast<int>(state.range(0));
    Zep::Scene root;
    root.SetSize(Zep::Vector2(kWidth, kHeight));
    for (const Zep::Vector2& position : BenchmarkSupport::SpritePositions(count, kWidth, kHeight)) {
        auto* image = new Zep::Image;
        root.GetActors().Add(image);
        image->SetPosition(position), image->SetSize(Zep::Vector2(26, 37)), image->SetTexturePath("sprite.png");
    }
    root.Update(16);
    for (auto _ : state) {
        root.AcquireTextures();
        setup.BeginFrame();
        root.Render();
        setup.EndFrame(state, "per_image", count);
        root.ReleaseTextures();
    }
}

void DirectQuads(benchmark::State& state) {
    Setup& setup = TheSetup();
    const int count = static_cast<int>(state.range(0));
    Zep::Texture* texture = Zep::TextureManager::GetInstance()->GetTexture("sprite");
    const std::vector<Zep::Vector2> positions = BenchmarkSupport::SpritePositions(count, kWidth, kHeight);
    for (auto _ : state) {
        setup.BeginFrame();
        for (const Zep::Vector2& position : positions)
            setup.renderer->DrawTexturedRect2d(texture, position, position + Zep::Vector2(26, 37), Zep::Vector2(0, 0),
                                               Zep::Vector2(1, 1), 0, Zep::Vector2(1, 1), Zep::Color(0xFFFFFFFFu), 0);
        setup.EndFrame(state, "per_image", count);
    }
    static_cast<Zep::ManagedTexture*>(texture)->Release();
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
