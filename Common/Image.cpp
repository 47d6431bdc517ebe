#include "Common/Image.h"

#include "Common/PropertyInfo.h"
#include "Common/TextureManager.h"
#include "Common/Utils.h"
#include "LumoSources/Common/LumoCommon.h"
#include "LumoSources/Common/PlatformRenderer.h"

namespace Zep {

void Image::DeclareProperties() {
    RegisterAnimatableProperty<Image, std::string>("TexturePath", &Image::GetTexturePath, &Image::SetTexturePath,
                                                   nullptr);
    RegisterAnimatableProperty<Image, Vector2>("TexCoordForMins", &Image::GetTexCoordForMins,
                                               &Image::SetTexCoordForMins, nullptr);
    RegisterAnimatableProperty<Image, Vector2>("TexCoordForMaxs", &Image::GetTexCoordForMaxs,
                                               &Image::SetTexCoordForMaxs, nullptr);
    staticClassInfo.SetMetadata(
        "'Metadata::Class' { Name '$CLASS_NAME$' Properties [ "
        "'Metadata::PathProperty' { Name 'TexturePath' Group 'Image' Wildcard '*.png;*.dds;*.pvr' } "
        "'Metadata::Vector2Property' { Name 'TexCoordForMins' Group 'Image' Step 0.01 } "
        "'Metadata::Vector2Property' { Name 'TexCoordForMaxs' Group 'Image' Step 0.01 } ] }");
}

Image::Image() : texture(nullptr), texCoordForMins(0.0f, 0.0f), texCoordForMaxs(1.0f, 1.0f) {
    SetClassInfo(&staticClassInfo);
    hitTestMethod = HIT_TEST_CONTENTS;
}

Image::~Image() {
    ResetTexturePtr(texture);
}

// Stand-in (drawing only): the key is worked out at each acquisition.
void Image::AcquireTextures() {
    Graphic::AcquireTextures();
    ResetTexturePtr(texture);
    texture =
        TextureManager::GetInstance()->GetTexture(TextureManager::NormalizeTextureName(GetCompletePath(texturePath)));
}

void Image::ReleaseTextures() {
    Graphic::ReleaseTextures();
    ResetTexturePtr(texture);
}

Texture* Image::GetTexture() {
    return texture;
}

void Image::RenderInContext(const RenderContext& context) {
    if (!texture || drawnByEffect)
        return;
    BeginDraw(context);
    Lumo::InstanceHolder<PlatformRenderer>::Get()->DrawTexturedRect2d(
        texture, Vector2(0.0f, 0.0f), size, texCoordForMins, texCoordForMaxs, 0.0f, Vector2(1.0f, 1.0f),
        context.color * color, ToRendererDrawFlags(context.blendMode));
    EndDraw();
}

}  // namespace Zep
