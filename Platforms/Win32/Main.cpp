// The process entry of the player: WinMain under its Linux start-up.
#include <FatalSignals.h>

#include "Platforms/Win32/WinMain.h"

int main(int, char**) {
    PlatformProcess::InstallFatalSignalHandler();
    static char commandLine[] = "";
    return WinMain(GetModuleHandle(nullptr), nullptr, commandLine, 0);
}
