#include "Common/ClassRegistry.h"

#include <algorithm>

#include "Common/ClassInfo.h"
#include "Common/CoreUtils.h"

namespace Zep {

namespace {

ClassRegistry::UnregisterObserver unregisterObserver = nullptr;

}  // namespace

ClassRegistry& ClassRegistry::GetInstance() {
    static ClassRegistry instance;
    return instance;
}

ClassInfo* ClassRegistry::FindClass(const std::string& name) const {
    const auto found = classes.find(name);
    return found == classes.end() ? nullptr : found->second;
}

ClassInfo* ClassRegistry::GetClass(const std::string& name) const {
    ClassInfo* classInfo = FindClass(name);
    if (!classInfo)
        Panic("Common\\ClassRegistry.cpp", 60, "Unknown class: " + name);
    return classInfo;
}

Object* ClassRegistry::CreateObject(const std::string& name) const {
    return GetClass(name)->CreateInstance();
}

void ClassRegistry::RegisterClass(ClassInfo* classInfo) {
    ClassInfo*& entry = classes[classInfo->GetName()];
    if (entry)
        RemoveFromRegistrationOrder(entry);
    entry = classInfo;
    registrationOrder.push_back(classInfo);
}

void ClassRegistry::UnregisterClass(ClassInfo* classInfo) {
    const auto found = classes.find(classInfo->GetName());
    if (found == classes.end())
        return;
    if (found->second != classInfo)
        AssertionFailed("Common\\ClassRegistry.cpp", 86);
    classes.erase(found);
    RemoveFromRegistrationOrder(classInfo);
    if (unregisterObserver)
        unregisterObserver(*classInfo);
}

void ClassRegistry::SetUnregisterObserver(UnregisterObserver observer) {
    unregisterObserver = observer;
}

void ClassRegistry::RemoveFromRegistrationOrder(const ClassInfo* classInfo) {
    const auto found = std::find(registrationOrder.begin(), registrationOrder.end(), classInfo);
    if (found != registrationOrder.end())
        registrationOrder.erase(found);
    // The built-in records unregister at exit before the memory manager's leak
    // report: an emptied registry holds no memory then.
    if (registrationOrder.empty())
        std::vector<ClassInfo*>().swap(registrationOrder);
}

}  // namespace Zep
