// Run-time class records of reflected objects.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace Zep {

class Object;
class PropertyInfo;
class CollectionInfo;

typedef std::vector<PropertyInfo*> PropertyInfoList;
typedef std::vector<CollectionInfo*> CollectionInfoList;

class ClassInfo {
public:
    typedef Object* (*Factory)();
    typedef void (*DeclarePropertiesFunction)();

    // Registers the class under its name, then runs the declare-properties function
    // (which may be null).
    ClassInfo(const std::string& name, ClassInfo* baseClassInfo, Factory factory,
              DeclarePropertiesFunction declareProperties, bool isAbstract);
    // A class made at run time (by a script): without a factory, CreateInstance answers
    // null.
    ClassInfo(const std::string& name, ClassInfo* baseClassInfo)
        : ClassInfo(name, baseClassInfo, nullptr, nullptr, false) {}
    // Unregisters the class and deletes its property and collection infos.
    virtual ~ClassInfo();

    ClassInfo(const ClassInfo&) = delete;
    ClassInfo& operator=(const ClassInfo&) = delete;

    // A new instance from the factory; null without a factory.
    virtual Object* CreateInstance();

    const std::string& GetName() const { return name; }
    // The same, under the name scripts read it by.
    const std::string& GetClassName() const { return name; }
    ClassInfo* GetBaseClassInfo() const { return baseClassInfo; }
    void SetBaseClassInfo(ClassInfo* base) { baseClassInfo = base; }
    bool IsAbstract() const { return isAbstract != 0; }
    const std::string& GetMetadata() const { return metadata; }
    // Stores the text with every "$CLASS_NAME$" replaced by the class name.
    void SetMetadata(const std::string& text);

    // This class or one of its bases is other; false for null.
    bool IsKindOf(const ClassInfo* other) const;

    // The property of that exact name; a property of a class hides one of its bases.
    PropertyInfo* FindProperty(const std::string& propertyName, bool searchBases) const;
    PropertyInfo* FindObsoleteProperty(const std::string& propertyName, bool searchBases) const;
    // The same, panicking when the property does not exist.
    PropertyInfo* GetProperty(const std::string& propertyName, bool searchBases) const;
    PropertyInfo* GetObsoleteProperty(const std::string& propertyName, bool searchBases) const;

    // Fill the list with the class's entries; withBases puts the bases' entries in
    // front, root class first.
    void GetProperties(PropertyInfoList& list, bool withBases) const;
    void GetObsoleteProperties(PropertyInfoList& list, bool withBases) const;
    void GetCollections(CollectionInfoList& list, bool withBases) const;

    // Takes ownership. Obsolete properties go to their own list.
    void RegisterProperty(PropertyInfo* property);
    void RegisterCollection(CollectionInfo* collection);

private:
    uint8_t isAbstract;
    std::string name;
    std::string metadata;
    ClassInfo* baseClassInfo;
    Factory factory;
    PropertyInfoList properties;
    PropertyInfoList obsoleteProperties;
    CollectionInfoList collections;
};

}  // namespace Zep
