#include <gtest/gtest.h>

#include <vector>

#include "ReportOf.h"
#include "Common/CoreUtils.h"
#include "TestSupport.h"

namespace Zep {
namespace Testing {

class Counted {
public:
    static int constructions;
    static Counted* GetInstance() { return SubSystemSingleton<Counted, Counted>::Instance(); }

protected:
    Counted() { ++constructions; }
    virtual ~Counted() {}
};
int Counted::constructions = 0;

class Reentrant {
public:
    static Reentrant* GetInstance() { return SubSystemSingleton<Reentrant, Reentrant>::Instance(); }

protected:
    Reentrant() { GetInstance(); }
    virtual ~Reentrant() {}
};

struct Interface {
    virtual ~Interface() {}
    virtual int Kind() const { return 0; }
};
struct Implementation : Interface {
    int Kind() const override { return 1; }
};

}  // namespace Testing
}  // namespace Zep

namespace {

using namespace Zep::Testing;

TEST(SubSystemSingleton, ConstructsOnceAndReturnsTheSameObject) {
    Counted* first = Counted::GetInstance();
    EXPECT_EQ(first, Counted::GetInstance());
    EXPECT_EQ(1, Counted::constructions);
    EXPECT_FALSE((Zep::SubSystemSingleton<Counted, Counted>::IsDestroyed()));
}

TEST(SubSystemSingleton, BuildsTheImplementationBehindTheInterface) {
    Interface* object = Zep::SubSystemSingleton<Interface, Implementation>::Instance();
    EXPECT_EQ(1, object->Kind());
}

TEST(SubSystemSingleton, AccessDuringConstructionNamesTheInterface) {
    TestSupport::StderrCapture capture;
    EXPECT_EQ(
        "Assertion failed in file \"Common\\CoreUtils.h\", line 250:\n"
        "  Trying to access Zep::Testing::Reentrant singleton during its construction",
        TestSupport::ReportOf<Zep::Exception::Assertion>([] { Reentrant::GetInstance(); }));
}

TEST(TypeName, QualifiedNamesWithoutKeywordsOrBlanks) {
    EXPECT_EQ("Zep::Testing::Counted", Zep::GetTypeName(typeid(Counted)));
    EXPECT_EQ("std::vector<int,std::allocator<int>>", Zep::GetTypeName(typeid(std::vector<int>)));
}

}  // namespace
