#include <algorithm>
#include <cstring>

#include "Common/CoreUtils.h"
#include "Common/MemoryHeap.h"

namespace Zep {
namespace Memory {

namespace {

const char* const kBrokenHeap = "Heap handle is wrong or heap is corrupted";
const uint32_t kCommitStep = 512 * 1024;

inline bool HasSmallPool(const MemoryHeap* heap) {
    return heap->smallPool.origin != 0;
}

inline Pool& PoolOf(MemoryHeap* heap, uint32_t block) {
    return (HasSmallPool(heap) && block < heap->commonPool.origin) ? heap->smallPool : heap->commonPool;
}

inline uint32_t NeededBlockSize(size_t size) {
    const uint32_t need = static_cast<uint32_t>((size + 11) & ~size_t(3));
    return need < kMinBlockSize ? kMinBlockSize : need;
}

inline uint32_t Log2(uint32_t value) {
    return 31 - static_cast<uint32_t>(__builtin_clz(value));
}

void InsertFree(Pool& pool, uint32_t block, uint32_t size) {
    Word(block + 8) = size;
    Word(block + size - 4) = size;
    uint32_t* head;
    if (size >= kSmallLimit) {
        head = &pool.bigBlocks;
        ++pool.bigCount;
    } else {
        const uint32_t index = size >> 2;
        head = &pool.smallBlocks[index];
        pool.smallMap[index >> 5] |= 1u << (index & 31);
        pool.smallMapMap |= 1u << (index >> 5);
        ++pool.smallCount;
    }
    Word(block) = 0;
    Word(block + 4) = *head;
    if (*head)
        Word(*head) = block;
    *head = block;
    pool.freeSize += size;
}

void RemoveFree(Pool& pool, uint32_t block) {
    const uint32_t size = Word(block + 8);
    const uint32_t prev = Word(block);
    const uint32_t next = Word(block + 4);
    if (next)
        Word(next) = prev;
    if (size >= kSmallLimit) {
        if (prev)
            Word(prev + 4) = next;
        else
            pool.bigBlocks = next;
        --pool.bigCount;
    } else {
        const uint32_t index = size >> 2;
        if (prev) {
            Word(prev + 4) = next;
        } else {
            pool.smallBlocks[index] = next;
            if (!next) {
                uint32_t& map = pool.smallMap[index >> 5];
                map &= ~(1u << (index & 31));
                if (!map)
                    pool.smallMapMap &= ~(1u << (index >> 5));
            }
        }
        --pool.smallCount;
    }
    pool.freeSize -= size;
}

// Takes bytes from the pool's untouched tail, committing in steps of at least 512 KiB.
bool TakeFromHugePiece(Pool& pool, uint32_t bytes, uint32_t& block) {
    if (!pool.origin)
        return false;
    if (pool.committedFree < bytes) {
        if (uint64_t(pool.committedFree) + pool.reserveFree < bytes)
            return false;
        const uint32_t more = std::min<uint64_t>(pool.reserveFree, uint64_t(bytes) + kCommitStep);
        // The pages cover 4 bytes beyond, for the end marker.
        if (!CommitMemory(Address(pool.commitEnd), more + 4))
            return false;
        pool.committedFree += more;
        pool.commitEnd += more;
        pool.reserveFree -= more;
    }
    block = pool.top;
    pool.top += bytes;
    pool.committedFree -= bytes;
    Word(pool.top) = POOL_END_MARKER;
    return true;
}

// Gives the bytes from block to the top back to the untouched tail.
void ReturnToHugePiece(Pool& pool, uint32_t block) {
    pool.committedFree += pool.top - block;
    pool.top = block;
    Word(block) = POOL_END_MARKER;
}

// The first block of the smallest non-empty list above index, or 0.
uint32_t TakeLargerSmall(Pool& pool, uint32_t index) {
    const uint32_t from = index + 1;
    if (from >= kSmallListCount)
        return 0;
    uint32_t word = from >> 5;
    uint32_t bits = pool.smallMap[word] & (~0u << (from & 31));
    if (!bits) {
        const uint32_t mapBits = word + 1 < 32 ? pool.smallMapMap & (~0u << (word + 1)) : 0;
        if (!mapBits)
            return 0;
        word = static_cast<uint32_t>(__builtin_ctz(mapBits));
        bits = pool.smallMap[word];
    }
    const uint32_t block = pool.smallBlocks[(word << 5) + static_cast<uint32_t>(__builtin_ctz(bits))];
    RemoveFree(pool, block);
    return block;
}

uint32_t TakeExactSmall(Pool& pool, uint32_t total) {
    const uint32_t block = pool.smallBlocks[total >> 2];
    if (block)
        RemoveFree(pool, block);
    return block;
}

uint32_t TakeBigHead(Pool& pool) {
    const uint32_t block = pool.bigBlocks;
    if (block)
        RemoveFree(pool, block);
    return block;
}

// Best fit with a tolerance, or first fit.
uint32_t TakeBig(Pool& pool, uint32_t total, bool bestFit) {
    const uint32_t tolerance = total >= 48 ? total / 8 : 6;
    uint32_t best = 0;
    uint32_t bestSize = 0;
    for (uint32_t block = pool.bigBlocks; block; block = Word(block + 4)) {
        const uint32_t size = Word(block + 8);
        if (size < total)
            continue;
        if (!bestFit || size - total <= tolerance) {
            best = block;
            break;
        }
        if (!best || size < bestSize) {
            best = block;
            bestSize = size;
        }
    }
    if (best)
        RemoveFree(pool, best);
    return best;
}

// Finds total bytes; the block has left its list (or the tail). Returns its pool or NULL.
Pool* FindBlock(MemoryHeap* heap, uint32_t total, uint32_t& block, uint32_t& blockSize) {
    Pool& common = heap->commonPool;
    Pool& small = heap->smallPool;
    blockSize = 0;
    if (total < kSmallLimit) {
        const bool larger = total + 4 < kSmallLimit;
        if (HasSmallPool(heap)) {
            if ((block = TakeExactSmall(small, total)) || (block = TakeBigHead(small)))
                return &small;
            if (TakeFromHugePiece(small, total, block)) {
                blockSize = total;
                return &small;
            }
            if (larger && (block = TakeLargerSmall(small, total >> 2)))
                return &small;
        }
        if ((block = TakeExactSmall(common, total)) || (larger && (block = TakeLargerSmall(common, total >> 2))) ||
            (block = TakeBigHead(common)))
            return &common;
        if (TakeFromHugePiece(common, total, block)) {
            blockSize = total;
            return &common;
        }
        return nullptr;
    }
    const bool bestFit = (heap->flags & kHeapFlagSmallPool) != 0;
    if ((block = TakeBig(common, total, bestFit)))
        return &common;
    if (TakeFromHugePiece(common, total, block)) {
        blockSize = total;
        return &common;
    }
    if (HasSmallPool(heap)) {
        if ((block = TakeBig(small, total, bestFit)))
            return &small;
        if (TakeFromHugePiece(small, total, block)) {
            blockSize = total;
            return &small;
        }
    }
    return nullptr;
}

void SetupPool(Pool& pool, uint32_t origin, uint32_t size, uint32_t firstCommit) {
    pool.origin = origin;
    pool.top = origin;
    pool.commitEnd = origin;
    pool.reserveFree = size - 4;
    const uint32_t amount = std::min(firstCommit, pool.reserveFree);
    if (!CommitMemory(Address(origin), amount + 4))
        Fail(ZEP_SOURCE_FILE, __LINE__, "Failed to commit system memory");
    pool.committedFree = amount;
    pool.commitEnd += amount;
    pool.reserveFree -= amount;
    Word(origin) = POOL_END_MARKER;
}

// The header of a block in use, checked enough to be trusted by free and resize.
uint32_t UsedHeader(const void* data, MemoryHeap*& heap) {
    const uint8_t* address = static_cast<const uint8_t*>(data);
    if (!memorySystem.base || address < memorySystem.base + kUsedHeaderSize ||
        address >= memorySystem.base + memorySystem.size || (OffsetOf(address) & 3) != 0)
        Fail(ZEP_SOURCE_FILE, __LINE__, kBrokenHeap);
    const uint32_t header = OffsetOf(address) - kUsedHeaderSize;
    const uint32_t sizeFlags = Word(header);
    heap = FindHeap(Word(header + 4));
    // A block not in use (freed twice, or never a block) is refused before its lists are touched.
    if (!(sizeFlags & kInUseBit) || !heap)
        Fail(ZEP_SOURCE_FILE, __LINE__, kBrokenHeap);
    const uint32_t size = sizeFlags & kSizeMask;
    const uint32_t heapStart = OffsetOf(heap);
    if (size < kMinBlockSize || header < heapStart + kHeapHeaderSize || header + size > heapStart + heap->heapSize)
        Fail(ZEP_SOURCE_FILE, __LINE__, kBrokenHeap);
    return header;
}

}  // namespace

void HeapInitialize(MemoryHeap* heap, const char* name, uint32_t alignment, uint32_t flags, uint32_t smallPercentage) {
    if (!heap || heap->self != heap)
        Fail(ZEP_SOURCE_FILE, __LINE__, kBrokenHeap);
    if (heap->heapSize <= kHeapHeaderSize + 8)
        Fail(ZEP_SOURCE_FILE, __LINE__, "Heap size is insufficient");
    heap->magicStart = kHeapMagicStart;
    heap->magicEnd = kHeapMagicEnd;
    heap->name = name ? name : "Heap";
    heap->alignment = alignment < 4 ? 4 : alignment;
    if (!(flags & (kHeapFlagSmallPool | kHeapFlagCommonOnly)))
        flags |= kHeapFlagSmallPool;
    heap->flags = flags;

    const uint32_t base = OffsetOf(heap) + kHeapHeaderSize;
    uint32_t smallSize = 0;
    if ((flags & kHeapFlagSmallPool) && smallPercentage > 0) {
        const uint32_t percentage = std::min<uint32_t>(smallPercentage, 50);
        smallSize = static_cast<uint32_t>(uint64_t(heap->heapSize / 1024) * percentage / 100 * 1024);
    }
    if (smallSize > 0)
        SetupPool(heap->smallPool, base, smallSize, 32 * 1024);
    SetupPool(heap->commonPool, base + smallSize, heap->heapSize - kHeapHeaderSize - smallSize, 256 * 1024);
}

void* HeapAllocate(MemoryHeap* heap, size_t size, uint32_t alignment, uint32_t offset, uint32_t mark) {
    // Requests the heap can never serve; this also keeps every sum below in 32 bits.
    if (size >= heap->heapSize)
        return nullptr;
    const uint32_t need = NeededBlockSize(size);
    if (alignment < 4)
        alignment = 4;
    offset &= (alignment - 1) & ~3u;
    const uint32_t total = alignment == 4 ? need : need + alignment;

    uint32_t block;
    uint32_t blockSize;
    Pool* found = FindBlock(heap, total, block, blockSize);
    if (!found)
        return nullptr;
    Pool& pool = *found;
    if (!blockSize)
        blockSize = Word(block + 8);

    uint32_t front = 0;
    uint32_t filler = 0;
    if (alignment > 4) {
        const uintptr_t address = reinterpret_cast<uintptr_t>(Address(block));
        const uint32_t pad = alignment - static_cast<uint32_t>((address + offset + 8) & (alignment - 1));
        if (pad - 4 >= kMinBlockSize) {
            front = pad - 4;
            filler = 4;
        } else {
            filler = pad;
        }
    }
    const uint32_t header = block + front + filler;
    uint32_t usedSize = need;
    const uint32_t rest = blockSize - front - filler - need;
    const uint32_t next = block + blockSize;
    if (rest < kMinBlockSize) {
        usedSize += rest;
        if (next != pool.top)
            Word(next) &= ~kFrontFreeBit;
    } else if (next == pool.top) {
        ReturnToHugePiece(pool, header + usedSize);
    } else {
        InsertFree(pool, header + usedSize, rest);
    }
    if (front)
        InsertFree(pool, block, front);
    if (filler) {
        const uint32_t fillerFlags =
            2 | filler | (Log2(alignment) << 14) | (offset << 16) | (front ? kFrontFreeBit : 0);
        Word(block + front) = fillerFlags;
        Word(header - 4) = fillerFlags;
        ++pool.fillerCount;
    }
    Word(header) = (mark & kExemptBit) | kInUseBit | (filler ? kFillerBit : 0) | usedSize;
    Word(header + 4) = OffsetOf(heap);
    ++pool.usedCount;
    pool.usedSize += usedSize + filler;
    return Address(header + kUsedHeaderSize);
}

void HeapFree(void* data) {
    MemoryHeap* heap;
    const uint32_t header = UsedHeader(data, heap);
    const uint32_t sizeFlags = Word(header);
    uint32_t start = header;
    uint32_t size = sizeFlags & kSizeMask;
    uint32_t frontFlags = sizeFlags;
    const bool hasFiller = (sizeFlags & kFillerBit) != 0;
    if (hasFiller) {
        const uint32_t fillerFlags = Word(header - 4);
        const uint32_t fillerSize = fillerFlags & 0xFFC;
        if ((fillerFlags & 3) != 2 || fillerSize == 0 || fillerSize > 12)
            Fail(ZEP_SOURCE_FILE, __LINE__, kBrokenHeap);
        start -= fillerSize;
        size += fillerSize;
        frontFlags = Word(start);
    }
    Pool& pool = PoolOf(heap, start);
    if (start < pool.origin || start + size > pool.top)
        Fail(ZEP_SOURCE_FILE, __LINE__, kBrokenHeap);

    --pool.usedCount;
    pool.usedSize -= size;
    if (hasFiller)
        --pool.fillerCount;
    // A second free of this pointer then finds no block in use.
    Word(header) = 0;

    if (frontFlags & kFrontFreeBit) {
        const uint32_t frontSize = Word(start - 4);
        if (frontSize < kMinBlockSize || start - pool.origin < frontSize || Word(start - frontSize + 8) != frontSize)
            Fail(ZEP_SOURCE_FILE, __LINE__, kBrokenHeap);
        start -= frontSize;
        size += frontSize;
        RemoveFree(pool, start);
    }
    const uint32_t next = start + size;
    if (next == pool.top) {
        ReturnToHugePiece(pool, start);
        return;
    }
    const uint32_t nextFlags = Word(next);
    if (nextFlags & 3) {
        Word(next) = nextFlags | kFrontFreeBit;
        InsertFree(pool, start, size);
    } else {
        const uint32_t nextSize = Word(next + 8);
        RemoveFree(pool, next);
        InsertFree(pool, start, size + nextSize);
    }
}

bool HeapResize(void* data, size_t newSize) {
    MemoryHeap* heap;
    const uint32_t header = UsedHeader(data, heap);
    if (newSize >= heap->heapSize)
        return false;
    const uint32_t need = NeededBlockSize(newSize);
    const uint32_t sizeFlags = Word(header);
    const uint32_t current = sizeFlags & kSizeMask;
    Pool& pool = PoolOf(heap, header);
    const uint32_t next = header + current;
    if (need > current) {
        if (&pool == &heap->smallPool && need >= kSmallLimit)
            return false;
        uint32_t grow = need - current;
        if (next == pool.top) {
            uint32_t taken;
            if (!TakeFromHugePiece(pool, grow, taken))
                return false;
        } else {
            if (Word(next) & 3)
                return false;
            const uint32_t nextSize = Word(next + 8);
            if (nextSize < grow)
                return false;
            RemoveFree(pool, next);
            if (nextSize - grow < kMinBlockSize) {
                grow = nextSize;
                Word(next + nextSize) &= ~kFrontFreeBit;
            } else {
                InsertFree(pool, next + grow, nextSize - grow);
            }
        }
        Word(header) = (sizeFlags & ~kSizeMask) | (current + grow);
        pool.usedSize += grow;
    } else if (need < current) {
        const uint32_t shrink = current - need;
        const uint32_t tail = header + need;
        if (next == pool.top) {
            ReturnToHugePiece(pool, tail);
        } else if (Word(next) & 3) {
            if (shrink < kMinBlockSize)
                return true;
            Word(next) |= kFrontFreeBit;
            InsertFree(pool, tail, shrink);
        } else {
            const uint32_t nextSize = Word(next + 8);
            RemoveFree(pool, next);
            InsertFree(pool, tail, shrink + nextSize);
        }
        Word(header) = (sizeFlags & ~kSizeMask) | need;
        pool.usedSize -= shrink;
    }
    return true;
}

MemoryHeap* BlockHeap(const void* data) {
    MemoryHeap* heap;
    UsedHeader(data, heap);
    return heap;
}

uint32_t BlockUsableSize(const void* data) {
    MemoryHeap* heap;
    const uint32_t header = UsedHeader(data, heap);
    return (Word(header) & kSizeMask) - kUsedHeaderSize;
}

void BlockLayout(const void* data, uint32_t& alignment, uint32_t& offset, uint32_t& mark) {
    MemoryHeap* heap;
    const uint32_t header = UsedHeader(data, heap);
    const uint32_t sizeFlags = Word(header);
    mark = sizeFlags & kExemptBit;
    alignment = 4;
    offset = 0;
    if (sizeFlags & kFillerBit) {
        const uint32_t fillerFlags = Word(header - 4);
        alignment = 1u << ((fillerFlags >> 14) & 0xF);
        offset = (fillerFlags >> 16) & 0xFFC;
    }
}

uint32_t HeapAllocatedBytes(const MemoryHeap* heap) {
    const Pool& small = heap->smallPool;
    const Pool& common = heap->commonPool;
    return small.usedSize + common.usedSize - 8 * (small.usedCount + common.usedCount) -
           4 * (small.fillerCount + common.fillerCount);
}

uint32_t HeapFreeBytes(const MemoryHeap* heap) {
    const Pool& small = heap->smallPool;
    const Pool& common = heap->commonPool;
    return small.freeSize + small.reserveFree + small.committedFree + common.freeSize + common.reserveFree +
           common.committedFree;
}

}  // namespace Memory
}  // namespace Zep
