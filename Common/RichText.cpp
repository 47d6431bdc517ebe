#include "Common/RichText.h"

#include "Common/PropertyInfo.h"

namespace Zep {

void RichText::DeclareProperties() {
    RegisterProperty<RichText, std::string>("Text", &RichText::GetText, &RichText::SetText);
    RegisterProperty<RichText, HorizontalAlignment>("HAlign", &RichText::GetHAlign, &RichText::SetHAlign);
    RegisterProperty<RichText, VerticalAlignment>("VAlign", &RichText::GetVAlign, &RichText::SetVAlign);
    staticClassInfo.SetMetadata(
        "'Metadata::Class' { Name '$CLASS_NAME$' Properties [ "
        "'Metadata::StringProperty' { Name 'Text' Group 'RichText' IsMultiline true Localizable true } "
        "'Metadata::EnumProperty' { Name 'HAlign' Group 'RichText' Values [ 'Left' 'Center' 'Right' ] } "
        "'Metadata::EnumProperty' { Name 'VAlign' Group 'RichText' Values [ 'Top' 'Center' 'Bottom' ] } ] }");
}

RichText::RichText() : hAlign(ALIGN_HORIZONTAL_LEFT), vAlign(ALIGN_VERTICAL_TOP) {
    SetClassInfo(&staticClassInfo);
    SetCompound(true);
}

}  // namespace Zep
