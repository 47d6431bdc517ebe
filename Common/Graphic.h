// Graphics: the actors with a rectangle on screen, and the base of every visual
// class: their transform, colour and blend mode handed down the tree, hit tests,
// anchoring to the parent's size and one cursor per input device.
#pragma once

#include <cstdint>
#include <string>

#include "Common/Actor.h"
#include "Common/ValueTypes.h"

namespace Zep {

class Texture;

// How a graphic answers hit tests; stored and archived as a 32-bit value.
enum HitTestMethod : int32_t {
    HIT_TEST_BOUNDING_RECT = 0,
    HIT_TEST_CONTENTS = 1,  // what the graphic shows decides, not its rectangle
    HIT_TEST_SKIP = 2,
};

// Bits of Anchors: the edges of its parent that a graphic follows when the parent
// is resized.
enum AnchorBits : uint32_t {
    ANCHOR_LEFT = 1,
    ANCHOR_RIGHT = 2,
    ANCHOR_TOP = 4,
    ANCHOR_BOTTOM = 8,
    ANCHOR_CENTER_H = 16,
    ANCHOR_CENTER_V = 32,
};

class Graphic : public Actor {
    ZEP_DECLARE_CLASS();

    // Input devices with a cursor of their own: 0 to 3.
    static const int32_t kCursorDevices = 4;

    Graphic();
    // Unregisters the cursors.
    ~Graphic() override;

    // --- Actor operations ---
    // Also copies the parent's size recorded at the last anchoring.
    void Assign(Actor* other) override;
    // A graphic attached to a parent is not presented until its next Update; the
    // anchors record the new parent's size.
    void SetParent(Actor* parent) override;
    // The timeline and the children first, then the anchors. Children of a graphic
    // its anchors resize therefore adapt one update later.
    void Update(int32_t timeDelta) override;
    // Forwarded to the children only while this graphic is presented.
    void AcquireTextures() override;
    void ReleaseTextures() override;
    // The context is the graphic's own, as TransformRenderContext made it.
    bool HitTestInContext(const RenderContext& context, const Vector2& point) override;
    // The children's cursor first, then this graphic's for the device when the point
    // hits it.
    int32_t FindCursorAt(const RenderContext& context, int32_t device, const Vector2& point) override;
    // Own transform then the parent's, colours multiplied, and the own blend mode
    // unless it is BLEND_DEFAULT.
    RenderContext TransformRenderContext(const RenderContext& context) override;
    // The local transform: the point Size x Pivot of the rectangle (0, 0) to Size
    // lands on Position. Cached until a transform property changes; a skinned graphic
    // computes it on every request.
    Matrix32 CalcTransformMatrix() override;
    // Updated since attached, visible and not fully transparent.
    bool IsPresented() override;
    // A graphic gets this graphic's size and is updated by 0 so that its anchored
    // content adapts.
    void CopySizeTo(Actor* other) override;

    // --- Virtual operations ---
    // The size of the linked scene's root graphic; 100 by 100 without one.
    virtual Vector2 GetDefaultSize();
    // Stores Visible.
    virtual void SetVisible(bool value);
    // Gives the device (0 to 3) a copy of the graphic as its cursor over this one;
    // null clears it. The previous cursor is unregistered.
    virtual void SetCursor(int32_t device, Graphic* cursor);
    // The texture the graphic shows; none here.
    virtual Texture* GetTexture();
    // Where a texture coordinate of the graphic lies in its texture; unchanged here.
    virtual Vector2 MapTexCoord(const Vector2& coordinate);

    // The child of that name of the application's skin scene becomes the device's
    // cursor when it is a graphic; anything else clears the cursor.
    void SetCursorFromSkin(int32_t device, const std::string& name);
    // The cursor id held for a device; 0 for none.
    int32_t GetCursorId(int32_t device) const;
    // Set for the frame by an effect that draws this graphic's texture itself.
    bool IsDrawnByEffect() const { return drawnByEffect; }
    void SetDrawnByEffect(bool value) { drawnByEffect = value; }

    // --- Properties ---
    // Setting any of the five transform properties marks the cached transform stale.
    bool GetVisible() const { return visible; }
    float GetRotation() const { return rotation; }  // degrees
    void SetRotation(float value);
    const Vector2& GetPosition() const { return position; }
    void SetPosition(const Vector2& value);
    const Vector2& GetScale() const { return scale; }
    void SetScale(const Vector2& value);
    // A fraction of the size: (0, 0) is the top-left corner, (1, 1) the bottom-right.
    const Vector2& GetPivot() const { return pivot; }
    void SetPivot(const Vector2& value);
    const Vector2& GetSize() const { return size; }
    void SetSize(const Vector2& value);
    const Color& GetColor() const { return color; }
    void SetColor(const Color& value) { color = value; }
    BlendMode GetBlendMode() const { return blendMode; }
    void SetBlendMode(BlendMode value) { blendMode = value; }
    // While 0 no parent size is recorded, so anchors set later react to the whole
    // change since the last recorded size.
    uint32_t GetAnchors() const { return anchors; }
    void SetAnchors(uint32_t value) { anchors = value; }
    HitTestMethod GetHitTestMethod() const { return hitTestMethod; }
    void SetHitTestMethod(HitTestMethod value) { hitTestMethod = value; }
    const SkinningWeights& GetSkinningWeights() const { return skinningWeights; }
    void SetSkinningWeights(const SkinningWeights& value) { skinningWeights = value; }

    // The cached transform must be computed again before it is used.
    bool IsTransformStale() const { return cachedTransform._11 == kStaleTransform; }
    // Skinned graphics follow the bones of their parent: the first weight names a bone.
    bool IsSkinned() const { return skinningWeights.influences[0].boneIndex != 0; }
    // Marks the cached transform stale: its first element holds the marker.
    void MarkTransformStale() { cachedTransform._11 = kStaleTransform; }

protected:
    // Follows a change of the parent's size since the last recorded one.
    void ApplyAnchors();

    static constexpr float kStaleTransform = 3.4e38f;
    // lastParentSize before any size is recorded.
    static constexpr float kNoParentSize = 3.4e38f;

    Matrix32 cachedTransform;
    bool drawnByEffect;
    bool notYetUpdated;
    BlendMode blendMode;
    HitTestMethod hitTestMethod;
    bool visible;
    float rotation;
    Vector2 position;
    Vector2 size;
    Vector2 pivot;
    Vector2 scale;
    Color color;
    uint32_t anchors;
    Vector2 lastParentSize;
    SkinningWeights skinningWeights;
    int32_t cursors[kCursorDevices];
};

}  // namespace Zep
