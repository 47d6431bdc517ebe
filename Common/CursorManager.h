// The cursor manager: the pointer of each virtual input device drawn as an animated
// actor. Graphics register their cursor actors here and hold the ids they get.
//
// Stand-in until the cursor manager is built: it hands out ids 1, 2, ... (never
// reused) and records the registrations and unregistrations. It keeps no copy of the
// actors and shows nothing. The cursor-manager issue replaces this class.
#pragma once

#include <cstdint>
#include <vector>

namespace Zep {

class Actor;

class CursorManager {
public:
    // 0 for a null actor, otherwise the next id. The caller keeps its actor.
    int32_t RegisterCursor(Actor* cursor) {
        if (!cursor)
            return 0;
        registered.push_back(nextId);
        return nextId++;
    }
    // Stand-in: only recorded, id 0 too.
    void UnregisterCursor(int32_t id) { unregistered.push_back(id); }

    // Stand-in records, in call order.
    std::vector<int32_t> registered;
    std::vector<int32_t> unregistered;

private:
    int32_t nextId = 1;
};

}  // namespace Zep
