// Fixed archive spellings of the types that template class names carry. Archive
// class names never come from the compiler's type information.
#pragma once

#include <cstdint>
#include <string>

#include "Common/Audio.h"
#include "Common/Movie.h"
#include "Common/ParticleEmitter.h"
#include "Common/SoundSystem.h"
#include "Common/ValueTypes.h"

namespace Zep {

// ArchiveTypeName<T>::Get() is the type's name as archives spell it inside a template
// class name, for example "Zep::Color" in "Zep::TypedAnimator<Zep::Color>".
template <class T>
struct ArchiveTypeName;

// Gives a type its archive spelling; use inside namespace Zep.
#define ZEP_ARCHIVE_TYPE_NAME(Type, text)         \
    template <>                                   \
    struct ArchiveTypeName<Type> {                \
        static const char* Get() { return text; } \
    }

ZEP_ARCHIVE_TYPE_NAME(float, "float");
ZEP_ARCHIVE_TYPE_NAME(int32_t, "int");
ZEP_ARCHIVE_TYPE_NAME(uint32_t, "unsigned int");
ZEP_ARCHIVE_TYPE_NAME(bool, "bool");
ZEP_ARCHIVE_TYPE_NAME(std::string, "std::basic_string<char,std::char_traits<char>,std::allocator<char>>");
ZEP_ARCHIVE_TYPE_NAME(Color, "Zep::Color");
ZEP_ARCHIVE_TYPE_NAME(Vector2, "Zep::Vector2");
ZEP_ARCHIVE_TYPE_NAME(RandomPair, "Zep::RandomPair");
ZEP_ARCHIVE_TYPE_NAME(BlendMode, "Zep::BlendMode");
ZEP_ARCHIVE_TYPE_NAME(Movie::Action, "Zep::Movie::Action");
ZEP_ARCHIVE_TYPE_NAME(EmitterShape, "Zep::EmitterShape");
ZEP_ARCHIVE_TYPE_NAME(EmissionType, "Zep::EmissionType");
ZEP_ARCHIVE_TYPE_NAME(::HorizontalAlignment, "HorizontalAlignment");
ZEP_ARCHIVE_TYPE_NAME(::VerticalAlignment, "VerticalAlignment");
ZEP_ARCHIVE_TYPE_NAME(Audio::Action, "Zep::Audio::Action");
ZEP_ARCHIVE_TYPE_NAME(SoundGroupType, "Zep::SoundGroupType");

// "Template<Argument>", with no blanks added.
inline std::string TemplateClassName(const char* templateName, const char* argument) {
    return std::string(templateName) + "<" + argument + ">";
}

template <class T>
std::string TemplateClassName(const char* templateName) {
    return TemplateClassName(templateName, ArchiveTypeName<T>::Get());
}

}  // namespace Zep
