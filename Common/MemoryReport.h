// The usage and leak record of one heap, built under the memory manager's lock.
#pragma once

#include <cstdint>

#include "Common/MemoryHeap.h"

namespace Zep {
namespace Memory {

struct LeakEntry {
    const void* data;
    uint32_t size;  // usable bytes
    const char* sourceFile;
    int sourceLine;
};

struct LeakList {
    LeakEntry* entries;
    uint32_t count;
    uint32_t bytes;
};

struct HeapReport {
    const char* name;
    uint32_t heapSize;
    uint32_t usedCount;
    uint32_t freeCount;
    uint32_t freeBytes;
    uint32_t allocatedBytes;
    float smallFragmentation;
    float commonFragmentation;
    LeakList withSource;  // blocks that record a source file
    LeakList others;
    bool incomplete;  // more blocks in use than a report lists
};

const uint32_t kReportMaxBlocks = 100;
const uint32_t kReportMaxBlocksPerPool = 50;

// Fills the record; its lists come from listHeap. False when they cannot be had.
bool BuildHeapReport(MemoryHeap* heap, bool withLeaks, MemoryHeap* listHeap, HeapReport& report);
// Returns the record's lists to their heap.
void FreeHeapReport(HeapReport& report);

}  // namespace Memory
}  // namespace Zep
