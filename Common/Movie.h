// The movie actor: a graphic that shows a Theora movie file. So far its data; the
// keys of its action track run nothing yet.
#pragma once

#include <cstdint>
#include <string>

#include "Common/Graphic.h"

namespace Zep {

class Movie : public Graphic {
    ZEP_DECLARE_CLASS();

    // What a key of the movie's action track does to the playback.
    enum Action : int32_t {
        PLAY = 0,
        PAUSE = 1,
        STOP = 2,
    };

    // Bit of Flags.
    static const uint32_t LOOPED = 1;

    Movie();

    // --- Properties ---
    Action GetAction() const { return action; }
    void SetAction(Action value) { action = value; }
    // The movie's path, relative to the base path.
    const std::string& GetFile() const { return file; }
    void SetFile(const std::string& value) { file = value; }
    uint32_t GetFlags() const { return flags; }
    void SetFlags(uint32_t value) { flags = value; }

protected:
    uint32_t flags;
    std::string file;
    Action action;
};

}  // namespace Zep
