#include <gtest/gtest.h>

#include <stdlib.h>

#include <string>

#include <TestHooks.h>
#include <mmsystem.h>
#include <windows.h>

#include "LayerInternal.h"
#include "TestSupport.h"

using TestSupport::ReadFile;
using TestSupport::RunInChild;
using TestSupport::TempFolder;

namespace {

TEST(DebugOutput, GoesToStderrAndTheDebugLogFileUnchanged) {
    TempFolder folder;
    const std::string log = folder.File("debug.log");
    const auto result = RunInChild([&] {
        setenv("ZEP_DEBUG_LOG", log.c_str(), 1);
        OutputDebugStringA("first ");
        OutputDebugStringA("");
        OutputDebugStringA(nullptr);
        OutputDebugStringA("second\n");
    });
    EXPECT_EQ(0, result.exitCode);
    EXPECT_EQ("first second\n", result.stdErr);
    EXPECT_EQ("first second\n", ReadFile(log));
}

TEST(MessageBox, WritesStderrAndAnEscapedRecord) {
    TempFolder folder;
    const std::string record = folder.File("boxes");
    const auto result = RunInChild([&] {
        setenv("ZEP_MESSAGEBOX_LOG", record.c_str(), 1);
        setenv("ZEP_HEADLESS", "1", 1);
        if (MessageBoxA(nullptr, "line 1\nline\t2 C:\\x", "Panic error", MB_ICONERROR) != IDOK)
            ExitProcess(3);
        MessageBoxA(nullptr, "careful", "Lua error has occurred", MB_ICONWARNING);
        MessageBoxA(nullptr, "plain", "Note", MB_OK);
    });
    EXPECT_EQ(0, result.exitCode);
    EXPECT_EQ("Panic error: line 1\nline\t2 C:\\x\nLua error has occurred: careful\nNote: plain\n", result.stdErr);
    EXPECT_EQ(
        "error\tPanic error\tline 1\\nline\\t2 C:\\\\x\n"
        "warning\tLua error has occurred\tcareful\n"
        "none\tNote\tplain\n",
        ReadFile(record));
}

TEST(ExitProcess, EndsAtOnceWithTheCodeAfterFlushingStdio) {
    const auto result = RunInChild([] {
        std::fputs("buffered", stderr);
        struct LoudAtExit {
            ~LoudAtExit() { std::fputs("destructor ran", stderr); }
        };
        static LoudAtExit loud;
        ExitProcess(7);
    });
    EXPECT_EQ(7, result.exitCode);
    EXPECT_EQ("buffered", result.stdErr);
}

TEST(ModuleFileName, NamesThisProgramAndReportsTruncation) {
    char path[1024];
    const DWORD length = GetModuleFileNameA(nullptr, path, sizeof(path));
    ASSERT_GT(length, 0u);
    EXPECT_EQ(length, std::string(path).size());
    EXPECT_NE(std::string::npos, std::string(path).find("PlatformWin32Tests"));

    char small[5];
    EXPECT_EQ(5u, GetModuleFileNameA(nullptr, small, sizeof(small)));
    EXPECT_EQ(ERROR_INSUFFICIENT_BUFFER, GetLastError());
    EXPECT_EQ(4u, std::string(small).size());

    WCHAR wide[1024];
    EXPECT_EQ(length, GetModuleFileNameW(nullptr, wide, 1024));
    EXPECT_EQ(std::string(path), PlatformInternal::Utf16ToUtf8(wide));
}

TEST(Utf, ConversionsRoundTripAndReplaceBrokenInput) {
    const std::string text = "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80";  // a, e-acute, euro, emoji
    const std::u16string wide = PlatformInternal::Utf8ToUtf16(text);
    EXPECT_EQ((std::u16string{u'a', 0xE9, 0x20AC, 0xD83D, 0xDE00}), wide);
    EXPECT_EQ(text, PlatformInternal::Utf16ToUtf8(wide));
    EXPECT_EQ(
        u"\xFFFD"
        u"b",
        PlatformInternal::Utf8ToUtf16("\xC3"
                                      "b"));
    EXPECT_EQ(u"\xFFFD", PlatformInternal::Utf8ToUtf16("\xE2\x82"));
}

TEST(TimerResolution, IsRecorded) {
    EXPECT_EQ(TIMERR_NOERROR, timeBeginPeriod(8));
    EXPECT_EQ(8u, PlatformTest::GetTimerPeriod());
    EXPECT_EQ(TIMERR_NOERROR, timeEndPeriod(8));
    EXPECT_EQ(0u, PlatformTest::GetTimerPeriod());
}

}  // namespace
