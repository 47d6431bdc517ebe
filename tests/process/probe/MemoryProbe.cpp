// A program on the player's entry and global operators whose main routine leaks
// one 40-byte block, for the exit-time leak report.
#include <cstdio>
#include <cstring>

#include "Common/MemoryHeap.h"
#include "Platforms/Win32/WinMain.h"

namespace {

int LeakingMain(int, char**) {
    char* text = new char[40];
    std::memcpy(text, "0123456789abcdefghijklmnopqrstuvwxyzABC", 40);
    const Zep::Memory::MemoryHeap* heap = Zep::Memory::BlockHeap(text);
    std::fprintf(stderr, "block heap: %s\n", heap->name);
    int* kept = new int(5);
    delete kept;
    return 0;
}

}  // namespace

int main() {
    static char commandLine[] = "";
    return Zep::Win32::RunMainRoutine(&LeakingMain, commandLine);
}
