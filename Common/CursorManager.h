// The cursor manager: the pointer of each of the four virtual input devices drawn as
// an animated actor. Graphics register their cursor actors here and hold the ids they
// get; each frame the application hands over the id found under each pointer. A change
// of cursor fades the old actor out from its "FadeOut" marker and starts a copy of the
// new one at its "Loop" marker. Device 0 may also show the cursor's image as the
// system cursor.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "Common/ValueTypes.h"

namespace Zep {

class Actor;
class Graphic;

class CursorManager {
public:
    // Virtual input devices with a cursor: 0 to 3.
    static const int32_t kDevices = 4;

    CursorManager();
    // Deletes the live cursors and the registered copies.
    virtual ~CursorManager();

    CursorManager(const CursorManager&) = delete;
    CursorManager& operator=(const CursorManager&) = delete;

    // Keeps a copy of the actor, which must have the markers "Loop" and "FadeOut", and
    // answers its id; 0 for a null actor. The caller keeps its actor. An actor that is
    // not a graphic gets an id that shows nothing.
    int32_t RegisterCursor(Actor* cursor);
    // Forgets the copy of that id; cursors already shown play on. 0 is ignored.
    void UnregisterCursor(int32_t id);
    // Shows the cursor of that id for the device (0 for none). The current cursor fades
    // out; an unknown id shows nothing new and leaves the system cursor as it is.
    void SetCursor(int32_t device, int32_t id);
    // Moves the live cursors to their device's pointer and advances them; those whose
    // animation has stopped are deleted.
    void Update(int32_t timeDelta);
    // Draws the live cursors of the plugged and enabled devices, older ones first, so
    // the current cursor lies on top.
    void Render();
    void AcquireTextures();
    void ReleaseTextures();
    // Deletes the live cursors and the registered copies. Ids are still not reused, and
    // each device keeps its current id.
    void Clear();

    // Whether device 0's cursor is shown as the system cursor; on a change device 0's
    // cursor is shown anew.
    bool IsSystemCursorsEnabled() const { return systemCursorsEnabled; }
    void SetSystemCursorsEnabled(bool enabled);

    // The device's cursors being shown: fading ones first, the current one last.
    const std::vector<Graphic*>& GetLiveCursors(int32_t device) const { return liveCursors[device]; }
    // The id last set for the device; 0 for none.
    int32_t GetCurrentId(int32_t device) const { return currentId[device]; }
    // Whether an id is registered, whether or not it shows anything.
    bool IsRegistered(int32_t id) const;

protected:
    // Hands device 0's cursor image to the application; the empty path is the blank
    // cursor.
    virtual void ShowSystemCursor(const std::string& texturePath, IntVector2 hotspot);

private:
    struct Registration {
        int32_t id;
        Graphic* cursor;  // owned; null when the registered actor was not a graphic
    };

    // The registration of that id, or the end of the list.
    std::vector<Registration>::const_iterator FindRegistration(int32_t id) const;

    bool systemCursorsEnabled;
    std::vector<Graphic*> liveCursors[kDevices];
    std::vector<Registration> registeredCursors;
    int32_t nextId;
    int32_t currentId[kDevices];
};

}  // namespace Zep
