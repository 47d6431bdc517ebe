#include "Common/TextStyle.h"

#include "Common/PropertyInfo.h"

namespace Zep {

void TextStyle::DeclareProperties() {
    RegisterProperty<TextStyle, std::string>("Font", &TextStyle::GetFont, &TextStyle::SetFont);
    RegisterProperty<TextStyle, float>("Size", &TextStyle::GetSize, &TextStyle::SetSize);
    RegisterProperty<TextStyle, float>("SpaceAfter", &TextStyle::GetSpaceAfter, &TextStyle::SetSpaceAfter);
    RegisterProperty<TextStyle, bool>("Bold", &TextStyle::GetBold, &TextStyle::SetBold);
    RegisterProperty<TextStyle, bool>("Underlined", &TextStyle::GetUnderlined, &TextStyle::SetUnderlined);
    RegisterProperty<TextStyle, bool>("DropShadow", &TextStyle::GetDropShadow, &TextStyle::SetDropShadow);
    RegisterProperty<TextStyle, Color>("TextColor", &TextStyle::GetTextColor, &TextStyle::SetTextColor);
    RegisterProperty<TextStyle, Color>("ShadowColor", &TextStyle::GetShadowColor, &TextStyle::SetShadowColor);
    RegisterProperty<TextStyle, Vector2>("ShadowOffset", &TextStyle::GetShadowOffset, &TextStyle::SetShadowOffset);
    staticClassInfo.SetMetadata(
        "'Metadata::Class' { Name '$CLASS_NAME$' Properties [ "
        "'Metadata::FontProperty' { Name 'Font' Group 'Style' } "
        "'Metadata::FloatProperty' { Name 'Size' Group 'Style' Step 1 } "
        "'Metadata::FloatProperty' { Name 'SpaceAfter' Group 'Style' Step 1 } "
        "'Metadata::BoolProperty' { Name 'Bold' Group 'Style' } "
        "'Metadata::BoolProperty' { Name 'Underlined' Group 'Style' } "
        "'Metadata::BoolProperty' { Name 'DropShadow' Group 'Style' } "
        "'Metadata::ColorProperty' { Name 'TextColor' Group 'Style' } "
        "'Metadata::ColorProperty' { Name 'ShadowColor' Group 'Style' } "
        "'Metadata::Vector2Property' { Name 'ShadowOffset' Group 'Style' Step 1 } ] }");
}

TextStyle::TextStyle()
    : size(15.0f),
      spaceAfter(0.0f),
      textColor(0xFFFFFFFFu),
      shadowColor(0xFF000000u),
      bold(false),
      underlined(false),
      dropShadow(false),
      shadowOffset(1.0f, 1.0f) {
    SetClassInfo(&staticClassInfo);
}

}  // namespace Zep
