#include "Common/Graphic.h"

#include <cmath>
#include <memory>

#include "Common/Application.h"
#include "Common/BundleSystem.h"
#include "Common/CursorManager.h"
#include "Common/FileSystem.h"
#include "Common/MathUtils.h"
#include "Common/PropertyInfo.h"
#include "Common/Scene.h"
#include "Common/Skinning.h"
#include "Common/Utils.h"

namespace Zep {

void Graphic::DeclareProperties() {
    RegisterAnimatableProperty<Graphic, bool>("Visible", &Graphic::GetVisible, &Graphic::SetVisible, nullptr);
    RegisterAnimatableProperty<Graphic, float>("Rotation", &Graphic::GetRotation, &Graphic::SetRotation, nullptr);
    RegisterAnimatableProperty<Graphic, Vector2>("Position", &Graphic::GetPosition, &Graphic::SetPosition, nullptr);
    RegisterAnimatableProperty<Graphic, Vector2>("Scale", &Graphic::GetScale, &Graphic::SetScale, nullptr);
    RegisterAnimatableProperty<Graphic, Vector2>("Pivot", &Graphic::GetPivot, &Graphic::SetPivot, nullptr);
    RegisterAnimatableProperty<Graphic, Vector2>("Size", &Graphic::GetSize, &Graphic::SetSize, nullptr);
    RegisterAnimatableProperty<Graphic, Color>("Color", &Graphic::GetColor, &Graphic::SetColor, nullptr);
    RegisterAnimatableProperty<Graphic, BlendMode>("BlendMode", &Graphic::GetBlendMode, &Graphic::SetBlendMode,
                                                   nullptr);
    RegisterProperty<Graphic, uint32_t>("Anchors", &Graphic::GetAnchors, &Graphic::SetAnchors);
    RegisterProperty<Graphic, HitTestMethod>("HitTestMethod", &Graphic::GetHitTestMethod, &Graphic::SetHitTestMethod);
    // Old files carry a layer; it is read and dropped.
    RegisterProperty<Graphic, int32_t>(
        "Layer", [](Graphic*) { return 0; }, [](Graphic*, int32_t) {}, PROPERTY_OBSOLETE);
    RegisterProperty<Graphic, SkinningWeights>("SkinningWeights", &Graphic::GetSkinningWeights,
                                               &Graphic::SetSkinningWeights);
    staticClassInfo.SetMetadata(
        "'Metadata::Class' { Name '$CLASS_NAME$' Properties [ "
        "'Metadata::BoolProperty' { Name 'Visible' Group 'Graphic' } "
        "'Metadata::FloatProperty' { Name 'Rotation' Group 'Graphic' Step 1 } "
        "'Metadata::Vector2Property' { Name 'Position' Group 'Graphic' Step 1 } "
        "'Metadata::Vector2Property' { Name 'Scale' Group 'Graphic' Step 0.01 } "
        "'Metadata::Vector2Property' { Name 'Pivot' Group 'Graphic' Step 0.01 } "
        "'Metadata::Vector2Property' { Name 'Size' Group 'Graphic' Step 1 } "
        "'Metadata::ColorProperty' { Name 'Color' Group 'Graphic' } "
        "'Metadata::EnumProperty' { Name 'BlendMode' Group 'Graphic' Values [ 'Default' 'Alpha' 'Add' 'Burn' "
        "'Overlay' 'Modulate' 'Modulate2X' 'Silhouette' 'Opaque' ] } "
        "'Metadata::BitMaskProperty' { Name 'Anchors' Group 'Layout' BitNames [ 'Left' 'Right' 'Top' 'Bottom' "
        "'CenterH' 'CenterV' ] } "
        "'Metadata::EnumProperty' { Name 'HitTestMethod' Group 'Graphic' Values [ 'Bounding Rect' 'Contents' "
        "'Skip' ] } "
        "'Metadata::SkinningWeightsProperty' { Name 'SkinningWeights' Group 'Skinning' } ] }");
}

Graphic::Graphic()
    : drawnByEffect(false),
      notYetUpdated(true),
      blendMode(BLEND_DEFAULT),
      hitTestMethod(HIT_TEST_BOUNDING_RECT),
      visible(true),
      rotation(0.0f),
      position(0.0f, 0.0f),
      size(100.0f, 100.0f),
      pivot(0.0f, 0.0f),
      scale(1.0f, 1.0f),
      color(0xFFFFFFFFu),
      anchors(0),
      lastParentSize(kNoParentSize, kNoParentSize),
      cursors{0, 0, 0, 0} {
    SetClassInfo(&staticClassInfo);
    MarkTransformStale();
}

Graphic::~Graphic() {
    for (int32_t& cursor : cursors) {
        if (cursor == 0)
            continue;
        if (CursorManager* manager = Application::GetInstance()->GetCursorManager())
            manager->UnregisterCursor(cursor);
        cursor = 0;
    }
}

// --- Actor operations ------------------------------------------------------------
void Graphic::Assign(Actor* other) {
    Actor::Assign(other);
    if (const Graphic* graphic = CastTo<Graphic>(other))
        lastParentSize = graphic->lastParentSize;
}

void Graphic::SetParent(Actor* newParent) {
    Actor::SetParent(newParent);
    lastParentSize = Vector2(kNoParentSize, kNoParentSize);
    notYetUpdated = true;
    ApplyAnchors();
}

void Graphic::Update(int32_t timeDelta) {
    notYetUpdated = false;
    Actor::Update(timeDelta);
    ApplyAnchors();
    drawnByEffect = false;
}

void Graphic::AcquireTextures() {
    if (IsPresented())
        Actor::AcquireTextures();
}

void Graphic::ReleaseTextures() {
    if (IsPresented())
        Actor::ReleaseTextures();
}

bool Graphic::HitTestInContext(const RenderContext& context, const Vector2& point) {
    if (!IsPresented())
        return false;
    switch (hitTestMethod) {
        case HIT_TEST_BOUNDING_RECT: {
            float width = size.x;
            float height = size.y;
            if (std::fabs(width) < 0.001f || std::fabs(height) < 0.001f)
                return false;
            Vector2 local = context.transform.CalcInversed().TransformVector(point);
            // A negative size mirrors the rectangle about the local origin.
            if (width < 0.0f) {
                local.x = -local.x;
                width = -width;
            }
            if (height < 0.0f) {
                local.y = -local.y;
                height = -height;
            }
            return local.x >= 0.0f && local.x < width && local.y >= 0.0f && local.y < height;
        }
        case HIT_TEST_CONTENTS:
            for (int32_t i = 0; i < children.GetCount(); ++i) {
                Actor* child = children.Get(i);
                if (child && !children.IsIgnored(i) &&
                    child->HitTestInContext(child->TransformRenderContext(context), point))
                    return true;
            }
            return false;
        default:
            return false;
    }
}

int32_t Graphic::FindCursorAt(const RenderContext& context, int32_t device, const Vector2& point) {
    if (!IsPresented())
        return 0;
    const int32_t childCursor = Actor::FindCursorAt(context, device, point);
    if (childCursor != 0)
        return childCursor;
    const int32_t own = GetCursorId(device);
    return own != 0 && HitTestInContext(context, point) ? own : 0;
}

RenderContext Graphic::TransformRenderContext(const RenderContext& context) {
    return RenderContext(CalcTransformMatrix() * context.transform, context.color * color,
                         blendMode != BLEND_DEFAULT ? blendMode : context.blendMode);
}

Matrix32 Graphic::CalcTransformMatrix() {
    const bool skinned = IsSkinned();
    if (!IsTransformStale() && !skinned)
        return cachedTransform;
    float cosine;
    const float sine = FastSin(rotation * 3.14159265f / 180.0f, &cosine, true);
    Matrix32 transform(scale.x * cosine, scale.x * sine, -scale.y * sine, scale.y * cosine, 0.0f, 0.0f);
    Vector2 origin = position;
    if (skinned && parent) {
        // The axes are carried by the bones as the points they reach from Position.
        const SkinningTable& bones = parent->GetSkinning();
        origin = Skinning::TransformPoint(bones, position, skinningWeights);
        const Vector2 xAxis =
            Skinning::TransformPoint(bones, position + Vector2(transform._11, transform._12), skinningWeights) - origin;
        const Vector2 yAxis =
            Skinning::TransformPoint(bones, position + Vector2(transform._21, transform._22), skinningWeights) - origin;
        transform._11 = xAxis.x;
        transform._12 = xAxis.y;
        transform._21 = yAxis.x;
        transform._22 = yAxis.y;
    }
    // The pivot in pixels lands on the origin.
    const Vector2 pivotInPixels(pivot.x * size.x, pivot.y * size.y);
    transform._31 = origin.x - (pivotInPixels.x * transform._11 + pivotInPixels.y * transform._21);
    transform._32 = origin.y - (pivotInPixels.x * transform._12 + pivotInPixels.y * transform._22);
    cachedTransform = transform;
    return transform;
}

bool Graphic::IsPresented() {
    return !notYetUpdated && visible && color.GetA() != 0;
}

void Graphic::CopySizeTo(Actor* other) {
    Graphic* graphic = CastTo<Graphic>(other);
    if (!graphic)
        return;
    graphic->SetSize(size);
    graphic->Update(0);
}

// --- Virtual operations ----------------------------------------------------------
Vector2 Graphic::GetDefaultSize() {
    const std::string source = GetSourcePath();
    if (!source.empty()) {
        const std::string path = ConcatPaths(GetBasePath(), source);
        if (BundleSystem::GetInstance()->PathExists(path, FS_PATH_FILE)) {
            const std::unique_ptr<Actor> scene(CreateSceneFromFile(path));
            if (const Graphic* root = CastTo<Graphic>(scene.get()))
                return root->GetSize();
        }
    }
    return Vector2(100.0f, 100.0f);
}

void Graphic::SetVisible(bool value) {
    visible = value;
}

// A device outside 0 to 3 has no cursor here: the request is dropped.
void Graphic::SetCursor(int32_t device, Graphic* cursor) {
    if (device < 0 || device >= kCursorDevices)
        return;
    CursorManager* manager = Application::GetInstance()->GetCursorManager();
    if (cursors[device] != 0 && manager)
        manager->UnregisterCursor(cursors[device]);
    cursors[device] = manager ? manager->RegisterCursor(cursor) : 0;
}

Texture* Graphic::GetTexture() {
    return nullptr;
}

Vector2 Graphic::MapTexCoord(const Vector2& coordinate) {
    return coordinate;
}

void Graphic::SetCursorFromSkin(int32_t device, const std::string& name) {
    Scene* skin = Application::GetInstance()->GetSkinScene();
    Actor* found = skin ? skin->GetActors().FindByName(name) : nullptr;
    SetCursor(device, CastTo<Graphic>(found));
}

int32_t Graphic::GetCursorId(int32_t device) const {
    return device >= 0 && device < kCursorDevices ? cursors[device] : 0;
}

// --- Anchoring -------------------------------------------------------------------
namespace {

// One axis of anchoring: centring wins; both edges resize and move by the pivot; the
// far edge alone moves; the near edge alone keeps still. True when anything changed.
bool AnchorAxis(uint32_t anchors, uint32_t nearEdge, uint32_t farEdge, uint32_t centre, float delta, float pivot,
                float& position, float& size) {
    if (anchors & centre) {
        position += delta / 2.0f;
    } else if ((anchors & nearEdge) && (anchors & farEdge)) {
        size += delta;
        position += delta * pivot;
    } else if (anchors & farEdge) {
        position += delta;
    } else {
        return false;
    }
    return true;
}

}  // namespace

void Graphic::ApplyAnchors() {
    if (anchors == 0)
        return;
    const Graphic* parentGraphic = CastTo<Graphic>(parent);
    if (!parentGraphic)
        return;
    const Vector2 current = parentGraphic->size;
    if (lastParentSize.x != kNoParentSize && !(lastParentSize == current)) {
        const bool movedX = AnchorAxis(anchors, ANCHOR_LEFT, ANCHOR_RIGHT, ANCHOR_CENTER_H,
                                       current.x - lastParentSize.x, pivot.x, position.x, size.x);
        const bool movedY = AnchorAxis(anchors, ANCHOR_TOP, ANCHOR_BOTTOM, ANCHOR_CENTER_V,
                                       current.y - lastParentSize.y, pivot.y, position.y, size.y);
        if (movedX || movedY)
            MarkTransformStale();
    }
    lastParentSize = current;
}

void Graphic::SetRotation(float value) {
    rotation = value;
    MarkTransformStale();
}

void Graphic::SetPosition(const Vector2& value) {
    position = value;
    MarkTransformStale();
}

void Graphic::SetScale(const Vector2& value) {
    scale = value;
    MarkTransformStale();
}

void Graphic::SetPivot(const Vector2& value) {
    pivot = value;
    MarkTransformStale();
}

void Graphic::SetSize(const Vector2& value) {
    size = value;
    MarkTransformStale();
}

}  // namespace Zep
