// The property tables of the reflected classes against their checked-in copy
// (tests/data/classes/property-tables.txt): for every class its base, its own
// properties and collections in registration order with type, default, flags and
// animator registration, its metadata text, and the names it shares with a base.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <typeinfo>
#include <vector>

#include "Common/ClassRegistry.h"
#include "Common/Collection.h"
#include "Common/PropertyInfo.h"
#include "Common/SceneClasses.h"
#include "ObjectTestSupport.h"
#include "TestSupport.h"

using namespace ObjectTestSupport;
using Zep::ClassInfo;
using Zep::PropertyInfo;

namespace {

typedef std::vector<std::string> Rows;

struct ClassTable {
    std::string name;
    std::string base;
    bool metadata;
    // "|name|type|default|flags|animated|key callback|", in registration order.
    Rows rows;
};

struct Tables {
    std::vector<ClassTable> classes;
    std::set<std::string> shared;  // "class name"
};

std::string JoinRow(const Rows& cells) {
    std::string row = "|";
    for (const std::string& cell : cells)
        row += cell + "|";
    return row;
}

Tables ReadTables() {
    Tables tables;
    std::istringstream lines(TestSupport::ReadFile(std::string(ZEP_TEST_DATA) + "/classes/property-tables.txt"));
    std::string line;
    for (int number = 1; std::getline(lines, line); ++number) {
        std::istringstream words(line);
        std::string word, name, colon, base, metadata;
        words >> word;
        if (word.empty() || word[0] == '#')
            continue;
        if (word == "class" && (words >> name >> colon >> base) && colon == ":") {
            words >> metadata;
            tables.classes.push_back({name, base, metadata == "metadata", {}});
        } else if (word == "shares" && (words >> name >> base)) {
            tables.shared.insert(name + " " + base);
        } else if (word[0] == '|' && !tables.classes.empty()) {
            tables.classes.back().rows.push_back(std::regex_replace(line, std::regex(" *\\| *"), "|"));
        } else {
            ADD_FAILURE() << "property-tables.txt line " << number << " not understood: " << line;
        }
    }
    return tables;
}

// The value of the property as its archive form writes it.
std::string ArchiveValue(PropertyInfo* property, Zep::Object* object) {
    Zep::MemoryStream stream(0, Zep::MemoryStream::AutoResize);
    Zep::OTextArchive writer(&stream, false);
    property->WriteToArchive(object, writer);
    return stream.GetAsString();
}

std::string TypeText(const std::type_info& type) {
    if (type == typeid(std::string))
        return "byte string";
    if (type == typeid(char16_t))
        return "wchar_t";
    return Zep::GetTypeName(type);
}

std::string PropertyRow(PropertyInfo* property, Zep::Object* fresh) {
    const Zep::AnimatablePropertyEntry* entry = Zep::AnimatablePropertyRegistry::GetInstance().Find(property);
    return JoinRow({property->GetName(), TypeText(property->GetValueType()),
                    fresh ? ArchiveValue(property, fresh) : "(abstract)",
                    property->IsObsolete()   ? "obsolete"
                    : property->IsReadOnly() ? "read-only"
                                             : "",
                    entry ? "yes" : "", entry && entry->keyCallback ? "yes" : ""});
}

// Row by row, so that a difference names its class and property.
void ExpectRows(const std::string& className, const Rows& expected, const Rows& actual) {
    for (size_t i = 0; i < std::max(expected.size(), actual.size()); ++i) {
        EXPECT_EQ(i < expected.size() ? expected[i] : "(none)", i < actual.size() ? actual[i] : "(none)")
            << className << ", row " << i + 1;
    }
}

class PropertyTablesTest : public Fixture {};

}  // namespace

TEST_F(PropertyTablesTest, EveryClassRegistersExactlyItsTable) {
    // What the player does to keep the classes reached by name only.
    Zep::ForceLinkSceneClasses();
    const Tables tables = ReadTables();
    std::set<std::string> shared;
    for (const ClassTable& table : tables.classes) {
        ClassInfo* info = Zep::ClassRegistry::GetInstance().FindClass(table.name);
        ASSERT_NE(nullptr, info) << table.name << " is not registered";
        EXPECT_EQ(table.base, info->GetBaseClassInfo() ? info->GetBaseClassInfo()->GetName() : "") << table.name;
        std::unique_ptr<Zep::Object> fresh(info->IsAbstract() ? nullptr : info->CreateInstance());

        // The class record keeps properties, obsolete properties and collections in lists
        // of their own; the table's rows are compared in that grouping, each in order.
        Zep::PropertyInfoList properties, obsolete;
        info->GetProperties(properties, false);
        info->GetObsoleteProperties(obsolete, false);
        properties.insert(properties.end(), obsolete.begin(), obsolete.end());
        Rows rows;
        for (PropertyInfo* property : properties)
            rows.push_back(PropertyRow(property, fresh.get()));
        Zep::CollectionInfoList collections;
        info->GetCollections(collections, false);
        for (Zep::CollectionInfo* collection : collections) {
            const bool empty = !fresh || collection->IsEmpty(fresh.get());
            rows.push_back(JoinRow({collection->GetName(), "collection " + collection->GetItemClassInfo()->GetName(),
                                    empty ? "empty" : "not empty", "", "", ""}));
        }
        Rows expected = table.rows;
        std::stable_partition(expected.begin(), expected.end(),
                              [](const std::string& row) { return row.find("|obsolete|") == std::string::npos; });
        std::stable_partition(expected.begin(), expected.end(),
                              [](const std::string& row) { return row.find("|collection ") == std::string::npos; });
        ExpectRows(table.name, expected, rows);

        // Same-named properties of a class and a base.
        ClassInfo* base = info->GetBaseClassInfo();
        for (PropertyInfo* property : properties) {
            if (base && (base->FindProperty(property->GetName(), true) ||
                         base->FindObsoleteProperty(property->GetName(), true)))
                shared.insert(table.name + " " + property->GetName());
        }

        // The metadata names the class and only properties it has.
        const std::string& metadata = info->GetMetadata();
        if (!table.metadata) {
            EXPECT_EQ("", metadata) << table.name;
            continue;
        }
        EXPECT_EQ(0u, metadata.find("'Metadata::Class' { Name '" + table.name + "' Properties [ "))
            << table.name << ": " << metadata;
        const std::regex nameAttribute("\\bName '([^']*)'");
        for (auto match = std::sregex_iterator(metadata.begin(), metadata.end(), nameAttribute);
             match != std::sregex_iterator(); ++match) {
            const std::string name = (*match)[1];
            EXPECT_TRUE(name == table.name || info->FindProperty(name, true))
                << table.name << " metadata names " << name;
        }
    }
    EXPECT_EQ(tables.shared, shared);
}
