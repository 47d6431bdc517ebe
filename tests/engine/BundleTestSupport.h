// Helpers shared by the bundle tests.
#pragma once

#include <string>

#include "Common/BundleSystem.h"
#include "Common/Exceptions.h"
#include "ReportOf.h"

namespace BundleTest {

using TestSupport::ReportOf;

// The whole file, "<missing>" when it does not open, "<short read>" when a read falls short.
inline std::string ReadAll(Zep::Bundle& bundle, const std::string& name) {
    Zep::FileHandle file = bundle.OpenFile(name, Zep::FS_OPEN_READ);
    if (!file)
        return "<missing>";
    std::string text(static_cast<size_t>(bundle.GetFileSize(file)), '\0');
    const int64_t read = text.empty() ? 0 : bundle.ReadFile(file, &text[0], static_cast<int64_t>(text.size()));
    const bool atEnd = bundle.IsFileAtEof(file);
    bundle.CloseFile(file);
    return read == static_cast<int64_t>(text.size()) && atEnd ? text : "<short read>";
}

// Replaces the file with text; false when it cannot.
inline bool Write(Zep::Bundle& bundle, const std::string& name, const std::string& text) {
    Zep::FileHandle file = bundle.OpenFile(name, Zep::FS_OPEN_TRUNCATE);
    if (!file)
        return false;
    const int64_t written = bundle.WriteFile(file, text.data(), static_cast<int64_t>(text.size()));
    bundle.CloseFile(file);
    return written == static_cast<int64_t>(text.size());
}

}  // namespace BundleTest
