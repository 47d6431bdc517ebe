#include "ReflectionTestClasses.h"

using Zep::ClassPropertyInfo;
using Zep::RegisterProperty;

namespace ReflectionTest {

int aliveCount = 0;

namespace {
void OnShadeKey(Zep::Object*, Zep::Object*, int32_t) {}
}  // namespace

ZEP_IMPLEMENT_CLASS(Everything, "Test::Everything", &Zep::AnimableObject::staticClassInfo);

#define FIELD_PROPERTY(Class, Type, name, field) \
    RegisterProperty<Class, Type>(               \
        name, [](Class* o) { return o->field; }, [](Class* o, Type value) { o->field = value; })

void Everything::DeclareProperties() {
    RegisterProperty<Everything, float>("Float", &Everything::GetFloat, &Everything::SetFloat);
    FIELD_PROPERTY(Everything, int32_t, "Int", i);
    Zep::RegisterAnimatableProperty<Everything, Shade>(
        "Shade", [](Everything* o) { return o->shade; }, [](Everything* o, Shade value) { o->shade = value; },
        &OnShadeKey);
    FIELD_PROPERTY(Everything, uint32_t, "Unsigned", u);
    FIELD_PROPERTY(Everything, char16_t, "Char", c);
    FIELD_PROPERTY(Everything, bool, "Bool", b);
    FIELD_PROPERTY(Everything, std::string, "String", s);
    FIELD_PROPERTY(Everything, Zep::Color, "Color", color);
    FIELD_PROPERTY(Everything, Zep::Vector2, "Vector", v);
    FIELD_PROPERTY(Everything, Zep::RandomPair, "Pair", pair);
    FIELD_PROPERTY(Everything, Zep::EaseParameters, "Ease", ease);
    FIELD_PROPERTY(Everything, Zep::SkinningWeights, "Weights", weights);
    RegisterProperty<Everything, int32_t>(
        "Fixed", [](Everything* o) { return o->fixed; }, nullptr);
    Zep::RegisterObsoleteAnimatableProperty<Everything, Shade>(
        "Old", [](Everything* o) { return o->old; }, [](Everything* o, Shade value) { o->old = value; });
    Zep::RegisterCollection("Items", &Everything::items);
    staticClassInfo.SetMetadata("'Metadata::Class' { Name '$CLASS_NAME$' Base '$CLASS_NAME$' }");
}

Everything::Everything() {
    SetClassInfo(&staticClassInfo);
    items.SetOwnsObjects(true);
    ++aliveCount;
}

Everything::~Everything() {
    --aliveCount;
}

ZEP_IMPLEMENT_CLASS(Derived, "Test::Derived", &Everything::staticClassInfo);

void Derived::DeclareProperties() {
    FIELD_PROPERTY(Derived, int32_t, "Int", hidingInt);
    FIELD_PROPERTY(Derived, int32_t, "Extra", extra);
}

Derived::Derived() {
    SetClassInfo(&staticClassInfo);
}

ZEP_IMPLEMENT_CLASS(Clash, "Test::Clash", &Zep::Object::staticClassInfo);

void Clash::DeclareProperties() {
    Zep::RegisterCollection("Things", &Clash::thingList);
    FIELD_PROPERTY(Clash, int32_t, "Things", things);
}

Clash::Clash() {
    SetClassInfo(&staticClassInfo);
    thingList.SetOwnsObjects(true);
}

ZEP_IMPLEMENT_CLASS(Item, "Test::Item", &Zep::Object::staticClassInfo);

void Item::DeclareProperties() {
    FIELD_PROPERTY(Item, int32_t, "Value", value);
}

Item::Item() {
    SetClassInfo(&staticClassInfo);
    ++aliveCount;
}

Item::Item(int32_t value) : Item() {
    this->value = value;
}

Item::~Item() {
    --aliveCount;
}

ZEP_IMPLEMENT_CLASS(FakeAnimator, "Test::FakeAnimator", &Zep::Animator::staticClassInfo);

void FakeAnimator::DeclareProperties() {
    RegisterProperty<FakeAnimator, int32_t>(
        "LastFrame", [](FakeAnimator* o) { return o->GetLastFrameNumber(); },
        [](FakeAnimator* o, int32_t frame) { o->keys.SetKey(frame, Shade::Dark, 0); });
}

FakeAnimator::FakeAnimator() {
    SetClassInfo(&staticClassInfo);
    ++aliveCount;
}

FakeAnimator::FakeAnimator(const FakeAnimator& other) : Zep::Animator(other), keys(other.keys) {
    ++aliveCount;
}

FakeAnimator::~FakeAnimator() {
    --aliveCount;
}

}  // namespace ReflectionTest
