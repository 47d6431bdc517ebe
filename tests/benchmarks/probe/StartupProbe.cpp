// The start-up probe: prints the monotonic clock when its first static constructor
// runs, at the start of main() and at the first step of its main routine, then the
// number of registered classes. Built twice:
// - with the class records: a program on the player's entry and global operators,
//   whose main routine begins as the player's does, with the call that keeps the
//   records in the program;
// - without them: main() alone. A program on the entry cannot leave the records
//   out: the entry's Lua glue reaches the root class, whose record is one of the list.
#include <time.h>

#include <cstdint>
#include <cstdio>

#if ZEP_STARTUP_WITH_CLASSES
#include "Common/ClassRegistrations.h"
#include "Common/ClassRegistry.h"
#include "Platforms/Win32/WinMain.h"
#endif

namespace {

int64_t NowNs() {
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return int64_t(now.tv_sec) * 1000000000 + now.tv_nsec;
}

int64_t firstConstructorNs = 0;
int64_t mainNs = 0;

// Runs before the constructors of default priority, the class records among them.
__attribute__((constructor(101))) void MarkFirstConstructor() {
    firstConstructorNs = NowNs();
}

int FirstStep(int, char**) {
    const int64_t firstStepNs = NowNs();
    size_t classes = 0;
#if ZEP_STARTUP_WITH_CLASSES
    Zep::ForceLinkClassRegistrations();
    classes = Zep::ClassRegistry::GetInstance().GetClasses().size();
#endif
    std::printf("%lld %lld %lld %zu\n", static_cast<long long>(firstConstructorNs), static_cast<long long>(mainNs),
                static_cast<long long>(firstStepNs), classes);
    return 0;
}

}  // namespace

int main() {
    mainNs = NowNs();
#if ZEP_STARTUP_WITH_CLASSES
    static char commandLine[] = "";
    return Zep::Win32::RunMainRoutine(&FirstStep, commandLine);
#else
    return FirstStep(0, nullptr);
#endif
}
