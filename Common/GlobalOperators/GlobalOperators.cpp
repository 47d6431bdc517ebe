// The program's global allocation and release operators, served by the memory
// manager's default heap. Built only into the player and into binaries that do
// not run under AddressSanitizer, which brings operators of its own.
#include <cstddef>
#include <new>

#include "Common/MemoryManager.h"

namespace {

// GCC and Clang assume 16-byte alignment from operator new on x86-64.
const size_t kNewAlignment = 16;

inline size_t Alignment(std::align_val_t alignment) {
    const size_t wanted = static_cast<size_t>(alignment);
    return wanted < kNewAlignment ? kNewAlignment : wanted;
}

inline void* AllocateOrThrow(size_t size, size_t alignment) {
    void* block = Zep::Detail::AllocateAligned(size ? size : 1, alignment);
    if (!block)
        throw std::bad_alloc();
    return block;
}

inline void* AllocateOrNull(size_t size, size_t alignment) noexcept {
    try {
        return Zep::Detail::AllocateAligned(size ? size : 1, alignment);
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
    Zep::MemoryManager::Deallocate(block);
}

void operator delete[](void* block) noexcept {
    Zep::MemoryManager::Deallocate(block);
}

void operator delete(void* block, size_t) noexcept {
    Zep::MemoryManager::Deallocate(block);
}

void operator delete[](void* block, size_t) noexcept {
    Zep::MemoryManager::Deallocate(block);
}

void operator delete(void* block, const std::nothrow_t&) noexcept {
    Zep::MemoryManager::Deallocate(block);
}

void operator delete[](void* block, const std::nothrow_t&) noexcept {
    Zep::MemoryManager::Deallocate(block);
}

void operator delete(void* block, std::align_val_t) noexcept {
    Zep::MemoryManager::Deallocate(block);
}

void operator delete[](void* block, std::align_val_t) noexcept {
    Zep::MemoryManager::Deallocate(block);
}

void operator delete(void* block, size_t, std::align_val_t) noexcept {
    Zep::MemoryManager::Deallocate(block);
}

void operator delete[](void* block, size_t, std::align_val_t) noexcept {
    Zep::MemoryManager::Deallocate(block);
}

void operator delete(void* block, std::align_val_t, const std::nothrow_t&) noexcept {
    Zep::MemoryManager::Deallocate(block);
}

void operator delete[](void* block, std::align_val_t, const std::nothrow_t&) noexcept {
    Zep::MemoryManager::Deallocate(block);
}
