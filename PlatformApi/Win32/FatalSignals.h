// Stand-in for the structured-exception guard around the whole process: a crash
// (SIGSEGV, SIGBUS, SIGFPE, SIGILL) writes "An unknown exception has occurred.\n"
// to stderr and the debug-log file and ends the process with code 1.
#pragma once

namespace PlatformProcess {

void InstallFatalSignalHandler();

}  // namespace PlatformProcess
