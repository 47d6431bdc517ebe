// The subset of the Win32 API that the engine calls.
#pragma once

#include "win32_types.h"
#include "win32_errors.h"
#include "win32_process.h"
#include "win32_sync.h"
#include "win32_threads.h"
#include "win32_time.h"
#include "win32_system.h"
#include "win32_files.h"
#include "win32_memory.h"
#include "win32_user.h"
#include "win32_display.h"
#include "win32_shell.h"
