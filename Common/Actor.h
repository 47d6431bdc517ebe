// The scene tree: actors with their children, their timeline of markers and the
// traversals that update, draw and hit-test the tree.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "Common/AnimableObject.h"
#include "Common/Collection.h"
#include "Common/Object.h"
#include "Common/Skinning.h"
#include "Common/ValueTypes.h"

namespace Zep {

class Actor;
class MarkerCollection;

// What a marker does when its frame is entered.
enum MarkerCommand : int32_t {
    MARKER_PLAY = 0,     // play on
    MARKER_STOP = 1,     // stop at the start of the frame
    MARKER_GOTO = 2,     // jump to the marker named OtherMarkerName
    MARKER_DESTROY = 3,  // stop and kill the actor
};

// A named frame of an actor's timeline with a command and the easing of the
// segment up to the next marker.
class Marker : public Object {
    ZEP_DECLARE_CLASS();

    Marker();

    // A marker of the same class with every field but the owner.
    Marker* Clone() const;

    MarkerCollection* owner;
    EaseParameters easeParameters;
    bool easeInterpolation;
    MarkerCommand command;
    std::string otherMarkerName;
    int32_t frame;
    std::string name;
};

// The children of an actor, owned; the entry word is the child's ignored flag.
class ActorCollection : public Collection<ActorCollection, Actor> {
public:
    explicit ActorCollection(Actor* owner);
    ~ActorCollection() override;

    Actor* GetOwner() const { return owner; }

    // The first child of that name; null when none has it.
    Actor* FindByName(const std::string& name) const;
    // The same; a missing name is an assertion.
    Actor* FindByNameSafe(const std::string& name) const;
    bool IsIgnored(int32_t index) const { return GetWord(index) != 0; }
    void SetIgnored(int32_t index, bool ignored) { SetWord(index, ignored ? 1 : 0); }
    // Sets the flag of every child of that name.
    void SetIgnoredByName(const std::string& name, bool ignored);

    // Only a container takes children, and a child has one parent.
    void OnInsert(int32_t index);
    void OnRemove(int32_t index);

private:
    Actor* owner;
};

// The markers of an actor's timeline, owned, frames strictly increasing.
class MarkerCollection : public Collection<MarkerCollection, Marker> {
public:
    explicit MarkerCollection(Actor* owner);
    ~MarkerCollection() override;

    Actor* GetOwner() const { return owner; }

    // Appends a new marker.
    Marker* Create(const std::string& name, int32_t frame, MarkerCommand command);
    Marker* FindByName(const std::string& name) const;
    Marker* FindByNameSafe(const std::string& name) const;
    // The marker at exactly that frame; null when none is.
    Marker* FindForFrame(int32_t frame) const;
    // The index of the first marker with a greater frame; the count when none has.
    int32_t FindInsertionPlace(const Marker* marker) const;
    // The first of "1", "2", "3", ... that no marker bears.
    std::string GenerateMarkerName() const;

    // A marker must fit between its neighbours' frames.
    void OnInsert(int32_t index);
    void OnRemove(int32_t index);

private:
    Actor* owner;
};

class Actor : public AnimableObject {
    ZEP_DECLARE_CLASS();

    // Attribute bit that keeps the timeline's markers from running their commands.
    static const uint32_t ATTRIBUTE_NO_MARKER_COMMANDS = 0x20;

    Actor();
    ~Actor() override;

    // --- Time: 20 frames per second, whole milliseconds ---
    // Both are taken in 64 bits: in 32 the products overflow after some 30 hours.
    static int32_t FrameOfTime(int32_t timeMs) { return static_cast<int32_t>(int64_t(timeMs) * 20 / 1000); }
    static int32_t StartOfFrame(int32_t frame) { return static_cast<int32_t>(int64_t(frame) * 1000 / 20); }

    // --- Virtual operations ---
    // No linked scene waits to be loaded.
    virtual bool IsPrepared();
    // Loads a linked scene whose source has changed.
    virtual void Prepare();
    // Copies the properties, flags, animators, markers and time state of an actor of
    // this class or a derived one; the children stay as they are.
    virtual void Assign(Actor* other);
    // The same, with the children replaced by copies of the other's.
    virtual void AssignRecursive(Actor* other);
    virtual void SetParent(Actor* parent);
    // Advances the timeline by timeDelta (0 to 49 ms), then the children, last
    // to first.
    virtual void Update(int32_t timeDelta);
    virtual void AcquireTextures();
    virtual void ReleaseTextures();
    virtual bool HitTestInContext(const RenderContext& context, const Vector2& point);
    // The first non-zero cursor id of the children under the point, first to last.
    virtual int32_t FindCursorAt(const RenderContext& context, int32_t device, const Vector2& point);
    virtual RenderContext TransformRenderContext(const RenderContext& context);
    virtual Matrix32 CalcTransformMatrix();
    // Draws the children from the last to the first, so the first is on top.
    virtual void RenderInContext(const RenderContext& context);
    virtual void OnBasePathChanged();
    virtual bool IsPresented();
    virtual bool HasMissingTexture();
    virtual void CopySizeTo(Actor* other);

    // --- Tree ---
    // A new actor of this class, assigned from this one; the caller owns it.
    Actor* Clone();
    Actor* CloneRecursive();
    // Replaces the children with the other's, moved over with their ignored flags
    // cleared.
    void AdoptChildren(Actor* other);
    // A name without '/' is a child's name, searched breadth-first through the whole
    // tree when recursive; a name with '/' is a path of child names from here.
    Actor* FindChild(const std::string& name, bool recursive = false);
    Actor* GetParent() const { return parent; }
    Actor* GetRootActor();
    // This actor and its non-ignored descendants.
    int32_t GetTotalActors();
    ActorCollection& GetActors() { return children; }
    MarkerCollection& GetMarkers() { return markers; }
    SkinningTable& GetSkinning() { return skinning; }
    bool IsCompound() const { return compound; }
    void SetCompound(bool value) { compound = value; }

    // --- Updating and the kill list ---
    // Any step of 0 or more ms, cut into steps of at most 49.
    void SafeUpdate(int32_t timeDelta);
    // Schedules the actor for deletion at the end of the frame.
    void Kill();
    bool IsAlive() const;
    static void DeleteKilledActors();
    // Actors constructed and not yet destroyed.
    static int32_t GetLiveActorCount() { return liveActorCount; }

    // --- Timeline ---
    int32_t GetCurrentTime() const { return currentTime; }
    // Sets the time and applies the children's animators.
    void SetCurrentTime(int32_t timeMs);
    int32_t GetCurrentFrame() const { return FrameOfTime(currentTime); }
    void SetCurrentFrame(int32_t frame) { SetCurrentTime(StartOfFrame(frame)); }
    bool IsPlaying() const { return playing; }
    void SetPlaying(bool value) { playing = value; }
    bool IsStopped() const { return !playing; }
    int32_t GetLastMarkerFrame() const { return lastMarkerFrame; }
    void PlayAnimation(int32_t frame);
    // A missing marker does nothing.
    void PlayAnimation(const std::string& markerName);
    void StopAnimation();
    // Plays from the marker named by Trigger, or from 0 when Trigger is empty.
    void PlayTrigger();
    // The time as the easing of the marker segment it lies in bends it.
    int32_t CalcEasedTime(int32_t timeMs) const;

    // --- Drawing and hit testing ---
    RenderContext CalcFullRenderContext();
    // This actor's transform, then its parent's, and so on up.
    Matrix32 CalcFullTransformMatrix();
    void Render();
    bool HitTest(const Vector2& point);
    bool IsPresentedInTree();

    // --- Properties ---
    const std::string& GetName() const { return name; }
    void SetName(const std::string& value) { name = value; }
    std::string GetTag() const { return Read(tag); }
    void SetTag(const std::string& value) { Store(tag, value); }
    std::string GetSourcePath() const { return Read(sourcePath); }
    void SetSourcePath(const std::string& value);
    std::string GetTrigger() const { return Read(trigger); }
    void SetTrigger(const std::string& value) { Store(trigger, value); }
    uint32_t GetAttributes() const { return attributes; }
    void SetAttributes(uint32_t value) { attributes = value; }
    // True when any of the bits is set.
    bool GetAttribute(uint32_t bits) const { return (attributes & bits) != 0; }
    void SetAttribute(uint32_t bits, bool on) { attributes = on ? (attributes | bits) : (attributes & ~bits); }

    // --- Paths and linked scenes ---
    // The own base path of the nearest actor, this one first, that has one.
    std::string GetBasePath() const;
    void SetBasePath(const std::string& path);
    // The path as content names it: '#' names stay as they are, a leading '/' or '\'
    // starts at the content root, anything else is relative to the base path.
    std::string GetCompletePath(const std::string& path) const;
    // Loads the linked scenes of the tree.
    void LoadExternalAssets();
    // Empties the actors that link scenes.
    void CleanupExternalAssets();

protected:
    // --- Drawing, for the classes that draw something of their own ---
    // Pushes the renderer's world transform and multiplies the context's transform
    // into it, then applies the context's blend mode. The renderer must exist.
    static void BeginDraw(const RenderContext& context);
    // Pops the world transform BeginDraw pushed. The renderer must exist.
    static void EndDraw();

    // Moves the time on while playing, entering at most one frame.
    void AdvanceTime(int32_t timeDelta);
    void ExecuteMarkerCommands(int32_t frame);
    // Replaces the children and markers with those of the linked scene file.
    void LoadSourceScene();
    // A new instance of this actor's class.
    Actor* CreateOfSameClass() const;

    // Optional strings: absent reads as empty, and storing an empty text drops it.
    typedef std::unique_ptr<std::string> OptionalString;
    static std::string Read(const OptionalString& text) { return text ? *text : std::string(); }
    static void Store(OptionalString& text, const std::string& value);

    ActorCollection children;
    MarkerCollection markers;
    SkinningTable skinning;
    std::string name;
    OptionalString tag;
    OptionalString sourcePath;
    Actor* killPrev;
    Actor* killNext;
    bool loadPending;
    Actor* parent;
    uint32_t attributes;
    int32_t lastMarkerFrame;  // -1: none
    int32_t currentTime;
    bool playing;
    bool compound;
    OptionalString trigger;
    OptionalString basePath;

private:
    static int32_t liveActorCount;
    static Actor* killHead;
};

}  // namespace Zep
