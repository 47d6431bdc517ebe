// The list of live threads.
#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "Common/CoreUtils.h"
#include "Common/ThreadList.h"
#include "Platforms/Win32/Win32Thread.h"
#include "TestSupport.h"
#include "ThreadTestSupport.h"

namespace {

using ThreadTestSupport::ReportOf;
using Zep::Detail::ThreadList;

Zep::Thread* FakeThread(int n) {
    return reinterpret_cast<Zep::Thread*>(static_cast<uintptr_t>(0x1000 + 16 * n));
}

TEST(ThreadListTest, EntriesSharingABucketStayFindableAfterOneLeaves) {
    ThreadList list;
    // b = ((id >> 2) ^ (id >> 12)) & 0x3FF; bucket = (b & 0x1F) ^ (b >> 5): 4, 128 and 0x1000 share bucket 1.
    EXPECT_EQ(ThreadList::BucketOf(0x1234), 8u);
    const uint32_t ids[3] = {4, 128, 0x1000};
    for (uint32_t id : ids)
        ASSERT_EQ(ThreadList::BucketOf(id), ThreadList::BucketOf(ids[0])) << id;
    for (int i = 0; i < 3; ++i)
        list.AddToList(ids[i], FakeThread(i));
    list.DeleteFromList(ids[1]);
    EXPECT_EQ(list.Find(ids[0]), FakeThread(0));
    EXPECT_EQ(list.Find(ids[1]), nullptr);
    EXPECT_EQ(list.Find(ids[2]), FakeThread(2));
    EXPECT_EQ(list.GetCount(), 2);
}

TEST(ThreadListTest, MisusePanicsAndFreedEntriesAreReused) {
    ThreadList list;
    list.AddToList(100, FakeThread(0));
    EXPECT_NE(ReportOf([&] {
                  list.AddToList(100, FakeThread(1));
              }).find("Zep::Detail::ThreadList.AddToList(): threadId is duplicated"),
              std::string::npos);
    EXPECT_NE(ReportOf([&] {
                  list.DeleteFromList(101);
              }).find("Zep::Detail::ThreadList.DeleteFromList(): threadId not found"),
              std::string::npos);
    list.AddToList(104, FakeThread(1));
    list.DeleteFromList(100);  // the freed first entry is taken again
    list.AddToList(5000, FakeThread(99));
    EXPECT_EQ(list.Find(5000), FakeThread(99));
}

TEST(ThreadListTest, IterationVisitsEntriesBehindAFreeOne) {
    ThreadList list;
    for (int i = 0; i < 4; ++i)
        list.AddToList(200 + 4 * i, FakeThread(i));
    list.DeleteFromList(200);
    list.DeleteFromList(208);
    std::vector<uint32_t> seen;
    list.ForEach([&](uint32_t id, Zep::Thread*) { seen.push_back(id); });
    EXPECT_EQ(seen, (std::vector<uint32_t>{204, 212}));
}

// Parks until told to go.
class ParkedThread : public Zep::Win32::Thread {
public:
    uint32_t Run() override { return 0; }
};

TEST(ThreadListTest, TheSixtyFifthLiveThreadPanics) {
    TestSupport::ChildResult child = TestSupport::RunInChild([] {
        Zep::Thread::GetCurrent();  // the main thread holds the first entry
        std::vector<std::unique_ptr<ParkedThread>> threads;
        int created = 0;
        const std::string report = ReportOf<Zep::Exception::Panic>([&] {
            for (int i = 0; i < 64; ++i) {
                threads.push_back(std::make_unique<ParkedThread>());
                threads.back()->Create(0, true, 0);
                ++created;
            }
        });
        EXPECT_EQ(63, created);
        EXPECT_NE(std::string::npos, report.find("Zep::Detail::ThreadList.AddToList(): too many threads in list"))
            << report;
        TestSupport::EndChild();  // the parked threads never ran: leave without waiting for them
    });
    EXPECT_EQ(child.exitCode, 0) << child.stdErr;
}

}  // namespace
