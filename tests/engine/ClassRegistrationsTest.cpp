// The built-in class records among the test binary's own classes, and classes
// registered at run time (as scripts define them) in the same registry.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "BuiltInClasses.h"
#include "Common/ClassInfo.h"
#include "Common/ClassRegistrations.h"
#include "Common/ClassRegistry.h"
#include "Common/Image.h"
#include "TestSupport.h"

using Zep::ClassInfo;
using Zep::ClassRegistry;

namespace {

std::vector<std::string> unregistered;

void RecordUnregistration(const ClassInfo& info) {
    unregistered.push_back(info.GetName());
}

TEST(ClassRegistrations, BuiltInClassesKeepTheirOrderAndBasesWhateverIsLinkedAroundThem) {
    Zep::ForceLinkClassRegistrations();
    ClassRegistry& registry = ClassRegistry::GetInstance();
    std::vector<std::string> expected;
    for (const TestSupport::BuiltInClass& row : TestSupport::kBuiltInClasses) {
        expected.push_back(row.name);
        const ClassInfo* info = registry.FindClass(row.name);
        ASSERT_NE(nullptr, info) << row.name;
        const ClassInfo* base = info->GetBaseClassInfo();
        EXPECT_EQ(row.base, base ? base->GetName() : "") << row.name;
    }
    // The test classes of this binary register too, before or after the list.
    std::vector<std::string> builtIn;
    for (const ClassInfo* info : registry.GetRegistrationOrder()) {
        if (registry.FindClass(info->GetName()) != info)
            ADD_FAILURE() << info->GetName() << " is recorded but not registered";
        if (info->GetName().rfind("Zep::", 0) == 0)
            builtIn.push_back(info->GetName());
    }
    EXPECT_EQ(expected, builtIn);
    EXPECT_EQ(registry.GetClasses().size(), registry.GetRegistrationOrder().size());
}

TEST(ClassRegistrations, RunTimeClassesJoinTheSameRegistryAndMayReplaceABuiltInName) {
    const struct {
        const char* name;
        bool replacesBuiltIn;
    } cases[] = {{"Script::Ship", false}, {"Zep::Sticker", true}};
    for (const auto& c : cases) {
        // Replacing a built-in name takes it from the registry for good, so each case
        // runs in a child process.
        TestSupport::RunInChild([&] {
            ClassRegistry& registry = ClassRegistry::GetInstance();
            ClassInfo* builtIn = registry.FindClass(c.name);
            ASSERT_EQ(c.replacesBuiltIn, builtIn != nullptr);
            const size_t count = registry.GetClasses().size();
            ClassRegistry::SetUnregisterObserver(&RecordUnregistration);

            ClassInfo* defined = new ClassInfo(
                c.name, registry.FindClass("Zep::Image"), [] { return static_cast<Zep::Object*>(new Zep::Image); },
                nullptr, false);
            EXPECT_EQ(defined, registry.FindClass(c.name));
            EXPECT_EQ(defined, registry.GetRegistrationOrder().back());
            Zep::Object* object = registry.CreateObject(c.name);
            EXPECT_EQ(&Zep::Image::staticClassInfo, object->GetClassInfo());
            delete object;
            const size_t withDefined = c.replacesBuiltIn ? count : count + 1;
            EXPECT_EQ(withDefined, registry.GetClasses().size());
            EXPECT_EQ(withDefined, registry.GetRegistrationOrder().size()) << "the replaced record leaves the order";

            delete defined;
            EXPECT_EQ(nullptr, registry.FindClass(c.name));
            EXPECT_EQ(std::vector<std::string>{c.name}, unregistered);
            EXPECT_EQ(withDefined - 1, registry.GetRegistrationOrder().size());
            if (builtIn) {
                // The built-in record's own removal, at exit, finds the name gone.
                registry.UnregisterClass(builtIn);
                EXPECT_EQ(std::vector<std::string>{c.name}, unregistered);
            }
        });
    }
}

}  // namespace
