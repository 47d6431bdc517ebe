#include <mutex>
#include <vector>

#include "LayerInternal.h"
#include "win32_errors.h"
#include "win32_sync.h"

namespace PlatformInternal {

namespace {

struct HandleTable {
    std::mutex lock;
    std::vector<std::shared_ptr<KernelObject>, SystemAllocator<std::shared_ptr<KernelObject>>> slots;
    std::vector<size_t, SystemAllocator<size_t>> freeSlots;
};

HandleTable& Table() {
    // Never destroyed: handles may be closed by exit-time destructors.
    static HandleTable* table = NewSystemObject<HandleTable>();
    return *table;
}

bool SlotOf(HANDLE handle, size_t& slot) {
    const uintptr_t value = reinterpret_cast<uintptr_t>(handle);
    if (value == 0 || value % 4 != 0 || handle == INVALID_HANDLE_VALUE)
        return false;
    slot = value / 4 - 1;
    return true;
}

}  // namespace

DWORD KernelObject::Wait(DWORD) {
    SetLastError(ERROR_INVALID_HANDLE);
    return WAIT_FAILED;
}

HANDLE AddHandle(std::shared_ptr<KernelObject> object) {
    HandleTable& table = Table();
    std::lock_guard<std::mutex> guard(table.lock);
    size_t slot;
    if (!table.freeSlots.empty()) {
        slot = table.freeSlots.back();
        table.freeSlots.pop_back();
        table.slots[slot] = std::move(object);
    } else {
        slot = table.slots.size();
        table.slots.push_back(std::move(object));
    }
    return reinterpret_cast<HANDLE>((slot + 1) * 4);
}

std::shared_ptr<KernelObject> FindHandle(HANDLE handle) {
    size_t slot;
    if (!SlotOf(handle, slot))
        return nullptr;
    HandleTable& table = Table();
    std::lock_guard<std::mutex> guard(table.lock);
    return slot < table.slots.size() ? table.slots[slot] : nullptr;
}

bool RemoveHandle(HANDLE handle) {
    size_t slot;
    if (!SlotOf(handle, slot))
        return false;
    std::shared_ptr<KernelObject> released;  // destroyed outside the table lock
    HandleTable& table = Table();
    {
        std::lock_guard<std::mutex> guard(table.lock);
        if (slot >= table.slots.size() || !table.slots[slot])
            return false;
        released = std::move(table.slots[slot]);
        table.freeSlots.push_back(slot);
    }
    return true;
}

}  // namespace PlatformInternal

BOOL CloseHandle(HANDLE handle) {
    if (!PlatformInternal::RemoveHandle(handle)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return TRUE;
}

DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds) {
    std::shared_ptr<PlatformInternal::KernelObject> object = PlatformInternal::FindHandle(handle);
    if (!object) {
        SetLastError(ERROR_INVALID_HANDLE);
        return WAIT_FAILED;
    }
    return object->Wait(milliseconds);
}
