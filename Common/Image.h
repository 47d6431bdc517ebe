// Images: graphics that show one texture, or a region of it, over their rectangle.
// So far their data; the texture path is stored as given.
#pragma once

#include <string>

#include "Common/Graphic.h"

namespace Zep {

// Hit-tests its contents by default.
class Image : public Graphic {
    ZEP_DECLARE_CLASS();

    Image();

    // --- Properties ---
    // A content path, optionally ending in a region suffix.
    const std::string& GetTexturePath() const { return texturePath; }
    void SetTexturePath(const std::string& value) { texturePath = value; }
    // The texture coordinates of the rectangle's top-left and bottom-right corners.
    const Vector2& GetTexCoordForMins() const { return texCoordForMins; }
    void SetTexCoordForMins(const Vector2& value) { texCoordForMins = value; }
    const Vector2& GetTexCoordForMaxs() const { return texCoordForMaxs; }
    void SetTexCoordForMaxs(const Vector2& value) { texCoordForMaxs = value; }

protected:
    std::string texturePath;
    Vector2 texCoordForMins;
    Vector2 texCoordForMaxs;
};

}  // namespace Zep
