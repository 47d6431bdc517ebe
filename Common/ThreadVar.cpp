#include "Common/ThreadVar.h"

#include "Common/CoreUtils.h"
#include "Common/MemoryManager.h"
#include "Common/StringUtils.h"
#include "Common/Thread.h"
#include "Common/ThreadList.h"
#include "Common/ThreadSync.h"

namespace Zep {
namespace Detail {

void* AllocateThreadData(size_t size) {
    // Descriptors and group arrays hold pointers: 8-byte alignment, where the
    // default heap only promises 4.
    void* block = AllocateAligned(size ? size : 1, alignof(void*));
    if (!block)
        throw Exception::Memory(Sprintf("Failed to allocate %d bytes for thread variables", static_cast<int>(size)));
    return block;
}

void FreeThreadData(void* block) {
    MemoryManager::Deallocate(block);
}

namespace {

const uint32_t kGroups = TLSManager::kMaxIndices / TLSManager::kGroupSize;
// Index 31 is never handed out: its bit stays set in the first group's word.
const uint32_t kReservedBits = 0x80000000u;

struct Descriptor {
    TLSManager::InitializeFunction initialize;
    TLSManager::DestroyFunction destroy;
    const void* defaultValue;
    uint32_t size;
};

// Values of a thread the engine did not start (library threads calling back into
// the engine); they are destroyed when the thread ends.
struct ForeignValues {
    void** groups[kGroups] = {};
    ForeignValues* next = nullptr;
    ForeignValues* previous = nullptr;
    bool registered = false;
    ~ForeignValues();
};

// Never destroyed: thread variables may be freed by exit-time destructors.
struct ManagerState {
    uint32_t bitmap[kGroups] = {kReservedBits};
    uint32_t count = 0;
    Descriptor* descriptors[kGroups] = {};
    ForeignValues* foreign = nullptr;
    SpinLockByte spin{0};
};

// Static storage, not the heaps: the exit-time memory report must not count it.
static_assert(std::is_trivially_destructible<ManagerState>::value, "the manager's state outlives every destructor");
ManagerState& State() {
    static ManagerState state;
    return state;
}

thread_local ForeignValues foreignValues;

bool InUse(const ManagerState& state, uint32_t index) {
    return index < TLSManager::kMaxIndices && index != 31 &&
           (state.bitmap[index / TLSManager::kGroupSize] >> (index % TLSManager::kGroupSize) & 1u) != 0;
}

// Destroys one value of a thread, if it has one. Needs the manager's lock.
void DestroyValue(ManagerState& state, void** groups[], uint32_t index) {
    void** group = groups[index / TLSManager::kGroupSize];
    if (!group)
        return;
    void*& value = group[index % TLSManager::kGroupSize];
    if (!value)
        return;
    const Descriptor* block = state.descriptors[index / TLSManager::kGroupSize];
    if (block) {
        const Descriptor& descriptor = block[index % TLSManager::kGroupSize];
        if (descriptor.destroy)
            descriptor.destroy(value, descriptor.size);
    }
    FreeThreadData(value);
    value = nullptr;
}

// Destroys every value of a thread and its group arrays. Needs the manager's lock.
void DestroyGroups(ManagerState& state, void** groups[]) {
    for (uint32_t group = 0; group < kGroups; ++group) {
        if (!groups[group])
            continue;
        for (uint32_t slot = 0; slot < TLSManager::kGroupSize; ++slot)
            DestroyValue(state, groups, group * TLSManager::kGroupSize + slot);
        FreeThreadData(groups[group]);
        groups[group] = nullptr;
    }
}

ForeignValues::~ForeignValues() {
    if (!registered)
        return;
    ManagerState& state = State();
    SpinLockGuard guard(state.spin);
    if (previous)
        previous->next = next;
    else
        state.foreign = next;
    if (next)
        next->previous = previous;
    registered = false;
    DestroyGroups(state, groups);
}

// The group arrays of the calling thread.
void*** CurrentGroups(ManagerState& state) {
    if (Thread* thread = Thread::GetCurrent())
        return TLSManager::GroupsOf(thread);
    if (!foreignValues.registered) {
        SpinLockGuard guard(state.spin);
        foreignValues.registered = true;
        foreignValues.next = state.foreign;
        if (state.foreign)
            state.foreign->previous = &foreignValues;
        state.foreign = &foreignValues;
    }
    return foreignValues.groups;
}

}  // namespace

void*** TLSManager::GroupsOf(Thread* thread) {
    return thread->variableGroups;
}

uint32_t TLSManager::Create(uint32_t size, InitializeFunction initialize, const void* defaultValue,
                            DestroyFunction destroy) {
    StartTrackingMemoryLeaks();
    ManagerState& state = State();
    SpinLockGuard guard(state.spin);
    uint32_t group = 0;
    while (group < kGroups && state.bitmap[group] == 0xFFFFFFFFu)
        ++group;
    if (group == kGroups)
        ZEP_PANIC("Failed to allocate TLS index: no more indexes available");
    uint32_t slot = 0;
    while (state.bitmap[group] >> slot & 1u)
        ++slot;
    if (!state.descriptors[group]) {
        state.descriptors[group] = static_cast<Descriptor*>(AllocateThreadData(sizeof(Descriptor) * kGroupSize));
        for (uint32_t at = 0; at < kGroupSize; ++at)
            state.descriptors[group][at] = Descriptor{nullptr, nullptr, nullptr, 0};
    }
    state.descriptors[group][slot] = Descriptor{initialize, destroy, defaultValue, size};
    state.bitmap[group] |= 1u << slot;
    ++state.count;
    return group * kGroupSize + slot;
}

void* TLSManager::GetData(uint32_t index) {
    if (index >= kMaxIndices)
        return nullptr;
    ManagerState& state = State();
    void*** groups = CurrentGroups(state);
    const uint32_t group = index / kGroupSize;
    const uint32_t slot = index % kGroupSize;
    Descriptor descriptor;
    bool inUse;
    bool needGroup = false;
    {
        SpinLockGuard guard(state.spin);
        inUse = InUse(state, index);
        if (inUse && groups[group] && groups[group][slot])
            return groups[group][slot];
        if (inUse) {
            descriptor = state.descriptors[group][slot];
            needGroup = !groups[group];
        }
    }
    ZEP_ASSERT_MSG(inUse, "Zep::Detail::TLSManager.GetData: tlsIndex parameter is wrong");
    if (!inUse)
        return nullptr;

    // Memory and the initialise function are called outside the lock.
    void* value = AllocateThreadData(descriptor.size);
    if (descriptor.initialize)
        descriptor.initialize(value, descriptor.size, descriptor.defaultValue);
    void** newGroup = nullptr;
    if (needGroup) {
        newGroup = static_cast<void**>(AllocateThreadData(sizeof(void*) * kGroupSize));
        for (uint32_t at = 0; at < kGroupSize; ++at)
            newGroup[at] = nullptr;
    }
    void* result = nullptr;
    bool stored = false;
    {
        SpinLockGuard guard(state.spin);
        if (!groups[group] && newGroup) {
            groups[group] = newGroup;
            newGroup = nullptr;
        }
        // The index may have been freed (or the thread's values destroyed) meanwhile.
        if (InUse(state, index) && groups[group]) {
            if (!groups[group][slot]) {
                groups[group][slot] = value;
                stored = true;
            }
            result = groups[group][slot];
        }
    }
    if (newGroup)
        FreeThreadData(newGroup);
    if (!stored) {
        if (descriptor.destroy)
            descriptor.destroy(value, descriptor.size);
        FreeThreadData(value);
    }
    return result;
}

void TLSManager::Free(uint32_t index) {
    ManagerState& state = State();
    bool inUse;
    {
        SpinLockGuard guard(state.spin);
        inUse = InUse(state, index);
        if (inUse) {
            if (!ThreadList::IsDestroyed()) {
                ThreadList::Instance()->ForEach(
                    [&](uint32_t, Thread* thread) { DestroyValue(state, GroupsOf(thread), index); });
            }
            for (ForeignValues* values = state.foreign; values; values = values->next)
                DestroyValue(state, values->groups, index);
            const uint32_t group = index / kGroupSize;
            state.bitmap[group] &= ~(1u << (index % kGroupSize));
            --state.count;
            // The first group's descriptors go too once only the reserved index is left.
            if ((state.bitmap[group] & ~(group == 0 ? kReservedBits : 0u)) == 0) {
                FreeThreadData(state.descriptors[group]);
                state.descriptors[group] = nullptr;
            } else {
                state.descriptors[group][index % kGroupSize] = Descriptor{nullptr, nullptr, nullptr, 0};
            }
        }
    }
    ZEP_ASSERT_MSG(inUse, "Zep::Detail::TLSManager.Free: tlsIndex parameter is wrong");
}

void TLSManager::DestroyThreadData(Thread* thread) {
    ManagerState& state = State();
    SpinLockGuard guard(state.spin);
    DestroyGroups(state, GroupsOf(thread));
}

uint32_t TLSManager::GetCount() {
    ManagerState& state = State();
    SpinLockGuard guard(state.spin);
    return state.count;
}

}  // namespace Detail
}  // namespace Zep
