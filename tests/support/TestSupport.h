// Helpers shared by the test binaries.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace TestSupport {

// A fresh, empty folder below the temp folder; removed by the destructor.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    const std::string& Path() const { return path_; }
    std::string File(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

std::string ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::string& contents);
// The text without the debug log's "New thread is created, ..." lines (the player starts
// the texture preloading thread at start-up).
std::string WithoutThreadLines(const std::string& text);

// Redirects file descriptor 2 into a file while it lives.
class StderrCapture {
public:
    StderrCapture();
    ~StderrCapture();
    // Everything written so far.
    std::string Text() const;

private:
    TempFolder folder_;
    int savedFd_;
};

struct ChildResult {
    int exitCode = -1;  // -1 when the child did not exit normally
    std::string stdErr;
    std::string stdOut;
};

// Runs body in a forked child whose stdout and stderr are captured; the child exits
// with 0 when body returns. The body may use EXPECT_* and ASSERT_*: a failed
// expectation in the child, or an exception escaping the body, fails the calling test
// with the child's output, whatever the caller then checks of the exit code.
ChildResult RunInChild(const std::function<void()>& body);
// Ends a child of RunInChild at once, without destructors or exit handlers, telling
// the parent about its failed expectations as a return from the body would.
[[noreturn]] void EndChild();

// Runs a program with extra environment variables ("NAME=value") and captures stderr.
ChildResult RunProgram(const std::string& program, const std::vector<std::string>& arguments,
                       const std::vector<std::string>& environment, const std::string& workingFolder = "");

// A user and its group.
struct UserIds {
    unsigned uid;
    unsigned gid;
};
bool RunningAsRoot();
// A user without privileges to run children as: "nobody" where the tests run as root,
// else the calling user.
UserIds OrdinaryUser();
// Gives a file, or a folder with everything in it, to the user (nothing unless root).
void HandOver(const std::string& path, const UserIds& user);
// RunProgram as the user (only root can run as another user than itself).
ChildResult RunProgramAs(const UserIds& user, const std::string& program, const std::vector<std::string>& arguments,
                         const std::vector<std::string>& environment, const std::string& workingFolder = "");

// Stands in for the system's temporary folder (open to every user) in runs without
// XDG_RUNTIME_DIR, whose named-mutex lock files go to a folder of the user's own there.
class NoRuntimeFolder {
public:
    NoRuntimeFolder();
    // The variables of such a run, for a child.
    std::vector<std::string> Environment() const;
    // The lock folder of the calling user.
    std::string LockFolder() const;
    // Runs the action in this process under such variables, then puts them back.
    void Within(const std::function<void()>& action) const;

private:
    TempFolder temp_;
};

// Takes from the calling process the privilege to raise thread priorities, as an
// ordinary user lacks it (the tests run as root in CI).
void DropNicePrivilege();

// A run of the player (or a program built on its entry) in a folder, with a
// single-instance lock, a message-box record and a debug-log file of its own.
struct PlayerRun {
    ChildResult result;
    std::string boxes;     // message-box records
    std::string debugLog;  // the debug output's file copy
};
PlayerRun RunPlayer(const std::string& program, const std::vector<std::string>& arguments,
                    const std::string& folder = "", std::vector<std::string> environment = {});
// The same run as another user, who gets the run's own folder; the content folder must
// be open to that user. Only root can run as another user than itself.
PlayerRun RunPlayerAs(const UserIds& user, const std::string& program, const std::vector<std::string>& arguments,
                      const std::string& folder = "", std::vector<std::string> environment = {});

}  // namespace TestSupport
