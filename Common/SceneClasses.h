// Keeps the scene classes in every program that runs the main routine.
//
// Stand-in until the class registrations are gathered in one unit: the engine is a
// static library, which leaves out an object file that nothing references, and the
// scene classes are reached by name only (scene files, scripts). The class
// registrations issue replaces it with ForceLinkClassRegistrations.
#pragma once

namespace Zep {

// Called once by the main routine; its call keeps the class records linked.
void ForceLinkSceneClasses();

}  // namespace Zep
