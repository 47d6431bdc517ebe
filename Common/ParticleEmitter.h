// Particle emitters. So far only the types of their keyed shape and emission.
#pragma once

#include <cstdint>

namespace Zep {

// The figure particles are emitted from.
enum EmitterShape : int32_t {};
// Which side of the shape's outline particles leave from (bits).
enum EmissionType : int32_t {};

}  // namespace Zep
