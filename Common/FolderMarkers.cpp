#include "Common/FolderMarkers.h"

#include "Common/PropertyInfo.h"

namespace Zep {

ZEP_IMPLEMENT_CLASS(FolderBegin, "Zep::FolderBegin", &Actor::staticClassInfo);

void FolderBegin::DeclareProperties() {
    RegisterProperty<FolderBegin, bool>("Expanded", &FolderBegin::GetExpanded, &FolderBegin::SetExpanded);
    staticClassInfo.SetMetadata(
        "'Metadata::Class' { Name '$CLASS_NAME$' Properties [ "
        "'Metadata::BoolProperty' { Name 'Expanded' Group 'Folder' } ] }");
}

FolderBegin::FolderBegin() : expanded(true) {
    SetClassInfo(&staticClassInfo);
}

ZEP_IMPLEMENT_CLASS(FolderEnd, "Zep::FolderEnd", &Actor::staticClassInfo);

void FolderEnd::DeclareProperties() {}

FolderEnd::FolderEnd() {
    SetClassInfo(&staticClassInfo);
}

}  // namespace Zep
