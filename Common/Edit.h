// Edit boxes: skinned controls that take typed text and report each change of it
// to their scene. So far their data.
#pragma once

#include <cstdint>
#include <string>

#include "Common/SkinnedControl.h"

namespace Zep {

class Edit : public SkinnedControl {
    ZEP_DECLARE_CLASS();

    Edit();

    // --- Properties ---
    const std::string& GetText() const { return text; }
    // A different text is stored and reported: OnEditChange of the parent scene.
    void SetText(const std::string& value);
    // In bytes.
    int32_t GetMaxLength() const { return maxLength; }
    void SetMaxLength(int32_t value) { maxLength = value; }
    // Set: the box takes keys as modal input, else only while it has the focus.
    bool GetExclusiveMode() const { return exclusiveMode; }
    void SetExclusiveMode(bool value) { exclusiveMode = value; }
    // Its first byte is shown after the text.
    const std::string& GetCaretChar() const { return caretChar; }
    void SetCaretChar(const std::string& value) { caretChar = value; }

protected:
    std::string text;
    int32_t maxLength;
    bool exclusiveMode;
    std::string caretChar;
};

}  // namespace Zep
