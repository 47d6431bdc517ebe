// Reflected classes of the animator tests, shared with the scene fuzz target: one
// animatable property of every animated value type, a plain and two obsolete ones.
#pragma once

#include <cstdint>
#include <string>
#include <tuple>
#include <vector>

#include "Common/AnimableObject.h"
#include "Common/Audio.h"
#include "Common/Movie.h"
#include "Common/ParticleEmitter.h"
#include "Common/SoundSystem.h"
#include "Common/ValueTypes.h"

namespace AnimationTest {

// The animated value types in the order of their animator classes, with the
// archive spelling of each and the name of the test property of that type.
typedef std::tuple<std::string, Zep::Color, Zep::Vector2, float, bool, Zep::BlendMode, Zep::Movie::Action,
                   Zep::EmitterShape, Zep::EmissionType, Zep::RandomPair, int32_t, HorizontalAlignment,
                   VerticalAlignment, Zep::Audio::Action, uint32_t, Zep::SoundGroupType>
    Values;
inline const char kTypeNames[] =
    "std::basic_string<char,std::char_traits<char>,std::allocator<char>>;Zep::Color;Zep::Vector2;float;bool;"
    "Zep::BlendMode;Zep::Movie::Action;Zep::EmitterShape;Zep::EmissionType;Zep::RandomPair;int;HorizontalAlignment;"
    "VerticalAlignment;Zep::Audio::Action;unsigned int;Zep::SoundGroupType";
inline const char* const kNames[] = {"String",      "Color",       "Vector",   "Float", "Bool", "Blend",
                                     "MovieAction", "Shape",       "Emission", "Pair",  "Int",  "HAlign",
                                     "VAlign",      "AudioAction", "Unsigned", "Group"};

// One animatable property per value type ("MovieAction" with a key callback), a
// plain one and two obsolete ones.
class Animated : public Zep::AnimableObject {
    ZEP_DECLARE_CLASS();
    Animated() { SetClassInfo(&staticClassInfo); }
    Values values;
    float plain = 0.0f, oldFloat = 0.0f, oldPlain = 0.0f;
    std::vector<std::tuple<Zep::Object*, Zep::Object*, int32_t>> keyCalls;
};

class AnimatedChild : public Animated {
    ZEP_DECLARE_CLASS();
    AnimatedChild() { SetClassInfo(&staticClassInfo); }
};

}  // namespace AnimationTest
