// Thread variables: values that every thread holds its own copy of.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <type_traits>

namespace Zep {

class Thread;

namespace Detail {

// The one source of the memory behind thread variables and their bookkeeping.
// Throws Zep::Exception::Memory when nothing is left.
void* AllocateThreadData(size_t size);
void FreeThreadData(void* block);

class TLSManager {
public:
    static const uint32_t kMaxIndices = 256;
    static const uint32_t kGroupSize = 32;

    typedef void (*InitializeFunction)(void* value, uint32_t size, const void* defaultValue);
    typedef void (*DestroyFunction)(void* value, uint32_t size);

    // Hands out the lowest free index (31 is never handed out).
    static uint32_t Create(uint32_t size, InitializeFunction initialize, const void* defaultValue,
                           DestroyFunction destroy);
    // The calling thread's value, made on first access; NULL for 256 and above.
    static void* GetData(uint32_t index);
    // Destroys the value of every thread that has one, then releases the index.
    static void Free(uint32_t index);
    // Destroys every value of the thread and its group arrays.
    static void DestroyThreadData(Thread* thread);
    // Indices in use.
    static uint32_t GetCount();
    // The group arrays a thread object keeps its values in.
    static void*** GroupsOf(Thread* thread);
};

}  // namespace Detail

// A typed thread variable of a plain type: each thread starts with a copy of the default.
template <class T>
class ThreadVar {
    static_assert(std::is_trivially_copyable<T>::value, "thread variables hold plain values");

public:
    explicit ThreadVar(const T& defaultValue = T())
        : defaultValue_(defaultValue),
          index_(Detail::TLSManager::Create(sizeof(T), &Initialize, &defaultValue_, nullptr)) {}
    ~ThreadVar() { Detail::TLSManager::Free(index_); }

    T& Get() { return *static_cast<T*>(Detail::TLSManager::GetData(index_)); }
    uint32_t GetIndex() const { return index_; }

    ThreadVar(const ThreadVar&) = delete;
    ThreadVar& operator=(const ThreadVar&) = delete;

private:
    static void Initialize(void* value, uint32_t size, const void* defaultValue) {
        std::memcpy(value, defaultValue, size);
    }

    T defaultValue_;
    uint32_t index_;
};

}  // namespace Zep
