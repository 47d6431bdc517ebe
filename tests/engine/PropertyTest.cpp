#include <gtest/gtest.h>

#include <string>

#include "Common/PropertyInfo.h"
#include "ObjectTestSupport.h"
#include "ReflectionTestClasses.h"

using namespace ObjectTestSupport;
using ReflectionTest::Everything;
using ReflectionTest::Shade;
using Zep::PropertyInfo;

namespace {

class PropertyTest : public Fixture {};

PropertyInfo* Property(const char* name) {
    return Everything::staticClassInfo.GetProperty(name, true);
}

// Every property of b holds the same value as in a.
void ExpectAllEqual(Everything& a, Everything& b) {
    Zep::PropertyInfoList properties;
    Everything::staticClassInfo.GetProperties(properties, true);
    for (PropertyInfo* property : properties)
        EXPECT_TRUE(property->IsEqual(&a, &b)) << property->GetName();
}

}  // namespace

TEST_F(PropertyTest, EveryValueTypeHasItsArchiveFormAndRoundTrips) {
    Everything object;
    object.f = -0.25f;
    object.i = -3;
    object.shade = Shade::Light;
    object.u = 4000000000u;
    object.c = u'\x263A';
    object.b = true;
    object.s = "say \"hi\"";
    object.color = Zep::Color(0x80FF0000u);
    object.v = Zep::Vector2(3.0f, -1.5f);
    object.pair = Zep::RandomPair(2.0f, 0.5f);
    object.ease = Zep::EaseParameters(0.1f, 0.9f, 0.25f);
    object.weights.influences[1] = {2, 0.75f};
    object.weights.influences[3] = {-1, 1.0f};
    const std::string text = SaveText(object);
    EXPECT_EQ(
        "\"Test::Everything\" {\n"
        "\tFloat -0.25000\n"
        "\tInt -3\n"
        "\tShade 3\n"
        "\tUnsigned 4000000000\n"
        "\tChar 9786\n"
        "\tBool true\n"
        "\tString \"say \\\"hi\\\"\"\n"
        "\tColor 0x80FF0000\n"
        "\tVector [ 3.00000 -1.50000 ]\n"
        "\tPair [ 2.00000 0.50000 ]\n"
        "\tEase [ 0.10000 0.90000 0.25000 ]\n"
        "\tWeights [ 0 0.00000 2 0.75000 0 0.00000 -1 1.00000 ]\n"
        "}\n",
        text);

    Everything loaded;
    LoadText(loaded, text);
    ExpectAllEqual(object, loaded);
    EXPECT_EQ(0x80FF0000u, loaded.color.argb);
    EXPECT_EQ(object.s, loaded.s);
    EXPECT_TRUE(object.weights == loaded.weights);
}

TEST_F(PropertyTest, EqualityRulesDecideWhatIsSaved) {
    Everything object;
    object.v = Zep::Vector2(1.0005f, 2.0005f);
    EXPECT_EQ("\"Test::Everything\" {\n}\n", SaveText(object));
    object.v = Zep::Vector2(1.0f, 2.002f);
    EXPECT_EQ("\"Test::Everything\" {\n\tVector [ 1.00000 2.00200 ]\n}\n", SaveText(object));

    // Exact for floats, however small the difference; byte-wise for weights.
    Everything other;
    other.f = 1.5f + 1e-6f;
    EXPECT_FALSE(Property("Float")->IsEqual(&object, &other));
    other.weights.influences[0].weight = -0.0f;
    EXPECT_FALSE(Property("Weights")->IsEqual(&object, &other));
}

TEST_F(PropertyTest, CharactersAreSixteenBitCodes) {
    Everything object;
    object.c = u'A';
    object.i = 1;
    EXPECT_EQ("\"Test::Everything\" {\n\tInt 1\n}\n", SaveText(object));
    object.c = u'B';
    EXPECT_NE(std::string::npos, SaveText(object).find("\tChar 66\n"));

    LoadText(object, "\"Test::Everything\" { Char -1 }");
    EXPECT_EQ(65535u, static_cast<uint32_t>(object.c));
    LoadText(object, "\"Test::Everything\" { Char 65601 }");
    EXPECT_EQ(65u, static_cast<uint32_t>(object.c));
}

TEST_F(PropertyTest, AnimatablePropertiesHaveRegistryEntries) {
    Zep::AnimatablePropertyRegistry& registry = Zep::AnimatablePropertyRegistry::GetInstance();
    PropertyInfo* shade = Property("Shade");
    const Zep::AnimatablePropertyEntry* entry = registry.Find(shade);
    ASSERT_NE(nullptr, entry);
    EXPECT_EQ(&ReflectionTest::FakeAnimator::staticClassInfo, entry->animatorClass);
    EXPECT_EQ(&Everything::staticClassInfo, entry->ownerClass);
    EXPECT_EQ(shade, entry->property);
    EXPECT_NE(nullptr, entry->keyCallback);

    const Zep::AnimatablePropertyEntry* old =
        registry.Find(Everything::staticClassInfo.GetObsoleteProperty("Old", false));
    ASSERT_NE(nullptr, old);
    EXPECT_EQ(nullptr, old->keyCallback);
    EXPECT_EQ(nullptr, registry.Find(Property("Int")));
    // A null setter makes a property read-only.
    EXPECT_EQ(Zep::PROPERTY_READONLY, Property("Fixed")->GetFlags());
    EXPECT_EQ(Zep::PROPERTY_OBSOLETE, old->property->GetFlags());
}
