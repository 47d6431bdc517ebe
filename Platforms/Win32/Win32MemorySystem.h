// The Win32 memory system: one reservation entered as both arenas.
#pragma once

#include "Common/MemoryManagerState.h"
