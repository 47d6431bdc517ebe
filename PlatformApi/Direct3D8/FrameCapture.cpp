#include "FrameCapture.h"

#include <png.h>

#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "Context.h"
#include "win32_process.h"

namespace D3D8Internal {

namespace {

struct CaptureList {
    std::set<uint32_t> pending;
    std::string folder;
};

// The frames of ZEP_TEST_CAPTURE ("<k>[,<k>...]"); entries that are not positive
// numbers are skipped.
CaptureList ReadCaptureList() {
    CaptureList list;
    const std::string frames = PlatformInternal::GetEnv("ZEP_TEST_CAPTURE");
    size_t at = 0;
    while (at < frames.size()) {
        size_t end = frames.find(',', at);
        if (end == std::string::npos)
            end = frames.size();
        const std::string entry = frames.substr(at, end - at);
        char* stop = nullptr;
        const unsigned long frame = std::strtoul(entry.c_str(), &stop, 10);
        if (!entry.empty() && *stop == '\0' && frame > 0 && frame <= UINT32_MAX)
            list.pending.insert(static_cast<uint32_t>(frame));
        at = end + 1;
    }
    list.folder = PlatformInternal::GetEnv("ZEP_TEST_CAPTURE_DIR");
    if (list.folder.empty())
        list.folder = ".";
    return list;
}

[[noreturn]] void FailWrite(const std::string& path) {
    std::fprintf(stderr, "ZEP_TEST_CAPTURE: cannot write %s\n", path.c_str());
    std::fflush(stderr);
    ExitProcess(1);
}

void WriteRaw(const std::string& path, uint32_t width, uint32_t height, const std::vector<uint8_t>& pixels) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        FailWrite(path);
    uint8_t header[8];
    for (int i = 0; i < 4; ++i) {
        header[i] = static_cast<uint8_t>(width >> (8 * i));
        header[4 + i] = static_cast<uint8_t>(height >> (8 * i));
    }
    const bool written = std::fwrite(header, 1, sizeof(header), file) == sizeof(header) &&
                         std::fwrite(pixels.data(), 1, pixels.size(), file) == pixels.size();
    if (std::fclose(file) != 0 || !written)
        FailWrite(path);
}

// libpng's errors jump back here: false then.
bool WriteRows(png_structp png, png_infop info, FILE* file, uint32_t width, uint32_t height, const uint8_t* rgba) {
    if (setjmp(png_jmpbuf(png)) != 0)
        return false;
    png_init_io(png, file);
    png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (uint32_t row = 0; row < height; ++row)
        png_write_row(png, rgba + static_cast<size_t>(row) * width * 4);
    png_write_end(png, nullptr);
    return true;
}

// The same pixels as 8-bit RGBA.
void WritePng(const std::string& path, uint32_t width, uint32_t height, const std::vector<uint8_t>& bgra) {
    std::vector<uint8_t> rgba(bgra.size());
    for (size_t i = 0; i + 3 < bgra.size(); i += 4) {
        rgba[i] = bgra[i + 2];
        rgba[i + 1] = bgra[i + 1];
        rgba[i + 2] = bgra[i];
        rgba[i + 3] = bgra[i + 3];
    }
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        FailWrite(path);
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    const bool written = info && WriteRows(png, info, file, width, height, rgba.data());
    png_destroy_write_struct(&png, &info);
    if (std::fclose(file) != 0 || !written)
        FailWrite(path);
}

}  // namespace

void CaptureFrameIfListed(const BackBufferSurface& backBuffer) {
    static std::mutex lock;
    static CaptureList list = ReadCaptureList();
    const uint32_t frame = PlatformInternal::GetFrameNumber();
    {
        std::lock_guard<std::mutex> guard(lock);
        if (list.pending.erase(frame) == 0)
            return;
    }
    Context* context = Context::Get();
    if (!context || !context->Ensure(nullptr))
        return;
    const uint32_t width = backBuffer.Desc().Width;
    const uint32_t height = backBuffer.Desc().Height;
    std::vector<uint8_t> pixels(static_cast<size_t>(width) * height * 4);
    context->FlushPending();
    // The framebuffer holds the top row first; the blit to the window flips it.
    context->BindReadFramebuffer(backBuffer.Framebuffer());
    gl.ReadPixels(0, 0, static_cast<GLsizei>(width), static_cast<GLsizei>(height), GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV,
                  pixels.data());
    for (size_t i = 3; i < pixels.size(); i += 4)
        pixels[i] = 0xFF;
    const std::string stem = list.folder + "/frame-" + std::to_string(frame);
    WriteRaw(stem + ".bgra", width, height, pixels);
    WritePng(stem + ".png", width, height, pixels);
}

}  // namespace D3D8Internal
