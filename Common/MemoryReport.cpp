#include "Common/MemoryReport.h"

#include <cstring>

#include "Common/CoreUtils.h"

namespace Zep {
namespace Memory {

namespace {

float Fragmentation(const Pool& pool) {
    if (pool.usedCount == 0)
        return 0.0f;
    const float tail = static_cast<float>(pool.reserveFree) + static_cast<float>(pool.committedFree);
    const float span = tail + static_cast<float>(pool.top - pool.origin);
    const float freeBlocks = static_cast<float>(pool.bigCount + pool.smallCount);
    return freeBlocks / static_cast<float>(pool.usedCount) * (1.0f - (span > 0.0f ? tail / span : 0.0f));
}

// Adds the pool's tracked blocks in use to the buffer, at most limit of them.
void CollectPool(const Pool& pool, const void* skip, LeakEntry* buffer, uint32_t capacity, uint32_t& count) {
    if (!pool.origin)
        return;
    uint32_t taken = 0;
    for (uint32_t position = pool.origin; position < pool.top && taken < kReportMaxBlocksPerPool;) {
        const uint32_t word = Word(position);
        uint32_t size;
        if ((word & 3) == 0) {
            size = Word(position + 8);
        } else if (word & 1) {
            size = word & kSizeMask;
            const void* data = Address(position + kUsedHeaderSize);
            if (!(word & kExemptBit) && data != skip) {
                if (count >= capacity)
                    Fail(ZEP_SOURCE_FILE, __LINE__, "Memory heap is probably corrupted");
                buffer[count++] = LeakEntry{data, size - kUsedHeaderSize, nullptr, 0};
                ++taken;
            }
        } else {
            size = word & 0xFFC;
        }
        position += size;
    }
}

bool CopyList(MemoryHeap* listHeap, const LeakEntry* entries, uint32_t count, bool withSource, LeakList& list) {
    list = LeakList{nullptr, 0, 0};
    uint32_t wanted = 0;
    for (uint32_t i = 0; i < count; ++i)
        wanted += (entries[i].sourceFile != nullptr) == withSource;
    if (!wanted)
        return true;
    list.entries = static_cast<LeakEntry*>(
        HeapAllocate(listHeap, wanted * sizeof(LeakEntry), alignof(LeakEntry), 0, listHeap->mark));
    if (!list.entries)
        return false;
    for (uint32_t i = 0; i < count; ++i) {
        if ((entries[i].sourceFile != nullptr) == withSource) {
            list.entries[list.count++] = entries[i];
            list.bytes += entries[i].size;
        }
    }
    return true;
}

}  // namespace

bool BuildHeapReport(MemoryHeap* heap, bool withLeaks, MemoryHeap* listHeap, HeapReport& report) {
    if (!IsHeap(heap))
        Fail(ZEP_SOURCE_FILE, __LINE__, "Heap handle is wrong or heap is corrupted");
    std::memset(&report, 0, sizeof(report));
    const Pool& small = heap->smallPool;
    const Pool& common = heap->commonPool;
    report.name = heap->name;
    report.heapSize = heap->heapSize;
    report.usedCount = small.usedCount + common.usedCount;
    report.freeCount = small.bigCount + small.smallCount + common.bigCount + common.smallCount;
    report.freeBytes = HeapFreeBytes(heap);
    report.allocatedBytes = HeapAllocatedBytes(heap);
    report.smallFragmentation = Fragmentation(small);
    report.commonFragmentation = Fragmentation(common);
    report.incomplete = report.usedCount > kReportMaxBlocks;
    if (!withLeaks || report.usedCount == 0)
        return true;

    const uint32_t capacity = report.usedCount < kReportMaxBlocks ? report.usedCount : kReportMaxBlocks;
    LeakEntry* buffer = static_cast<LeakEntry*>(
        HeapAllocate(listHeap, capacity * sizeof(LeakEntry), alignof(LeakEntry), 0, listHeap->mark));
    if (!buffer)
        return false;
    // The buffer is itself a block of the list heap: when that heap is reported, it is left out.
    uint32_t count = 0;
    CollectPool(small, buffer, buffer, capacity, count);
    CollectPool(common, buffer, buffer, capacity, count);
    const bool copied = CopyList(listHeap, buffer, count, true, report.withSource) &&
                        CopyList(listHeap, buffer, count, false, report.others);
    HeapFree(buffer);
    if (!copied) {
        FreeHeapReport(report);
        return false;
    }
    return true;
}

void FreeHeapReport(HeapReport& report) {
    if (report.withSource.entries)
        HeapFree(report.withSource.entries);
    if (report.others.entries)
        HeapFree(report.others.entries);
    report.withSource = LeakList{nullptr, 0, 0};
    report.others = LeakList{nullptr, 0, 0};
}

}  // namespace Memory
}  // namespace Zep
