// The class records of the engine's built-in reflected classes.
#pragma once

namespace Zep {

// The main routine's first step. It only sets a flag: its call keeps the unit that
// holds the class records, and with it every class's factory and declare-properties
// function, in a program linked from the static engine library, where the classes
// are otherwise reached by name only (scene files, scripts).
void ForceLinkClassRegistrations();

}  // namespace Zep
