#include "AnimatorTestClasses.h"

#include <utility>

#include "Common/Animator.h"
#include "Common/PropertyInfo.h"

namespace AnimationTest {

ZEP_IMPLEMENT_CLASS(Animated, "Test::Animated", &Zep::AnimableObject::staticClassInfo);
ZEP_IMPLEMENT_CLASS(AnimatedChild, "Test::AnimatedChild", &Animated::staticClassInfo);

namespace {

void OnKey(Zep::Object* target, Zep::Object* animator, int32_t index) {
    static_cast<Animated*>(target)->keyCalls.emplace_back(target, animator, index);
}

template <size_t... I>
void RegisterValues(std::index_sequence<I...>) {
    (Zep::RegisterAnimatableProperty<Animated, std::tuple_element_t<I, Values>>(
         kNames[I], [](Animated* o) { return std::get<I>(o->values); },
         [](Animated* o, std::tuple_element_t<I, Values> v) { std::get<I>(o->values) = v; }, I == 6 ? &OnKey : nullptr),
     ...);
}

}  // namespace

#define FLOAT_FIELD(field) [](Animated* o) { return o->field; }, [](Animated* o, float v) { o->field = v; }

void Animated::DeclareProperties() {
    RegisterValues(std::make_index_sequence<16>());
    Zep::RegisterProperty<Animated, float>("Plain", FLOAT_FIELD(plain));
    Zep::RegisterObsoleteAnimatableProperty<Animated, float>("OldFloat", FLOAT_FIELD(oldFloat));
    Zep::RegisterProperty<Animated, float>("OldPlain", FLOAT_FIELD(oldPlain), Zep::PROPERTY_OBSOLETE);
}

void AnimatedChild::DeclareProperties() {}

}  // namespace AnimationTest
