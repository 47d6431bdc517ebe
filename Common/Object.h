// Reflected objects: the root class of the scene content, its class records and
// the object that carries animators.
#pragma once

#include <cstdint>
#include <string>

#include "Common/ClassInfo.h"

namespace Zep {

class IArchive;
class OArchive;

// Declares the static class record of a reflected class together with its factory
// and its declare-properties function. Leaves the class body in public access.
#define ZEP_DECLARE_CLASS()                      \
public:                                          \
    static ::Zep::ClassInfo staticClassInfo;     \
    static ::Zep::Object* CreateClassInstance(); \
    static void DeclareProperties()

// Defines the class record of a concrete class under its archive name, and its
// factory. The class provides DeclareProperties itself. The records of the built-in
// classes are all defined in the list of Common/ClassRegistrations.cpp, which fixes
// the order of their construction; a class defined outside the engine uses the
// macro in a file of its own.
#define ZEP_IMPLEMENT_CLASS(Class, archiveName, BaseClassInfo)                                       \
    ::Zep::Object* Class::CreateClassInstance() {                                                    \
        return new Class();                                                                          \
    }                                                                                                \
    ::Zep::ClassInfo Class::staticClassInfo(archiveName, BaseClassInfo, &Class::CreateClassInstance, \
                                            &Class::DeclareProperties, false)

// The same for a class that cannot be instantiated: its factory panics.
#define ZEP_IMPLEMENT_ABSTRACT_CLASS(Class, archiveName, BaseClassInfo)                              \
    ::Zep::Object* Class::CreateClassInstance() {                                                    \
        return ::Zep::Detail::AbstractFactory();                                                     \
    }                                                                                                \
    ::Zep::ClassInfo Class::staticClassInfo(archiveName, BaseClassInfo, &Class::CreateClassInstance, \
                                            &Class::DeclareProperties, true)

namespace Detail {
// Panics "Attempt to instantiate abstract class".
[[noreturn]] Object* AbstractFactory();
}  // namespace Detail

class Object {
    ZEP_DECLARE_CLASS();

    Object();
    // A copy is a new object: it draws an id of its own and keeps the source's class.
    Object(const Object& other);
    // Identity (class and id) is not assigned.
    Object& operator=(const Object&) { return *this; }
    virtual ~Object();

    // Reads "ClassName { fields }"; the class name must be this object's.
    virtual void Load(IArchive& reader);
    virtual void Save(OArchive& writer);
    virtual void ToLuaEnforceClassWrapper() {}
    // Reads fields up to the end of the object; fields not present keep their values.
    virtual void LoadProperties(IArchive& reader);
    // Writes the properties that differ from a fresh instance and the non-empty collections.
    virtual void SaveProperties(OArchive& writer);

    ClassInfo* GetClassInfo() const { return classInfo; }
    const std::string& GetClassName() const { return classInfo->GetName(); }
    uint32_t GetObjectId() const { return objectId; }

    // False for a class name that is not registered.
    bool IsKindOf(const std::string& className) const;

    // Creates the object whose class the archive names and loads it; the caller owns it.
    static Object* CreateFromArchive(IArchive& reader);
    // Gives the object another class record (script-defined classes).
    static void OverrideClassInfo(Object* object, ClassInfo* classInfo);

    // --- Live objects ---
    // Every object is known by address from its construction to its destruction, so
    // a holder of a plain address can ask whether it still names the same object
    // without touching its memory.
    // The id of the object alive at the address, 0 when none is.
    static uint32_t GetLiveObjectId(const void* address);
    // True when an object with that (non-zero) id is alive at the address.
    static bool IsLiveObject(const void* address, uint32_t id);

protected:
    void SetClassInfo(ClassInfo* info) { classInfo = info; }

private:
    ClassInfo* classInfo;
    uint32_t objectId;
};

}  // namespace Zep
