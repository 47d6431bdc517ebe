// The property tables of the reflected classes against their checked-in copy
// (tests/data/classes/property-tables.txt): for every class its base, its own
// properties and collections in registration order with type, default, flags and
// animator registration, its metadata text with the editor's value names, the names it
// shares with a base and the inherited defaults its constructor changes; and what
// creating it by name gives: its class, its kinds, a container or not, and a save
// without fields.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <typeinfo>
#include <vector>

#include "Common/Actor.h"
#include "Common/ClassRegistrations.h"
#include "Common/ClassRegistry.h"
#include "Common/Collection.h"
#include "Common/PropertyInfo.h"
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
    std::string metadata;  // "", "metadata" or "metadata-name"
    bool isAbstract;
    bool compound;
    // "|name|type|default|flags|animated|key callback|", in registration order.
    Rows rows;
};

struct Tables {
    std::vector<ClassTable> classes;
    std::set<std::string> shared;  // "class name"
    // Inherited defaults that a class changes: "class name" to the value's archive form.
    std::map<std::string, std::string> changed;
    // The editor's value names: "class name" to "Values [ ... ]" or "BitNames [ ... ]".
    std::map<std::string, std::string> valueNames;
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
    // Class names may hold blanks ("Zep::TypedAnimator<unsigned int>").
    const std::regex classLine("class (.+?)(?: : (\\S+))?((?: (?:metadata|metadata-name|abstract|compound))*)");
    for (int number = 1; std::getline(lines, line); ++number) {
        std::istringstream words(line);
        std::string word, name, base, value;
        words >> word;
        if (word.empty() || word[0] == '#')
            continue;
        std::smatch match;
        if (std::regex_match(line, match, classLine)) {
            const std::string flags = match[3].str() + " ";
            const std::string metadata = flags.find(" metadata ") != std::string::npos        ? "metadata"
                                         : flags.find(" metadata-name ") != std::string::npos ? "metadata-name"
                                                                                              : "";
            tables.classes.push_back({match[1],
                                      match[2],
                                      metadata,
                                      flags.find(" abstract ") != std::string::npos,
                                      flags.find(" compound ") != std::string::npos,
                                      {}});
        } else if (word == "shares" && (words >> name >> base)) {
            tables.shared.insert(name + " " + base);
        } else if (word == "changes" && (words >> name >> base >> value)) {
            tables.changed[name + " " + base] = value;
        } else if (word == "values" && (words >> name >> base) && std::getline(words >> std::ws, value)) {
            tables.valueNames[name + " " + base] = value;
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
    Zep::ForceLinkClassRegistrations();
    const Tables tables = ReadTables();
    std::set<std::string> shared;
    std::map<std::string, std::string> valueNames;
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
        if (table.metadata != "metadata") {
            EXPECT_EQ(table.metadata.empty() ? "" : "'Metadata::Class' { Name '" + table.name + "' }", metadata)
                << table.name;
            continue;
        }
        EXPECT_EQ(0u, metadata.find("'Metadata::Class' { Name '" + table.name + "' Properties [ "))
            << table.name << ": " << metadata;
        const std::regex enumeration(
            "'Metadata::(?:Enum|BitMask)Property' \\{ Name '([^']*)'[^\\[]*((?:Values|BitNames) "
            "\\[[^\\]]*\\])");
        for (auto match = std::sregex_iterator(metadata.begin(), metadata.end(), enumeration);
             match != std::sregex_iterator(); ++match)
            valueNames[table.name + " " + (*match)[1].str()] = (*match)[2];
        const std::regex nameAttribute("\\bName '([^']*)'");
        for (auto match = std::sregex_iterator(metadata.begin(), metadata.end(), nameAttribute);
             match != std::sregex_iterator(); ++match) {
            const std::string name = (*match)[1];
            EXPECT_TRUE(name == table.name || info->FindProperty(name, true))
                << table.name << " metadata names " << name;
        }
    }
    EXPECT_EQ(tables.shared, shared);
    EXPECT_EQ(tables.valueNames, valueNames);
}

TEST_F(PropertyTablesTest, EveryClassIsCreatedByNameWithItsKindsAndSavesWithoutFields) {
    Zep::ForceLinkClassRegistrations();
    const Tables tables = ReadTables();
    std::map<std::string, std::string> bases;
    for (const ClassTable& table : tables.classes)
        bases[table.name] = table.base;
    // Every registration of the engine is in the file.
    EXPECT_EQ(56u, tables.classes.size());
    for (const auto& entry : Zep::ClassRegistry::GetInstance().GetClasses()) {
        if (entry.first.rfind("Zep::", 0) == 0) {
            EXPECT_EQ(1u, bases.count(entry.first)) << entry.first << " is not in property-tables.txt";
        }
    }

    for (const ClassTable& table : tables.classes) {
        ClassInfo* info = Zep::ClassRegistry::GetInstance().FindClass(table.name);
        ASSERT_NE(nullptr, info) << table.name << " is not registered";
        EXPECT_EQ(table.isAbstract, info->IsAbstract()) << table.name;
        std::set<std::string> kinds;
        for (std::string kind = table.name; !kind.empty(); kind = bases[kind])
            kinds.insert(kind);
        for (const ClassTable& other : tables.classes) {
            EXPECT_EQ(kinds.count(other.name) != 0,
                      info->IsKindOf(Zep::ClassRegistry::GetInstance().FindClass(other.name)))
                << table.name << " of kind " << other.name;
        }

        if (table.isAbstract) {
            EXPECT_EQ(PanicReport("Common\\RTTIClass.h", 117, "Attempt to instantiate abstract class"),
                      ReportOf([&] { Zep::ClassRegistry::GetInstance().CreateObject(table.name); }))
                << table.name;
            continue;
        }
        std::unique_ptr<Zep::Object> object(Zep::ClassRegistry::GetInstance().CreateObject(table.name));
        ASSERT_NE(nullptr, object) << table.name;
        EXPECT_EQ(info, object->GetClassInfo()) << table.name;
        Zep::Actor* actor = dynamic_cast<Zep::Actor*>(object.get());
        EXPECT_EQ(table.compound, actor && actor->IsCompound()) << table.name;
        // An animator's body is written whole, and only once it is bound.
        if (!kinds.count("Zep::Animator")) {
            EXPECT_EQ("\"" + table.name + "\" {\n}\n", SaveText(*object));
        }
    }
}

TEST_F(PropertyTablesTest, ConstructorsChangeOnlyTheInheritedDefaultsTheTablesName) {
    Zep::ForceLinkClassRegistrations();
    const Tables tables = ReadTables();
    std::map<std::string, std::string> changed;
    for (const ClassTable& table : tables.classes) {
        ClassInfo* info = Zep::ClassRegistry::GetInstance().FindClass(table.name);
        ASSERT_NE(nullptr, info) << table.name;
        if (info->IsAbstract())
            continue;
        std::unique_ptr<Zep::Object> fresh(info->CreateInstance());
        Zep::PropertyInfoList properties;
        info->GetProperties(properties, true);
        for (PropertyInfo* property : properties) {
            ClassInfo* owner = property->GetOwnerClass();
            if (owner == info)
                continue;
            std::unique_ptr<Zep::Object> ownerFresh(owner->CreateInstance());
            const std::string value = ArchiveValue(property, fresh.get());
            if (value != ArchiveValue(property, ownerFresh.get()))
                changed[table.name + " " + property->GetName()] = value;
        }
    }
    EXPECT_EQ(tables.changed, changed);
}
