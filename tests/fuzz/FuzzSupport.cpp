#include "FuzzSupport.h"

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <filesystem>
#include <vector>

#include "Common/BundleSystem.h"
#include "Common/FileSystem.h"
#include "Common/MemoryManager.h"
#include "Common/ProfileSystem.h"
#include "Common/SoundSystem.h"
#include "Common/TextureManager.h"
#include "Common/VarManager.h"

// The sanitizers' report channel, which stays open when the fuzzer closes stderr
// (-close_fd_mask=2) to keep the engine's own reports out of its output.
extern "C" void __sanitizer_report_error_summary(const char* summary) __attribute__((weak));

namespace Fuzz {

namespace {

// An exception that leaves a target is a finding; its text goes with the report.
void TerminateWithText() {
    std::string text = "std::terminate without an exception";
    if (std::exception_ptr current = std::current_exception()) {
        try {
            std::rethrow_exception(current);
        } catch (const std::exception& error) {
            text = error.what();
        } catch (...) {
            text = "an exception that is not a std::exception";
        }
    }
    Fail("an exception left the reader", text);
}

std::vector<std::string>& ScratchFolders() {
    static std::vector<std::string> folders;
    return folders;
}

void RemoveScratchFolders() {
    for (const std::string& folder : ScratchFolders()) {
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }
}

}  // namespace

void SetUpEngine() {
    static bool done = false;
    if (done)
        return;
    done = true;
    std::set_terminate(&TerminateWithText);
    // As the program entry does (Platforms/Win32/WinMain.cpp), without the error handler.
    Zep::MemoryManager::CreateHeap(
        Zep::MemoryManager::HEAP_ARENA_0_OR_1, 0x12C00000, "Common", 4,
        Zep::MemoryManager::HEAP_MAY_SHRINK | Zep::MemoryManager::HEAP_SMALL_POOL | Zep::MemoryManager::HEAP_QUIET, 20);
    Zep::FileSystem::GetInstance();
    Zep::BundleSystem::GetInstance();
    Zep::ProfileSystem::GetInstance();
    Zep::VarManager::GetInstance();
    Zep::TextureManager::GetInstance();
    Zep::SoundSystem::GetInstance();
}

void Fail(const char* what, const std::string& detail) {
    const std::string text = std::string("fuzz check failed: ") + what + "\n" + detail;
    std::fprintf(stderr, "\n==== %s\n", text.c_str());
    std::fflush(stderr);
    if (__sanitizer_report_error_summary)
        __sanitizer_report_error_summary(text.c_str());
    std::abort();
}

void InputStream::SetSize(int32_t) {
    Fail("a reader resized its input");
}

int32_t InputStream::Seek(int32_t offset, int origin) {
    lent.reset();
    int64_t target = offset;
    if (origin == SeekCurrent)
        target += position;
    else if (origin == SeekEnd)
        target += size;
    position = static_cast<int32_t>(std::min<int64_t>(std::max<int64_t>(target, 0), size));
    return position;
}

int32_t InputStream::Read(void* buffer, int32_t bytes, bool advance) {
    lent.reset();
    const int32_t count = std::min(bytes, size - position);
    if (count <= 0)
        return 0;
    std::memcpy(buffer, data + position, static_cast<size_t>(count));
    if (advance)
        position += count;
    return count;
}

bool InputStream::GetBufferedBytes(const uint8_t*& bytes, int32_t& count) {
    lent.reset();
    if (lendBytes <= 0)
        return false;
    count = std::min(lendBytes, size - position);
    lent.reset(new uint8_t[static_cast<size_t>(count)]);
    std::memcpy(lent.get(), data + position, static_cast<size_t>(count));
    bytes = lent.get();
    return true;
}

void InputStream::Write(const void*, int32_t) {
    Fail("a reader wrote to its input");
}

std::string MakeScratchFolder() {
    std::string base = "/dev/shm";
    if (access(base.c_str(), W_OK) != 0) {
        const char* temp = std::getenv("TMPDIR");
        base = temp && *temp ? temp : "/tmp";
    }
    std::string pattern = base + "/zep-fuzz-XXXXXX";
    if (!mkdtemp(&pattern[0]))
        Fail("cannot make a scratch folder", pattern);
    if (ScratchFolders().empty())
        std::atexit(&RemoveScratchFolders);
    ScratchFolders().push_back(pattern);
    return pattern;
}

void WriteScratchFile(const std::string& path, const uint8_t* data, size_t size) {
    const int file = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (file < 0)
        Fail("cannot write a scratch file", path);
    for (size_t done = 0; done < size;) {
        const ssize_t written = write(file, data + done, size - done);
        if (written <= 0)
            Fail("cannot write a scratch file", path);
        done += static_cast<size_t>(written);
    }
    close(file);
}

}  // namespace Fuzz
