#include <unistd.h>

#include <cstring>

#include "win32_system.h"

void GetSystemInfo(LPSYSTEM_INFO info) {
    std::memset(info, 0, sizeof(*info));
    const long pageSize = ::sysconf(_SC_PAGESIZE);
    const long processors = ::sysconf(_SC_NPROCESSORS_ONLN);
    info->dwPageSize = pageSize > 0 ? static_cast<DWORD>(pageSize) : 4096;
    info->dwNumberOfProcessors = processors > 0 ? static_cast<DWORD>(processors) : 1;
    info->dwAllocationGranularity = 65536;
    info->lpMinimumApplicationAddress = reinterpret_cast<LPVOID>(0x10000);
    info->lpMaximumApplicationAddress = reinterpret_cast<LPVOID>(0x7FFFFFFEFFFFull);
}
