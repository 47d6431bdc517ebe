#include "TestSupport.h"

#include <fcntl.h>
#include <grp.h>
#include <linux/capability.h>
#include <pwd.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include <gtest/gtest.h>

namespace TestSupport {

TempFolder::TempFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "zeptest-XXXXXX").string();
    if (!::mkdtemp(pattern.data()))
        throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
}

TempFolder::~TempFolder() {
    std::error_code error;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all, std::filesystem::perm_options::add, error);
    std::filesystem::remove_all(path_, error);
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void WriteFile(const std::string& path, const std::string& contents) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << contents;
}

std::string WithoutThreadLines(const std::string& text) {
    static const std::string kLine = "New thread is created, Id == 0x";
    std::string kept;
    for (size_t start = 0; start < text.size();) {
        size_t end = text.find('\n', start);
        end = end == std::string::npos ? text.size() : end + 1;
        if (text.compare(start, kLine.size(), kLine) != 0)
            kept += text.substr(start, end - start);
        start = end;
    }
    return kept;
}

StderrCapture::StderrCapture() {
    std::fflush(stderr);
    savedFd_ = ::dup(STDERR_FILENO);
    const int fd = ::open(folder_.File("stderr").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ::dup2(fd, STDERR_FILENO);
    ::close(fd);
}

StderrCapture::~StderrCapture() {
    std::fflush(stderr);
    ::dup2(savedFd_, STDERR_FILENO);
    ::close(savedFd_);
}

std::string StderrCapture::Text() const {
    std::fflush(stderr);
    return ReadFile(folder_.File("stderr"));
}

namespace {

// Exit codes by which a child run by RunInChild tells its failures.
const int kChildExpectationFailed = 86;
const int kChildEscapedException = 99;

void RedirectInChild(int target, const std::string& path) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ::dup2(fd, target);
    ::close(fd);
}

ChildResult Collect(pid_t pid, const std::string& stderrPath, const std::string& stdoutPath = "") {
    ChildResult result;
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
    }
    if (WIFEXITED(status))
        result.exitCode = WEXITSTATUS(status);
    result.stdErr = ReadFile(stderrPath);
    if (!stdoutPath.empty())
        result.stdOut = ReadFile(stdoutPath);
    return result;
}

}  // namespace

void EndChild() {
    std::fflush(nullptr);
    ::_exit(::testing::Test::HasFailure() ? kChildExpectationFailed : 0);
}

ChildResult RunInChild(const std::function<void()>& body) {
    TempFolder folder;
    const std::string stderrPath = folder.File("stderr");
    const std::string stdoutPath = folder.File("stdout");
    std::fflush(nullptr);
    const pid_t pid = ::fork();
    if (pid == 0) {
        RedirectInChild(STDERR_FILENO, stderrPath);
        RedirectInChild(STDOUT_FILENO, stdoutPath);
        const bool failedBefore = ::testing::Test::HasFailure();
        try {
            body();
        } catch (const std::exception& error) {
            std::fprintf(stdout, "exception escaped the child: %s\n", error.what());
            std::fflush(nullptr);
            ::_exit(kChildEscapedException);
        } catch (...) {
            std::fprintf(stdout, "exception escaped the child\n");
            std::fflush(nullptr);
            ::_exit(kChildEscapedException);
        }
        std::fflush(nullptr);
        ::_exit(!failedBefore && ::testing::Test::HasFailure() ? kChildExpectationFailed : 0);
    }
    ChildResult result = Collect(pid, stderrPath, stdoutPath);
    if (result.exitCode == kChildExpectationFailed || result.exitCode == kChildEscapedException)
        ADD_FAILURE() << "the child process failed:\n--- stdout ---\n"
                      << result.stdOut << "--- stderr ---\n"
                      << result.stdErr;
    return result;
}

namespace {

ChildResult Launch(const std::string& program, const std::vector<std::string>& arguments,
                   const std::vector<std::string>& environment, const std::string& workingFolder, const UserIds* user) {
    TempFolder folder;
    const std::string stderrPath = folder.File("stderr");
    std::fflush(nullptr);
    const pid_t pid = ::fork();
    if (pid == 0) {
        RedirectInChild(STDERR_FILENO, stderrPath);
        if (!workingFolder.empty() && ::chdir(workingFolder.c_str()) != 0)
            ::_exit(98);
        for (const std::string& variable : environment)
            ::putenv(const_cast<char*>(variable.c_str()));
        if (user && ::geteuid() == 0 &&
            (::setgroups(0, nullptr) != 0 || ::setgid(user->gid) != 0 || ::setuid(user->uid) != 0))
            ::_exit(96);
        std::vector<char*> argv;
        argv.push_back(const_cast<char*>(program.c_str()));
        for (const std::string& argument : arguments)
            argv.push_back(const_cast<char*>(argument.c_str()));
        argv.push_back(nullptr);
        ::execv(program.c_str(), argv.data());
        ::_exit(97);
    }
    return Collect(pid, stderrPath);
}

}  // namespace

ChildResult RunProgram(const std::string& program, const std::vector<std::string>& arguments,
                       const std::vector<std::string>& environment, const std::string& workingFolder) {
    return Launch(program, arguments, environment, workingFolder, nullptr);
}

ChildResult RunProgramAs(const UserIds& user, const std::string& program, const std::vector<std::string>& arguments,
                         const std::vector<std::string>& environment, const std::string& workingFolder) {
    return Launch(program, arguments, environment, workingFolder, &user);
}

bool RunningAsRoot() {
    return ::geteuid() == 0;
}

UserIds OrdinaryUser() {
    if (!RunningAsRoot())
        return UserIds{::getuid(), ::getgid()};
    const passwd* nobody = ::getpwnam("nobody");
    return nobody ? UserIds{nobody->pw_uid, nobody->pw_gid} : UserIds{65534, 65534};
}

void HandOver(const std::string& path, const UserIds& user) {
    if (!RunningAsRoot())
        return;
    std::error_code error;
    if (::chown(path.c_str(), user.uid, user.gid) != 0)
        throw std::runtime_error("chown failed: " + path);
    if (std::filesystem::is_directory(std::filesystem::symlink_status(path))) {
        for (const auto& entry : std::filesystem::recursive_directory_iterator(path, error))
            if (::lchown(entry.path().c_str(), user.uid, user.gid) != 0)
                throw std::runtime_error("chown failed: " + entry.path().string());
    }
}

NoRuntimeFolder::NoRuntimeFolder() {
    std::filesystem::permissions(temp_.Path(), std::filesystem::perms::all | std::filesystem::perms::sticky_bit);
}

std::vector<std::string> NoRuntimeFolder::Environment() const {
    return {"XDG_RUNTIME_DIR=", "TMPDIR=" + temp_.Path()};
}

std::string NoRuntimeFolder::LockFolder() const {
    return temp_.File("zepbox-mutexes-" + std::to_string(::geteuid()));
}

void NoRuntimeFolder::Within(const std::function<void()>& action) const {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    const std::string savedRuntime = runtime ? runtime : "";
    ::unsetenv("XDG_RUNTIME_DIR");
    ::setenv("TMPDIR", temp_.Path().c_str(), 1);
    action();
    ::unsetenv("TMPDIR");
    if (!savedRuntime.empty())
        ::setenv("XDG_RUNTIME_DIR", savedRuntime.c_str(), 1);
}

void DropNicePrivilege() {
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct data[2] = {};
    if (::syscall(SYS_capget, &header, data) == 0) {
        data[0].effective &= ~(1u << CAP_SYS_NICE);
        data[0].permitted &= ~(1u << CAP_SYS_NICE);
        ::syscall(SYS_capset, &header, data);
    }
    rlimit none{0, 0};
    ::setrlimit(RLIMIT_NICE, &none);
}

namespace {

PlayerRun RunPlayerWith(const std::string& program, const std::vector<std::string>& arguments,
                        const std::string& folder, std::vector<std::string> environment, const UserIds* user) {
    TempFolder runtime;
    if (user)
        HandOver(runtime.Path(), *user);
    // The caller's variables come later, so they win.
    environment.insert(environment.begin(),
                       {"XDG_RUNTIME_DIR=" + runtime.Path(), "ZEP_MESSAGEBOX_LOG=" + runtime.File("boxes"),
                        "ZEP_DEBUG_LOG=" + runtime.File("log")});
    PlayerRun run;
    run.result = Launch(program, arguments, environment, folder, user);
    run.boxes = ReadFile(runtime.File("boxes"));
    run.debugLog = ReadFile(runtime.File("log"));
    return run;
}

}  // namespace

PlayerRun RunPlayer(const std::string& program, const std::vector<std::string>& arguments, const std::string& folder,
                    std::vector<std::string> environment) {
    return RunPlayerWith(program, arguments, folder, std::move(environment), nullptr);
}

PlayerRun RunPlayerAs(const UserIds& user, const std::string& program, const std::vector<std::string>& arguments,
                      const std::string& folder, std::vector<std::string> environment) {
    return RunPlayerWith(program, arguments, folder, std::move(environment), &user);
}

}  // namespace TestSupport
