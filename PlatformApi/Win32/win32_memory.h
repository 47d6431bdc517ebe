// Virtual memory: reserving and committing address ranges.
#pragma once

#include "win32_types.h"

#define MEM_COMMIT 0x1000u
#define MEM_RESERVE 0x2000u
#define MEM_RELEASE 0x8000u

#define PAGE_NOACCESS 0x01u
#define PAGE_READONLY 0x02u
#define PAGE_READWRITE 0x04u

// MEM_RESERVE: a fresh range aligned to the 64 KiB allocation granularity, not
// yet usable. MEM_COMMIT: makes the pages covering [address, address + size)
// of a reservation usable and returns the first page's address; a range
// outside every reservation gives NULL with ERROR_INVALID_ADDRESS. Both flags
// with a NULL address reserve and commit at once.
LPVOID VirtualAlloc(LPVOID address, SIZE_T size, DWORD allocationType, DWORD protect);

// MEM_RELEASE (size 0, address = the reservation's base) returns a whole
// reservation. The engine never releases; tests do.
BOOL VirtualFree(LPVOID address, SIZE_T size, DWORD freeType);
