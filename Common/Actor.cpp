#include "Common/Actor.h"

#include <algorithm>
#include <deque>
#include <set>
#include <utility>
#include <vector>

#include "Common/BundleSystem.h"
#include "Common/CoreUtils.h"
#include "Common/FileSystem.h"
#include "Common/PropertyInfo.h"
#include "Common/StringUtils.h"
#include "Common/Utils.h"
#include "LumoSources/Common/LumoCommon.h"
#include "LumoSources/Common/PlatformRenderer.h"

namespace Zep {

// --- Marker ----------------------------------------------------------------------
void Marker::DeclareProperties() {
    RegisterProperty<Marker, std::string>(
        "Name", [](Marker* m) { return m->name; }, [](Marker* m, std::string v) { m->name = std::move(v); });
    RegisterProperty<Marker, int32_t>(
        "Frame", [](Marker* m) { return m->frame; }, [](Marker* m, int32_t v) { m->frame = v; });
    RegisterProperty<Marker, bool>(
        "EaseInterpolation", [](Marker* m) { return m->easeInterpolation; },
        [](Marker* m, bool v) { m->easeInterpolation = v; });
    RegisterProperty<Marker, MarkerCommand>(
        "Command", [](Marker* m) { return m->command; }, [](Marker* m, MarkerCommand v) { m->command = v; });
    RegisterProperty<Marker, std::string>(
        "OtherMarkerName", [](Marker* m) { return m->otherMarkerName; },
        [](Marker* m, std::string v) { m->otherMarkerName = std::move(v); });
    RegisterProperty<Marker, EaseParameters>(
        "EaseParameters", [](Marker* m) { return m->easeParameters; },
        [](Marker* m, EaseParameters v) { m->easeParameters = v; });
}

Marker::Marker()
    : owner(nullptr), easeParameters(), easeInterpolation(false), command(MARKER_PLAY), otherMarkerName(), frame(0) {
    SetClassInfo(&staticClassInfo);
}

Marker* Marker::Clone() const {
    Marker* copy = CastTo<Marker>(GetClassInfo()->CreateInstance());
    ZEP_ASSERT(copy != nullptr);
    copy->easeParameters = easeParameters;
    copy->easeInterpolation = easeInterpolation;
    copy->command = command;
    copy->otherMarkerName = otherMarkerName;
    copy->frame = frame;
    copy->name = name;
    return copy;
}

// --- ActorCollection -------------------------------------------------------------
ActorCollection::ActorCollection(Actor* owner) : owner(owner) {
    SetOwnsObjects(true);
}

ActorCollection::~ActorCollection() {
    Clear();
}

Actor* ActorCollection::FindByName(const std::string& name) const {
    for (int32_t i = 0; i < GetCount(); ++i) {
        Actor* child = Get(i);
        if (child && child->GetName() == name)
            return child;
    }
    return nullptr;
}

Actor* ActorCollection::FindByNameSafe(const std::string& name) const {
    Actor* child = FindByName(name);
    ZEP_ASSERT_MSG(child != nullptr, "Object not found: " + name);
    return child;
}

void ActorCollection::SetIgnoredByName(const std::string& name, bool ignored) {
    for (int32_t i = 0; i < GetCount(); ++i) {
        Actor* child = Get(i);
        if (child && child->GetName() == name)
            SetIgnored(i, ignored);
    }
}

void ActorCollection::OnInsert(int32_t index) {
    Actor* child = Get(index);
    if (!child)
        return;
    if (!owner->IsCompound())
        ZEP_PANIC("Owner actor isn't a container");
    ZEP_ASSERT_MSG(child->GetParent() == nullptr, "Actor already in collection");
    child->SetParent(owner);
}

// Only the link to this owner is undone: a child that failed the one-parent check
// still belongs to its first parent.
void ActorCollection::OnRemove(int32_t index) {
    Actor* child = Get(index);
    if (child && child->GetParent() == owner)
        child->SetParent(nullptr);
}

// --- MarkerCollection ------------------------------------------------------------
MarkerCollection::MarkerCollection(Actor* owner) : owner(owner) {
    SetOwnsObjects(true);
}

MarkerCollection::~MarkerCollection() {
    Clear();
}

Marker* MarkerCollection::Create(const std::string& name, int32_t frame, MarkerCommand command) {
    Marker* marker = new Marker();
    marker->name = name;
    marker->frame = frame;
    marker->command = command;
    Add(marker);
    return marker;
}

Marker* MarkerCollection::FindByName(const std::string& name) const {
    for (int32_t i = 0; i < GetCount(); ++i) {
        Marker* marker = Get(i);
        if (marker && marker->name == name)
            return marker;
    }
    return nullptr;
}

Marker* MarkerCollection::FindByNameSafe(const std::string& name) const {
    Marker* marker = FindByName(name);
    ZEP_ASSERT_MSG(marker != nullptr, "Object not found: " + name);
    return marker;
}

Marker* MarkerCollection::FindForFrame(int32_t frame) const {
    for (int32_t i = 0; i < GetCount(); ++i) {
        Marker* marker = Get(i);
        if (marker && marker->frame == frame)
            return marker;
    }
    return nullptr;
}

int32_t MarkerCollection::FindInsertionPlace(const Marker* marker) const {
    for (int32_t i = 0; i < GetCount(); ++i) {
        const Marker* other = Get(i);
        if (other && other->frame > marker->frame)
            return i;
    }
    return GetCount();
}

std::string MarkerCollection::GenerateMarkerName() const {
    for (int32_t number = 1;; ++number) {
        const std::string name = std::to_string(number);
        if (!FindByName(name))
            return name;
    }
}

void MarkerCollection::OnInsert(int32_t index) {
    Marker* marker = Get(index);
    if (!marker)
        return;
    const Marker* previous = index > 0 ? Get(index - 1) : nullptr;
    const Marker* next = index + 1 < GetCount() ? Get(index + 1) : nullptr;
    ZEP_ASSERT_MSG((!previous || marker->frame > previous->frame) && (!next || marker->frame < next->frame),
                   "Markers must be inserted in frame order");
    marker->owner = this;
}

void MarkerCollection::OnRemove(int32_t index) {
    if (Marker* marker = Get(index))
        marker->owner = nullptr;
}

// --- Actor: class record ---------------------------------------------------------
int32_t Actor::liveActorCount = 0;
Actor* Actor::killHead = nullptr;

namespace {

// A key of a child's Trigger on the frame its parent enters plays the child.
void OnTriggerKey(Object* target, Object*, int32_t) {
    static_cast<Actor*>(target)->PlayTrigger();
}

}  // namespace

void Actor::DeclareProperties() {
    RegisterProperty<Actor, std::string>(
        "Name", [](Actor* a) { return a->GetName(); }, [](Actor* a, std::string v) { a->SetName(v); });
    RegisterProperty<Actor, std::string>(
        "Source", [](Actor* a) { return a->GetSourcePath(); }, [](Actor* a, std::string v) { a->SetSourcePath(v); });
    RegisterProperty<Actor, uint32_t>(
        "Attributes", [](Actor* a) { return a->GetAttributes(); }, [](Actor* a, uint32_t v) { a->SetAttributes(v); });
    RegisterAnimatableProperty<Actor, std::string>(
        "Trigger", [](Actor* a) { return a->GetTrigger(); }, [](Actor* a, std::string v) { a->SetTrigger(v); },
        &OnTriggerKey);
    RegisterCollection("Actors", &Actor::children);
    RegisterCollection("Markers", &Actor::markers);
    RegisterProperty<Actor, std::string>(
        "Tag", [](Actor* a) { return a->GetTag(); }, [](Actor* a, std::string v) { a->SetTag(v); });
    staticClassInfo.SetMetadata(
        "'Metadata::Class' { Name '$CLASS_NAME$' Properties [ "
        "'Metadata::StringProperty' { Name 'Name' Group 'Actor' } "
        "'Metadata::PathProperty' { Name 'Source' Group 'Actor' Wildcard '*.scene' } "
        "'Metadata::BitMaskProperty' { Name 'Attributes' Group 'Actor' BitNames [ 'Hidden' ] } "
        "'Metadata::StringProperty' { Name 'Trigger' Group 'Actor' } "
        "'Metadata::StringProperty' { Name 'Tag' Group 'Actor' } ] }");
}

// --- Actor: life -----------------------------------------------------------------
Actor::Actor()
    : children(this),
      markers(this),
      killPrev(nullptr),
      killNext(nullptr),
      loadPending(false),
      parent(nullptr),
      attributes(0),
      lastMarkerFrame(-1),
      currentTime(0),
      playing(false),
      compound(false) {
    SetClassInfo(&staticClassInfo);
    ++liveActorCount;
}

Actor::~Actor() {
    --liveActorCount;
    if (killPrev)
        killPrev->killNext = killNext;
    if (killNext)
        killNext->killPrev = killPrev;
    if (killHead == this)
        killHead = killNext;
    killPrev = killNext = nullptr;
    if (parent) {
        ActorCollection& siblings = parent->children;
        const int32_t index = siblings.IndexOf(this);
        if (index != -1)
            siblings.Extract(index);
        parent = nullptr;
    }
    // Deleted through the collection, so that each child leaves the kill list too.
    children.Clear();
    tag.reset();
    sourcePath.reset();
    trigger.reset();
    basePath.reset();
    name.clear();
    markers.Clear();
}

void Actor::Store(OptionalString& text, const std::string& value) {
    if (value.empty())
        text.reset();
    else if (text)
        *text = value;
    else
        text.reset(new std::string(value));
}

// --- Actor: virtual operations ---------------------------------------------------
bool Actor::IsPrepared() {
    return !loadPending;
}

void Actor::Prepare() {
    if (!loadPending)
        return;
    loadPending = false;
    LoadExternalAssets();
}

void Actor::Assign(Actor* other) {
    ZEP_ASSERT(other != nullptr);
    if (!other->GetClassInfo()->IsKindOf(GetClassInfo()))
        AssertionFailed(ZEP_SOURCE_FILE, __LINE__,
                        Sprintf("Can't assign %s to %s", other->GetClassName().c_str(), GetClassName().c_str()));
    // Assigning an actor to itself would clear its markers before cloning them.
    if (other == this)
        return;
    PropertyInfoList properties;
    GetClassInfo()->GetProperties(properties, true);
    for (PropertyInfo* property : properties) {
        if (!property->IsReadOnly() && other->GetClassInfo()->FindProperty(property->GetName(), true))
            property->CopyValue(other, this);
    }
    compound = other->compound;
    animators.CopyFrom(other->animators);
    std::vector<Marker*> clones;
    for (int32_t i = 0; i < other->markers.GetCount(); ++i) {
        if (const Marker* marker = other->markers.Get(i))
            clones.push_back(marker->Clone());
    }
    markers.Clear();
    for (Marker* clone : clones)
        markers.Add(clone);
    currentTime = other->currentTime;
    playing = other->playing;
    lastMarkerFrame = other->lastMarkerFrame;
    attributes = other->attributes;
    loadPending = other->loadPending;
    SetBasePath(other->GetBasePath());
}

void Actor::AssignRecursive(Actor* other) {
    Assign(other);
    if (other == this)
        return;
    // The copies are made before the own children go: the other may be one of them.
    std::vector<std::pair<Actor*, bool>> copies;
    for (int32_t i = 0; i < other->children.GetCount(); ++i) {
        Actor* child = other->children.Get(i);
        copies.emplace_back(child ? child->CloneRecursive() : nullptr, other->children.IsIgnored(i));
    }
    const std::string otherBasePath = other->GetBasePath();
    children.Clear();
    for (const auto& [copy, ignored] : copies) {
        children.Add(copy);
        children.SetIgnored(children.GetCount() - 1, ignored);
    }
    SetBasePath(otherBasePath);
}

void Actor::SetParent(Actor* newParent) {
    parent = newParent;
    // The effective base path comes from the new ancestors.
    if (!basePath)
        OnBasePathChanged();
}

void Actor::Update(int32_t timeDelta) {
    ZEP_ASSERT_MSG(timeDelta >= 0, "Negative timeDelta");
    ZEP_ASSERT_MSG(timeDelta < 50, "timeDelta too large");
    AdvanceTime(timeDelta);
    for (int32_t i = children.GetCount() - 1; i >= 0; --i) {
        // An update may take children out of the list.
        if (i >= children.GetCount())
            continue;
        Actor* child = children.Get(i);
        if (child && !children.IsIgnored(i))
            child->Update(timeDelta);
    }
}

void Actor::AcquireTextures() {
    for (int32_t i = 0; i < children.GetCount(); ++i) {
        Actor* child = children.Get(i);
        if (child && !children.IsIgnored(i) && child->IsPresented())
            child->AcquireTextures();
    }
}

void Actor::ReleaseTextures() {
    for (int32_t i = 0; i < children.GetCount(); ++i) {
        Actor* child = children.Get(i);
        if (child && !children.IsIgnored(i) && child->IsPresented())
            child->ReleaseTextures();
    }
}

bool Actor::HitTestInContext(const RenderContext&, const Vector2&) {
    return false;
}

int32_t Actor::FindCursorAt(const RenderContext& context, int32_t device, const Vector2& point) {
    for (int32_t i = 0; i < children.GetCount(); ++i) {
        Actor* child = children.Get(i);
        if (!child || children.IsIgnored(i) || !child->IsPresented())
            continue;
        const int32_t cursor = child->FindCursorAt(child->TransformRenderContext(context), device, point);
        if (cursor != 0)
            return cursor;
    }
    return 0;
}

RenderContext Actor::TransformRenderContext(const RenderContext& context) {
    return context;
}

Matrix32 Actor::CalcTransformMatrix() {
    return Matrix32();
}

void Actor::RenderInContext(const RenderContext& context) {
    for (int32_t i = children.GetCount() - 1; i >= 0; --i) {
        Actor* child = children.Get(i);
        if (child && !children.IsIgnored(i) && child->IsPresented())
            child->RenderInContext(child->TransformRenderContext(context));
    }
}

// Ignored children too: they keep resolving their paths while hidden.
void Actor::OnBasePathChanged() {
    for (int32_t i = 0; i < children.GetCount(); ++i) {
        if (Actor* child = children.Get(i))
            child->OnBasePathChanged();
    }
}

bool Actor::IsPresented() {
    return true;
}

bool Actor::HasMissingTexture() {
    return false;
}

void Actor::CopySizeTo(Actor*) {}

// --- Actor: tree -----------------------------------------------------------------
Actor* Actor::CreateOfSameClass() const {
    Object* object = GetClassInfo()->CreateInstance();
    Actor* actor = CastTo<Actor>(object);
    if (!actor) {
        delete object;
        ZEP_ASSERT(actor != nullptr);
    }
    return actor;
}

Actor* Actor::Clone() {
    std::unique_ptr<Actor> copy(CreateOfSameClass());
    copy->Assign(this);
    return copy.release();
}

Actor* Actor::CloneRecursive() {
    std::unique_ptr<Actor> copy(CreateOfSameClass());
    copy->AssignRecursive(this);
    return copy.release();
}

void Actor::AdoptChildren(Actor* other) {
    ZEP_ASSERT(other != nullptr);
    if (other == this)
        return;
    const std::string otherBasePath = other->GetBasePath();
    const bool rebase = otherBasePath != GetBasePath();
    // Taken out, last to first, before the own children go: the other may be one of them.
    std::vector<Actor*> moved(static_cast<size_t>(other->children.GetCount()));
    for (int32_t i = other->children.GetCount() - 1; i >= 0; --i)
        moved[static_cast<size_t>(i)] = other->children.Extract(i);
    children.Clear();
    children.Resize(static_cast<int32_t>(moved.size()));
    for (int32_t i = static_cast<int32_t>(moved.size()) - 1; i >= 0; --i) {
        Actor* child = moved[static_cast<size_t>(i)];
        children.Put(i, child, 0);
        // Relative paths keep resolving where they did.
        if (child && rebase)
            child->SetBasePath(otherBasePath);
    }
}

Actor* Actor::FindChild(const std::string& name, bool recursive) {
    if (name.find('/') == std::string::npos) {
        if (!recursive)
            return children.FindByName(name);
        // Breadth-first: the shallowest match, the first in child order among equals.
        std::deque<Actor*> queue(1, this);
        while (!queue.empty()) {
            Actor* actor = queue.front();
            queue.pop_front();
            if (Actor* found = actor->children.FindByName(name))
                return found;
            for (int32_t i = 0; i < actor->children.GetCount(); ++i) {
                if (Actor* child = actor->children.Get(i))
                    queue.push_back(child);
            }
        }
        return nullptr;
    }
    // A path: empty components are empty names, a final '/' adds nothing.
    Actor* actor = this;
    size_t begin = 0;
    while (actor && begin < name.size()) {
        const size_t end = std::min(name.find('/', begin), name.size());
        actor = actor->children.FindByName(name.substr(begin, end - begin));
        begin = end + 1;
    }
    return actor;
}

Actor* Actor::GetRootActor() {
    Actor* root = this;
    while (root->parent)
        root = root->parent;
    return root;
}

int32_t Actor::GetTotalActors() {
    int32_t total = 1;
    for (int32_t i = 0; i < children.GetCount(); ++i) {
        Actor* child = children.Get(i);
        if (child && !children.IsIgnored(i))
            total += child->GetTotalActors();
    }
    return total;
}

// --- Actor: updating and the kill list -------------------------------------------
void Actor::SafeUpdate(int32_t timeDelta) {
    ZEP_ASSERT_MSG(timeDelta >= 0, "Negative timeDelta");
    if (timeDelta < 50) {
        Update(timeDelta);
        return;
    }
    // Whole steps of 49, then a last step of 1 to 49 ms.
    for (int32_t steps = (timeDelta - 50) / 49 + 1; steps > 0; --steps)
        Update(49);
    Update((timeDelta - 50) % 49 + 1);
}

void Actor::Kill() {
    if (killPrev || killNext || killHead == this)
        return;
    killNext = killHead;
    if (killHead)
        killHead->killPrev = this;
    killHead = this;
}

bool Actor::IsAlive() const {
    return !killPrev && !killNext && killHead != this;
}

void Actor::DeleteKilledActors() {
    // Each destructor takes its actor, and its killed descendants, off the list.
    while (killHead)
        delete killHead;
}

// --- Actor: timeline -------------------------------------------------------------
void Actor::AdvanceTime(int32_t timeDelta) {
    if (!playing)
        return;
    const int32_t old = currentTime;
    currentTime = old + timeDelta;
    const int32_t frame = FrameOfTime(currentTime);
    const int32_t start = StartOfFrame(frame);
    const bool entered = old <= start && start <= currentTime && frame != lastMarkerFrame;
    if (entered) {
        lastMarkerFrame = frame;
        if (!GetAttribute(ATTRIBUTE_NO_MARKER_COMMANDS))
            ExecuteMarkerCommands(frame);
    }
    SetCurrentTime(currentTime);
    if (entered) {
        const int32_t keyFrame = FrameOfTime(currentTime);
        for (int32_t i = 0; i < children.GetCount(); ++i) {
            Actor* child = children.Get(i);
            if (child && !children.IsIgnored(i))
                child->FireKeyCallbacks(keyFrame);
        }
    }
}

void Actor::ExecuteMarkerCommands(int32_t frame) {
    const Marker* marker = markers.FindForFrame(frame);
    if (!marker)
        return;
    switch (marker->command) {
        case MARKER_PLAY:
            break;
        case MARKER_STOP:
            currentTime = StartOfFrame(FrameOfTime(currentTime));
            lastMarkerFrame = -1;
            playing = false;
            break;
        case MARKER_GOTO:
            if (const Marker* target = markers.FindByName(marker->otherMarkerName))
                currentTime = StartOfFrame(target->frame);
            break;
        case MARKER_DESTROY:
            lastMarkerFrame = -1;
            playing = false;
            Kill();
            break;
        default:
            break;
    }
}

void Actor::SetCurrentTime(int32_t timeMs) {
    currentTime = timeMs;
    const int32_t eased = CalcEasedTime(timeMs);
    for (int32_t i = 0; i < children.GetCount(); ++i) {
        Actor* child = children.Get(i);
        if (child && !children.IsIgnored(i))
            child->ApplyAnimators(eased);
    }
}

int32_t Actor::CalcEasedTime(int32_t timeMs) const {
    const int32_t frame = FrameOfTime(timeMs);
    int32_t last = -1;
    for (int32_t i = 0; i < markers.GetCount(); ++i) {
        const Marker* marker = markers.Get(i);
        if (marker && marker->frame <= frame)
            last = i;
    }
    if (last == -1 || last + 1 >= markers.GetCount())
        return timeMs;
    const Marker* marker = markers.Get(last);
    const Marker* next = markers.Get(last + 1);
    if (!marker->easeInterpolation || !next)
        return timeMs;
    const int32_t start = StartOfFrame(marker->frame);
    const int32_t length = StartOfFrame(next->frame) - start;
    const float u = static_cast<float>(timeMs - start) / static_cast<float>(length);
    const float v = EaseCurve(marker->easeParameters).Evaluate(u);
    return static_cast<int32_t>(static_cast<double>(v) * length + start);
}

void Actor::PlayAnimation(int32_t frame) {
    playing = true;
    lastMarkerFrame = -1;
    SetCurrentTime(StartOfFrame(frame));
    Update(0);
}

void Actor::PlayAnimation(const std::string& markerName) {
    if (const Marker* marker = markers.FindByName(markerName))
        PlayAnimation(marker->frame);
}

void Actor::StopAnimation() {
    playing = false;
    lastMarkerFrame = -1;
}

void Actor::PlayTrigger() {
    if (trigger) {
        PlayAnimation(*trigger);
        return;
    }
    playing = true;
    lastMarkerFrame = -1;
    SetCurrentTime(0);
    Update(0);
}

// --- Actor: drawing and hit testing ----------------------------------------------
RenderContext Actor::CalcFullRenderContext() {
    return TransformRenderContext(parent ? parent->CalcFullRenderContext() : RenderContext::GetDefault());
}

Matrix32 Actor::CalcFullTransformMatrix() {
    Matrix32 full = CalcTransformMatrix();
    for (Actor* ancestor = parent; ancestor; ancestor = ancestor->parent)
        full = full * ancestor->CalcTransformMatrix();
    return full;
}

void Actor::Render() {
    RenderInContext(CalcFullRenderContext());
}

bool Actor::HitTest(const Vector2& point) {
    if (!IsPresentedInTree())
        return false;
    return HitTestInContext(CalcFullRenderContext(), point);
}

bool Actor::IsPresentedInTree() {
    for (Actor* actor = this; actor; actor = actor->parent) {
        if (!actor->IsPresented())
            return false;
    }
    return true;
}

void Actor::BeginDraw(const RenderContext& context) {
    PlatformRenderer* renderer = Lumo::InstanceHolder<PlatformRenderer>::Get();
    renderer->PushTransform(false);
    renderer->SetTransform(context.transform);
    ApplyBlendMode(context.blendMode);
}

void Actor::EndDraw() {
    Lumo::InstanceHolder<PlatformRenderer>::Get()->PopTransform(false);
}

// --- Actor: paths and linked scenes ------------------------------------------------
namespace {

// The scene files being read, over all nested links of the process.
std::set<std::string>& ScenesBeingLoaded() {
    static std::set<std::string> paths;
    return paths;
}

}  // namespace

std::string Actor::GetBasePath() const {
    for (const Actor* actor = this; actor; actor = actor->parent) {
        if (actor->basePath)
            return *actor->basePath;
    }
    return std::string();
}

void Actor::SetBasePath(const std::string& path) {
    Store(basePath, path);
    OnBasePathChanged();
}

std::string Actor::GetCompletePath(const std::string& path) const {
    if (path.empty() || path[0] == '#')
        return path;
    if (path[0] == '/' || path[0] == '\\')
        return GetNormalizedPath(path.substr(1));
    return ConcatPaths(GetBasePath(), path);
}

void Actor::LoadExternalAssets() {
    if (sourcePath) {
        LoadSourceScene();
        return;
    }
    for (int32_t i = 0; i < children.GetCount(); ++i) {
        if (Actor* child = children.Get(i))
            child->LoadExternalAssets();
    }
}

void Actor::CleanupExternalAssets() {
    if (sourcePath) {
        children.Clear();
        markers.Clear();
        return;
    }
    for (int32_t i = 0; i < children.GetCount(); ++i) {
        if (Actor* child = children.Get(i))
            child->CleanupExternalAssets();
    }
}

// A missing file leaves the actor empty, silently.
void Actor::LoadSourceScene() {
    if (!compound || !sourcePath)
        return;
    children.Clear();
    markers.Clear();
    const std::string path = GetCompletePath(*sourcePath);
    std::set<std::string>& loading = ScenesBeingLoaded();
    if (loading.count(path))
        ZEP_PANIC(Sprintf("Cyclic dependency of scenes has detected: %s", path.c_str()));
    if (!BundleSystem::GetInstance()->PathExists(path, FS_PATH_FILE))
        return;
    std::unique_ptr<Actor> loaded;
    {
        // The path leaves the set also when the file fails to load.
        struct Loading {
            std::set<std::string>& paths;
            const std::string& path;
            ~Loading() { paths.erase(path); }
        } guard{loading, path};
        loading.insert(path);
        loaded.reset(CreateSceneFromFile(path));
    }
    CopySizeTo(loaded.get());
    for (int32_t i = 0; i < loaded->markers.GetCount(); ++i) {
        if (const Marker* marker = loaded->markers.Get(i))
            markers.Add(marker->Clone());
    }
    AdoptChildren(loaded.get());
}

// --- Actor: properties -----------------------------------------------------------
void Actor::SetSourcePath(const std::string& value) {
    if (value == GetSourcePath())
        return;
    Store(sourcePath, value);
    loadPending = true;
}

}  // namespace Zep
