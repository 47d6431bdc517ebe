#include "Common/ClassRegistry.h"

#include "Common/ClassInfo.h"
#include "Common/CoreUtils.h"

namespace Zep {

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
    classes[classInfo->GetName()] = classInfo;
}

void ClassRegistry::UnregisterClass(ClassInfo* classInfo) {
    const auto found = classes.find(classInfo->GetName());
    if (found == classes.end())
        return;
    if (found->second != classInfo)
        AssertionFailed("Common\\ClassRegistry.cpp", 86);
    classes.erase(found);
}

}  // namespace Zep
