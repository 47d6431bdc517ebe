#include <initializer_list>

#include "Common/MemoryHeap.h"

namespace Zep {
namespace Memory {

namespace {

const uint32_t kFreeSizeFlagBits = 0xC0000003;

struct PoolTexts {
    const char* bigCount;
    const char* smallCount;
    const char* freeSize;
    const char* smallMap;
    const char* smallMapMap;
    const char* endMarker;
    const char* counts;
    const char* walkFreeSize;
    const char* walkUsedSize;
};

const PoolTexts kSmallTexts = {
    "SmallPool is corrupted: bigCount field is wrong (amount of free blocks in bigBlocks list differs)",
    "SmallPool is corrupted: smallCount field is wrong (amount of free blocks in smallBlocks[] array differs)",
    "SmallPool is corrupted: freeSize field does not correspond to the total size of all free blocks in small pool",
    "SmallPool is corrupted: smallMap[] array does not correspond to smallBlocks[] array",
    "SmallPool is corrupted: smallMapMap field does not correspond to smallMap[] array",
    "SmallPool is corrupted: POOL_END_MARKER is missing",
    "SmallPool is corrupted: *count fields don't correspond to real amount of blocks in the pool",
    "SmallPool is corrupted: freeSize field does not correspond to real amount of free blocks in the pool",
    "SmallPool is corrupted: usedSize field does not correspond to real amount of used blocks in the pool",
};

const PoolTexts kCommonTexts = {
    "CommonPool is corrupted: bigCount field is wrong (amount of free blocks in bigBlcoks list differs)",
    "CommonPool is corrupted: smallCount field is wrong (amount of free blocks in smallBlocks[] array differs)",
    "CommonPool is corrupted: freeSize field does not correspond to the total size of all free blocks in common pool",
    "CommonPool is corrupted: smallMap[] array does not correspond to smallBlocks[] array",
    "CommonPool is corrupted: smallMapMap field does not correspond to smallMap[] array",
    "CommonPool is corrupted: POOL_END_MARKER is missing",
    "CommonPool is corrupted: *count fields don't correspond to real amount of blocks in the pool",
    "CommonPool is corrupted: freeSize field does not correspond to real amount of free blocks in the pool",
    "CommonPool is corrupted: usedSize field does not correspond to real amount of used blocks in the pool",
};

// Texts for damage that would otherwise send the walks outside the pool or round in circles.
const char* const kListOutside = "Heap is corrupted: free list leads outside of the pool";
const char* const kListEndless = "Heap is corrupted: free list is endless";
const char* const kBlockSizeWrong = "Heap pool is corrupted: block size field is wrong";

// Walks one free list; counts its blocks and bytes.
const char* CheckList(const Pool& pool, uint32_t head, uint32_t& steps, uint32_t& count, uint64_t& bytes) {
    uint32_t previous = 0;
    for (uint32_t block = head; block; block = Word(block + 4)) {
        if (steps == 0)
            return kListEndless;
        --steps;
        if (block < pool.origin || block + 12 > pool.top || (block & 3) != 0)
            return kListOutside;
        if (Word(block) != previous)
            return previous ? "Heap is corrupted: FreeBlock.prev field is wrong"
                            : "Heap is corrupted: FreeBlock.prev field is not NULL for first block in list";
        if (Word(block + 8) & kFreeSizeFlagBits)
            return "Heap is corrupted: one of free blocks contains wrong flags";
        ++count;
        bytes += Word(block + 8);
        previous = block;
    }
    return nullptr;
}

const char* CheckPoolLists(const MemoryHeap* heap, const Pool& pool, const PoolTexts& texts) {
    uint32_t steps = heap->heapSize / 12;
    uint32_t bigCount = 0;
    uint32_t smallCount = 0;
    uint64_t bytes = 0;
    if (const char* error = CheckList(pool, pool.bigBlocks, steps, bigCount, bytes))
        return error;
    for (uint32_t i = 0; i < kSmallListCount; ++i) {
        if (const char* error = CheckList(pool, pool.smallBlocks[i], steps, smallCount, bytes))
            return error;
    }
    if (bigCount != pool.bigCount)
        return texts.bigCount;
    if (smallCount != pool.smallCount)
        return texts.smallCount;
    if (bytes != pool.freeSize)
        return texts.freeSize;
    for (uint32_t i = 0; i < kSmallListCount; ++i) {
        const bool mapped = (pool.smallMap[i >> 5] >> (i & 31)) & 1;
        if (mapped != (pool.smallBlocks[i] != 0))
            return texts.smallMap;
    }
    for (uint32_t w = 0; w < 32; ++w) {
        const bool mapped = (pool.smallMapMap >> w) & 1;
        if (mapped != (pool.smallMap[w] != 0))
            return texts.smallMapMap;
    }
    if (pool.origin && Word(pool.top) != POOL_END_MARKER)
        return texts.endMarker;
    return nullptr;
}

enum BlockType { kNone, kFree, kUsed, kFiller };

const char* WalkPool(const MemoryHeap* heap, const Pool& pool, const PoolTexts& texts) {
    if (!pool.origin)
        return nullptr;
    const uint32_t heapOffset = OffsetOf(heap);
    uint32_t freeCount = 0, usedCount = 0, fillerCount = 0;
    uint64_t freeBytes = 0, usedBytes = 0;
    BlockType before = kNone;
    uint32_t position = pool.origin;
    while (position < pool.top) {
        const uint32_t word = Word(position);
        const uint32_t room = pool.top - position;
        uint32_t size;
        if ((word & 3) == 0) {
            if (room < 12)
                return kBlockSizeWrong;
            size = Word(position + 8);
            if (size & kFreeSizeFlagBits)
                return "FreeBlock corrupted: block contains wrong flags";
            if (before == kFree || before == kFiller)
                return "FreeBlock is corrupted: wrong block type before the block";
            if (size < 12 || size > room)
                return kBlockSizeWrong;
            if (Word(position + size - 4) != size)
                return "FreeBlock is corrupted: sizeFlags field repetition mismatch";
            ++freeCount;
            freeBytes += size;
            before = kFree;
        } else if (word & 1) {
            size = word & kSizeMask;
            if (size < 12 || size > room)
                return kBlockSizeWrong;
            if (Word(position + 4) != heapOffset)
                return "UsedBlock is corrupted: heap field is wrong";
            const bool filler = (word & 2) != 0;
            const bool frontFree = (word & kFrontFreeBit) != 0;
            if (filler != (before == kFiller) || frontFree != (before == kFree))
                return "UsedBlock is corrupted: wrong block type before the block";
            if (filler) {
                const uint32_t fillerWord = Word(position - 4);
                const uint32_t alignment = 1u << ((fillerWord >> 14) & 0xF);
                const uint32_t offset = (fillerWord >> 16) & 0xFFC;
                const uintptr_t data = reinterpret_cast<uintptr_t>(Address(position + 8));
                if ((data + offset) & (alignment - 1))
                    return "Heap is corrupted: align or offset fields of FillerBlock don't correspond to real data "
                           "alignment of UsedBlock";
            }
            ++usedCount;
            usedBytes += size;
            before = kUsed;
        } else {
            if (before == kFiller || ((word & kFrontFreeBit) != 0) != (before == kFree))
                return "FillerBlock is corrupted: wrong block type before the block";
            size = word & 0xFFC;
            if (size < 4 || size > 12 || size >= room)
                return kBlockSizeWrong;
            if ((Word(position + size - 4) ^ word) & ~kFrontFreeBit)
                return "FillerBlock is corrupted: sizeFlags field repetition mismatch";
            const uint32_t log2 = (word >> 14) & 0xF;
            if (log2 < 2 || log2 > 12)
                return "FillerBlock is corrupted: align field is wrong";
            if (word & 0x30003000)
                return "FillerBlock is corrupted: sizeFlags field contains unexpected bits";
            ++fillerCount;
            usedBytes += size;
            before = kFiller;
        }
        position += size;
    }
    if (before == kFree || before == kFiller)
        return "Heap pool is corrupted: there is unexpected free or filler block at the end of pool";
    if (freeCount != pool.bigCount + pool.smallCount || fillerCount != pool.fillerCount || usedCount != pool.usedCount)
        return texts.counts;
    if (freeBytes != pool.freeSize)
        return texts.walkFreeSize;
    if (usedBytes != pool.usedSize)
        return texts.walkUsedSize;
    return nullptr;
}

}  // namespace

const char* HeapCheck(const MemoryHeap* heap) {
    if (!IsArenaHeap(heap) || heap->self != heap)
        return "Heap handle is wrong or heap is corrupted";
    if (heap->magicStart != kHeapMagicStart || heap->magicEnd != kHeapMagicEnd ||
        (heap->mark != 0 && heap->mark != kExemptBit))
        return "Memory heap header is corrupted";

    const uint32_t start = OffsetOf(heap);
    const uint32_t first = start + kHeapHeaderSize;
    const uint64_t end = uint64_t(start) + heap->heapSize;
    const uint64_t room = heap->heapSize - kHeapHeaderSize;
    if (end > memorySystem.size || heap->heapSize <= kHeapHeaderSize)
        return "Memory heap header is corrupted";
    const Pool& small = heap->smallPool;
    const Pool& common = heap->commonPool;

    if (small.origin) {
        if (small.origin != first)
            return "SmallPool is corrupted: origin field is wrong";
        if (small.top < small.origin || uint64_t(small.committedFree) + small.reserveFree >= room ||
            uint64_t(small.top) + small.committedFree + small.reserveFree + 4 != common.origin ||
            uint64_t(small.top) + small.committedFree != small.commitEnd)
            return "SmallPool is corrupted: hugePiece structure is wrong";
        if (const char* error = CheckPoolLists(heap, small, kSmallTexts))
            return error;
    } else if (small.top || small.committedFree || small.reserveFree) {
        return "SmallHeap is corrupted: pool.origin == NULL but pool.hugePiece is not zeroed";
    }

    if (common.origin < first || common.origin >= end)
        return "CommonPool is corrupted: origin field is wrong";
    if (common.top < common.origin || uint64_t(common.committedFree) + common.reserveFree >= room ||
        uint64_t(common.top) + common.committedFree + common.reserveFree + 4 != end ||
        uint64_t(common.top) + common.committedFree != common.commitEnd)
        return "CommonPool is corrupted: hugePiece structure is wrong";
    if (const char* error = CheckPoolLists(heap, common, kCommonTexts))
        return error;

    if (const char* error = WalkPool(heap, small, kSmallTexts))
        return error;
    if (const char* error = WalkPool(heap, common, kCommonTexts))
        return error;

    uint64_t total = kHeapHeaderSize;
    for (const Pool* pool : {&small, &common}) {
        if (pool->origin)
            total += uint64_t(pool->usedSize) + pool->freeSize + pool->committedFree + pool->reserveFree + 4;
    }
    if (total != heap->heapSize)
        return "Heap is corrupted: field heapSize differs from the total size of all blocks in heap";
    return nullptr;
}

}  // namespace Memory
}  // namespace Zep
