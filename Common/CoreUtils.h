// Diagnostics, the debug log, type names and the subsystem singleton scheme.
#pragma once

#include <cstddef>
#include <cstdlib>
#include <string>
#include <typeinfo>

#include "Common/Exceptions.h"

namespace Zep {

// --- Assertions and panics ---------------------------------------------------
// Reports name the caller's source file relative to the source root, with
// back-slashes, and its line. None of these returns.
[[noreturn]] void AssertionFailed(const char* file, int line);
[[noreturn]] void AssertionFailed(const char* file, int line, const char* message);
[[noreturn]] void AssertionFailed(const char* file, int line, const std::string& message);
[[noreturn]] void Panic(const char* file, int line, const char* message);
[[noreturn]] void Panic(const char* file, int line, const std::string& message);

typedef void (*ErrorHandler)(const char* text, int value);
// Installed once by the program entry; every later report ends in it.
void SetErrorHandler(ErrorHandler handler, int value);
void ShowErrorBox(const char* text, const char* caption);

// --- Debug log -----------------------------------------------------------------
void LogOutput(const char* text);
void LogError(const char* text);
void LogError(const std::string& text);
void LogWarning(const char* text);
void LogWarning(const std::string& text);
void LogInfo(const char* text);
void LogInfo(const std::string& text);

// Qualified type name without "class ", "struct " and "enum ", as in "Zep::FileSystem".
std::string GetTypeName(const std::type_info& type);

namespace Detail {

// The text of the latest assertion or panic report (at most 511 characters).
const char* GetReportText();

// A source path with its slashes turned into back-slashes at compile time.
template <size_t N>
struct SourceName {
    char text[N];
    constexpr explicit SourceName(const char (&path)[N]) : text() {
        for (size_t i = 0; i < N; ++i)
            text[i] = path[i] == '/' ? '\\' : path[i];
    }
};

}  // namespace Detail
}  // namespace Zep

// The calling source file as reports print it, e.g. "Common\CoreUtils.cpp".
#define ZEP_SOURCE_FILE                                                                       \
    ([]() -> const char* {                                                                    \
        static constexpr ::Zep::Detail::SourceName<sizeof(__FILE__)> zepSourceName(__FILE__); \
        return zepSourceName.text;                                                            \
    }())

#define ZEP_ASSERT(condition)                                  \
    do {                                                       \
        if (!(condition))                                      \
            ::Zep::AssertionFailed(ZEP_SOURCE_FILE, __LINE__); \
    } while (0)

#define ZEP_ASSERT_MSG(condition, message)                                \
    do {                                                                  \
        if (!(condition))                                                 \
            ::Zep::AssertionFailed(ZEP_SOURCE_FILE, __LINE__, (message)); \
    } while (0)

#define ZEP_PANIC(message) ::Zep::Panic(ZEP_SOURCE_FILE, __LINE__, (message))

namespace Zep {

namespace Detail {
// Formats a singleton misuse text with the name of the singleton's interface.
std::string SingletonMessage(const char* format, const std::type_info& base);
}  // namespace Detail

// A subsystem that exists once per process: created on first access, destroyed
// by the exit list in reverse order of creation, never created again.
template <class Base, class Impl>
class SubSystemSingleton {
public:
    static Base* Instance() {
        if (!instance)
            Create();
        return instance;
    }

    // True once the instance has been torn down at exit.
    static bool IsDestroyed() { return destroyed; }
    // The instance when it exists, without creating it: null before the first access
    // and after the teardown at exit.
    static Base* Existing() { return instance; }

private:
    class DescendantHelper : public Impl {
    public:
        ~DescendantHelper() {}
    };

    static void Teardown() {
        instance = nullptr;
        destroyed = true;
    }

    static void Create() {
        // Reports name the lines of the scheme's own header.
        if (destroyed)
            AssertionFailed(
                "Common\\CoreUtils.h", 246,
                Detail::SingletonMessage("Trying to access %s singleton but it was already destructed", typeid(Base)));
        if (instance)
            AssertionFailed(
                "Common\\CoreUtils.h", 248,
                Detail::SingletonMessage("%s is a singleton, so it can not be constructed twice", typeid(Base)));
        if (constructing)
            AssertionFailed(
                "Common\\CoreUtils.h", 250,
                Detail::SingletonMessage("Trying to access %s singleton during its construction", typeid(Base)));
        constructing = true;
        struct ConstructingReset {
            ~ConstructingReset() { constructing = false; }
        } reset;
        if (!teardownRegistered) {
            teardownRegistered = true;
            std::atexit(&Teardown);
        }
        static DescendantHelper object;
        instance = &object;
    }

    static inline Base* instance = nullptr;
    static inline bool destroyed = false;
    static inline bool constructing = false;
    static inline bool teardownRegistered = false;
};

}  // namespace Zep
