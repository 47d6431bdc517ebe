// Internals shared by the pieces of the Win32 layer; never included by engine code.
#pragma once

#include <cstdlib>
#include <memory>
#include <new>
#include <string>
#include <utility>

#include "win32_types.h"

namespace PlatformInternal {

// The layer's own bookkeeping (handle table, kernel objects, names) lives in
// the C runtime's heap, outside the engine's heaps, as kernel objects live
// outside the process heap on Windows: the player's global operators are
// served by the engine's memory manager, whose leak report must not list them.
template <class T>
struct SystemAllocator {
    typedef T value_type;
    SystemAllocator() noexcept = default;
    template <class U>
    SystemAllocator(const SystemAllocator<U>&) noexcept {}
    T* allocate(size_t count) {
        void* block = std::malloc(count * sizeof(T));
        if (!block)
            throw std::bad_alloc();
        return static_cast<T*>(block);
    }
    void deallocate(T* block, size_t) noexcept { std::free(block); }
    template <class U>
    bool operator==(const SystemAllocator<U>&) const noexcept {
        return true;
    }
    template <class U>
    bool operator!=(const SystemAllocator<U>&) const noexcept {
        return false;
    }
};

typedef std::basic_string<char, std::char_traits<char>, SystemAllocator<char>> SystemString;

template <class T, class... Arguments>
std::shared_ptr<T> MakeSystemShared(Arguments&&... arguments) {
    return std::allocate_shared<T>(SystemAllocator<T>(), std::forward<Arguments>(arguments)...);
}

// A process-lifetime object in the C runtime's heap, never destroyed.
template <class T>
T* NewSystemObject() {
    void* block = std::malloc(sizeof(T));
    if (!block)
        throw std::bad_alloc();
    return new (block) T();
}

// Base of every object behind a kernel handle.
class KernelObject {
public:
    virtual ~KernelObject() = default;
    // Handles that WaitForSingleObject accepts implement this; others fail the wait.
    virtual DWORD Wait(DWORD milliseconds);
};

// Handles are 4, 8, 12, ... as Windows numbers them; freed values are reused.
HANDLE AddHandle(std::shared_ptr<KernelObject> object);
std::shared_ptr<KernelObject> FindHandle(HANDLE handle);
template <class T>
std::shared_ptr<T> FindHandleAs(HANDLE handle) {
    return std::dynamic_pointer_cast<T>(FindHandle(handle));
}
bool RemoveHandle(HANDLE handle);

// Maps an errno value to the Win32 number of the layer's error table.
DWORD ErrnoToWin32(int error);

// UTF-8 <-> UTF-16 for the layer's wide calls. Invalid sequences become U+FFFD.
std::u16string Utf8ToUtf16(const std::string& text);
std::string Utf16ToUtf8(const std::u16string& text);

// The descriptor of the ZEP_DEBUG_LOG file (-1 when none), opened on first use.
int DebugLogFileForSignals();

// --- Files and folders ---------------------------------------------------------
// The host form of a wide path: UTF-8 with '\\' turned into '/'. An empty path
// fails with ERROR_INVALID_NAME (set here).
bool HostPath(LPCWSTR path, std::string& out);
// The path with every component that exists on disk in another case replaced by its
// name there (ASCII case-insensitive). The path is returned unchanged when it exists
// as given, when the retry is switched off, or from the first component found in no case.
std::string ResolvePathCase(const std::string& path);
// The Win32 number of a failed call on path: ENOENT gives ERROR_FILE_NOT_FOUND when
// the parent folder exists, else ERROR_PATH_NOT_FOUND; the rest as ErrnoToWin32.
DWORD PathErrorToWin32(int error, const std::string& path);
// Attributes of an existing entry (lstat, following a link for the kind); name is
// its last component (a leading '.' makes it hidden). False with errno set when missing.
bool QueryAttributes(const std::string& path, const std::string& name, DWORD& attributes, uint64_t& size);
// The order in which NTFS lists names: ordinal over upper-cased UTF-16 units.
bool NtfsNameLess(const std::u16string& a, const std::u16string& b);
bool AsciiEqualNoCase(const std::string& a, const std::string& b);

// Reads an environment variable; empty when unset.
std::string GetEnv(const char* name);

// --- Time ----------------------------------------------------------------------
// Called by PeekMessageA when it finds the interface thread's queue empty: moves
// the virtual clock on by its step (nothing while the real clocks are in use).
void AdvanceVirtualClockForIdlePass();

// --- Frames of the test hooks ---------------------------------------------------
// Before an idle pass: pushes the ZEP_TEST_INPUT events due at the next frame (read
// from the file at the first call); true when any were pushed. A malformed file ends
// the process with exit code 1.
bool PushTestInputForNextFrame();
// An idle pass: the next frame begins and the virtual clock moves on.
void StartFrame();
// Frames begun so far, the current one's number; 0 before the first.
uint32_t GetFrameNumber();

}  // namespace PlatformInternal
