// The player's frame loop headless: a script that starts the application and runs its
// loop, ended by test input, with a captured frame.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "PackedSample.h"
#include "TestSupport.h"

namespace {

using ::testing::HasSubstr;
using ::testing::Not;
using TestSupport::GetU32;

TEST(FrameLoop, AStartedPlayerRunsFramesUntilTestInputQuits) {
    TestSupport::TempFolder content, captures;
    TestSupport::WriteFile(content.File("Main.lua"),
                           "local app = Zep.Application:GetInstance()\n"
                           "app:Startup()\n"
                           "local result = app:MainLoop()\n"
                           "Print('main loop ended with ' .. result)\n");
    TestSupport::WriteFile(content.File("input.txt"), "# the last frame\n10 quit\n");
    const TestSupport::PlayerRun run = TestSupport::RunPlayer(
        ZEPBOX_PATH, {}, content.Path(),
        {"ZEP_TEST_INPUT=input.txt", "ZEP_TEST_CAPTURE=5", "ZEP_TEST_CAPTURE_DIR=" + captures.Path()});
    EXPECT_EQ(0, run.result.exitCode) << run.result.stdErr;
    EXPECT_THAT(run.result.stdErr, HasSubstr("main loop ended with 0\n"));
    EXPECT_THAT(run.result.stdErr, Not(HasSubstr("memory leaks detected")));

    const std::string frame = TestSupport::ReadFile(captures.File("frame-5.bgra"));
    ASSERT_EQ(8u + 800 * 600 * 4, frame.size());
    EXPECT_EQ(800u, GetU32(frame, 0));
    EXPECT_EQ(600u, GetU32(frame, 4));
    size_t black = 0;
    for (size_t at = 8; at < frame.size(); at += 4)
        black += GetU32(frame, at) == 0xFF000000u;
    EXPECT_EQ(800u * 600u, black);
    EXPECT_EQ("\x89PNG", TestSupport::ReadFile(captures.File("frame-5.png")).substr(0, 4));
}

TEST(FrameLoop, AMalformedTestInputLineEndsTheRun) {
    const char* const lines[] = {"3 jump",     "0 quit",    "4 down thumb", "5 key down NoSuchKey",
                                 "6 motion 1", "7 quit now"};
    for (const char* line : lines) {
        TestSupport::TempFolder content;
        TestSupport::WriteFile(content.File("Main.lua"),
                               "local app = Zep.Application:GetInstance() app:Startup() app:MainLoop()\n");
        TestSupport::WriteFile(content.File("input.txt"), std::string("1 motion 5 5\n") + line + "\n");
        const TestSupport::PlayerRun run =
            TestSupport::RunPlayer(ZEPBOX_PATH, {}, content.Path(), {"ZEP_TEST_INPUT=input.txt"});
        EXPECT_EQ(1, run.result.exitCode) << line;
        EXPECT_THAT(run.result.stdErr, HasSubstr("input.txt, line 2: malformed line \"" + std::string(line) + "\""));
    }
}

}  // namespace
