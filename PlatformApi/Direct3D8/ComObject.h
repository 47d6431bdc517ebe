// Reference counting of the objects the layer hands out, and the allocation rules they share.
#pragma once

#include <cstddef>
#include <memory>
#include <vector>

#include "LayerInternal.h"
#include "win32_types.h"

namespace D3D8Internal {

template <class T>
using SystemVector = std::vector<T, PlatformInternal::SystemAllocator<T>>;

template <class T, class... Arguments>
std::shared_ptr<T> MakeShared(Arguments&&... arguments) {
    return PlatformInternal::MakeSystemShared<T>(std::forward<Arguments>(arguments)...);
}

// Base of every device, swap chain, texture and surface. Like the Win32 layer's own
// records, the objects and their pixels live in the C runtime's heap, outside the
// engine's heaps, whose leak report must not list them.
//
// A count of 1 at creation. When Release brings it to 0 the object frees what it holds at
// once (OpenGL objects, pixels, references to other objects), but its small shell is kept
// for a while: a Release too many then finds a released object, answers 0 and frees
// nothing twice. Released objects refuse every other call with D3DERR_INVALIDCALL.
class ComObject {
public:
    static void* operator new(size_t size);
    static void operator delete(void* block);

    virtual ~ComObject() = default;
    ComObject(const ComObject&) = delete;
    ComObject& operator=(const ComObject&) = delete;

    // The new count; 0 without effect on a released object. The surfaces of texture levels
    // count with their texture instead.
    virtual ULONG AddReference();
    virtual ULONG ReleaseReference();
    bool IsReleased() const { return count_ == 0; }

protected:
    ComObject() = default;
    // Gives up everything the object holds; runs once, when the count reaches 0.
    virtual void Free() = 0;

private:
    ULONG count_ = 1;
};

// Takes a reference for a holder (a bound texture, the render target): null-safe.
template <class T>
void Hold(T*& slot, T* object) {
    if (object == slot)
        return;
    if (object)
        object->AddReference();
    T* previous = slot;
    slot = object;
    if (previous)
        previous->ReleaseReference();
}

}  // namespace D3D8Internal
