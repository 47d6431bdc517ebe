// Folder markers: actors that editing tools put around a run of siblings to show
// them as one folder. They add no behaviour.
#pragma once

#include "Common/Actor.h"

namespace Zep {

// Opens a folder.
class FolderBegin : public Actor {
    ZEP_DECLARE_CLASS();

    FolderBegin();

    // --- Properties ---
    // The folder is shown open in the editor.
    bool GetExpanded() const { return expanded; }
    void SetExpanded(bool value) { expanded = value; }

protected:
    bool expanded;
};

// Closes the folder opened last.
class FolderEnd : public Actor {
    ZEP_DECLARE_CLASS();

    FolderEnd();
};

}  // namespace Zep
