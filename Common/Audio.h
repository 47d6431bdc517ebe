// The audio actor. So far only the type of its keyed actions.
#pragma once

#include <cstdint>

namespace Zep {

class Audio {
public:
    // What a key of the audio actor's action track does to its sound.
    enum Action : int32_t {};
};

}  // namespace Zep
