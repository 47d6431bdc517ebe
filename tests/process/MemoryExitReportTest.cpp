// The player's global operators and the exit-time leak report, in real processes.
#include <gtest/gtest.h>

#include <string>

#include "TestSupport.h"

namespace {

const std::vector<std::string> kEnvironment = {"ZEP_HEADLESS=1", "SDL_VIDEODRIVER=offscreen", "SDL_AUDIODRIVER=dummy"};

}  // namespace

TEST(MemoryExitReport, AnOrderlyPlayerRunLeavesNoLeaks) {
    const TestSupport::ChildResult result = TestSupport::RunProgram(ZEPBOX_PATH, {}, kEnvironment, HELLO_GAME_FOLDER);
    EXPECT_EQ(result.exitCode, 0) << result.stdErr;
    EXPECT_EQ(result.stdErr.find("memory leaks detected"), std::string::npos) << result.stdErr;
    EXPECT_EQ(result.stdErr.find("untracked memory"), std::string::npos) << result.stdErr;
}

TEST(MemoryExitReport, ALeakedBlockIsDumpedAtExit) {
    const TestSupport::ChildResult result = TestSupport::RunProgram(MEMORY_PROBE_PATH, {}, kEnvironment);
    EXPECT_EQ(result.exitCode, 0) << result.stdErr;
    const std::string text = TestSupport::WithoutThreadLines(result.stdErr);
    // The usable size is the request rounded by the 16-byte alignment of operator new: 40 to 52 bytes.
    EXPECT_EQ(text.find("block heap: Common\n"
                        "Warning: memory leaks detected in heap \"Common\": total "),
              0u)
        << text;
    EXPECT_NE(text.find(" bytes in 1 block(s)\n  Block #1: address: 0x"), std::string::npos) << text;
    EXPECT_NE(text.find(" bytes. First bytes:\n"
                        "    30 31 32 33 34 35 36 37 38 39 61 62 63 64 65 66   <0123456789abcdef>\n"
                        "    67 68 69 6A 6B 6C 6D 6E 6F 70 71 72 73 74 75 76   <ghijklmnopqrstuv>\n"),
              std::string::npos)
        << text;
    EXPECT_EQ(text.find("Block #2"), std::string::npos);
}
