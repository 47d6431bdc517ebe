#include "Common/FolderMarkers.h"

#include "Common/PropertyInfo.h"

namespace Zep {

void FolderBegin::DeclareProperties() {
    RegisterProperty<FolderBegin, bool>("Expanded", &FolderBegin::GetExpanded, &FolderBegin::SetExpanded);
    staticClassInfo.SetMetadata(
        "'Metadata::Class' { Name '$CLASS_NAME$' Properties [ "
        "'Metadata::BoolProperty' { Name 'Expanded' Group 'Folder' } ] }");
}

FolderBegin::FolderBegin() : expanded(true) {
    SetClassInfo(&staticClassInfo);
}

void FolderEnd::DeclareProperties() {}

FolderEnd::FolderEnd() {
    SetClassInfo(&staticClassInfo);
}

}  // namespace Zep
