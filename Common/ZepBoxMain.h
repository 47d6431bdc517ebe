// The main routine: from the single-instance guard to running "Main.lua".
#pragma once

namespace Zep {

// System-wide name of the single-instance guard.
extern const char* const kSingleInstanceGuardName;

}  // namespace Zep

int PlayerMain(int argc, char** argv);
