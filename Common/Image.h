// Images: graphics that show one texture, or a region of it, over their rectangle.
// So far their data and their drawing; the texture path is stored as given.
#pragma once

#include <string>

#include "Common/Graphic.h"

namespace Zep {

class ManagedTexture;

// Hit-tests its contents by default.
class Image : public Graphic {
    ZEP_DECLARE_CLASS();

    Image();
    ~Image() override;

    // Stand-in (drawing only, replaced by the images issue): the texture of the whole
    // path, without a region suffix; no hit test of the contents.

    // Holds the texture of the path, resolved against the base path, while a frame is drawn.
    void AcquireTextures() override;
    void ReleaseTextures() override;
    // The texture over (0, 0) to the size, in the context colour times the image's own.
    void RenderInContext(const RenderContext& context) override;
    Texture* GetTexture() override;

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
    ManagedTexture* texture;
    std::string texturePath;
    Vector2 texCoordForMins;
    Vector2 texCoordForMaxs;
};

}  // namespace Zep
