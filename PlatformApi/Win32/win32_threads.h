// Threads and waiting.
#pragma once

#include "win32_types.h"

// Sleep(0) yields the processor; other values sleep at least that many milliseconds.
void Sleep(DWORD milliseconds);
