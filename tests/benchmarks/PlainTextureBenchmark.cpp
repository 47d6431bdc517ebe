// Direct3D textures made from memory images (CreateFromMemoryTexture) of N x N texels:
// A8R8G8B8, DXT5 uploaded compressed, and DXT5 converted to A8R8G8B8 on the CPU (the
// format switched off in the layer), each with one level and with generated mip levels.
// Each pass ends with glFinish, so that the time includes OpenGL's own work. The bytes are
// those of the source image's level 0.
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#include "BenchmarkSize.h"
#include "Common/Texture.h"
#include "Platforms/Win32/Win32Texture.h"
#include "RendererRig.h"
#include "TestHooks.h"

namespace {

using Scene = BenchmarkSupport::RendererRig;

bool MakeScene(Scene& scene) {
    return scene.Open("PlainTextureBenchmark", 800, 600);
}

void FreeScene(Scene& scene) {
    scene.Close();
}

Scene& TheScene() {
    static Scene scene;
    return scene;
}

// An image whose bytes vary: texels of every colour, DXT blocks of every kind.
void Fill(Zep::MemoryTexture& image) {
    uint8_t* bytes = image.GetMipLevel(0);
    uint32_t state = 1;
    for (int32_t i = 0; i < image.GetMipLevelSize(0); ++i) {
        state = state * 1664525u + 1013904223u;
        bytes[i] = static_cast<uint8_t>(state >> 24);
    }
}

// range 0: size; range 1: 0 A8R8G8B8, 1 DXT5, 2 DXT5 with DXT5 switched off; range 2: mip levels.
void CreateFromMemoryTexture(benchmark::State& state) {
    Scene& scene = TheScene();
    const int32_t size = static_cast<int32_t>(state.range(0));
    const int64_t kind = state.range(1);
    Zep::MemoryTexture image;
    image.Create(size, size, kind == 0 ? Zep::FORMAT_ARGB8888 : Zep::FORMAT_DXT5, 1);
    Fill(image);
    PlatformTest::SetFormatSupported(D3DFMT_DXT5, kind != 2);
    const uint32_t flags = state.range(2) ? uint32_t(Zep::PlainTexture::FLAG_MIPMAPS) : 0u;
    Zep::Win32::PlainTexture texture;
    for (auto _ : state) {
        texture.CreateFromMemoryTexture(&image, flags);
        scene.finish();
    }
    PlatformTest::SetFormatSupported(D3DFMT_UNKNOWN, true);
    state.SetBytesProcessed(state.iterations() * image.GetMipLevelSize(0));
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    Scene& scene = TheScene();
    if (!MakeScene(scene)) {
        std::fprintf(stderr, "PlainTextureBenchmark: no Direct3D device (SDL_VIDEODRIVER=offscreen gives one)\n");
        return 1;
    }
    const int64_t size = BenchmarkSupport::Size(1024, 64);
    const char* const kinds[] = {"A8R8G8B8", "DXT5/compressed", "DXT5/converted"};
    for (int64_t kind = 0; kind < 3; ++kind) {
        for (int64_t mips = 0; mips < 2; ++mips) {
            const std::string name =
                std::string("CreateFromMemoryTexture/") + kinds[kind] + (mips ? "/generated-mips" : "/one-level");
            benchmark::RegisterBenchmark(name.c_str(), CreateFromMemoryTexture)
                ->Args({size, kind, mips})
                ->Unit(benchmark::kMillisecond);
        }
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    FreeScene(scene);
    return 0;
}
