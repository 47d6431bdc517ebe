// What the fuzz targets share: the engine set up as the player sets it up, the line
// between a reader's answer to bad input and a fault, and scratch files.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "Common/Exceptions.h"

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

// A fresh folder on a memory-backed file system when there is one; removed at exit.
std::string MakeScratchFolder();
// Creates or replaces a file of the platform's file system with the bytes.
void WriteScratchFile(const std::string& path, const uint8_t* data, size_t size);

}  // namespace Fuzz
