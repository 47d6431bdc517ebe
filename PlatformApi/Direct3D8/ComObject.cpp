#include "ComObject.h"

#include <cstdlib>
#include <mutex>
#include <new>

namespace D3D8Internal {

namespace {

// Shells of released objects, the oldest freed first once the ring is full.
struct ReleasedShells {
    static const size_t kCapacity = 1024;
    std::mutex lock;
    ComObject* shells[kCapacity] = {};
    size_t next = 0;
};

ReleasedShells& Shells() {
    static ReleasedShells* shells = PlatformInternal::NewSystemObject<ReleasedShells>();
    return *shells;
}

void Bury(ComObject* object) {
    ComObject* evicted;
    {
        ReleasedShells& shells = Shells();
        std::lock_guard<std::mutex> guard(shells.lock);
        evicted = shells.shells[shells.next];
        shells.shells[shells.next] = object;
        shells.next = (shells.next + 1) % ReleasedShells::kCapacity;
    }
    delete evicted;
}

}  // namespace

void* ComObject::operator new(size_t size) {
    void* block = std::malloc(size);
    if (!block)
        throw std::bad_alloc();
    return block;
}

void ComObject::operator delete(void* block) {
    std::free(block);
}

ULONG ComObject::AddReference() {
    if (count_ == 0)
        return 0;
    return ++count_;
}

ULONG ComObject::ReleaseReference() {
    if (count_ == 0)
        return 0;
    if (--count_ > 0)
        return count_;
    Free();
    Bury(this);
    return 0;
}

}  // namespace D3D8Internal
