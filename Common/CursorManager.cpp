#include "Common/CursorManager.h"

#include <algorithm>

#include "Common/Application.h"
#include "Common/CoreUtils.h"
#include "Common/Graphic.h"
#include "Common/Image.h"
#include "Common/TextureManager.h"
#include "Common/Utils.h"
#include "Common/VirtualInputDevice.h"

namespace Zep {

namespace {

const char kSource[] = "Common\\CursorManager.cpp";

// The copy of a cursor when it is a graphic; anything else is deleted at once.
Graphic* CloneCursor(Actor* cursor) {
    Actor* clone = cursor->CloneRecursive();
    Graphic* graphic = CastTo<Graphic>(clone);
    if (!graphic)
        delete clone;
    return graphic;
}

void HideDescendant(Actor* cursor, const char* name) {
    if (Graphic* part = CastTo<Graphic>(cursor->FindChild(name, true)))
        part->SetVisible(false);
}

bool IsDevice(int32_t device) {
    return device >= 0 && device < CursorManager::kDevices;
}

}  // namespace

CursorManager::CursorManager() : systemCursorsEnabled(true), nextId(1), currentId{0, 0, 0, 0} {}

CursorManager::~CursorManager() {
    Clear();
}

int32_t CursorManager::RegisterCursor(Actor* cursor) {
    if (!cursor)
        return 0;
    if (!cursor->GetMarkers().FindByName("Loop"))
        AssertionFailed(kSource, 186, "Marker 'Loop' not found in cursor");
    if (!cursor->GetMarkers().FindByName("FadeOut"))
        AssertionFailed(kSource, 187, "Marker 'FadeOut' not found in cursor");
    const int32_t id = nextId++;
    registeredCursors.push_back(Registration{id, CloneCursor(cursor)});
    return id;
}

void CursorManager::UnregisterCursor(int32_t id) {
    if (id == 0)
        return;
    const auto found = FindRegistration(id);
    if (found == registeredCursors.end())
        return;
    Graphic* cursor = found->cursor;
    registeredCursors.erase(found);
    delete cursor;
}

std::vector<CursorManager::Registration>::const_iterator CursorManager::FindRegistration(int32_t id) const {
    return std::find_if(registeredCursors.begin(), registeredCursors.end(),
                        [id](const Registration& entry) { return entry.id == id; });
}

bool CursorManager::IsRegistered(int32_t id) const {
    return FindRegistration(id) != registeredCursors.end();
}

void CursorManager::SetCursor(int32_t device, int32_t id) {
    if (!IsDevice(device) || currentId[device] == id)
        return;
    currentId[device] = id;

    std::vector<Graphic*>& live = liveCursors[device];
    if (!live.empty())
        live.back()->PlayAnimation("FadeOut");

    if (id == 0)
        return;
    const auto found = FindRegistration(id);
    // An actor registered without being a graphic left no copy: such an id shows
    // nothing, like an unknown one.
    if (found == registeredCursors.end() || !found->cursor)
        return;
    Graphic* cursor = CloneCursor(found->cursor);
    if (!cursor)
        return;

    if (device == 0) {
        Image* image = systemCursorsEnabled ? CastTo<Image>(cursor->FindChild("SystemCursor", true)) : nullptr;
        if (image) {
            image->SetVisible(false);
            const std::string path =
                TextureManager::NormalizeTextureName(image->GetCompletePath(image->GetTexturePath()));
            const Vector2& size = image->GetSize();
            const Vector2& pivot = image->GetPivot();
            ShowSystemCursor(
                path, IntVector2(static_cast<int32_t>(size.x * pivot.x), static_cast<int32_t>(size.y * pivot.y)));
        } else {
            ShowSystemCursor("", IntVector2(0, 0));
        }
    }

    cursor->PlayAnimation("Loop");
    cursor->SetPosition(VirtualInputDevice::Get(device)->GetCursorPos());
    cursor->MarkTransformStale();
    cursor->Update(0);
    live.push_back(cursor);
}

void CursorManager::Update(int32_t timeDelta) {
    for (int32_t device = 0; device < kDevices; ++device) {
        std::vector<Graphic*>& live = liveCursors[device];
        if (live.empty())
            continue;
        const Vector2 position = VirtualInputDevice::Get(device)->GetCursorPos();
        for (size_t index = 0; index < live.size();) {
            Graphic* cursor = live[index];
            cursor->SetPosition(position);
            cursor->MarkTransformStale();
            cursor->SafeUpdate(timeDelta);
            HideDescendant(cursor, "SystemCursor");
            if (systemCursorsEnabled)
                HideDescendant(cursor, "StandardCursor");
            if (cursor->IsPlaying()) {
                ++index;
                continue;
            }
            live.erase(live.begin() + static_cast<std::ptrdiff_t>(index));
            delete cursor;
        }
    }
}

void CursorManager::Render() {
    for (int32_t device = 0; device < kDevices; ++device) {
        if (liveCursors[device].empty())
            continue;
        const VirtualInputDevice* input = VirtualInputDevice::Get(device);
        if (!input || !input->IsPluggedAndEnabled() || !input->IsCursorPosValid())
            continue;
        for (Graphic* cursor : liveCursors[device])
            cursor->Render();
    }
}

void CursorManager::AcquireTextures() {
    for (const std::vector<Graphic*>& live : liveCursors) {
        for (Graphic* cursor : live)
            cursor->AcquireTextures();
    }
}

void CursorManager::ReleaseTextures() {
    for (const std::vector<Graphic*>& live : liveCursors) {
        for (Graphic* cursor : live)
            cursor->ReleaseTextures();
    }
}

void CursorManager::Clear() {
    // The lists are emptied before anything is deleted: a deleted graphic may
    // unregister cursors of its own here.
    for (std::vector<Graphic*>& live : liveCursors) {
        std::vector<Graphic*> cursors;
        cursors.swap(live);
        for (Graphic* cursor : cursors)
            delete cursor;
    }
    std::vector<Registration> registrations;
    registrations.swap(registeredCursors);
    for (const Registration& entry : registrations)
        delete entry.cursor;
}

void CursorManager::SetSystemCursorsEnabled(bool enabled) {
    if (enabled == systemCursorsEnabled)
        return;
    systemCursorsEnabled = enabled;
    const int32_t previous = currentId[0];
    SetCursor(0, 0);
    SetCursor(0, previous);
}

void CursorManager::ShowSystemCursor(const std::string& texturePath, IntVector2 hotspot) {
    Application::GetInstance()->SetSystemCursor(texturePath, hotspot);
}

}  // namespace Zep
