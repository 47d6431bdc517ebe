// The player end to end: "Main.lua" starts the application, loads a scene file into the
// root scene and runs the frame loop headless; a captured frame is checked by its pixels.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "SceneSamples.h"
#include "TestSupport.h"

namespace {

using TestSupport::ReadFile;
using TestSupport::TempFolder;
using TestSupport::WriteFile;

uint32_t Word(const std::string& bytes, size_t at) {
    return uint32_t(uint8_t(bytes[at])) | uint32_t(uint8_t(bytes[at + 1])) << 8 |
           uint32_t(uint8_t(bytes[at + 2])) << 16 | uint32_t(uint8_t(bytes[at + 3])) << 24;
}

}  // namespace

TEST(EndToEnd, AScriptLoadsASceneIntoTheRootSceneAndThePlayerDrawsItHeadless) {
    TempFolder content, output;
    SceneSamples::WriteContent(content.Path());
    WriteFile(content.File("Main.lua"),
              "local app = Zep.Application:GetInstance()\n"
              "app:Startup()\n"
              "Zep.LoadSceneFromFile(app.rootScene, 'scenes/e2e.scene')\n"
              "app:MainLoop()\n"
              "Print('the loop ended')\n");
    WriteFile(output.File("input.txt"), "10 quit\n");
    const TestSupport::PlayerRun run =
        TestSupport::RunPlayer(ZEPBOX_PATH, {}, content.Path(),
                               {"ZEP_VIRTUAL_CLOCK_MS=16", "ZEP_TEST_INPUT=" + output.File("input.txt"),
                                "ZEP_TEST_CAPTURE=5", "ZEP_TEST_CAPTURE_DIR=" + output.Path()});
    EXPECT_EQ(0, run.result.exitCode) << run.result.stdErr << run.boxes;
    EXPECT_NE(std::string::npos, run.result.stdErr.find("the loop ended")) << run.result.stdErr;

    // Width and height, then B, G, R, A per pixel, top row first.
    const std::string frame = ReadFile(output.File("frame-5.bgra"));
    ASSERT_EQ(8u + 800u * 600u * 4u, frame.size());
    EXPECT_EQ(800u, Word(frame, 0));
    EXPECT_EQ(600u, Word(frame, 4));
    for (const SceneSamples::Probe& probe : SceneSamples::Probes()) {
        const uint32_t actual = Word(frame, 8 + (size_t(probe.y) * 800 + probe.x) * 4);
        EXPECT_TRUE(SceneSamples::Near(actual, probe.argb))
            << probe.what << " at " << probe.x << ", " << probe.y << ": " << std::hex << actual << " instead of "
            << probe.argb;
    }
}
