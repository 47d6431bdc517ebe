// Image loading in one run: the engine's PNG reader against libpng's own simplified
// reader on the same file, and the DDS reader against a plain copy of its bytes.
#include <benchmark/benchmark.h>
#include <png.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "BenchmarkSupport.h"
#include "Common/Texture.h"
#include "ImageSamples.h"

namespace {

// 1024 x 1024 images; 64 x 64 in a smoke run.
int ImageSize() {
    return BenchmarkSupport::Size(1024, 64);
}

// An RGBA photo stand-in: smooth gradients with noise, so that deflate has work to do.
const std::string& PngFile() {
    static std::string file;
    if (file.empty()) {
        const int size = ImageSize();
        std::mt19937 random(7);
        ImageSamples::Png png;
        png.width = png.height = static_cast<uint32_t>(size);
        png.colourType = 6;
        png.scanlines.resize(size_t(size) * size * 4);
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x) {
                char* p = &png.scanlines[(size_t(y) * size + x) * 4];
                p[0] = static_cast<char>(x * 255 / size + random() % 8);
                p[1] = static_cast<char>(y * 255 / size + random() % 8);
                p[2] = static_cast<char>((x + y) * 127 / size);
                p[3] = static_cast<char>(x < size / 8 ? 0 : 255);
            }
        file = png.Build();
    }
    return file;
}

// DXT5 with every level down to 1 x 1 that a memory texture holds.
const std::string& DdsFile() {
    static std::string file;
    if (file.empty()) {
        const int size = ImageSize();
        ImageSamples::Dds dds;
        dds.fourCC = "DXT5";
        dds.width = dds.height = static_cast<uint32_t>(size);
        dds.mipCount = 1;
        while ((size >> dds.mipCount) > 0 && dds.mipCount < 11)
            ++dds.mipCount;
        dds.payload = ImageSamples::Pattern(ImageSamples::ChainBytes(size, size, dds.mipCount, 0, 16));
        file = dds.Build();
    }
    return file;
}

void EngineLoad(benchmark::State& state, const std::string& file, int type) {
    for (auto _ : state) {
        Zep::MemoryTexture texture;
        texture.LoadFromMemory(file.data(), static_cast<int32_t>(file.size()), type);
        benchmark::DoNotOptimize(texture.GetMipLevel(0));
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(file.size()));
}

void EnginePng(benchmark::State& state) {
    EngineLoad(state, PngFile(), Zep::IMAGE_PNG);
}

void EngineDds(benchmark::State& state) {
    EngineLoad(state, DdsFile(), Zep::IMAGE_DDS);
}

// libpng's simplified reader into B, G, R, A, the engine's layout.
void LibpngSimplified(benchmark::State& state) {
    const std::string& file = PngFile();
    for (auto _ : state) {
        png_image image;
        std::memset(&image, 0, sizeof(image));
        image.version = PNG_IMAGE_VERSION;
        if (!png_image_begin_read_from_memory(&image, file.data(), file.size())) {
            state.SkipWithError(image.message);
            break;
        }
        image.format = PNG_FORMAT_BGRA;
        std::vector<uint8_t> pixels(PNG_IMAGE_SIZE(image));
        if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr)) {
            state.SkipWithError(image.message);
            break;
        }
        benchmark::DoNotOptimize(pixels.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(file.size()));
}

void CopyDdsBytes(benchmark::State& state) {
    const std::string& file = DdsFile();
    for (auto _ : state) {
        std::vector<uint8_t> copy(file.size() - 128);
        std::memcpy(copy.data(), file.data() + 128, copy.size());
        benchmark::DoNotOptimize(copy.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(file.size()));
}

}  // namespace

BENCHMARK(EnginePng)->Unit(benchmark::kMillisecond);
BENCHMARK(LibpngSimplified)->Unit(benchmark::kMillisecond);
BENCHMARK(EngineDds)->Unit(benchmark::kMillisecond);
BENCHMARK(CopyDdsBytes)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
