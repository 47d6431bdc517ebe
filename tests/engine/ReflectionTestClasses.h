// Reflected classes of the object, property and collection tests.
#pragma once

#include <string>

#include "Common/AnimableObject.h"
#include "Common/Collection.h"
#include "Common/Object.h"
#include "Common/PropertyInfo.h"
#include "Common/ValueTypes.h"

namespace ReflectionTest {

enum class Shade : int32_t { Dark = 0, Light = 3 };

// Counts the instances of the test classes alive, to see leaks and deletions.
extern int aliveCount;

// One property of every value type, a read-only and an obsolete one, and an
// owning list of objects.
class Everything : public Zep::AnimableObject {
    ZEP_DECLARE_CLASS();

    Everything();
    ~Everything() override;

    float GetFloat() const { return f; }
    void SetFloat(float value) { f = value; }

    float f = 1.5f;
    int32_t i = 7;
    Shade shade = Shade::Dark;
    uint32_t u = 10;
    char16_t c = u'A';
    bool b = false;
    std::string s = "name";
    Zep::Color color;
    Zep::Vector2 v = Zep::Vector2(1.0f, 2.0f);
    Zep::RandomPair pair;
    Zep::EaseParameters ease;
    Zep::SkinningWeights weights;
    int32_t fixed = 5;        // read-only
    Shade old = Shade::Dark;  // obsolete
    Zep::ObjectCollection items;
};

// Adds a property that hides the base's "Int", and one of its own.
class Derived : public Everything {
    ZEP_DECLARE_CLASS();

    Derived();
    int32_t hidingInt = 100;
    int32_t extra = 0;
};

// A field name shared by a property and a collection.
class Clash : public Zep::Object {
    ZEP_DECLARE_CLASS();

    Clash();
    int32_t things = 0;
    Zep::ObjectCollection thingList;
};

// A plain item for collections.
class Item : public Zep::Object {
    ZEP_DECLARE_CLASS();

    Item();
    explicit Item(int32_t value);
    ~Item() override;
    int32_t value = 0;
};

// An animator whose last frame is a property, loaded and saved as a plain object.
class FakeAnimator : public Zep::Animator {
    ZEP_DECLARE_CLASS();

    FakeAnimator();
    FakeAnimator(const FakeAnimator& other);
    ~FakeAnimator() override;
    void LoadProperties(Zep::IArchive& reader) override { Object::LoadProperties(reader); }
    void SaveProperties(Zep::OArchive& writer) override { Object::SaveProperties(writer); }
    Zep::Animator* Clone() const override { return new FakeAnimator(*this); }
    bool Apply(Zep::Object*, int32_t) override { return false; }
    using Zep::Animator::Capture;
    void Capture(Zep::Object*, int32_t, uint32_t) override {}
    void ShareKeysFrom(Zep::Animator*) override {}
    const Zep::KeySequence& GetKeySequence() const override { return keys; }
    Zep::KeySequence& GetKeySequence() override { return keys; }
    // The property "LastFrame" sets a key at the frame.
    Zep::TypedKeySequence<Shade> keys;
};

}  // namespace ReflectionTest

namespace Zep {
// The tests animate Shade values with the fake animator.
template <>
struct AnimatorClassFor<ReflectionTest::Shade> {
    static ClassInfo* Get() { return &ReflectionTest::FakeAnimator::staticClassInfo; }
};
}  // namespace Zep
