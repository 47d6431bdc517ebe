// The player end to end: "Main.lua" starts the application, loads a scene file into the
// root scene and runs the frame loop headless; captured frames are checked by their pixels.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>

#include "ImageSamples.h"
#include "PackedSample.h"
#include "TestSupport.h"

namespace {

using TestSupport::GetU32;
using TestSupport::ReadFile;
using TestSupport::WriteFile;

// An RGB PNG whose pixel (x, y) is colour(x, y) (0xRRGGBB).
template <class ColourOf>
std::string RgbPng(uint32_t width, uint32_t height, ColourOf colour) {
    ImageSamples::Png png;
    png.width = width, png.height = height;
    for (uint32_t y = 0; y < height; ++y)
        for (uint32_t x = 0; x < width; ++x)
            png.scanlines += {char(colour(x, y) >> 16), char(colour(x, y) >> 8), char(colour(x, y))};
    return png.Build();
}

// Children draw last to first: an image of "#b" ahead of the scene drawing into it shows
// this frame's drawing, one after it the previous frame's.
const char* const kScene = R"("Zep::Scene" { Size [ 800 600 ] Actors [
"Zep::Image" { Position [ 40 40 ] Size [ 200 200 ] TexturePath "../images/quadrants.png" }
"Zep::Image" { Position [ 300 40 ] Size [ 200 200 ] TexturePath "#B" }
"Zep::Scene" { Position [ 560 40 ] Size [ 200 100 ] RenderTarget 2 Actors [
    "Zep::Image" { Size [ 100 50 ] TexturePath "/images/green.png" } ] }
"Zep::Image" { Position [ 300 460 ] Size [ 100 100 ] TexturePath "#b" }
"Zep::Image" { Position [ 40 300 ] Size [ 200 200 ] Color 0x00FFFFFF TexturePath "/images/quadrants.png" }
"Zep::Image" { Position [ 300 300 ] Size [ 128 128 ] TexturePath "/images/missing.png" }
"Zep::Scene" { Position [ 560 300 ] Size [ 200 200 ] Source "linked.scene" } ] })";

}  // namespace

TEST(EndToEnd, AScriptLoadsASceneIntoTheRootSceneAndThePlayerDrawsItHeadless) {
    const uint32_t red = 0xFF0000, green = 0x00FF00, blue = 0x0000FF, yellow = 0xFFFF00, targetGreen = 0x20C040;
    TestSupport::TempFolder content, output;
    std::filesystem::create_directories(content.File("images")),
        std::filesystem::create_directories(content.File("scenes"));
    WriteFile(content.File("images/quadrants.png"), RgbPng(64, 64, [&](uint32_t x, uint32_t y) {
                  return y < 32 ? (x < 32 ? red : green) : (x < 32 ? blue : yellow);
              }));
    WriteFile(content.File("images/green.png"), RgbPng(4, 4, [&](uint32_t, uint32_t) { return targetGreen; }));
    WriteFile(content.File("images/orange.png"), RgbPng(4, 4, [](uint32_t, uint32_t) { return 0xFF8000u; }));
    WriteFile(content.File("scenes/e2e.scene"), kScene);
    WriteFile(content.File("scenes/linked.scene"), R"("Zep::Scene" { Size [ 100 100 ] Actors [
        "Zep::Image" { Size [ 100 100 ] TexturePath "/images/orange.png" } ] })");
    WriteFile(content.File("Main.lua"),
              "local app = Zep.Application:GetInstance()\n"
              "app:Startup()\n"
              "Zep.LoadSceneFromFile(app.rootScene, 'scenes/e2e.scene')\n"
              "app:MainLoop()\n");
    WriteFile(output.File("input.txt"), "10 quit\n");
    const TestSupport::PlayerRun run =
        TestSupport::RunPlayer(ZEPBOX_PATH, {}, content.Path(),
                               {"ZEP_VIRTUAL_CLOCK_MS=16", "ZEP_TEST_INPUT=" + output.File("input.txt"),
                                "ZEP_TEST_CAPTURE=1,5", "ZEP_TEST_CAPTURE_DIR=" + output.Path()});
    EXPECT_EQ(0, run.result.exitCode) << run.result.stdErr << run.boxes;

    const struct Probe {
        int frame, x, y;
        uint32_t rgb;
    } probes[] = {
        {5, 90, 90, red},
        {5, 190, 90, green},
        {5, 90, 190, blue},
        {5, 190, 190, yellow},  // the quadrants
        {5, 350, 90, targetGreen},
        {5, 450, 190, 0},  // the target's drawing in its top-left quarter of "#b"
        {1, 325, 485, 0},
        {5, 325, 485, targetGreen},  // "#b" after the target: a frame late
        {5, 610, 65, 0},             // the scene drawing into the target: nothing on the screen
        {5, 140, 400, 0},            // colour alpha 0
        {5, 304, 304, 0xFFFFFF},
        {5, 312, 304, 0x3333FF},  // the stub's checkerboard
        {5, 610, 350, 0xFF8000},  // the linked scene's image
        {5, 20, 20, 0},
        {5, 780, 580, 0},  // nothing drawn
    };
    for (const Probe& probe : probes) {
        // Width and height, then B, G, R, A per pixel, top row first.
        const std::string frame = ReadFile(output.File("frame-" + std::to_string(probe.frame) + ".bgra"));
        ASSERT_EQ(8u + 800u * 600u * 4u, frame.size());
        ASSERT_EQ(std::make_pair(800u, 600u), std::make_pair(GetU32(frame, 0), GetU32(frame, 4)));
        const uint32_t actual = GetU32(frame, 8 + (size_t(probe.y) * 800 + probe.x) * 4);
        for (int shift = 0; shift < 24; shift += 8)
            EXPECT_NEAR(int(probe.rgb >> shift & 0xFF), int(actual >> shift & 0xFF), 2)
                << "frame " << probe.frame << " at " << probe.x << ", " << probe.y << ": " << std::hex << actual;
    }
}
