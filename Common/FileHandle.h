// Open-file records and the table that knows which of them are open.
#pragma once

#include <cstdint>

#include "Common/CoreUtils.h"
#include "Platforms/Win32/Win32Mutex.h"

// Panics "<operation>(): file handle is wrong or file is not opened", reported where it
// is used, unless the handle is open in the table.
#define ZEP_CHECK_FILE_HANDLE(table, handle, operation) \
    ((table).IsValid(handle)                            \
         ? (void)0                                      \
         : ::Zep::Panic(ZEP_SOURCE_FILE, __LINE__, operation "(): file handle is wrong or file is not opened"))

namespace Zep {

// What a file handle points to. Size and position are kept here, so size, position
// and end-of-file queries make no system call.
struct OpenFileRecord {
    uint64_t size = 0;
    uint64_t position = 0;
    uint32_t flags = 0;              // normalised open flags
    void* platformHandle = nullptr;  // the system's file handle; NULL for packed-bundle files
    void* bundleEntry = nullptr;     // the packed-bundle entry; NULL for system files
    void* bundle = nullptr;          // the owning bundle, set by the bundle system
    OpenFileRecord* next = nullptr;  // links of the open-file table
    OpenFileRecord* previous = nullptr;
};

typedef OpenFileRecord* FileHandle;

// 256 buckets of records chained by their own links, chosen from the record's address.
class FileHandleTable {
public:
    static const int BucketCount = 256;

    FileHandleTable();

    // Pushes the record at the head of its bucket.
    void Add(OpenFileRecord* record);
    // True when this very pointer is an open record.
    bool IsValid(const OpenFileRecord* handle);
    void Remove(OpenFileRecord* record);
    // The first record in bucket order, or the second one with skip set; NULL when there is none.
    OpenFileRecord* FindFirst(bool skip);

    static int BucketOf(const OpenFileRecord* record);

    FileHandleTable(const FileHandleTable&) = delete;
    FileHandleTable& operator=(const FileHandleTable&) = delete;

private:
    Win32::FastMutex lock;
    OpenFileRecord* buckets[BucketCount];
};

}  // namespace Zep
