#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <stdexcept>

#include "TestSupport.h"

namespace {

using ::testing::HasSubstr;

// Run only by the test below, in a process of their own: each fails inside its child.
TEST(ChildRunnerProbe, DISABLED_FailedExpectation) {
    TestSupport::RunInChild([] {
        std::fprintf(stderr, "child stderr line\n");
        EXPECT_EQ(1, 2) << "inside the child";
    });
}

TEST(ChildRunnerProbe, DISABLED_EscapedException) {
    TestSupport::RunInChild([] { throw std::runtime_error("escaped"); });
}

TEST(ChildRunnerProbe, DISABLED_EndedEarly) {
    TestSupport::RunInChild([] {
        ADD_FAILURE() << "then ended early";
        TestSupport::EndChild();
    });
}

// A child's failure fails the parent test, which shows the child's own message and output.
TEST(ChildRunner, FailuresInTheChildFailTheParentWithTheChildsOutput) {
    const TestSupport::ChildResult run = TestSupport::RunInChild([] {
        ::execl("/proc/self/exe", "probe", "--gtest_filter=ChildRunnerProbe.*", "--gtest_also_run_disabled_tests",
                static_cast<char*>(nullptr));
    });
    EXPECT_EQ(1, run.exitCode);
    EXPECT_THAT(run.stdOut, HasSubstr("inside the child"));
    EXPECT_THAT(run.stdOut, HasSubstr("child stderr line"));
    EXPECT_THAT(run.stdOut, HasSubstr("exception escaped the child: escaped"));
    EXPECT_THAT(run.stdOut, HasSubstr("then ended early"));
    EXPECT_THAT(run.stdOut, HasSubstr("3 FAILED TESTS"));
}

TEST(ChildRunner, APassingChildLeavesTheParentAlone) {
    const TestSupport::ChildResult result = TestSupport::RunInChild([] {
        std::printf("out\n");
        EXPECT_EQ(1, 1);
    });
    EXPECT_EQ(0, result.exitCode);
    EXPECT_EQ("out\n", result.stdOut);
}

}  // namespace
