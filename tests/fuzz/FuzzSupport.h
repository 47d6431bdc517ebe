// What the fuzz targets share: the engine set up as the player sets it up, the line
// between a reader's answer to bad input and a fault, and scratch files.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "Common/Exceptions.h"
#include "Common/Stream.h"

namespace Fuzz {

// The "Common" heap and the subsystems of the program entry, in its order. No error
// handler is installed, so an assertion or panic throws its report instead of ending
// the process: a report is the reader's answer to a bad input.
void SetUpEngine();

// Thrown by a target's own reading logic where the engine would give up on the input
// too (for example a field without a name); accepted like a report.
struct Rejected {};

// Runs a reading step. A report (assertion or panic) or a rejection ends the step and
// answers false. Any other exception escapes and is a finding, and so is a report of
// memory exhaustion: no input within a target's size cap may need the heap's whole
// 300 MiB.
template <class Step>
bool Read(Step&& step) {
    try {
        step();
        return true;
    } catch (const Zep::Exception::Memory&) {
        throw;
    } catch (const Zep::Exception::Generic&) {
        return false;
    } catch (const Rejected&) {
        return false;
    }
}

// A broken promise found by a target's own check: prints what and aborts, which the
// fuzzer records as a crash with this input.
[[noreturn]] void Fail(const char* what, const std::string& detail = std::string());

// Runs a step that must not fail (writing back what was read); any exception is a
// finding, reported through Fail with its text.
template <class Step>
void MustSucceed(const char* what, Step&& step) {
    try {
        step();
    } catch (const std::exception& error) {
        Fail(what, error.what());
    } catch (...) {
        Fail(what, "an exception that is not a std::exception");
    }
}

// A read-only stream over the fuzzer's bytes, not copied, so reading past them is
// reading past an allocation, which AddressSanitizer reports. With lendBytes above 0
// it lends what readers may read in place in windows of at most that many bytes, each
// copied into a block of its exact size and freed when the stream is next moved or
// read: a reader that runs past its window, or keeps using one, is reported too. With
// lendBytes 0 it lends nothing, as streams without a buffer do.
class InputStream : public Zep::Stream {
public:
    InputStream(const uint8_t* data, size_t size, int32_t lendBytes)
        : data(data), size(static_cast<int32_t>(size)), lendBytes(lendBytes) {}

    int32_t GetSize() override { return size; }
    void SetSize(int32_t) override;
    int32_t GetPosition() override { return position; }
    int32_t Seek(int32_t offset, int origin) override;
    int32_t Read(void* buffer, int32_t bytes, bool advance = true) override;
    bool GetBufferedBytes(const uint8_t*& bytes, int32_t& count) override;
    void Write(const void* buffer, int32_t bytes) override;

private:
    const uint8_t* data;
    int32_t size;
    int32_t lendBytes;
    int32_t position = 0;
    std::unique_ptr<uint8_t[]> lent;
};

// A fresh folder on a memory-backed file system when there is one; removed at exit.
std::string MakeScratchFolder();
// Creates or replaces a file of the platform's file system with the bytes.
void WriteScratchFile(const std::string& path, const uint8_t* data, size_t size);

}  // namespace Fuzz
