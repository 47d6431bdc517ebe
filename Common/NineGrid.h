// Nine-grids: graphics that show a texture cut into nine cells, whose corners keep
// their size while the edges and the centre stretch. So far their data; the
// texture path is stored as given.
#pragma once

#include <string>

#include "Common/Graphic.h"

namespace Zep {

// Hit-tests its contents by default.
class NineGrid : public Graphic {
    ZEP_DECLARE_CLASS();

    NineGrid();

    // --- Properties ---
    // The borders, as fractions of the texture's width or height.
    float GetLeftOffset() const { return leftOffset; }
    void SetLeftOffset(float value) { leftOffset = value; }
    float GetTopOffset() const { return topOffset; }
    void SetTopOffset(float value) { topOffset = value; }
    float GetRightOffset() const { return rightOffset; }
    void SetRightOffset(float value) { rightOffset = value; }
    float GetBottomOffset() const { return bottomOffset; }
    void SetBottomOffset(float value) { bottomOffset = value; }
    // A content path, optionally ending in a region suffix.
    const std::string& GetTexturePath() const { return texturePath; }
    void SetTexturePath(const std::string& value) { texturePath = value; }

protected:
    float leftOffset;
    float topOffset;
    float rightOffset;
    float bottomOffset;
    std::string texturePath;
};

}  // namespace Zep
