#include "Common/Thread.h"

#include <windows.h>

namespace Zep {

Thread::Thread() {}

Thread::~Thread() {}

void Thread::Sleep(uint32_t milliseconds) {
    ::Sleep(milliseconds);
}

}  // namespace Zep
