// The list of live engine threads, by system thread id.
#pragma once

#include <cstdint>
#include <functional>

#include "Common/ThreadSync.h"

namespace Zep {

class Thread;

namespace Detail {

class ThreadList {
public:
    static const int kEntries = 64;
    static const int kBuckets = 32;

    // The process-wide list, created on first use and destroyed at exit.
    static ThreadList* Instance();
    // True once the process-wide list was destroyed at exit.
    static bool IsDestroyed();

    ThreadList();
    ~ThreadList();

    void AddToList(uint32_t threadId, Thread* thread);
    void DeleteFromList(uint32_t threadId);
    // NULL when the id is not in the list.
    Thread* Find(uint32_t threadId);
    // Calls the visitor for every entry in use, under the list's lock; the visitor
    // must not call back into the list.
    void ForEach(const std::function<void(uint32_t threadId, Thread* thread)>& visitor);
    int GetCount();

    static uint32_t BucketOf(uint32_t threadId);

    ThreadList(const ThreadList&) = delete;
    ThreadList& operator=(const ThreadList&) = delete;

private:
    struct Entry {
        uint32_t threadId;
        Thread* thread;  // NULL when the entry is free
        int next;        // next entry in the bucket, -1 at the end
    };

    int count = 0;
    Entry entries[kEntries];
    int buckets[kBuckets];
    SpinLockByte spin{0};
};

}  // namespace Detail
}  // namespace Zep
