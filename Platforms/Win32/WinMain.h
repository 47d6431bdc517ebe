// The program entry.
#pragma once

#include <windows.h>

int WinMain(HINSTANCE instance, HINSTANCE previousInstance, LPSTR commandLine, int showCommand);

namespace Zep {
namespace Win32 {

typedef int (*MainRoutine)(int argc, char** argv);

// The entry's steps around a main routine: main heap, subsystems, error handler,
// timer resolution, then the routine inside the handlers of escaping exceptions.
int RunMainRoutine(MainRoutine mainRoutine, LPSTR commandLine);

// Shows the text in the "Unhandled exception" box and ends the process with code 1.
[[noreturn]] void ShowUnhandledException(const char* text);

}  // namespace Win32
}  // namespace Zep
