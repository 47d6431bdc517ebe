// The process-wide map from class name to class record.
#pragma once

#include <map>
#include <string>

namespace Zep {

class ClassInfo;
class Object;

class ClassRegistry {
public:
    // Created on first use, so class records constructed in any order reach it.
    static ClassRegistry& GetInstance();

    // Exact, case-sensitive lookup; null when absent.
    ClassInfo* FindClass(const std::string& name) const;
    // The same, panicking "Unknown class: " + name when absent.
    ClassInfo* GetClass(const std::string& name) const;
    Object* CreateObject(const std::string& name) const;

    // A later registration under the same name replaces the earlier one.
    void RegisterClass(ClassInfo* classInfo);
    // The entry of the name must be this very record; an absent name is ignored.
    void UnregisterClass(ClassInfo* classInfo);

    const std::map<std::string, ClassInfo*>& GetClasses() const { return classes; }

private:
    ClassRegistry() {}
    ClassRegistry(const ClassRegistry&) = delete;
    ClassRegistry& operator=(const ClassRegistry&) = delete;

    std::map<std::string, ClassInfo*> classes;
};

}  // namespace Zep
