// Frames of N sprites through the Direct3D 8 renderer (DrawTexturedRect2d, 26 x 37 and
// 1 x 1) against the same quads as raw DrawPrimitiveUP calls through the layer, in one run.
// Each frame: BeginRenderFrame, ClearScreen, the sprites, EndRenderFrame (which presents),
// glFinish, so that the time includes llvmpipe's rasterising. Run it once with the default
// LP_NUM_THREADS and once with LP_NUM_THREADS=1; "per_sprite" is the frame time per sprite.
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "BenchmarkSize.h"
#include "Common/Texture.h"
#include "LumoSources/Platforms/Win32/Win32DX8RenderContext.h"
#include "RendererRig.h"

namespace {

const int kWidth = 800;
const int kHeight = 600;

// A 26 x 37 image in a 32 x 64 allocation, half its texels translucent.
class SpriteTexture : public Zep::Texture {
public:
    explicit SpriteTexture(IDirect3DDevice8* device) {
        width = 26, height = 37, allocatedWidth = 32, allocatedHeight = 64;
        if (D3DXCreateTexture(device, 32, 64, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture) != D3D_OK)
            return;
        D3DLOCKED_RECT locked;
        texture->LockRect(0, &locked, nullptr, D3DLOCK_DISCARD);
        for (int y = 0; y < 64; ++y) {
            uint32_t* row = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(locked.pBits) + y * locked.Pitch);
            for (int x = 0; x < 32; ++x)
                row[x] = ((x + y) % 2 ? 0x80000000u : 0xFF000000u) | (x * 8u) << 16 | (y * 4u) << 8 | 0x40u;
        }
        texture->UnlockRect(0);
    }
    ~SpriteTexture() override {
        if (texture)
            texture->Release();
    }
    void* GetSystemHandle() override { return texture; }
    IDirect3DTexture8* texture = nullptr;
};

struct Scene : BenchmarkSupport::RendererRig {
    SpriteTexture* sprite = nullptr;
    std::string glRenderer;
};

Scene& TheScene() {
    static Scene scene;
    return scene;
}

bool MakeScene(Scene& scene) {
    if (!scene.Open("RendererBenchmark", kWidth, kHeight))
        return false;
    scene.sprite = new SpriteTexture(scene.renderer->GetDevice());
    const auto getString = reinterpret_cast<decltype(&glGetString)>(SDL_GL_GetProcAddress("glGetString"));
    const auto text = getString ? reinterpret_cast<const char*>(getString(GL_RENDERER)) : nullptr;
    scene.glRenderer = text ? text : "?";
    return scene.sprite->texture != nullptr;
}

void FreeScene(Scene& scene) {
    delete scene.sprite;
    scene.Close();
}

// The renderer's sprites: sizes 26 x 37 (range 1 = 0) or 1 x 1 (range 1 = 1).
void RendererSprites(benchmark::State& state) {
    Scene& scene = TheScene();
    const int count = static_cast<int>(state.range(0));
    const Zep::Vector2 size = state.range(1) ? Zep::Vector2(1, 1) : Zep::Vector2(26, 37);
    const std::vector<Zep::Vector2> positions = BenchmarkSupport::SpritePositions(count, kWidth, kHeight);
    const Zep::Vector2 uvMax(1, 1), scale(1, 1);
    const Zep::Color white(0xFFFFFFFFu);
    for (auto _ : state) {
        scene.BeginFrame();
        for (const Zep::Vector2& position : positions) {
            scene.renderer->DrawTexturedRect2d(scene.sprite, position, position + size, Zep::Vector2(0, 0), uvMax, 0,
                                               scale, white, 0);
        }
        scene.EndFrame(state, "per_sprite", count);
    }
}

// The same quads as one raw DrawPrimitiveUP each, vertex format set before each as the
// renderer sets it: what the renderer itself adds is the difference.
void RawSprites(benchmark::State& state) {
    Scene& scene = TheScene();
    const int count = static_cast<int>(state.range(0));
    const float w = state.range(1) ? 1.0f : 26.0f, h = state.range(1) ? 1.0f : 37.0f;
    const float u = 26.0f / 32.0f, v = 37.0f / 64.0f;
    std::vector<DX8Renderer::TexturedVertex> quads;
    quads.reserve(count * 4);
    for (const Zep::Vector2& p : BenchmarkSupport::SpritePositions(count, kWidth, kHeight)) {
        quads.push_back({p.x, p.y, 0, 0xFFFFFFFFu, 0, 0});
        quads.push_back({p.x + w, p.y, 0, 0xFFFFFFFFu, u, 0});
        quads.push_back({p.x + w, p.y + h, 0, 0xFFFFFFFFu, u, v});
        quads.push_back({p.x, p.y + h, 0, 0xFFFFFFFFu, 0, v});
    }
    IDirect3DDevice8* device = scene.renderer->GetDevice();
    for (auto _ : state) {
        scene.BeginFrame();
        // One sprite through the renderer puts its texture and stage states in place.
        scene.renderer->DrawTexturedRect2d(scene.sprite, Zep::Vector2(0, 0), Zep::Vector2(w, h), Zep::Vector2(0, 0),
                                           Zep::Vector2(1, 1), 0, Zep::Vector2(1, 1), Zep::Color(0xFFFFFFFFu), 0);
        for (size_t i = 4; i < quads.size(); i += 4) {
            device->SetVertexShader(DX8Renderer::kTexturedFormat);
            device->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, &quads[i], sizeof(DX8Renderer::TexturedVertex));
        }
        scene.EndFrame(state, "per_sprite", count);
    }
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    Scene& scene = TheScene();
    if (!MakeScene(scene)) {
        std::fprintf(stderr, "RendererBenchmark: no Direct3D device (SDL_VIDEODRIVER=offscreen gives one)\n");
        return 1;
    }
    const char* threads = std::getenv("LP_NUM_THREADS");
    benchmark::AddCustomContext("GL_RENDERER", scene.glRenderer);
    benchmark::AddCustomContext("LP_NUM_THREADS", threads ? threads : "default");
    using BenchmarkSupport::Size;
    const std::vector<std::pair<int, int>> runs = {
        {Size(10000, 10), 0}, {Size(20000, 20), 0}, {Size(50000, 20), 0}, {Size(50000, 10), 1}, {Size(100000, 20), 1},
    };
    for (const auto& [count, tiny] : runs) {
        benchmark::RegisterBenchmark(tiny ? "Renderer/DrawTexturedRect2d/1px" : "Renderer/DrawTexturedRect2d/26x37",
                                     RendererSprites)
            ->Args({count, tiny})
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(tiny ? "Renderer/RawDrawPrimitiveUP/1px" : "Renderer/RawDrawPrimitiveUP/26x37",
                                     RawSprites)
            ->Args({count, tiny})
            ->Unit(benchmark::kMillisecond);
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    FreeScene(scene);
    return 0;
}
