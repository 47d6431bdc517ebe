#include <gtest/gtest.h>

#include <string>

#include "ReportOf.h"
#include "Common/Application.h"
#include "Common/CoreUtils.h"
#include "TestSupport.h"

using TestSupport::StderrCapture;

namespace {

std::string AssertionText(const std::function<void()>& failing) {
    const std::string text = TestSupport::ReportOf<Zep::Exception::Assertion>(failing);
    EXPECT_NE("", text) << "no assertion was thrown";
    return text;
}

std::string PanicText(const char* message) {
    const std::string text =
        TestSupport::ReportOf<Zep::Exception::Panic>([&] { Zep::Panic("Common\\Somewhere.cpp", 7, message); });
    EXPECT_NE("", text) << "no panic was thrown";
    return text;
}

TEST(Reports, AssertionWithoutHandlerShowsItsBoxAndThrowsTheReport) {
    StderrCapture capture;
    const std::string text = AssertionText([] { ZEP_ASSERT(2 + 2 == 5); });
    const std::string expected =
        "Assertion failed in file \"tests\\engine\\DiagnosticsTest.cpp\", line " + std::to_string(__LINE__ - 2);
    EXPECT_EQ(expected, text);
    EXPECT_EQ(expected, Zep::Detail::GetReportText());
    // Logged with a newline, then the report box.
    EXPECT_EQ(expected + "\nAssertion error: " + expected + "\n", capture.Text());
}

TEST(Reports, AssertionMessageFormAndTruncation) {
    StderrCapture capture;
    EXPECT_EQ("Assertion failed in file \"a\\b.h\", line 3:\n  bad",
              AssertionText([] { Zep::AssertionFailed("a\\b.h", 3, std::string("bad")); }));

    const std::string longMessage(600, 'x');
    const std::string text = AssertionText([&] { Zep::AssertionFailed("f", 1, longMessage); });
    EXPECT_EQ(511u, text.size());
    EXPECT_EQ(0u, text.find("Assertion failed in file \"f\", line 1:\n  xxx"));
}

TEST(Reports, PanicLessThanRule) {
    StderrCapture capture;
    EXPECT_EQ("hello", PanicText("<hello"));
    EXPECT_EQ("Panic error in file \"Common\\Somewhere.cpp\", line 7:\n  <", PanicText("<"));
    EXPECT_EQ("Panic error in file \"Common\\Somewhere.cpp\", line 7:\n  plain", PanicText("plain"));
    EXPECT_NE(std::string::npos, capture.Text().find("Panic error: hello\n"));
}

TEST(Reports, ListenerHearsTheReportBeforeTheThrow) {
    struct Listener : Zep::ApplicationListener {
        std::string heard;
        void OnException(std::string text) override { heard = text; }
    } listener;
    Zep::Application::GetInstance()->SetListener(&listener);
    StderrCapture capture;
    const std::string thrown = PanicText("<heard");
    Zep::Application::GetInstance()->SetListener(nullptr);
    EXPECT_EQ("heard", listener.heard);
    EXPECT_EQ("heard", thrown);
}

TEST(Log, PrefixesAndTheLessThanRule) {
    StderrCapture capture;
    Zep::LogError("<x");
    Zep::LogError("<");
    Zep::LogWarning(std::string("careful"));
    Zep::LogWarning("<raw");
    Zep::LogInfo("<info");
    Zep::LogError(static_cast<const char*>(nullptr));
    Zep::LogInfo(static_cast<const char*>(nullptr));
    EXPECT_EQ("xError: <Warning: carefulraw<info", capture.Text());
}

TEST(Exceptions, OwnershipOfTheirTexts) {
    Zep::Exception::Generic empty;
    EXPECT_STREQ("Unknown exception", empty.what());

    static const char kShared[] = "shared text";
    Zep::Exception::Panic borrowed(kShared);
    EXPECT_EQ(kShared, borrowed.what());
    Zep::Exception::Panic borrowedCopy(borrowed);
    EXPECT_EQ(kShared, borrowedCopy.what()) << "a borrowed text is shared by copies";

    std::string source = "owned text";
    Zep::Exception::Memory owned(source);
    source[0] = 'X';
    EXPECT_STREQ("owned text", owned.what());
    Zep::Exception::Memory ownedCopy(owned);
    EXPECT_STREQ("owned text", ownedCopy.what());
    EXPECT_NE(owned.what(), ownedCopy.what()) << "an owned text is copied";

    Zep::Exception::Generic assigned;
    assigned = ownedCopy;
    EXPECT_STREQ("owned text", assigned.what());
}

TEST(Exceptions, ClassTree) {
    try {
        throw Zep::Exception::Assertion("a");
    } catch (const Zep::Exception::LogicError& error) {
        EXPECT_STREQ("a", error.what());
    }
    try {
        throw Zep::Exception::Memory("m");
    } catch (const Zep::Exception::RuntimeError& error) {
        EXPECT_STREQ("m", error.what());
    }
    try {
        throw Zep::Exception::Panic("p");
    } catch (const std::exception& error) {
        EXPECT_STREQ("p", error.what());
    }
}

TEST(ErrorHandler, EndsTheReportAndAFaultingHandlerIsCalledTwiceThenExits) {
    static int calls;
    const TestSupport::ChildResult result = TestSupport::RunInChild([] {
        calls = 0;
        Zep::SetErrorHandler(
            [](const char* text, int value) {
                ++calls;
                std::fprintf(stderr, "handler %d %d [%s]\n", calls, value, text);
                throw 1;
            },
            17);
        ZEP_PANIC("<boom");
    });
    EXPECT_EQ(1, result.exitCode);
    EXPECT_NE(std::string::npos, result.stdErr.find("handler 1 17 [boom]\nhandler 2 17 [boom]\n"));
    EXPECT_EQ(std::string::npos, result.stdErr.find("Panic error:")) << "no report box once a handler is in";
}

}  // namespace
