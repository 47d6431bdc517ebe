#include "Common/ThreadList.h"

#include <atomic>

#include "Common/CoreUtils.h"

namespace Zep {
namespace Detail {

namespace {

std::atomic<bool> listDestroyed{false};
ThreadList* processList = nullptr;

}  // namespace

ThreadList* ThreadList::Instance() {
    ZEP_ASSERT_MSG(!listDestroyed, "Trying to access ThreadList singleton but it was already destructed");
    static ThreadList* list = [] {
        static ThreadList object;
        processList = &object;
        return &object;
    }();
    return list;
}

bool ThreadList::IsDestroyed() {
    return listDestroyed;
}

ThreadList::ThreadList() {
    for (Entry& entry : entries)
        entry = Entry{0, nullptr, -1};
    for (int& head : buckets)
        head = -1;
}

ThreadList::~ThreadList() {
    if (this == processList) {
        processList = nullptr;
        listDestroyed = true;
    }
}

uint32_t ThreadList::BucketOf(uint32_t threadId) {
    const uint32_t b = ((threadId >> 2) ^ (threadId >> 12)) & 0x3FF;
    return (b & 0x1F) ^ (b >> 5);
}

void ThreadList::AddToList(uint32_t threadId, Thread* thread) {
    SpinLockGuard guard(spin);
    const uint32_t bucket = BucketOf(threadId);
    for (int at = buckets[bucket]; at >= 0; at = entries[at].next)
        if (entries[at].threadId == threadId)
            ZEP_PANIC("Zep::Detail::ThreadList.AddToList(): threadId is duplicated");
    if (count >= kEntries)
        ZEP_PANIC("Zep::Detail::ThreadList.AddToList(): too many threads in list");
    for (int at = 0; at < kEntries; ++at) {
        if (entries[at].thread)
            continue;
        entries[at] = Entry{threadId, thread, buckets[bucket]};
        buckets[bucket] = at;
        ++count;
        return;
    }
}

void ThreadList::DeleteFromList(uint32_t threadId) {
    SpinLockGuard guard(spin);
    int* link = &buckets[BucketOf(threadId)];
    while (*link >= 0 && entries[*link].threadId != threadId)
        link = &entries[*link].next;
    if (*link < 0)
        ZEP_PANIC("Zep::Detail::ThreadList.DeleteFromList(): threadId not found");
    Entry& entry = entries[*link];
    *link = entry.next;
    entry = Entry{0, nullptr, -1};
    --count;
}

Thread* ThreadList::Find(uint32_t threadId) {
    SpinLockGuard guard(spin);
    for (int at = buckets[BucketOf(threadId)]; at >= 0; at = entries[at].next)
        if (entries[at].threadId == threadId)
            return entries[at].thread;
    return nullptr;
}

void ThreadList::ForEach(const std::function<void(uint32_t threadId, Thread* thread)>& visitor) {
    SpinLockGuard guard(spin);
    // Every entry is visited: a thread that left earlier leaves a free entry in
    // front of threads entered after it.
    for (const Entry& entry : entries)
        if (entry.thread)
            visitor(entry.threadId, entry.thread);
}

int ThreadList::GetCount() {
    SpinLockGuard guard(spin);
    return count;
}

}  // namespace Detail
}  // namespace Zep
