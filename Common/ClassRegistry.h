// The process-wide map from class name to class record.
#pragma once

#include <map>
#include <string>
#include <vector>

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

    // --- Test hooks ---
    // The registered classes in the order of their registration (a class whose name a
    // later registration took is no longer among them).
    const std::vector<ClassInfo*>& GetRegistrationOrder() const { return registrationOrder; }
    // Called after each unregistration that removed a class from the registry, while
    // the class record still lives. Tests watch the teardown at exit with it.
    typedef void (*UnregisterObserver)(const ClassInfo& classInfo);
    static void SetUnregisterObserver(UnregisterObserver observer);

private:
    ClassRegistry() {}
    ClassRegistry(const ClassRegistry&) = delete;
    ClassRegistry& operator=(const ClassRegistry&) = delete;

    void RemoveFromRegistrationOrder(const ClassInfo* classInfo);

    std::map<std::string, ClassInfo*> classes;
    std::vector<ClassInfo*> registrationOrder;
};

}  // namespace Zep
