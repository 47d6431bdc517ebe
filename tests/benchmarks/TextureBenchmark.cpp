// Image loading in one run: the engine's PNG reader against libpng's own simplified
// reader on the same file, and the DDS reader against a plain copy of its bytes. Then
// single-pixel reads of compressed images, as hit tests make them: random pixels
// against the same number read in row order.
#include <benchmark/benchmark.h>
#include <png.h>

#include <cstring>
#include <map>
#include <random>
#include <string>
#include <utility>
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

// A compressed image of random blocks, as a memory texture holds it.
Zep::MemoryTexture& CompressedImage(int32_t format) {
    static std::map<int32_t, Zep::MemoryTexture> images;
    Zep::MemoryTexture& image = images[format];
    if (image.GetWidth() == 0) {
        image.Create(ImageSize(), ImageSize(), format, 1);
        const std::string bytes = ImageSamples::Pattern(size_t(image.GetMipLevelSize(0)), unsigned(format));
        std::memcpy(image.GetMipLevel(0), bytes.data(), bytes.size());
    }
    return image;
}

// 100 000 reads per pass; 1000 in a smoke run.
int PixelReads() {
    return BenchmarkSupport::Size(100000, 1000);
}

// The pixels read per pass: random, or the first ones in row order.
const std::vector<std::pair<int32_t, int32_t>>& Pixels(bool random) {
    static std::vector<std::pair<int32_t, int32_t>> lists[2];
    std::vector<std::pair<int32_t, int32_t>>& pixels = lists[random];
    if (pixels.empty()) {
        std::mt19937 generator(11);
        const int32_t size = ImageSize();
        for (int i = 0; i < PixelReads(); ++i)
            pixels.emplace_back(random ? int32_t(generator() % size) : i % size,
                                random ? int32_t(generator() % size) : i / size % size);
    }
    return pixels;
}

void ReadPixels(benchmark::State& state, int32_t format, bool random) {
    Zep::MemoryTexture& image = CompressedImage(format);
    const std::vector<std::pair<int32_t, int32_t>>& pixels = Pixels(random);
    for (auto _ : state) {
        uint32_t sum = 0;
        for (const auto& pixel : pixels) {
            uint32_t colour = 0;
            image.GetPixel(colour, pixel.first, pixel.second);
            sum += colour;
        }
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * PixelReads());
}

}  // namespace

BENCHMARK_CAPTURE(ReadPixels, DXT1Random, Zep::FORMAT_DXT1, true);
BENCHMARK_CAPTURE(ReadPixels, DXT1RowOrder, Zep::FORMAT_DXT1, false);
BENCHMARK_CAPTURE(ReadPixels, DXT5Random, Zep::FORMAT_DXT5, true);
BENCHMARK_CAPTURE(ReadPixels, DXT5RowOrder, Zep::FORMAT_DXT5, false);
BENCHMARK_CAPTURE(ReadPixels, PVRTC2Random, Zep::FORMAT_PVRTC2_RGBA, true);
BENCHMARK_CAPTURE(ReadPixels, PVRTC2RowOrder, Zep::FORMAT_PVRTC2_RGBA, false);
BENCHMARK_CAPTURE(ReadPixels, PVRTC4Random, Zep::FORMAT_PVRTC4_RGBA, true);
BENCHMARK_CAPTURE(ReadPixels, PVRTC4RowOrder, Zep::FORMAT_PVRTC4_RGBA, false);

BENCHMARK(EnginePng)->Unit(benchmark::kMillisecond);
BENCHMARK(LibpngSimplified)->Unit(benchmark::kMillisecond);
BENCHMARK(EngineDds)->Unit(benchmark::kMillisecond);
BENCHMARK(CopyDdsBytes)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
