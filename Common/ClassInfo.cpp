#include "Common/ClassInfo.h"

#include "Common/ClassRegistry.h"
#include "Common/Collection.h"
#include "Common/CoreUtils.h"
#include "Common/MemoryManager.h"
#include "Common/PropertyInfo.h"
#include "Common/StringUtils.h"

namespace Zep {

namespace {

PropertyInfo* FindIn(const PropertyInfoList& list, const std::string& name) {
    for (PropertyInfo* property : list) {
        if (property->GetName() == name)
            return property;
    }
    return nullptr;
}

}  // namespace

ClassInfo::ClassInfo(const std::string& name, ClassInfo* baseClassInfo, Factory factory,
                     DeclarePropertiesFunction declareProperties, bool isAbstract)
    : isAbstract(isAbstract ? 1 : 0), name(name), baseClassInfo(baseClassInfo), factory(factory) {
    ClassRegistry::GetInstance().RegisterClass(this);
    // Class records are made before the main routine and allocate their property
    // tables. Where the memory manager serves the program's allocations (the player:
    // registering has put a block in its default heap), tracking starts here, so that
    // the tables are not untracked memory; the records are destroyed before the exit
    // report this schedules, so they are no leaks either.
    if (MemoryManager::GetHeapAllocateSize() > 0)
        StartTrackingMemoryLeaks();
    if (declareProperties)
        declareProperties();
}

ClassInfo::~ClassInfo() {
    ClassRegistry::GetInstance().UnregisterClass(this);
    for (PropertyInfo* property : properties)
        delete property;
    for (PropertyInfo* property : obsoleteProperties)
        delete property;
    for (CollectionInfo* collection : collections)
        delete collection;
}

Object* ClassInfo::CreateInstance() {
    return factory ? factory() : nullptr;
}

void ClassInfo::SetMetadata(const std::string& text) {
    metadata = text;
    ReplaceAll(metadata, "$CLASS_NAME$", name);
}

bool ClassInfo::IsKindOf(const ClassInfo* other) const {
    if (!other)
        return false;
    for (const ClassInfo* walk = this; walk; walk = walk->baseClassInfo) {
        if (walk == other)
            return true;
    }
    return false;
}

PropertyInfo* ClassInfo::FindProperty(const std::string& propertyName, bool searchBases) const {
    for (const ClassInfo* walk = this; walk; walk = searchBases ? walk->baseClassInfo : nullptr) {
        if (PropertyInfo* property = FindIn(walk->properties, propertyName))
            return property;
    }
    return nullptr;
}

PropertyInfo* ClassInfo::FindObsoleteProperty(const std::string& propertyName, bool searchBases) const {
    for (const ClassInfo* walk = this; walk; walk = searchBases ? walk->baseClassInfo : nullptr) {
        if (PropertyInfo* property = FindIn(walk->obsoleteProperties, propertyName))
            return property;
    }
    return nullptr;
}

PropertyInfo* ClassInfo::GetProperty(const std::string& propertyName, bool searchBases) const {
    PropertyInfo* property = FindProperty(propertyName, searchBases);
    if (!property)
        Panic("Common\\ClassInfo.cpp", 171, "Unknown property '" + propertyName + "' in " + name);
    return property;
}

PropertyInfo* ClassInfo::GetObsoleteProperty(const std::string& propertyName, bool searchBases) const {
    PropertyInfo* property = FindObsoleteProperty(propertyName, searchBases);
    if (!property)
        Panic("Common\\ClassInfo.cpp", 203, "Unknown property '" + propertyName + "' in " + name);
    return property;
}

void ClassInfo::GetProperties(PropertyInfoList& list, bool withBases) const {
    list = properties;
    if (withBases && baseClassInfo) {
        PropertyInfoList bases;
        baseClassInfo->GetProperties(bases, true);
        list.insert(list.begin(), bases.begin(), bases.end());
    }
}

void ClassInfo::GetObsoleteProperties(PropertyInfoList& list, bool withBases) const {
    list = obsoleteProperties;
    if (withBases && baseClassInfo) {
        PropertyInfoList bases;
        baseClassInfo->GetObsoleteProperties(bases, true);
        list.insert(list.begin(), bases.begin(), bases.end());
    }
}

void ClassInfo::GetCollections(CollectionInfoList& list, bool withBases) const {
    list = collections;
    if (withBases && baseClassInfo) {
        CollectionInfoList bases;
        baseClassInfo->GetCollections(bases, true);
        list.insert(list.begin(), bases.begin(), bases.end());
    }
}

void ClassInfo::RegisterProperty(PropertyInfo* property) {
    if (property->GetFlags() & PROPERTY_OBSOLETE)
        obsoleteProperties.push_back(property);
    else
        properties.push_back(property);
}

void ClassInfo::RegisterCollection(CollectionInfo* collection) {
    collections.push_back(collection);
}

}  // namespace Zep
