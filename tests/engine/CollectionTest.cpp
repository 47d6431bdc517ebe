#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Common/Collection.h"
#include "ObjectTestSupport.h"
#include "ReflectionTestClasses.h"
#include "TestSupport.h"

using namespace ObjectTestSupport;
using ReflectionTest::Everything;
using ReflectionTest::Item;

namespace {

class CollectionTest : public Fixture {};

// Logs each hook call as "+index:value" or "-index:value", the value being that
// of the item in the slot at the time of the call.
class RecordingCollection : public Zep::Collection<RecordingCollection, Item> {
public:
    void OnInsert(int32_t index) { log.push_back("+" + Describe(index)); }
    void OnRemove(int32_t index) { log.push_back("-" + Describe(index)); }

    std::vector<std::string> log;

private:
    std::string Describe(int32_t index) {
        Item* item = Get(index);
        return std::to_string(index) + ":" + (item ? std::to_string(item->value) : "null");
    }
};

typedef std::vector<std::string> Log;

// Values of the items in order; "null" for empty entries.
std::string Values(const Zep::ObjectCollection& collection) {
    std::string text;
    for (int32_t i = 0; i < collection.GetCount(); ++i) {
        Item* item = static_cast<Item*>(collection.Get(i));
        text += (text.empty() ? "" : " ") + (item ? std::to_string(item->value) : std::string("null"));
    }
    return text;
}

std::string IndexReport(int line) {
    return AssertionReport("Common\\Collection.h", line, "Index out of bounds");
}

}  // namespace

TEST_F(CollectionTest, GrowthAllocatesByTheCapacityRule) {
    for (const auto& [count, capacity] : std::vector<std::pair<int32_t, int32_t>>{{1, 8}, {8, 8}, {9, 13}, {20, 30}}) {
        Zep::ObjectCollection collection;
        collection.Resize(count);
        EXPECT_EQ(capacity, collection.GetCapacity()) << count;
        EXPECT_EQ(count, collection.GetCount());
        EXPECT_EQ(nullptr, collection.Get(count - 1));
    }
    // Shrinking keeps the array until the count reaches 0.
    Zep::ObjectCollection collection;
    collection.Resize(20);
    collection.Resize(3);
    EXPECT_EQ(30, collection.GetCapacity());
    collection.Resize(0);
    EXPECT_EQ(0, collection.GetCapacity());
}

TEST_F(CollectionTest, OperationsKeepOrderAndOwnership) {
    const int alive = ReflectionTest::aliveCount;
    {
        Zep::ObjectCollection collection;
        collection.SetOwnsObjects(true);
        collection.Add(new Item(1));
        collection.Add(new Item(3));
        collection.Insert(1, new Item(2));
        collection.Insert(3, new Item(4));  // at count: appends
        EXPECT_EQ("1 2 3 4", Values(collection));

        Zep::Object* second = collection.Get(1);
        EXPECT_EQ(second, collection.Extract(second));
        EXPECT_EQ("1 3 4", Values(collection));
        EXPECT_FALSE(collection.Exists(second));
        EXPECT_EQ(alive + 4, ReflectionTest::aliveCount);  // extracted, not deleted
        delete second;

        collection.Remove(collection.Get(0));
        collection.Remove(1);
        EXPECT_EQ("3", Values(collection));
        EXPECT_EQ(alive + 1, ReflectionTest::aliveCount);

        Item stranger(9);
        EXPECT_EQ(PanicReport("Common\\Collection.h", 509, "Object not found"),
                  ReportOf([&] { collection.Extract(&stranger); }));
        EXPECT_EQ(PanicReport("Common\\Collection.h", 526, "Object not found"),
                  ReportOf([&] { collection.Remove(&stranger); }));
    }
    EXPECT_EQ(alive, ReflectionTest::aliveCount);  // the destructor deletes owned items

    // Cutting off items of a collection that does not own them leaves them alive.
    Item a(1), b(2);
    Zep::ObjectCollection borrowed;
    borrowed.Add(&a);
    borrowed.Add(&b);
    borrowed.Resize(1);
    borrowed.Resize(2);
    EXPECT_EQ("1 null", Values(borrowed));
    EXPECT_EQ(2, b.value);
}

TEST_F(CollectionTest, HooksRunInTheirOrder) {
    RecordingCollection collection;
    collection.SetOwnsObjects(true);
    collection.Add(new Item(10));
    collection.Add(new Item(11));
    collection.Insert(1, new Item(12));
    EXPECT_EQ((Log{"+0:10", "+1:11", "+1:12"}), collection.log);

    collection.log.clear();
    collection.Put(0, new Item(13));
    collection.Remove(2);
    delete collection.Extract(1);
    EXPECT_EQ((Log{"-0:10", "+0:13", "-2:11", "-1:12"}), collection.log);

    collection.log.clear();
    collection.Resize(4);  // growth calls no hook
    collection.Put(2, new Item(14));
    collection.Resize(1);  // the empty entry is passed over
    EXPECT_EQ((Log{"+2:14", "-2:14"}), collection.log);
    EXPECT_EQ(13, collection.Get(0)->value);
}

TEST_F(CollectionTest, BadIndicesAreReportedAndChangeNothing) {
    const int alive = ReflectionTest::aliveCount;
    RecordingCollection collection;
    collection.SetOwnsObjects(true);
    collection.Add(new Item(1));
    collection.Add(new Item(2));
    collection.log.clear();

    Item extra(3);
    EXPECT_EQ(IndexReport(291), ReportOf([&] { collection.Get(-1); }));
    EXPECT_EQ(IndexReport(291), ReportOf([&] { collection.Get(2); }));
    EXPECT_EQ(IndexReport(336), ReportOf([&] { collection.Put(-1, &extra); }));
    EXPECT_EQ(IndexReport(336), ReportOf([&] { collection.Put(2, &extra); }));
    EXPECT_EQ(IndexReport(417), ReportOf([&] { collection.Insert(-1, &extra); }));
    EXPECT_EQ(IndexReport(417), ReportOf([&] { collection.Insert(3, &extra); }));
    EXPECT_EQ(IndexReport(462), ReportOf([&] { collection.Extract(-1); }));
    EXPECT_EQ(IndexReport(482), ReportOf([&] { collection.Remove(2); }));
    const std::string resize = ReportOf([&] { collection.Resize(-1); });
    EXPECT_TRUE(EndsWith(resize, "Index out of bounds")) << resize;

    EXPECT_EQ(2, collection.GetCount());
    EXPECT_EQ(8, collection.GetCapacity());
    EXPECT_EQ(2, collection.Get(1)->value);
    EXPECT_TRUE(collection.log.empty());
    EXPECT_EQ(alive + 3, ReflectionTest::aliveCount);
}

TEST_F(CollectionTest, PuttingTheSameItemBackKeepsItAlive) {
    Zep::ObjectCollection collection;
    collection.SetOwnsObjects(true);
    collection.Add(new Item(5));
    collection.Put(0, collection.Get(0));
    ASSERT_TRUE(Zep::Object::IsLiveObject(collection.Get(0), collection.Get(0)->GetObjectId()));
    EXPECT_EQ(5, static_cast<Item*>(collection.Get(0))->value);
}

TEST_F(CollectionTest, CollectionsRoundTripThroughTextArchives) {
    Everything object;
    object.items.Add(new Item(1));
    object.items.Add(new Everything);
    static_cast<Everything*>(object.items.Get(1))->items.Add(new Item(2));
    const std::string text = SaveText(object);
    EXPECT_EQ(
        "\"Test::Everything\" {\n"
        "\tItems [\n"
        "\t\t\"Test::Item\" {\n"
        "\t\t\tValue 1\n"
        "\t\t}\n"
        "\t\t\"Test::Everything\" {\n"
        "\t\t\tItems [\n"
        "\t\t\t\t\"Test::Item\" {\n"
        "\t\t\t\t\tValue 2\n"
        "\t\t\t\t}\n"
        "\t\t\t]\n"
        "\t\t}\n"
        "\t]\n"
        "}\n",
        text);

    Everything loaded;
    LoadText(loaded, text);
    EXPECT_EQ(text, SaveText(loaded));

    // An empty array empties a collection that held items, deleting owned ones.
    const int alive = ReflectionTest::aliveCount;
    LoadText(loaded, "\"Test::Everything\" { Items [ ] }");
    EXPECT_TRUE(loaded.items.IsEmpty());
    EXPECT_EQ(alive - 3, ReflectionTest::aliveCount);
}

TEST_F(CollectionTest, NullEntriesAreSkippedWhenWriting) {
    Everything object;
    object.items.Resize(2);
    object.items.Put(1, new Item(7));
    TestSupport::StderrCapture capture;
    const std::string text = SaveText(object);
    EXPECT_EQ("\"Test::Everything\" {\n\tItems [\n\t\t\"Test::Item\" {\n\t\t\tValue 7\n\t\t}\n\t]\n}\n", text);
    EXPECT_NE(std::string::npos, capture.Text().find("Collection entry 0 holds no object"));
}

TEST_F(CollectionTest, ItemsOfTheWrongClassAreRefused) {
    // The animator collection takes animators only.
    Zep::AnimableObject object;
    const int alive = ReflectionTest::aliveCount;
    EXPECT_EQ(
        AssertionReport("Common\\Collection.h", 192, "ReadCollectionFromArchive failed: invalid collection item class"),
        ReportOf([&] { LoadText(object, "\"Zep::AnimableObject\" { Animators [ \"Test::Item\" { } ] }"); }));
    EXPECT_EQ(alive, ReflectionTest::aliveCount);

    // Through the collection info, an object of another class arrives as null.
    Zep::CollectionInfoList collections;
    Zep::AnimableObject::staticClassInfo.GetCollections(collections, false);
    Item item(1);
    collections.at(0)->Add(&object, &item);
    EXPECT_EQ(1, collections.at(0)->GetCount(&object));
    EXPECT_EQ(nullptr, collections.at(0)->Get(&object, 0));
}
