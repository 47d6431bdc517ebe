// The movie actor. So far only the type of its keyed actions.
#pragma once

#include <cstdint>

namespace Zep {

class Movie {
public:
    // What a key of the movie's action track does to the playback.
    enum Action : int32_t {};
};

}  // namespace Zep
