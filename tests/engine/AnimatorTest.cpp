// Animators: time to frame, capture and apply for every animated value type, the
// collection's operations and checks, the archive form, key callbacks and shared keys.
#include <gtest/gtest.h>

#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "Common/AnimableObject.h"
#include "Common/Animator.h"
#include "Common/Audio.h"
#include "Common/ClassNames.h"
#include "Common/ClassRegistry.h"
#include "Common/Movie.h"
#include "Common/ParticleEmitter.h"
#include "Common/SoundSystem.h"
#include "Common/StringUtils.h"
#include "AnimatorTestClasses.h"
#include "ObjectTestSupport.h"
#include "TestSupport.h"

using namespace ObjectTestSupport;
using Zep::Animator;
using Zep::TypedAnimator;

using AnimationTest::Animated;

namespace {

class AnimatorTest : public Fixture {};

const std::string kSamples = std::string(ZEP_TEST_DATA) + "/animators/";

template <class T>
Zep::TypedKeySequence<T>& KeysOf(Animator* animator) {
    return static_cast<TypedAnimator<T>*>(animator)->GetKeySequence();
}

std::string Bound(const Zep::AnimatorCollection& animators) {
    std::string text;
    for (int32_t i = 0; i < animators.GetCount(); ++i)
        text += (i ? " " : "") + animators.Get(i)->GetBinding()->property->GetName();
    return text;
}

std::string AssertionAt(const char* file, int line) {
    return Zep::Sprintf("Assertion failed in file \"%s\", line %d", file, line);
}

}  // namespace

TEST_F(AnimatorTest, ApplyTurnsMillisecondsIntoFrames) {
    Animated object;
    Animator* animator = object.animators.Create("Float");
    float& value = std::get<3>(object.values);
    value = -1.0f;
    EXPECT_FALSE(animator->Apply(&object, 500));  // no keys: left alone
    EXPECT_EQ(-1.0f, value);

    // Keys 0 and 20 at frames 0 and 20, then the value follows the frame up to
    // frame 5e7 (some 694 hours), past the 32-bit product of 29.8 hours.
    KeysOf<float>(animator).SetKey(0, 0.0f, 0);
    KeysOf<float>(animator).SetKey(20, 20.0f, 0);
    KeysOf<float>(animator).SetKey(50000000, 50000000.0f, 0);
    const int32_t times[] = {0, 50, 75, 1000, -50, 107370000, 108000000, 144000000, 2147483647};
    const double frames[] = {0.0, 1.0, 1.5, 20.0, 0.0, 2147400.0, 2160000.0, 2880000.0, 42949672.94};
    for (size_t i = 0; i < std::size(times); ++i) {
        value = -1.0f;
        EXPECT_TRUE(animator->Apply(&object, times[i])) << times[i];
        EXPECT_NEAR(frames[i], value, 1e-6 + frames[i] * 1e-6) << times[i];
    }

    TypedAnimator<float> unbound;
    EXPECT_EQ(0u,
              ReportOf([&] { unbound.Apply(&object, 0); }).find("Assertion failed in file \"Common\\Animator.cpp\""));
}

TEST_F(AnimatorTest, EveryValueTypeHasItsClassAndCaptureThenApplyRestores) {
    Animated object;
    const Zep::StringVector typeNames = Zep::Split(AnimationTest::kTypeNames, ';');
    ASSERT_EQ(16u, typeNames.size());
    for (size_t i = 0; i < 16; ++i) {
        const std::string className = Zep::TemplateClassName("Zep::TypedAnimator", typeNames[i].c_str());
        EXPECT_EQ(className, object.animators.Create(AnimationTest::kNames[i])->GetClassName());
        std::unique_ptr<Zep::Object> created(Zep::ClassRegistry::GetInstance().CreateObject(className));
        EXPECT_EQ(className, created->GetClassName());
    }
    const AnimationTest::Values captured = std::make_tuple(
        std::string("text"), Zep::Color(0x80112233u), Zep::Vector2(1.5f, -2.0f), 0.25f, true, Zep::BlendMode(2),
        Zep::Movie::Action(3), Zep::EmitterShape(1), Zep::EmissionType(2), Zep::RandomPair(1.0f, 0.5f), -7,
        HorizontalAlignment(1), VerticalAlignment(2), Zep::Audio::Action(1), 4000000000u, Zep::SoundGroupType(8));
    object.values = captured;
    object.CaptureAll(7);
    object.values = AnimationTest::Values();
    object.ApplyAnimators(350);  // frame 7
    EXPECT_TRUE(object.values == captured);
}

TEST_F(AnimatorTest, CollectionKeepsOneAnimatorPerProperty) {
    Animated object;
    Zep::AnimatorCollection& animators = object.animators;
    Animator* first = animators.Create("Float");
    EXPECT_EQ(first, animators.Create("Float"));
    EXPECT_EQ(nullptr, animators.Create("Plain"));
    EXPECT_EQ(1, animators.GetCount());

    // An unbound animator is bound through the owner's class, bases searched; one
    // of another value type is refused before it is stored.
    AnimationTest::AnimatedChild child;
    auto* vector = new TypedAnimator<Zep::Vector2>;
    child.animators.Set("Vector", vector);
    EXPECT_EQ(vector, child.animators.Find("Vector"));
    std::unique_ptr<Animator> color(new TypedAnimator<Zep::Color>);
    EXPECT_TRUE(EndsWith(ReportOf([&] { child.animators.Set("Float", color.get()); }),
                         ":\n  Animator class mismatch: Zep::TypedAnimator<Zep::Color> for Float@Test::Animated"));
    EXPECT_EQ(1, child.animators.GetCount());

    const std::string duplicate = AssertionAt("Common\\Animator.cpp", 100);
    EXPECT_EQ(duplicate, ReportOf([&] { animators.Set("Float", new TypedAnimator<float>); }));
    animators.Remove(1);
    EXPECT_EQ(duplicate, ReportOf([&] { animators.Insert(0, first->Clone()); }));
    EXPECT_EQ(AssertionReport("Common\\Collection.h", 291, "Index out of bounds"),
              ReportOf([&] { animators.OnInsert(animators.GetCount()); }));
    animators.Erase("Float");  // deletes (AddressSanitizer watches)
    EXPECT_EQ(1, animators.GetCount());

    // An animator of a property of a class the owner is not of would write that class's
    // value into the owner when applied.
    Zep::AnimableObject plain;
    EXPECT_TRUE(EndsWith(ReportOf([&] { plain.animators.Add(first->Clone()); }),
                         ":\n  Animator property mismatch: Float@Test::Animated for Zep::AnimableObject"));
}

TEST_F(AnimatorTest, ClonesShareKeysAndCopyFromClonesInOrder) {
    Animated source;
    Animator* floats = source.animators.Create("Float");
    KeysOf<float>(floats).SetKey(0, 4.0f, 1);
    KeysOf<Zep::Vector2>(source.animators.Create("Vector")).SetKey(0, Zep::Vector2(1.0f, 2.0f), 1);

    std::unique_ptr<Animator> clone(floats->Clone());
    EXPECT_EQ(floats->GetBinding(), clone->GetBinding());
    EXPECT_EQ(2, KeysOf<float>(floats).GetShareCount());
    EXPECT_GT(clone->GetObjectId(), floats->GetObjectId());  // an id of its own
    TypedAnimator<float> sharer;
    sharer.ShareKeysFrom(floats);
    EXPECT_EQ(floats->GetBinding(), sharer.GetBinding());
    EXPECT_EQ(3, KeysOf<float>(floats).GetShareCount());
    KeysOf<float>(clone.get()).SetKey(20, 2.0f, 0);
    sharer.RemoveKey(0);
    EXPECT_EQ(1, floats->GetKeyCount());
    EXPECT_EQ(1, KeysOf<float>(floats).GetShareCount());
    EXPECT_EQ(0u, ReportOf([&] {
                      sharer.ShareKeysFrom(source.animators.Find("Vector"));
                  }).find("Assertion failed in file \"Common\\Animator.h\""));

    // The target's own animators go, even those of the same properties in another order.
    Animated target;
    for (const char* name : {"Vector", "Float", "Int"})
        target.animators.Create(name);
    target.animators.CopyFrom(source.animators);
    ASSERT_EQ("Float Vector", Bound(target.animators));
    EXPECT_NE(floats, target.animators.Get(0));
    target.ApplyAnimators(0);
    EXPECT_EQ(4.0f, std::get<3>(target.values));
    EXPECT_EQ(2.0f, std::get<2>(target.values).y);
}

TEST_F(AnimatorTest, KeyCallbacksFireOnlyOnFramesHoldingAKey) {
    Animated object;
    Animator* action = object.animators.Create("MovieAction");
    for (int32_t frame : {0, 10, 20})
        KeysOf<Zep::Movie::Action>(action).SetKey(frame, Zep::Movie::Action(1), 1);
    KeysOf<float>(object.animators.Create("Float")).SetKey(5, 1.0f, 0);  // no callback
    std::vector<std::tuple<Zep::Object*, Zep::Object*, int32_t>> expected;
    for (int32_t frame = -1; frame <= 25; ++frame) {
        object.FireKeyCallbacks(frame);
        if (frame % 10 == 0)
            expected.emplace_back(&object, action, frame / 10);
    }
    EXPECT_EQ(expected, object.keyCalls);

    TypedAnimator<float> unbound;
    EXPECT_EQ(AssertionAt("Common\\Animator.cpp", 262), ReportOf([&] { unbound.FireKeyCallback(&object, 0); }));
}

TEST_F(AnimatorTest, ArchivesRoundTripAndRefuseBadProperties) {
    // Saved from an object of a derived class: the owner named is the class that
    // registered the property.
    const std::string golden = TestSupport::ReadFile(kSamples + "collection.txt");
    AnimationTest::AnimatedChild built;
    KeysOf<float>(built.animators.Create("Float")).SetKey(0, 0.0f, 0);
    KeysOf<float>(built.animators.Create("Float")).SetKey(20, 20.0f, 2);
    KeysOf<Zep::Vector2>(built.animators.Create("Vector")).SetKey(5, Zep::Vector2(1.5f, -2.0f), 1);
    EXPECT_EQ(golden, SaveText(built));
    AnimationTest::AnimatedChild loaded;
    LoadText(loaded, golden);
    EXPECT_EQ(golden, SaveText(loaded));
    TypedAnimator<float> unbound;
    EXPECT_EQ(AssertionAt("Common\\Animator.cpp", 231), ReportOf([&] { SaveText(unbound); }));

    const std::pair<const char*, std::string> bad[] = {
        {"no_at.txt", AssertionAt("Common\\Animator.cpp", 240)},
        {"two_at.txt", AssertionAt("Common\\Animator.cpp", 240)},
        {"unknown_owner.txt", PanicReport("Common\\ClassRegistry.cpp", 60, "Unknown class: Test::Nowhere")},
        {"unknown_property.txt",
         PanicReport("Common\\ClassInfo.cpp", 203, "Unknown property 'Nope' in Test::Animated")},
        {"not_animatable.txt", ":\n  Property is not animatable: Plain@Test::Animated"},
        {"wrong_animator_class.txt",
         ":\n  Animator class mismatch: Zep::TypedAnimator<Zep::Color> for Float@Test::Animated"},
        {"duplicate.txt", AssertionAt("Common\\Animator.cpp", 100)},
    };
    for (const auto& sample : bad) {
        Animated object;
        const std::string text = TestSupport::ReadFile(kSamples + sample.first);
        const std::string report = ReportOf([&] { LoadText(object, text); });
        EXPECT_TRUE(report == sample.second || EndsWith(report, sample.second)) << sample.first << ": " << report;
    }

    // Animators of obsolete properties, animatable or not, load and are dropped.
    Animated object;
    LoadText(object, TestSupport::ReadFile(kSamples + "obsolete.txt"));
    ASSERT_EQ("Float", Bound(object.animators));
    EXPECT_EQ(2.0f, KeysOf<float>(object.animators.Get(0)).GetKeyValue(0));
}
