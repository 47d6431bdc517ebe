#include "Common/Sticker.h"

#include "Common/PropertyInfo.h"

namespace Zep {

void Sticker::DeclareProperties() {
    RegisterProperty<Sticker, std::string>("Text", &Sticker::GetText, &Sticker::SetText);
    staticClassInfo.SetMetadata(
        "'Metadata::Class' { Name '$CLASS_NAME$' Properties [ "
        "'Metadata::StringProperty' { Name 'Text' Group 'Sticker' IsMultiline true } ] }");
}

Sticker::Sticker() {
    SetClassInfo(&staticClassInfo);
    color = Color(0xFFFFFFC0u);
    hitTestMethod = HIT_TEST_BOUNDING_RECT;
}

}  // namespace Zep
