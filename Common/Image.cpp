#include "Common/Image.h"

#include "Common/PropertyInfo.h"

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

Image::Image() : texCoordForMins(0.0f, 0.0f), texCoordForMaxs(1.0f, 1.0f) {
    SetClassInfo(&staticClassInfo);
    hitTestMethod = HIT_TEST_CONTENTS;
}

}  // namespace Zep
