#include <gtest/gtest.h>

#include <cstring>
#include <new>
#include <string>

#include "Common/AnimableObject.h"
#include "Common/ClassNames.h"
#include "Common/ClassRegistry.h"
#include "Common/Object.h"
#include "ObjectTestSupport.h"
#include "ReflectionTestClasses.h"

using namespace ObjectTestSupport;
using ReflectionTest::Derived;
using ReflectionTest::Everything;
using ReflectionTest::Item;
using Zep::ClassInfo;
using Zep::ClassRegistry;
using Zep::Object;

namespace {

// The first object of the process, made before any test runs.
const uint32_t firstObjectId = [] {
    Object object;
    return object.GetObjectId();
}();

class ObjectTest : public Fixture {};

}  // namespace

TEST_F(ObjectTest, IdsCountFromOneAndReadZeroAfterDestruction) {
    EXPECT_EQ(1u, firstObjectId);

    alignas(Object) unsigned char storage[sizeof(Object)];
    Object* object = new (storage) Object;
    const uint32_t id = object->GetObjectId();
    Object next;
    EXPECT_EQ(id + 1, next.GetObjectId());
    EXPECT_TRUE(Object::IsLiveObject(object, id));
    // Where the id lies in the object, found by value: a destroyed object is read
    // as plain memory.
    size_t idOffset = sizeof(void*);
    while (std::memcmp(storage + idOffset, &id, sizeof(id)) != 0)
        idOffset += sizeof(id);
    ASSERT_LT(idOffset, sizeof(Object));
    object->~Object();
    uint32_t idAfter = 1;
    std::memcpy(&idAfter, storage + idOffset, sizeof(idAfter));
    EXPECT_EQ(0u, idAfter);
    EXPECT_FALSE(Object::IsLiveObject(object, id));
    EXPECT_EQ(0u, Object::GetLiveObjectId(object));

    // A new object at the same address is not the old one.
    object = new (storage) Object;
    EXPECT_FALSE(Object::IsLiveObject(object, id));
    EXPECT_TRUE(Object::IsLiveObject(object, object->GetObjectId()));
    object->~Object();

    // A copy is an object of its own.
    Item original(4);
    Item copy(original);
    EXPECT_NE(original.GetObjectId(), copy.GetObjectId());
    EXPECT_EQ(&Item::staticClassInfo, copy.GetClassInfo());
}

TEST_F(ObjectTest, ClassInfosKnowTheirBasesAndProperties) {
    Derived derived;
    EXPECT_EQ("Test::Derived", derived.GetClassName());
    EXPECT_TRUE(derived.IsKindOf("Test::Everything"));
    EXPECT_TRUE(derived.IsKindOf("Zep::Object"));
    EXPECT_FALSE(derived.IsKindOf("Test::Item"));
    EXPECT_FALSE(derived.IsKindOf("Test::NoSuchClass"));
    EXPECT_FALSE(Derived::staticClassInfo.IsKindOf(nullptr));

    ClassInfo& info = Derived::staticClassInfo;
    // The class's own "Int" hides the base's; without bases only its own are seen.
    EXPECT_EQ(&Derived::staticClassInfo, info.FindProperty("Int", true)->GetOwnerClass());
    EXPECT_EQ(nullptr, info.FindProperty("Float", false));
    EXPECT_NE(nullptr, info.FindProperty("Float", true));
    EXPECT_EQ(nullptr, info.FindProperty("Old", true));
    EXPECT_NE(nullptr, info.FindObsoleteProperty("Old", true));
    EXPECT_EQ(PanicReport("Common\\ClassInfo.cpp", 171, "Unknown property 'Nope' in Test::Derived"),
              ReportOf([&] { info.GetProperty("Nope", true); }));

    // Bases first, each class in registration order.
    Zep::PropertyInfoList properties;
    info.GetProperties(properties, true);
    ASSERT_EQ(15u, properties.size());
    EXPECT_EQ("Float", properties[0]->GetName());
    EXPECT_EQ("Fixed", properties[12]->GetName());
    EXPECT_EQ("Int", properties[13]->GetName());
    EXPECT_EQ("Extra", properties[14]->GetName());
    Zep::CollectionInfoList collections;
    info.GetCollections(collections, true);
    ASSERT_EQ(2u, collections.size());
    EXPECT_EQ("Animators", collections[0]->GetName());
    EXPECT_EQ("Items", collections[1]->GetName());

    EXPECT_EQ("'Metadata::Class' { Name 'Test::Everything' Base 'Test::Everything' }",
              Everything::staticClassInfo.GetMetadata());
}

TEST_F(ObjectTest, RegistryFindsExactNamesAndKeepsTheLatestRegistration) {
    ClassRegistry& registry = ClassRegistry::GetInstance();
    EXPECT_EQ(&Object::staticClassInfo, registry.FindClass("Zep::Object"));
    EXPECT_EQ(&Zep::AnimableObject::staticClassInfo, registry.FindClass("Zep::AnimableObject"));
    EXPECT_EQ(nullptr, registry.FindClass("zep::object"));
    EXPECT_EQ(PanicReport("Common\\ClassRegistry.cpp", 60, "Unknown class: Zep::Nothing"),
              ReportOf([&] { registry.CreateObject("Zep::Nothing"); }));
    EXPECT_EQ(PanicReport("Common\\RTTIClass.h", 117, "Attempt to instantiate abstract class"),
              ReportOf([&] { registry.CreateObject("Zep::Animator"); }));

    Object* item = registry.CreateObject("Test::Item");
    EXPECT_EQ(&Item::staticClassInfo, item->GetClassInfo());
    delete item;

    {
        ClassInfo first("Test::Twice", &Object::staticClassInfo, nullptr, nullptr, false);
        {
            ClassInfo second("Test::Twice", &Object::staticClassInfo, nullptr, nullptr, false);
            EXPECT_EQ(&second, registry.FindClass("Test::Twice"));
            // The order of registration keeps the registered records only, the latest last.
            EXPECT_EQ(&second, registry.GetRegistrationOrder().back());
            EXPECT_EQ(registry.GetClasses().size(), registry.GetRegistrationOrder().size());
            EXPECT_EQ("Assertion failed in file \"Common\\ClassRegistry.cpp\", line 86",
                      ReportOf([&] { registry.UnregisterClass(&first); }));
            EXPECT_EQ(&second, registry.FindClass("Test::Twice"));
        }
        // The later record's destruction removed the name; the earlier one's is ignored.
        EXPECT_EQ(nullptr, registry.FindClass("Test::Twice"));
        EXPECT_EQ(registry.GetClasses().size(), registry.GetRegistrationOrder().size());
    }
    EXPECT_EQ(nullptr, registry.FindClass("Test::Twice"));
}

TEST_F(ObjectTest, TemplateClassNamesUseTheFixedSpellings) {
    EXPECT_EQ("Zep::TypedAnimator<std::basic_string<char,std::char_traits<char>,std::allocator<char>>>",
              Zep::TemplateClassName<std::string>("Zep::TypedAnimator"));
    EXPECT_EQ("Zep::TypedAnimator<Zep::Color>", Zep::TemplateClassName<Zep::Color>("Zep::TypedAnimator"));
}

TEST_F(ObjectTest, SavingWritesOnlyWhatDiffersFromAFreshInstance) {
    Everything object;
    EXPECT_EQ("\"Test::Everything\" {\n}\n", SaveText(object));

    object.i = 8;
    object.fixed = 99;                          // read-only: never written
    object.old = ReflectionTest::Shade::Light;  // obsolete: never written
    object.items.Add(new Item(3));
    EXPECT_EQ(
        "\"Test::Everything\" {\n"
        "\tInt 8\n"
        "\tItems [\n"
        "\t\t\"Test::Item\" {\n"
        "\t\t\tValue 3\n"
        "\t\t}\n"
        "\t]\n"
        "}\n",
        SaveText(object));

    // An empty collection is not written.
    object.items.Clear();
    object.i = 7;
    EXPECT_EQ("\"Test::Everything\" {\n}\n", SaveText(object));

    // An abstract class has no fresh instance: every property is written, defaults too.
    ClassInfo abstractRecord("Test::AbstractEverything", &Everything::staticClassInfo, &Zep::Detail::AbstractFactory,
                             nullptr, true);
    Object::OverrideClassInfo(&object, &abstractRecord);
    const std::string text = SaveText(object);
    EXPECT_EQ(0u, text.find("\"Test::AbstractEverything\" {\n\tFloat 1.50000\n\tInt 7\n")) << text;
    EXPECT_EQ(std::string::npos, text.find("Fixed")) << "read-only";
    Object::OverrideClassInfo(&object, &Everything::staticClassInfo);
}

TEST_F(ObjectTest, LoadTakesFieldsInAnyOrderAndTheLastOneWins) {
    Everything object;
    LoadText(object, "\"Test::Everything\" { String \"a\" Int 1 Float 2.5 Int 3 String \"b\" }");
    EXPECT_EQ(3, object.i);
    EXPECT_EQ(2.5f, object.f);
    EXPECT_EQ("b", object.s);
    EXPECT_EQ(10u, object.u);  // absent: kept

    // Obsolete properties are still read from old files.
    LoadText(object, "\"Test::Everything\" { Old 3 }");
    EXPECT_EQ(ReflectionTest::Shade::Light, object.old);

    // Loading clears the collections first.
    object.items.Add(new Item(1));
    LoadText(object, "\"Test::Everything\" { Items [ \"Test::Item\" { Value 5 } \"Test::Item\" { } ] }");
    ASSERT_EQ(2, object.items.GetCount());
    EXPECT_EQ(5, static_cast<Item*>(object.items.Get(0))->value);
    EXPECT_EQ(0, static_cast<Item*>(object.items.Get(1))->value);

    // A derived class reads its base's fields and its own.
    Derived derived;
    LoadText(derived, "\"Test::Derived\" { Extra 4 Float 0.5 }");
    EXPECT_EQ(4, derived.extra);
    EXPECT_EQ(0.5f, derived.f);

    ReflectionTest::Clash clash;
    LoadText(clash, "\"Test::Clash\" { Things 6 }");
    EXPECT_EQ(6, clash.things);
}

TEST_F(ObjectTest, LoadFailuresReportTheirTexts) {
    Everything object;
    EXPECT_EQ(PanicReport("Common\\Object.cpp", 126, "Unknown field or collection: Bogus in Test::Everything"),
              ReportOf([&] { LoadText(object, "\"Test::Everything\" { Int 2 Bogus 1 }"); }));
    EXPECT_EQ(AssertionReport("Common\\Object.cpp", 51, "Class name mismatch"),
              ReportOf([&] { LoadText(object, "\"Test::Item\" { }"); }));
    EXPECT_EQ(PanicReport("Common\\PropertyInfo.h", 165, "Attempt to write read-only property"),
              ReportOf([&] { LoadText(object, "\"Test::Everything\" { Fixed 1 }"); }));
    EXPECT_EQ(5, object.fixed);

    Reader unregistered("\"Test::Unregistered\" { }");
    EXPECT_EQ(PanicReport("Common\\Object.cpp", 200, "Unregistered class: Test::Unregistered"),
              ReportOf([&] { Object::CreateFromArchive(unregistered.archive); }));
}

TEST_F(ObjectTest, CreateFromArchiveReturnsTheObjectOrDeletesItOnFailure) {
    Reader good("\"Test::Everything\" { Int 12 Items [ \"Test::Item\" { Value 2 } ] }");
    Object* object = Object::CreateFromArchive(good.archive);
    ASSERT_NE(nullptr, object);
    EXPECT_EQ(&Everything::staticClassInfo, object->GetClassInfo());
    EXPECT_EQ(12, static_cast<Everything*>(object)->i);
    delete object;

    // A syntax error late in the file, inside an item already created, and a field
    // the object does not know: nothing is left alive.
    const int alive = ReflectionTest::aliveCount;
    for (const char* text : {
             "\"Test::Everything\" { Int 12 Items [ \"Test::Item\" { Value 2 } \"Test::Item\" { Value } ] }",
             "\"Test::Everything\" { Int 12 Items [ \"Test::Item\" { Value 2 } ] String \"unterminated }",
             "\"Test::Everything\" { Int 12 Items [ \"Test::Item\" { Value 2 } ] Bogus 3 }",
         }) {
        Reader bad(text);
        EXPECT_NE("", ReportOf([&] { Object::CreateFromArchive(bad.archive); })) << text;
        EXPECT_EQ(alive, ReflectionTest::aliveCount) << text;
    }
}

TEST_F(ObjectTest, AnimableObjectsSaveAndLoadTheirAnimators) {
    Zep::AnimableObject object;
    EXPECT_EQ(0, object.GetLastFrameNumber());
    EXPECT_EQ("\"Zep::AnimableObject\" {\n}\n", SaveText(object));

    LoadText(object,
             "\"Zep::AnimableObject\" { Animators [ \"Test::FakeAnimator\" { LastFrame 40 } "
             "\"Test::FakeAnimator\" { LastFrame 12 } ] }");
    ASSERT_EQ(2, object.animators.GetCount());
    EXPECT_TRUE(object.animators.GetOwnsObjects());
    EXPECT_EQ(&object, object.animators.GetOwner());
    EXPECT_EQ(40, object.GetLastFrameNumber());
    EXPECT_NE(std::string::npos, SaveText(object).find("\t\t\"Test::FakeAnimator\" {\n\t\t\tLastFrame 12\n"));
}
