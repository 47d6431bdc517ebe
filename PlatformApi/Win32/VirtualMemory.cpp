#include <sys/mman.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <mutex>

#include "LayerInternal.h"
#include "win32_errors.h"
#include "win32_memory.h"

// Reservations are remembered in a fixed table: the memory manager commits
// while it holds its lock, so nothing here may allocate from the heap.
namespace {

const uintptr_t kGranularity = 0x10000;
const int kMaxReservations = 64;

struct Reservation {
    uintptr_t base;
    uintptr_t size;
};

std::mutex reservationLock;
Reservation reservations[kMaxReservations];

uintptr_t PageSize() {
    static const uintptr_t size = [] {
        const long value = ::sysconf(_SC_PAGESIZE);
        return value > 0 ? static_cast<uintptr_t>(value) : uintptr_t(4096);
    }();
    return size;
}

// The reservation holding [start, end), or nullptr.
Reservation* FindReservation(uintptr_t start, uintptr_t end) {
    for (Reservation& entry : reservations) {
        if (entry.size != 0 && start >= entry.base && end <= entry.base + entry.size && start < end)
            return &entry;
    }
    return nullptr;
}

LPVOID Reserve(SIZE_T size) {
    const uintptr_t rounded = (static_cast<uintptr_t>(size) + kGranularity - 1) & ~(kGranularity - 1);
    if (size == 0 || rounded < size) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    std::lock_guard<std::mutex> guard(reservationLock);
    Reservation* slot = nullptr;
    for (Reservation& entry : reservations) {
        if (entry.size == 0) {
            slot = &entry;
            break;
        }
    }
    if (!slot) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    // Over-reserve by one granule and trim, so the base is 64 KiB aligned.
    const uintptr_t mapped = rounded + kGranularity;
    void* area = ::mmap(nullptr, mapped, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    if (area == MAP_FAILED) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    const uintptr_t start = reinterpret_cast<uintptr_t>(area);
    const uintptr_t base = (start + kGranularity - 1) & ~(kGranularity - 1);
    if (base > start)
        ::munmap(area, base - start);
    const uintptr_t tail = start + mapped - (base + rounded);
    if (tail > 0)
        ::munmap(reinterpret_cast<void*>(base + rounded), tail);
    slot->base = base;
    slot->size = rounded;
    return reinterpret_cast<LPVOID>(base);
}

LPVOID Commit(LPVOID address, SIZE_T size) {
    const uintptr_t page = PageSize();
    const uintptr_t start = reinterpret_cast<uintptr_t>(address) & ~(page - 1);
    const uintptr_t end = (reinterpret_cast<uintptr_t>(address) + size + page - 1) & ~(page - 1);
    {
        std::lock_guard<std::mutex> guard(reservationLock);
        if (size == 0 || end < start || !FindReservation(start, end)) {
            SetLastError(ERROR_INVALID_ADDRESS);
            return nullptr;
        }
    }
    if (::mprotect(reinterpret_cast<void*>(start), end - start, PROT_READ | PROT_WRITE) != 0) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    return reinterpret_cast<LPVOID>(start);
}

}  // namespace

LPVOID VirtualAlloc(LPVOID address, SIZE_T size, DWORD allocationType, DWORD protect) {
    if (protect != PAGE_READWRITE || (allocationType & ~(MEM_COMMIT | MEM_RESERVE)) != 0 ||
        (allocationType & (MEM_COMMIT | MEM_RESERVE)) == 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    if (allocationType & MEM_RESERVE) {
        if (address) {
            // Reserving at a chosen address is not provided.
            SetLastError(ERROR_INVALID_ADDRESS);
            return nullptr;
        }
        LPVOID base = Reserve(size);
        if (base && (allocationType & MEM_COMMIT) && !Commit(base, size)) {
            VirtualFree(base, 0, MEM_RELEASE);
            return nullptr;
        }
        return base;
    }
    if (!address) {
        // MEM_COMMIT alone with no address reserves as well, as Windows does.
        return VirtualAlloc(nullptr, size, MEM_RESERVE | MEM_COMMIT, protect);
    }
    return Commit(address, size);
}

BOOL VirtualFree(LPVOID address, SIZE_T size, DWORD freeType) {
    const uintptr_t start = reinterpret_cast<uintptr_t>(address);
    std::lock_guard<std::mutex> guard(reservationLock);
    if (freeType == MEM_RELEASE) {
        for (Reservation& entry : reservations) {
            if (entry.size != 0 && entry.base == start && size == 0) {
                ::munmap(address, entry.size);
                entry.base = 0;
                entry.size = 0;
                return TRUE;
            }
        }
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
}
