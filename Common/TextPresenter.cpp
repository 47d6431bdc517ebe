#include "Common/TextPresenter.h"

#include "Common/PropertyInfo.h"

namespace Zep {

std::string TextPresenter::defaultText;

void TextPresenter::DeclareProperties() {
    RegisterAnimatableProperty<TextPresenter, std::string>("FontName", &TextPresenter::GetFontName,
                                                           &TextPresenter::SetFontName, nullptr);
    RegisterAnimatableProperty<TextPresenter, Color>("TextColor", &TextPresenter::GetTextColor,
                                                     &TextPresenter::SetTextColor, nullptr);
    RegisterAnimatableProperty<TextPresenter, Color>("ShadowColor", &TextPresenter::GetShadowColor,
                                                     &TextPresenter::SetShadowColor, nullptr);
    RegisterAnimatableProperty<TextPresenter, float>("FontSize", &TextPresenter::GetFontSize,
                                                     &TextPresenter::SetFontSize, nullptr);
    RegisterAnimatableProperty<TextPresenter, HorizontalAlignment>("HAlign", &TextPresenter::GetHAlign,
                                                                   &TextPresenter::SetHAlign, nullptr);
    RegisterAnimatableProperty<TextPresenter, VerticalAlignment>("VAlign", &TextPresenter::GetVAlign,
                                                                 &TextPresenter::SetVAlign, nullptr);
    RegisterAnimatableProperty<TextPresenter, float>("LineIndent", &TextPresenter::GetLineIndent,
                                                     &TextPresenter::SetLineIndent, nullptr);
    staticClassInfo.SetMetadata(
        "'Metadata::Class' { Name '$CLASS_NAME$' Properties [ "
        "'Metadata::FontProperty' { Name 'FontName' Group 'Text' } "
        "'Metadata::ColorProperty' { Name 'TextColor' Group 'Text' } "
        "'Metadata::ColorProperty' { Name 'ShadowColor' Group 'Text' } "
        "'Metadata::FloatProperty' { Name 'FontSize' Group 'Text' Step 1 } "
        "'Metadata::EnumProperty' { Name 'HAlign' Group 'Text' Values [ 'Left' 'Center' 'Right' ] } "
        "'Metadata::EnumProperty' { Name 'VAlign' Group 'Text' Values [ 'Top' 'Center' 'Bottom' ] } "
        "'Metadata::FloatProperty' { Name 'LineIndent' Group 'Text' Step 1 } ] }");
}

TextPresenter::TextPresenter()
    : textColor(0xFF0000FFu),
      shadowColor(0xFF000000u),
      fontSize(15.0f),
      text(defaultText),
      hAlign(ALIGN_HORIZONTAL_LEFT),
      vAlign(ALIGN_VERTICAL_TOP),
      lineIndent(0.0f) {
    SetClassInfo(&staticClassInfo);
}

}  // namespace Zep
