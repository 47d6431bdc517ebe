#include "Platforms/Win32/Win32MemorySystem.h"

#include <cstring>

#include <windows.h>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif

#include "Common/CoreUtils.h"
#include "Common/MemoryManager.h"
#include "Platforms/Win32/Win32Application.h"

namespace Zep {

namespace Memory {

bool CommitMemory(void* address, uint32_t bytes) {
    return ::VirtualAlloc(address, bytes, MEM_COMMIT, PAGE_READWRITE) != nullptr;
}

}  // namespace Memory

namespace Win32 {

namespace {

const uint32_t kReservation = 0x19000000;        // 400 MiB
const uint32_t kEditorReservation = 0x40000000;  // 1 GiB

Memory::MemoryArena arena;

}  // namespace

void InitializeMemorySystem() {
    using namespace Memory;
    LockManager();
    if (manager.initialised.load(std::memory_order_acquire)) {
        UnlockManager();
        return;
    }
    std::memset(&arena, 0, sizeof(arena));
    SYSTEM_INFO info;
    ::GetSystemInfo(&info);
    const uint32_t size = IsRunningInEditor() ? kEditorReservation : kReservation;
    void* base = ::VirtualAlloc(nullptr, size, MEM_RESERVE, PAGE_READWRITE);
    if (!base)
        Fail(ZEP_SOURCE_FILE, __LINE__, "Failed to allocate system memory");
#if defined(__SANITIZE_ADDRESS__)
    // Blocks of the heaps may hold the only references to memory of the C runtime.
    __lsan_register_root_region(base, size);
#endif
    memorySystem.base = static_cast<uint8_t*>(base);
    memorySystem.size = size;
    memorySystem.pageSize = info.dwPageSize;
    ArenaInitialize(&arena, memorySystem.base, size);
    memorySystem.arenas[0] = &arena;
    memorySystem.arenas[1] = &arena;
    manager.initialised.store(true, std::memory_order_release);
    UnlockManager();

    MemoryManager::HeapHandle safeHeap = MemoryManager::CreateHeap(MemoryManager::HEAP_ARENA_1, 0x50000, "SafeHeap", 4,
                                                                   MemoryManager::HEAP_SMALL_POOL, 50);
    if (!safeHeap)
        ZEP_PANIC("Failed to create SafeHeap");
    MemoryManager::HeapHandle crtHeap = MemoryManager::CreateHeap(MemoryManager::HEAP_ARENA_1, 0x40000, "CRTHeap", 4,
                                                                  MemoryManager::HEAP_SMALL_POOL, 50);
    if (!crtHeap)
        ZEP_PANIC("Failed to create CRTHeap");

    ManagerLock lock;
    manager.safeHeap = static_cast<MemoryHeap*>(safeHeap);
    manager.crtHeap = static_cast<MemoryHeap*>(crtHeap);
    manager.safeHeap->mark = kExemptBit;
    manager.crtHeap->mark = kExemptBit;
    manager.defaultHeap = manager.safeHeap;
}

namespace {

// On Windows the C runtime's first allocations through the global operators
// start the memory system before main. Binaries that keep the system
// allocator start it while loading, so that exception texts always find
// "SafeHeap".
const bool startedWhileLoading = (InitializeMemorySystem(), true);

}  // namespace

}  // namespace Win32
}  // namespace Zep
