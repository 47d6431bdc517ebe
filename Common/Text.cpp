#include "Common/Text.h"

#include "Common/PropertyInfo.h"

namespace Zep {

void Text::DeclareProperties() {
    RegisterProperty<Text, std::string>("FontName", &Text::GetFontName, &Text::SetFontName);
    RegisterAnimatableProperty<Text, float>("FontSize", &Text::GetFontSize, &Text::SetFontSize, nullptr);
    RegisterAnimatableProperty<Text, float>("LineIndent", &Text::GetLineIndent, &Text::SetLineIndent, nullptr);
    RegisterAnimatableProperty<Text, std::string>("Text", &Text::GetText, &Text::SetText, nullptr);
    RegisterAnimatableProperty<Text, Color>("TextColor", &Text::GetTextColor, &Text::SetTextColor, nullptr);
    RegisterAnimatableProperty<Text, Color>("ShadowColor", &Text::GetShadowColor, &Text::SetShadowColor, nullptr);
    RegisterAnimatableProperty<Text, HorizontalAlignment>("HAlign", &Text::GetHAlign, &Text::SetHAlign, nullptr);
    RegisterAnimatableProperty<Text, VerticalAlignment>("VAlign", &Text::GetVAlign, &Text::SetVAlign, nullptr);
    staticClassInfo.SetMetadata(
        "'Metadata::Class' { Name '$CLASS_NAME$' Properties [ "
        "'Metadata::FontProperty' { Name 'FontName' Group 'Text' } "
        "'Metadata::FloatProperty' { Name 'FontSize' Group 'Text' Step 1 } "
        "'Metadata::FloatProperty' { Name 'LineIndent' Group 'Text' Step 1 } "
        "'Metadata::StringProperty' { Name 'Text' Group 'Text' IsMultiline true Localizable true } "
        "'Metadata::ColorProperty' { Name 'TextColor' Group 'Text' } "
        "'Metadata::ColorProperty' { Name 'ShadowColor' Group 'Text' } "
        "'Metadata::EnumProperty' { Name 'HAlign' Group 'Text' Values [ 'Left' 'Center' 'Right' ] } "
        "'Metadata::EnumProperty' { Name 'VAlign' Group 'Text' Values [ 'Top' 'Center' 'Bottom' ] } ] }");
}

Text::Text()
    : textColor(0xFF0000FFu),
      shadowColor(0xFF000000u),
      fontSize(15.0f),
      hAlign(ALIGN_HORIZONTAL_LEFT),
      vAlign(ALIGN_VERTICAL_TOP),
      lineIndent(0.0f) {
    SetClassInfo(&staticClassInfo);
}

}  // namespace Zep
