#include "Common/KeySequence.h"

#include "Common/Audio.h"
#include "Common/Movie.h"
#include "Common/ParticleEmitter.h"
#include "Common/SoundSystem.h"

namespace Zep {

KeySequence::~KeySequence() {}

// The sequences of the animated value types, compiled once here.
template class TypedKeySequence<float>;
template class TypedKeySequence<bool>;
template class TypedKeySequence<int32_t>;
template class TypedKeySequence<uint32_t>;
template class TypedKeySequence<Color>;
template class TypedKeySequence<Vector2>;
template class TypedKeySequence<std::string>;
template class TypedKeySequence<RandomPair>;
template class TypedKeySequence<BlendMode>;
template class TypedKeySequence<Movie::Action>;
template class TypedKeySequence<EmitterShape>;
template class TypedKeySequence<EmissionType>;
template class TypedKeySequence<HorizontalAlignment>;
template class TypedKeySequence<VerticalAlignment>;
template class TypedKeySequence<Audio::Action>;
template class TypedKeySequence<SoundGroupType>;

}  // namespace Zep
