#include "Common/Movie.h"

#include "Common/PropertyInfo.h"

namespace Zep {

namespace {

// A key of the action track. It runs nothing yet: there is no movie texture to play,
// pause or stop.
void OnActionKey(Object*, Object*, int32_t) {}

}  // namespace

void Movie::DeclareProperties() {
    RegisterAnimatableProperty<Movie, Action>("Action", &Movie::GetAction, &Movie::SetAction, &OnActionKey);
    RegisterProperty<Movie, std::string>("File", &Movie::GetFile, &Movie::SetFile);
    RegisterProperty<Movie, uint32_t>("Flags", &Movie::GetFlags, &Movie::SetFlags);
    staticClassInfo.SetMetadata(
        "'Metadata::Class' { Name '$CLASS_NAME$' Properties [ "
        "'Metadata::EnumProperty' { Name 'Action' Group 'Movie' Values [ 'Play' 'Pause' 'Stop' ] } "
        "'Metadata::PathProperty' { Name 'File' Group 'Movie' Wildcard '*.ogv' } "
        "'Metadata::BitMaskProperty' { Name 'Flags' Group 'Movie' BitNames [ 'Looped' ] } ] }");
}

Movie::Movie() : flags(0), action(PLAY) {
    SetClassInfo(&staticClassInfo);
}

}  // namespace Zep
