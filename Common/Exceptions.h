// The engine's exception classes.
#pragma once

#include <exception>
#include <string>

namespace Zep {
namespace Exception {

// A text that an exception copies, given without making a string of it first.
struct CopiedText {
    const char* text;
};

// Base of the engine's exceptions. A text given as a pointer is shared, not
// owned; a text given as a string or as CopiedText is copied into the safe heap
// and owned, so that an exception can carry its text when the other heaps are
// exhausted.
class Generic : public std::exception {
public:
    Generic() noexcept : message(nullptr), ownsMessage(false) {}
    explicit Generic(const char* text) noexcept : message(text), ownsMessage(false) {}
    explicit Generic(const std::string& text) noexcept;
    explicit Generic(CopiedText text) noexcept;
    Generic(const Generic& other) noexcept;
    Generic& operator=(const Generic& other) noexcept;
    ~Generic() override;

    const char* what() const noexcept override;

protected:
    const char* message;
    bool ownsMessage;

private:
    void CopyFrom(const Generic& other) noexcept;
    void AdoptCopyOf(const char* text) noexcept;
    void Release() noexcept;
};

class LogicError : public Generic {
public:
    using Generic::Generic;
};

class Assertion : public LogicError {
public:
    using LogicError::LogicError;
};

class RuntimeError : public Generic {
public:
    using Generic::Generic;
};

class Panic : public RuntimeError {
public:
    using RuntimeError::RuntimeError;
};

class Memory : public RuntimeError {
public:
    using RuntimeError::RuntimeError;
};

}  // namespace Exception
}  // namespace Zep
