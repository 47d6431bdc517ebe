// Shared helpers of the reflection tests: text archives in memory and report texts.
#pragma once

#include <functional>
#include <string>

#include "Common/Archive.h"
#include "Common/CoreUtils.h"
#include "Common/MemoryStream.h"
#include "Common/Object.h"
#include "ReportOf.h"
#include "StreamTestSupport.h"

namespace ObjectTestSupport {

class Fixture : public StreamTestSupport::HeapFixture {};

// A reader over its own copy of the text.
struct Reader {
    explicit Reader(const std::string& text)
        : stream(text.data(), static_cast<int32_t>(text.size()), 0), archive(&stream, "test") {}
    Zep::MemoryStream stream;
    Zep::ITextArchive archive;
};

// The text archive of the object, "\n" newlines.
inline std::string SaveText(Zep::Object& object) {
    Zep::MemoryStream stream(0, Zep::MemoryStream::AutoResize);
    Zep::OTextArchive writer(&stream, false);
    object.Save(writer);
    return stream.GetAsString();
}

inline void LoadText(Zep::Object& object, const std::string& text) {
    Reader reader(text);
    object.Load(reader.archive);
}

using TestSupport::ReportOf;

inline std::string AssertionReport(const char* file, int line, const std::string& text) {
    return std::string("Assertion failed in file \"") + file + "\", line " + std::to_string(line) + ":\n  " + text;
}

inline std::string PanicReport(const char* file, int line, const std::string& text) {
    return std::string("Panic error in file \"") + file + "\", line " + std::to_string(line) + ":\n  " + text;
}

inline bool EndsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

}  // namespace ObjectTestSupport
