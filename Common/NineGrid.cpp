#include "Common/NineGrid.h"

#include "Common/PropertyInfo.h"

namespace Zep {

void NineGrid::DeclareProperties() {
    RegisterAnimatableProperty<NineGrid, std::string>("TexturePath", &NineGrid::GetTexturePath,
                                                      &NineGrid::SetTexturePath, nullptr);
    RegisterAnimatableProperty<NineGrid, float>("LeftOffset", &NineGrid::GetLeftOffset, &NineGrid::SetLeftOffset,
                                                nullptr);
    RegisterAnimatableProperty<NineGrid, float>("TopOffset", &NineGrid::GetTopOffset, &NineGrid::SetTopOffset, nullptr);
    RegisterAnimatableProperty<NineGrid, float>("RightOffset", &NineGrid::GetRightOffset, &NineGrid::SetRightOffset,
                                                nullptr);
    RegisterAnimatableProperty<NineGrid, float>("BottomOffset", &NineGrid::GetBottomOffset, &NineGrid::SetBottomOffset,
                                                nullptr);
    staticClassInfo.SetMetadata(
        "'Metadata::Class' { Name '$CLASS_NAME$' Properties [ "
        "'Metadata::PathProperty' { Name 'TexturePath' Group 'NineGrid' Wildcard '*.png;*.dds;*.pvr' } "
        "'Metadata::FloatProperty' { Name 'LeftOffset' Group 'NineGrid' Step 0.01 } "
        "'Metadata::FloatProperty' { Name 'TopOffset' Group 'NineGrid' Step 0.01 } "
        "'Metadata::FloatProperty' { Name 'RightOffset' Group 'NineGrid' Step 0.01 } "
        "'Metadata::FloatProperty' { Name 'BottomOffset' Group 'NineGrid' Step 0.01 } ] }");
}

NineGrid::NineGrid() : leftOffset(0.0f), topOffset(0.0f), rightOffset(0.0f), bottomOffset(0.0f) {
    SetClassInfo(&staticClassInfo);
    hitTestMethod = HIT_TEST_CONTENTS;
}

}  // namespace Zep
