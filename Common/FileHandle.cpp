#include "Common/FileHandle.h"

#include "Common/CoreUtils.h"

namespace Zep {

typedef Detail::ThreadSyncGuard TableLock;

FileHandleTable::FileHandleTable() {
    for (OpenFileRecord*& head : buckets)
        head = nullptr;
}

int FileHandleTable::BucketOf(const OpenFileRecord* record) {
    // Only the low 32 bits of the address take part, as on 32-bit Windows.
    const uint32_t address = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(record));
    const uint32_t hash = ((address >> 16) ^ (address & ~3u)) & 0xFFFFu;
    return static_cast<int>((hash & 0xFFu) ^ (hash >> 8));
}

void FileHandleTable::Add(OpenFileRecord* record) {
    TableLock guard(&lock);
    OpenFileRecord*& head = buckets[BucketOf(record)];
    if (head) {
        if (head->previous)
            AssertionFailed("Common\\FileHandle.cpp", 50);
        head->previous = record;
    }
    record->next = head;
    record->previous = nullptr;
    head = record;
}

bool FileHandleTable::IsValid(const OpenFileRecord* handle) {
    if (!handle)
        return false;
    TableLock guard(&lock);
    for (const OpenFileRecord* record = buckets[BucketOf(handle)]; record; record = record->next) {
        if (record == handle)
            return true;
    }
    return false;
}

void FileHandleTable::Remove(OpenFileRecord* record) {
    TableLock guard(&lock);
    OpenFileRecord*& head = buckets[BucketOf(record)];
    if (record->previous) {
        if (record->previous->next != record)
            AssertionFailed("Common\\FileHandle.cpp", 85);
        record->previous->next = record->next;
    } else {
        if (head != record)
            AssertionFailed("Common\\FileHandle.cpp", 91);
        head = record->next;
    }
    if (record->next) {
        if (record->next->previous != record)
            AssertionFailed("Common\\FileHandle.cpp", 96);
        record->next->previous = record->previous;
    }
    record->next = nullptr;
    record->previous = nullptr;
}

OpenFileRecord* FileHandleTable::FindFirst(bool skip) {
    TableLock guard(&lock);
    bool skipped = !skip;
    for (OpenFileRecord* head : buckets) {
        for (OpenFileRecord* record = head; record; record = record->next) {
            if (skipped)
                return record;
            skipped = true;
        }
    }
    return nullptr;
}

}  // namespace Zep
