// A content folder whose scene shows every way a scene draws: an image of four
// coloured quadrants, a scene drawing into render target B, an image showing that
// target, an invisible image, an image of a missing file and a linked scene; with
// the pixels an 800 x 600 frame of it must show.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "ImageSamples.h"
#include "TestSupport.h"

namespace SceneSamples {

// An RGB PNG of the size whose pixel (x, y) is colour(x, y) (0xRRGGBB).
template <class ColourOf>
std::string RgbPng(uint32_t width, uint32_t height, ColourOf colour) {
    ImageSamples::Png png;
    png.width = width, png.height = height;
    for (uint32_t y = 0; y < height; ++y) {
        for (uint32_t x = 0; x < width; ++x) {
            const uint32_t rgb = colour(x, y);
            png.scanlines += {char(rgb >> 16), char(rgb >> 8), char(rgb)};
        }
    }
    return png.Build();
}

const uint32_t kRed = 0xFFFF0000u, kGreen = 0xFF00FF00u, kBlue = 0xFF0000FFu, kYellow = 0xFFFFFF00u;
const uint32_t kTargetGreen = 0xFF20C040u, kOrange = 0xFFFF8000u, kBlack = 0xFF000000u;
const uint32_t kStubWhite = 0xFFFFFFFFu, kStubBlue = 0xFF3333FFu;

// "scenes/e2e.scene", "scenes/linked.scene" and their images in lower-case names.
inline void WriteContent(const std::string& folder) {
    std::filesystem::create_directories(folder + "/images");
    std::filesystem::create_directories(folder + "/scenes");
    TestSupport::WriteFile(folder + "/images/quadrants.png", RgbPng(64, 64, [](uint32_t x, uint32_t y) {
                               return (y < 32 ? (x < 32 ? kRed : kGreen) : (x < 32 ? kBlue : kYellow)) & 0xFFFFFF;
                           }));
    TestSupport::WriteFile(folder + "/images/green.png",
                           RgbPng(4, 4, [](uint32_t, uint32_t) { return kTargetGreen & 0xFFFFFF; }));
    TestSupport::WriteFile(folder + "/images/orange.png",
                           RgbPng(4, 4, [](uint32_t, uint32_t) { return kOrange & 0xFFFFFF; }));
    // Children draw last to first: the target scene comes after the image showing its
    // texture, so that the image shows this frame's drawing.
    TestSupport::WriteFile(folder + "/scenes/e2e.scene", R"("Zep::Scene" { Size [ 800 600 ] Actors [
"Zep::Image" { Name "quadrants" Position [ 40 40 ] Size [ 200 200 ] TexturePath "../images/quadrants.png" }
"Zep::Image" { Name "target view" Position [ 300 40 ] Size [ 200 200 ] TexturePath "#B" }
"Zep::Scene" { Name "target" Position [ 560 40 ] Size [ 200 100 ] RenderTarget 2 Actors [
    "Zep::Image" { Size [ 100 50 ] TexturePath "/images/green.png" } ] }
"Zep::Image" { Position [ 40 300 ] Size [ 200 200 ] Color 0x00FFFFFF TexturePath "/images/quadrants.png" }
"Zep::Image" { Position [ 300 300 ] Size [ 128 128 ] TexturePath "/images/missing.png" }
"Zep::Scene" { Position [ 560 300 ] Size [ 200 200 ] Source "linked.scene" } ] })");
    TestSupport::WriteFile(folder + "/scenes/linked.scene",
                           R"("Zep::Scene" { Size [ 100 100 ] Actors [
"Zep::Image" { Size [ 100 100 ] TexturePath "/images/orange.png" } ] })");
}

struct Probe {
    int x, y;
    uint32_t argb;
    const char* what;
};

// What the frame shows at chosen points.
inline std::vector<Probe> Probes() {
    return {
        {90, 90, kRed, "top-left quadrant"},
        {190, 90, kGreen, "top-right quadrant"},
        {90, 190, kBlue, "bottom-left quadrant"},
        {190, 190, kYellow, "bottom-right quadrant"},
        {350, 90, kTargetGreen, "the target's drawing, its top-left quarter, in the image of #b"},
        {450, 190, kBlack, "the rest of the target: cleared to transparent"},
        {610, 65, kBlack, "the scene drawing into the target: nothing on the screen"},
        {140, 400, kBlack, "an image of colour alpha 0"},
        {304, 304, kStubWhite, "the stub's white square"},
        {312, 304, kStubBlue, "the stub's blue square"},
        {610, 350, kOrange, "the image of the linked scene"},
        {20, 20, kBlack, "nothing drawn"},
        {780, 580, kBlack, "nothing drawn"},
    };
}

// The colour at (x, y) of pixels 0xAARRGGBB in rows of the width, within 2 per
// channel of the expected colour; the alpha of the back buffer is not compared.
inline bool Near(uint32_t actual, uint32_t expected) {
    for (int shift = 0; shift < 24; shift += 8) {
        const int a = (actual >> shift) & 0xFF, e = (expected >> shift) & 0xFF;
        if (a - e > 2 || e - a > 2)
            return false;
    }
    return true;
}

}  // namespace SceneSamples
