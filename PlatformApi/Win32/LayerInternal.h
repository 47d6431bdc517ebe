// Internals shared by the pieces of the Win32 layer; never included by engine code.
#pragma once

#include <memory>
#include <string>

#include "win32_types.h"

namespace PlatformInternal {

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

// Reads an environment variable; empty when unset.
std::string GetEnv(const char* name);

}  // namespace PlatformInternal
