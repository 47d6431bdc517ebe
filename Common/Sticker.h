// Stickers: note rectangles with a caption. So far their data.
#pragma once

#include <string>

#include "Common/Graphic.h"

namespace Zep {

// Its constructor makes it translucent white (Color 0xFFFFFFC0), which is then the
// colour a sticker saves against.
class Sticker : public Graphic {
    ZEP_DECLARE_CLASS();

    Sticker();

    // --- Properties ---
    // The caption; empty shows the parent's name.
    const std::string& GetText() const { return text; }
    void SetText(const std::string& value) { text = value; }

protected:
    std::string text;
};

}  // namespace Zep
