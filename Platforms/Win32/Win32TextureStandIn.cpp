// Stand-in (texture cache, replaced by the texture manager's issue): how the cache's
// stand-in makes the Windows textures it hands out.
#include "Common/TextureManager.h"
#include "Platforms/Win32/Win32Texture.h"

namespace Zep {
namespace Win32 {

Texture* CreateImageTextureStandIn(MemoryTexture& source) {
    PlainTexture* texture = new PlainTexture();
    texture->CreateFromMemoryTexture(&source, 0);
    return texture;
}

Texture* CreateImageTextureStandIn(const std::string& path) {
    PlainTexture* texture = new PlainTexture();
    texture->LoadFromFile(path);
    return texture;
}

Texture* CreateRenderTargetTextureStandIn(int32_t width, int32_t height) {
    return new RenderTargetTexture(width, height);
}

}  // namespace Win32
}  // namespace Zep
