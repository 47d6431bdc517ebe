// Calls into foreign libraries: the OpenGL driver and what SDL loads for it. On Windows
// a driver allocates from the system's heaps; here it is linked into the process, and
// its C++ allocations would reach the program's own operators. While a thread is inside
// such a call, those operators serve it from the C runtime instead, so the program's
// heaps (and their leak report at exit) hold only the program's own blocks.
#pragma once

namespace PlatformProcess {

// True while the calling thread is inside a call into a foreign library.
bool InForeignLibrary();

// Marks the calling thread as inside a foreign library for its lifetime; nests.
class ForeignLibraryScope {
public:
    ForeignLibraryScope();
    ~ForeignLibraryScope();
    ForeignLibraryScope(const ForeignLibraryScope&) = delete;
    ForeignLibraryScope& operator=(const ForeignLibraryScope&) = delete;
};

}  // namespace PlatformProcess
