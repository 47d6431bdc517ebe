// Frames of N alpha-blended textured quads at 800 x 600 (sprites of 26 x 37 and of 1 x 1
// pixel), each quad its own DrawPrimitiveUP as the renderer draws them, with draw batching on
// and off, against the same vertices as one glDrawArrays on the same state (the OpenGL floor),
// in one run. Each frame: BeginScene, Clear, the quads, EndScene, Present, glFinish (so that
// the time includes llvmpipe's rasterising). Run it once with the default LP_NUM_THREADS and
// once with LP_NUM_THREADS=1.
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include <d3d8.h>
#include <d3dx8.h>
#include <windows.h>

#include "BenchmarkSize.h"
#include "TestHooks.h"

// After the Windows types, so that OpenGL's headers keep their APIENTRY.
#define GL_GLEXT_PROTOTYPES 1
#include <GL/gl.h>
#include <GL/glext.h>

namespace {

const UINT kWidth = 800;
const UINT kHeight = 600;
const float kQuadWidth = 26;
const float kQuadHeight = 37;

struct Vertex {
    float x, y, z;
    D3DCOLOR color;
    float u, v;
};

struct Scene {
    IDirect3D8* d3d = nullptr;
    IDirect3DDevice8* device = nullptr;
    IDirect3DTexture8* texture = nullptr;
    std::string renderer;
    decltype(&glFinish) finish = nullptr;
    decltype(&glDrawArrays) drawArrays = nullptr;
    decltype(&glDrawElements) drawElements = nullptr;
    decltype(&glVertexPointer) vertexPointer = nullptr;
    decltype(&glColorPointer) colorPointer = nullptr;
    decltype(&glTexCoordPointer) texCoordPointer = nullptr;
};

LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(window, message, wParam, lParam);
}

// The device as the renderer sets it up: alpha blending, linear filters, clamped addresses,
// its 2D projection with the half-pixel shift, and one texture of 26 x 37 in 32 x 64.
bool MakeScene(Scene& scene) {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = &Procedure;
    windowClass.lpszClassName = "Direct3D8Benchmark";
    RegisterClassA(&windowClass);
    const HWND window = CreateWindowExA(WS_EX_APPWINDOW, "Direct3D8Benchmark", "Benchmark", WS_POPUP, 0, 0, kWidth,
                                        kHeight, nullptr, nullptr, nullptr, nullptr);
    scene.d3d = Direct3DCreate8(D3D_SDK_VERSION);
    if (!window || !scene.d3d)
        return false;
    D3DPRESENT_PARAMETERS parameters = {};
    parameters.BackBufferWidth = kWidth;
    parameters.BackBufferHeight = kHeight;
    parameters.BackBufferFormat = D3DFMT_X8R8G8B8;
    parameters.BackBufferCount = 1;
    parameters.SwapEffect = D3DSWAPEFFECT_DISCARD;
    parameters.hDeviceWindow = window;
    parameters.Windowed = TRUE;
    if (scene.d3d->CreateDevice(0, D3DDEVTYPE_HAL, window, D3DCREATE_HARDWARE_VERTEXPROCESSING, &parameters,
                                &scene.device) != D3D_OK)
        return false;
    IDirect3DDevice8* device = scene.device;
    device->SetRenderState(D3DRS_LIGHTING, FALSE);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
    device->SetTextureStageState(0, D3DTSS_MINFILTER, D3DTEXF_LINEAR);
    device->SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTEXF_LINEAR);
    device->SetTextureStageState(0, D3DTSS_ADDRESSU, D3DTADDRESS_CLAMP);
    device->SetTextureStageState(0, D3DTSS_ADDRESSV, D3DTADDRESS_CLAMP);

    if (D3DXCreateTexture(device, 32, 64, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &scene.texture) != D3D_OK)
        return false;
    D3DLOCKED_RECT locked;
    scene.texture->LockRect(0, &locked, nullptr, D3DLOCK_DISCARD);
    for (int y = 0; y < 64; ++y) {
        uint32_t* row = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(locked.pBits) + y * locked.Pitch);
        for (int x = 0; x < 32; ++x)
            row[x] = ((x + y) % 7 == 0 ? 0x80000000u : 0xFF000000u) | (x * 8u) << 16 | (y * 4u) << 8 | 0x40u;
    }
    scene.texture->UnlockRect(0);
    device->SetTexture(0, scene.texture);

    D3DXMATRIX identity, projection;
    D3DXMatrixIdentity(&identity);
    device->SetTransform(D3DTS_WORLD, &identity);
    device->SetTransform(D3DTS_VIEW, &identity);
    D3DXMatrixOrthoOffCenterRH(&projection, 0.5f, kWidth + 0.5f, kHeight + 0.5f, 0.5f, 0, 1);
    device->SetTransform(D3DTS_PROJECTION, &projection);

    const auto text = reinterpret_cast<const char*>(
        reinterpret_cast<decltype(&glGetString)>(SDL_GL_GetProcAddress("glGetString"))(GL_RENDERER));
    scene.renderer = text ? text : "?";
    scene.finish = reinterpret_cast<decltype(scene.finish)>(SDL_GL_GetProcAddress("glFinish"));
    scene.drawArrays = reinterpret_cast<decltype(scene.drawArrays)>(SDL_GL_GetProcAddress("glDrawArrays"));
    scene.drawElements = reinterpret_cast<decltype(scene.drawElements)>(SDL_GL_GetProcAddress("glDrawElements"));
    scene.vertexPointer = reinterpret_cast<decltype(scene.vertexPointer)>(SDL_GL_GetProcAddress("glVertexPointer"));
    scene.colorPointer = reinterpret_cast<decltype(scene.colorPointer)>(SDL_GL_GetProcAddress("glColorPointer"));
    scene.texCoordPointer =
        reinterpret_cast<decltype(scene.texCoordPointer)>(SDL_GL_GetProcAddress("glTexCoordPointer"));
    return scene.finish && scene.drawArrays && scene.drawElements && scene.vertexPointer && scene.colorPointer &&
           scene.texCoordPointer;
}

Scene& TheScene() {
    static Scene scene;
    return scene;
}

// N quads of width x height pixels at positions from a fixed seed, four fan vertices each,
// showing the whole sprite image.
std::vector<Vertex> Quads(int count, float width = kQuadWidth, float height = kQuadHeight) {
    std::mt19937 random(1);
    std::uniform_real_distribution<float> x(0, kWidth - width), y(0, kHeight - height);
    const float u = kQuadWidth / 32, v = kQuadHeight / 64;
    std::vector<Vertex> vertices;
    vertices.reserve(count * 4);
    for (int i = 0; i < count; ++i) {
        const float left = x(random), top = y(random);
        const D3DCOLOR color = 0xFFFFFFFF;
        vertices.push_back({left, top, 0, color, 0, 0});
        vertices.push_back({left + width, top, 0, color, u, 0});
        vertices.push_back({left + width, top + height, 0, color, u, v});
        vertices.push_back({left, top + height, 0, color, 0, v});
    }
    return vertices;
}

// The side of the quads of a benchmark: state.range(1) 0 for sprites, 1 for single pixels.
std::vector<Vertex> QuadsOf(const benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    return state.range(1) ? Quads(count, 1, 1) : Quads(count);
}

// The same quads as two triangles each, for one glDrawArrays.
std::vector<Vertex> Triangles(const std::vector<Vertex>& quads) {
    std::vector<Vertex> triangles;
    triangles.reserve(quads.size() / 4 * 6);
    for (size_t i = 0; i < quads.size(); i += 4) {
        for (size_t corner : {0, 1, 2, 0, 2, 3})
            triangles.push_back(quads[i + corner]);
    }
    return triangles;
}

void EndFrame(Scene& scene, benchmark::State& state) {
    scene.device->EndScene();
    if (scene.device->Present(nullptr, nullptr, nullptr, nullptr) != D3D_OK)
        state.SkipWithError("Present failed");
    scene.finish();
}

// state.range(2): draw batching on (1) or off (0).
void LayerQuads(benchmark::State& state) {
    Scene& scene = TheScene();
    const std::vector<Vertex> quads = QuadsOf(state);
    PlatformTest::SetBatching(state.range(2) != 0);
    const uint64_t draws = PlatformTest::GetGLDrawCount();
    for (auto _ : state) {
        scene.device->BeginScene();
        scene.device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
        for (size_t i = 0; i < quads.size(); i += 4) {
            scene.device->SetVertexShader(D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX1);
            scene.device->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, &quads[i], sizeof(Vertex));
        }
        EndFrame(scene, state);
    }
    state.counters["quads"] = static_cast<double>(state.range(0));
    state.counters["glDraws"] = benchmark::Counter(static_cast<double>(PlatformTest::GetGLDrawCount() - draws),
                                                   benchmark::Counter::kAvgIterations);
    PlatformTest::SetBatching(true);
}

void GlFloorQuads(benchmark::State& state) {
    Scene& scene = TheScene();
    const std::vector<Vertex> quads = QuadsOf(state);
    const std::vector<Vertex> triangles = Triangles(quads);
    // The layer's quad that sets the states goes to OpenGL at once.
    PlatformTest::SetBatching(false);
    const GLsizei stride = sizeof(Vertex);
    const uint8_t* base = reinterpret_cast<const uint8_t*>(triangles.data());
    for (auto _ : state) {
        scene.device->BeginScene();
        scene.device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
        // One quad through the layer puts its states, texture and arrays in place; the rest
        // is one draw of the same vertices.
        scene.device->SetVertexShader(D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX1);
        scene.device->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, &quads[0], sizeof(Vertex));
        scene.vertexPointer(3, GL_FLOAT, stride, base);
        scene.colorPointer(GL_BGRA, GL_UNSIGNED_BYTE, stride, base + 12);
        scene.texCoordPointer(2, GL_FLOAT, stride, base + 16);
        scene.drawArrays(GL_TRIANGLES, 0, static_cast<GLsizei>(triangles.size()));
        EndFrame(scene, state);
    }
    state.counters["quads"] = static_cast<double>(state.range(0));
    PlatformTest::SetBatching(true);
}

// The floor with each quad's four vertices once: one glDrawElements of two triangles per quad.
void GlFloorIndexed(benchmark::State& state) {
    Scene& scene = TheScene();
    const std::vector<Vertex> quads = QuadsOf(state);
    std::vector<GLuint> indices;
    indices.reserve(quads.size() / 4 * 6);
    for (GLuint i = 0; i < quads.size(); i += 4) {
        for (GLuint corner : {0, 1, 2, 0, 2, 3})
            indices.push_back(i + corner);
    }
    PlatformTest::SetBatching(false);
    const GLsizei stride = sizeof(Vertex);
    const uint8_t* base = reinterpret_cast<const uint8_t*>(quads.data());
    for (auto _ : state) {
        scene.device->BeginScene();
        scene.device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
        scene.device->SetVertexShader(D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX1);
        scene.device->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, &quads[0], sizeof(Vertex));
        scene.vertexPointer(3, GL_FLOAT, stride, base);
        scene.colorPointer(GL_BGRA, GL_UNSIGNED_BYTE, stride, base + 12);
        scene.texCoordPointer(2, GL_FLOAT, stride, base + 16);
        scene.drawElements(GL_TRIANGLES, static_cast<GLsizei>(indices.size()), GL_UNSIGNED_INT, indices.data());
        EndFrame(scene, state);
    }
    state.counters["quads"] = static_cast<double>(state.range(0));
    PlatformTest::SetBatching(true);
}

// Where the layer's time goes: the same quads as one raw glDrawArrays each, pointers set per
// quad as the layer sets them, without the layer's checks and state tracking.
void GlPerQuad(benchmark::State& state) {
    Scene& scene = TheScene();
    const std::vector<Vertex> quads = QuadsOf(state);
    const GLsizei stride = sizeof(Vertex);
    PlatformTest::SetBatching(false);
    for (auto _ : state) {
        scene.device->BeginScene();
        scene.device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
        scene.device->SetVertexShader(D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX1);
        scene.device->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, &quads[0], sizeof(Vertex));
        for (size_t i = 0; i < quads.size(); i += 4) {
            const uint8_t* base = reinterpret_cast<const uint8_t*>(&quads[i]);
            scene.vertexPointer(3, GL_FLOAT, stride, base);
            scene.colorPointer(GL_BGRA, GL_UNSIGNED_BYTE, stride, base + 12);
            scene.texCoordPointer(2, GL_FLOAT, stride, base + 16);
            scene.drawArrays(GL_TRIANGLE_FAN, 0, 4);
        }
        EndFrame(scene, state);
    }
    state.counters["quads"] = static_cast<double>(state.range(0));
    PlatformTest::SetBatching(true);
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    Scene& scene = TheScene();
    if (!MakeScene(scene)) {
        std::fprintf(stderr, "Direct3D8Benchmark: no Direct3D device (SDL_VIDEODRIVER=offscreen gives one)\n");
        return 1;
    }
    const char* threads = std::getenv("LP_NUM_THREADS");
    benchmark::AddCustomContext("GL_RENDERER", scene.renderer);
    benchmark::AddCustomContext("LP_NUM_THREADS", threads ? threads : "default");
    // {quads, pixel-sized, batching}: sprites of 26 x 37 up to 50 000, single pixels up to
    // 100 000; the per-quad raw OpenGL draws only where they take less than seconds.
    struct Size {
        int count;
        bool pixels;
    };
    const std::vector<Size> sizes =
        BenchmarkSupport::IsSmokeRun()
            ? std::vector<Size>{{10, false}, {10, true}}
            : std::vector<Size>{{1000, false}, {10000, false}, {20000, false}, {50000, false},
                                {10000, true}, {50000, true},  {94000, true},  {100000, true}};
    for (const Size& size : sizes) {
        const std::vector<int64_t> arguments = {size.count, size.pixels};
        for (int batching : {1, 0}) {
            std::vector<int64_t> withBatching = arguments;
            withBatching.push_back(batching);
            benchmark::RegisterBenchmark(batching ? "Direct3D8/Batched" : "Direct3D8/Unbatched", LayerQuads)
                ->Args(withBatching)
                ->Unit(benchmark::kMillisecond);
        }
        benchmark::RegisterBenchmark("Direct3D8/GlFloor", GlFloorQuads)->Args(arguments)->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark("Direct3D8/GlFloorIndexed", GlFloorIndexed)
            ->Args(arguments)
            ->Unit(benchmark::kMillisecond);
        if (size.count <= 10000)
            benchmark::RegisterBenchmark("Direct3D8/GlPerQuad", GlPerQuad)
                ->Args(arguments)
                ->Unit(benchmark::kMillisecond);
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    scene.texture->Release();
    scene.device->Release();
    scene.d3d->Release();
    return 0;
}
