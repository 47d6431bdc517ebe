// The program's global allocation and release operators, served by the memory
// manager's default heap. Built only into the player and into binaries that do
// not run under AddressSanitizer, which brings operators of its own.
#include <ForeignCode.h>

#include <cstddef>
#include <cstdlib>
#include <new>

#include "Common/MemoryHeap.h"
#include "Common/MemoryManager.h"

namespace {

// GCC and Clang assume 16-byte alignment from operator new on x86-64.
const size_t kNewAlignment = 16;

inline size_t Alignment(std::align_val_t alignment) {
    const size_t wanted = static_cast<size_t>(alignment);
    return wanted < kNewAlignment ? kNewAlignment : wanted;
}

// A block for a foreign library (the graphics driver) from the C runtime: those
// libraries keep blocks for the process's lifetime, which are none of the program's.
inline void* AllocateForeign(size_t size, size_t alignment) noexcept {
    const size_t rounded = ((size ? size : 1) + alignment - 1) / alignment * alignment;
    return std::aligned_alloc(alignment, rounded);
}

inline void* Allocate(size_t size, size_t alignment) {
    if (PlatformProcess::InForeignLibrary())
        return AllocateForeign(size, alignment);
    return Zep::Detail::AllocateAligned(size ? size : 1, alignment);
}

// Blocks outside the manager's reservation came from the C runtime.
inline void Release(void* block) noexcept {
    const uint8_t* address = static_cast<const uint8_t*>(block);
    const Zep::Memory::MemorySystem& memory = Zep::Memory::memorySystem;
    if (block && (!memory.base || address < memory.base || address >= memory.base + memory.size))
        std::free(block);
    else
        Zep::MemoryManager::Deallocate(block);
}

inline void* AllocateOrThrow(size_t size, size_t alignment) {
    void* block = Allocate(size, alignment);
    if (!block)
        throw std::bad_alloc();
    return block;
}

inline void* AllocateOrNull(size_t size, size_t alignment) noexcept {
    try {
        return Allocate(size, alignment);
    } catch (...) {
        return nullptr;
    }
}

}  // namespace

void* operator new(size_t size) {
    return AllocateOrThrow(size, kNewAlignment);
}

void* operator new[](size_t size) {
    return AllocateOrThrow(size, kNewAlignment);
}

void* operator new(size_t size, const std::nothrow_t&) noexcept {
    return AllocateOrNull(size, kNewAlignment);
}

void* operator new[](size_t size, const std::nothrow_t&) noexcept {
    return AllocateOrNull(size, kNewAlignment);
}

void* operator new(size_t size, std::align_val_t alignment) {
    return AllocateOrThrow(size, Alignment(alignment));
}

void* operator new[](size_t size, std::align_val_t alignment) {
    return AllocateOrThrow(size, Alignment(alignment));
}

void* operator new(size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept {
    return AllocateOrNull(size, Alignment(alignment));
}

void* operator new[](size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept {
    return AllocateOrNull(size, Alignment(alignment));
}

void operator delete(void* block) noexcept {
    Release(block);
}

void operator delete[](void* block) noexcept {
    Release(block);
}

void operator delete(void* block, size_t) noexcept {
    Release(block);
}

void operator delete[](void* block, size_t) noexcept {
    Release(block);
}

void operator delete(void* block, const std::nothrow_t&) noexcept {
    Release(block);
}

void operator delete[](void* block, const std::nothrow_t&) noexcept {
    Release(block);
}

void operator delete(void* block, std::align_val_t) noexcept {
    Release(block);
}

void operator delete[](void* block, std::align_val_t) noexcept {
    Release(block);
}

void operator delete(void* block, size_t, std::align_val_t) noexcept {
    Release(block);
}

void operator delete[](void* block, size_t, std::align_val_t) noexcept {
    Release(block);
}

void operator delete(void* block, std::align_val_t, const std::nothrow_t&) noexcept {
    Release(block);
}

void operator delete[](void* block, std::align_val_t, const std::nothrow_t&) noexcept {
    Release(block);
}
