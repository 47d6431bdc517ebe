// Graphics and controls: hit rectangles and presentation, anchoring, the transform
// cache, render contexts and drawing, focus and input flags, cursors, default sizes
// of linked scenes and extents.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "Common/Application.h"
#include "Common/BundleSystem.h"
#include "Common/CursorManager.h"
#include "Common/FocusNavigator.h"
#include "Common/Scene.h"
#include "Common/Utils.h"
#include "LumoSources/Common/Subsystems.h"
#include "ObjectTestSupport.h"
#include "RecordingRenderer.h"
#include "TestSupport.h"

using namespace ObjectTestSupport;
using Zep::Vector2;

namespace {

// A placed container graphic that draws nothing but the drawing bracket.
class Painter : public Zep::Graphic {
public:
    Painter(Vector2 position = {}, Vector2 size = {100, 100}, Vector2 pivot = {}, float rotation = 0) {
        SetCompound(true);
        SetPosition(position), SetSize(size), SetPivot(pivot), SetRotation(rotation);
    }
    void RenderInContext(const Zep::RenderContext& context) override { BeginDraw(context), EndDraw(); }
    // A transform that still carries the mark came from the cache.
    void MarkCache() { cachedTransform._31 = 12345.0f; }
};

// The markers every registered cursor has.
template <class T>
T* WithCursorMarkers(T* cursor) {
    cursor->GetMarkers().Create("Loop", 0, Zep::MARKER_PLAY),
        cursor->GetMarkers().Create("FadeOut", 1, Zep::MARKER_STOP);
    return cursor;
}

template <class T>
T* Add(Zep::Actor& parent, T* child) {
    parent.GetActors().Add(child);
    return child;
}

// The application's renderer and cursor manager record their calls; the navigator is its own.
class GraphicTest : public Fixture {
protected:
    void SetUp() override {
        Fixture::SetUp();
        rendererSubsystem.SetInstance(&renderer);
        application->SetFocusNavigator(&navigator), application->SetCursorManager(&cursors);
    }
    void TearDown() override {
        application->SetFocusNavigator(nullptr), application->SetCursorManager(nullptr);
        rendererSubsystem.SetInstance(nullptr);
        Fixture::TearDown();
    }
    Zep::Application* application = Zep::Application::GetInstance();
    RendererTesting::RecordingRenderer renderer;
    Zep::FocusNavigator navigator;
    Zep::CursorManager cursors;
};

}  // namespace

TEST_F(GraphicTest, PresentedRectanglesAreDrawnAndHitFromTheirNearEdgesUpToTheirFarEdges) {
    const Vector2 mid(0.5f, 0.5f), top(0, 0), size(40, 20);
    const uint32_t W = 0xFFFFFFFFu;
    // The last rows: presented means alpha not 0 and updated since attached.
    const struct Case {
        Vector2 pivot, size;
        float rotation;
        uint32_t color;
        bool attachedAnew;
        Vector2 point;
        bool hit;
    } cases[] = {
        {mid, size, 0, W, 0, {80, 90}, 1},
        {mid, size, 0, W, 0, {119.99f, 109.99f}, 1},
        {mid, size, 0, W, 0, {120, 100}, 0},
        {mid, size, 0, W, 0, {100, 110}, 0},
        {mid, size, 90, W, 0, {90.5f, 80.5f}, 1},
        {mid, size, 90, W, 0, {109.5f, 119.5f}, 1},
        {mid, size, 90, W, 0, {115, 95}, 0},
        {top, {-40, 20}, 0, W, 0, {100, 100}, 1},
        {top, {-40, 20}, 0, W, 0, {60, 110}, 0},
        {top, {40, -20}, 0, W, 0, {110, 80.01f}, 1},
        {top, {0.0005f, 20}, 0, W, 0, {100, 105}, 0},
        {mid, size, 0, 0x01000000u, 0, {100, 100}, 1},
        {mid, size, 0, 0x00FFFFFFu, 0, {100, 100}, 0},
        {mid, size, 0, W, 1, {100, 100}, 0},
    };
    for (const Case& c : cases) {
        Zep::Scene root;
        Painter cursor, *graphic = Add(root, new Painter({100, 100}, c.size, c.pivot, c.rotation));
        graphic->SetColor(Zep::Color(c.color)), graphic->SetCursor(0, WithCursorMarkers(&cursor));
        graphic->PlayAnimation(0);
        root.Update(10);  // the timeline runs also while the graphic is not presented
        if (c.attachedAnew)
            root.GetActors().Add(root.GetActors().Extract(0));
        renderer.log.clear();
        root.Render();
        const int32_t cursorId = root.FindCursorAt(root.CalcFullRenderContext(), 0, c.point);
        EXPECT_EQ(c.hit, graphic->HitTest(c.point)) << "row " << &c - cases;
        EXPECT_EQ(c.hit ? graphic->GetCursorId(0) : 0, cursorId) << "row " << &c - cases;
        EXPECT_EQ(c.color > 0xFFFFFFu && !c.attachedAnew, !renderer.log.empty()) << "row " << &c - cases;
        EXPECT_EQ(10, graphic->GetCurrentTime());
    }
}

TEST_F(GraphicTest, AnchorsFollowTheParentsResize) {
    using namespace Zep;
    const struct Case {
        uint32_t anchors;
        Vector2 pivot, position, size;  // after the parent grew by (50, 40)
    } cases[] = {
        {ANCHOR_LEFT | ANCHOR_RIGHT, {0, 0}, {10, 20}, {100, 30}},
        {ANCHOR_LEFT | ANCHOR_RIGHT, {1, 0}, {60, 20}, {100, 30}},
        {ANCHOR_CENTER_H | ANCHOR_LEFT | ANCHOR_RIGHT, {0, 0}, {35, 20}, {50, 30}},
        {ANCHOR_LEFT | ANCHOR_TOP, {0, 0}, {10, 20}, {50, 30}},
        {ANCHOR_RIGHT | ANCHOR_TOP | ANCHOR_BOTTOM, {0, 0.5f}, {60, 40}, {50, 70}},
        {ANCHOR_CENTER_V | ANCHOR_BOTTOM, {0, 0}, {10, 40}, {50, 30}},
    };
    for (const Case& c : cases) {
        Painter parent({}, {200, 100}), *child = new Painter({10, 20}, {50, 30}, c.pivot);
        child->SetAnchors(c.anchors);
        Add(parent, child);
        parent.Update(0), parent.SetSize({250, 140}), parent.Update(0);
        EXPECT_TRUE(c.position == child->GetPosition() && c.size == child->GetSize()) << "anchors " << c.anchors;
    }
    // The children of a resized graphic follow an update later; anchors set again
    // take the whole change since the last recorded size; a new parent starts anew.
    Painter root({}, {200, 100}), wider({}, {500, 100});
    Painter* child = Add(root, new Painter({}, {100, 100}));
    child->SetAnchors(ANCHOR_LEFT | ANCHOR_RIGHT);
    Painter* grandchild = Add(*child, new Painter({80, 0}, {20, 20}));
    grandchild->SetAnchors(ANCHOR_RIGHT);
    const auto resize = [&](float width) { root.SetSize({width, 100}), root.Update(0); };
    resize(200), resize(250);
    EXPECT_EQ(Vector2(150, 80), Vector2(child->GetSize().x, grandchild->GetPosition().x));
    resize(250);
    EXPECT_EQ(130.0f, grandchild->GetPosition().x);
    child->SetAnchors(0), resize(300), resize(320), child->SetAnchors(ANCHOR_RIGHT), resize(320);
    wider.GetActors().Add(root.GetActors().Extract(0));
    wider.Update(0);
    EXPECT_EQ(Vector2(70, 150), Vector2(child->GetPosition().x, child->GetSize().x));
}

TEST_F(GraphicTest, TheTransformIsCachedUntilTheRectangleMovesAndAlwaysComputedWhenSkinned) {
    Zep::SkinningWeights skinned;
    skinned.influences[0] = {1, 1.0f};
    const std::pair<std::function<void(Painter&)>, bool> changes[] = {
        {[](Painter& g) { g.SetRotation(30); }, false},
        {[](Painter& g) { g.SetPosition(Vector2(7, 9)); }, false},
        {[](Painter& g) { g.SetSize(Vector2(60, 10)); }, false},
        {[](Painter& g) { g.SetPivot(Vector2(1, 0.25f)); }, false},
        {[](Painter& g) { g.SetScale(Vector2(2, -1)); }, false},
        {[&](Painter& g) { g.SetSkinningWeights(skinned), g.CalcTransformMatrix(), g.MarkCache(); }, false},
        {[](Painter& g) { g.SetColor(Zep::Color(0u)), g.SetBlendMode(Zep::BLEND_ADD), g.SetAnchors(3); }, true},
    };
    for (const auto& row : changes) {
        Painter parent, *graphic = Add(parent, new Painter({40, 30}, {40, 20}, {0.5f, 0.5f}, 90));
        graphic->CalcTransformMatrix();
        graphic->MarkCache();
        row.first(*graphic);
        EXPECT_EQ(row.second, graphic->CalcTransformMatrix()._31 == 12345.0f) << "row " << &row - changes;
    }
}

TEST_F(GraphicTest, ContextsCombineTransformsColoursAndBlendModesAndBracketDrawing) {
    Painter graphic({10, 0});
    graphic.SetColor(Zep::Color(0x80FF0000u));
    for (auto [blend, expected] : {std::make_pair(Zep::BLEND_DEFAULT, 2), std::make_pair(Zep::BLEND_ALPHA, 1)}) {
        graphic.SetBlendMode(blend);
        // The parent's transform turns by a quarter and moves by (100, 0).
        const Zep::RenderContext context = graphic.TransformRenderContext(
            Zep::RenderContext(Zep::Matrix32(0, 1, -1, 0, 100, 0), Zep::Color(0xFF00FF00u), Zep::BLEND_ADD));
        EXPECT_EQ(0x80000000u, context.color.argb);
        EXPECT_EQ(expected, context.blendMode);
        EXPECT_TRUE(Zep::EpsilonEqual(Vector2(100, 10), context.transform.TransformVector({0, 0}), 0.01f));
    }
    graphic.RenderInContext(Zep::RenderContext(Zep::Matrix32(2, 0, 0, 3, 5, 6), Zep::Color(), Zep::BLEND_BURN));
    EXPECT_EQ(
        (RendererTesting::CallLog{"PushTransform 0", "SetTransform 2 0 0 3 5 6", "SetBlendMode 6 5", "PopTransform 0"}),
        renderer.log);
    rendererSubsystem.SetInstance(nullptr);
    TestSupport::StderrCapture quiet;
    EXPECT_TRUE(EndsWith(ReportOf([&] { graphic.Render(); }), "LumoCommon.h\", line 60"));
}

TEST_F(GraphicTest, ControlsWantFocusAndInputAndDropTheFocusAsTheyChange) {
    const struct Case {
        bool outerEnabled, innerEnabled, focusable, innerVisible, wantFocus, wantInput;
    } cases[] = {{1, 1, 1, 1, 1, 1}, {0, 1, 1, 1, 0, 0}, {1, 0, 1, 1, 0, 0}, {1, 1, 0, 1, 0, 1}, {1, 1, 1, 0, 0, 1}};
    for (const Case& c : cases) {
        Zep::Scene outer;
        Zep::Control* inner = Add(*Add(outer, new Painter), new Zep::Control);  // a graphic between them
        outer.SetEnabled(c.outerEnabled);
        inner->SetEnabled(c.innerEnabled), inner->SetVisible(c.innerVisible), inner->SetFocusable(c.focusable);
        outer.Update(0);
        EXPECT_EQ(Vector2(c.wantFocus, c.wantInput), Vector2(inner->WantFocus(), inner->WantInput())) << &c - cases;
    }
    const std::pair<std::function<void(Zep::Control & focused, Zep::Control & other)>, bool> actions[] = {
        {[](Zep::Control&, Zep::Control& o) { o.SetVisible(false), o.SetEnabled(false), o.KillFocus(); }, true},
        {[](Zep::Control& f, Zep::Control&) { f.SetVisible(true), f.SetEnabled(true); }, true},  // unchanged
        {[](Zep::Control& f, Zep::Control&) { f.SetVisible(false); }, false},
        {[](Zep::Control& f, Zep::Control&) { f.SetEnabled(false); }, false},
        {[](Zep::Control& f, Zep::Control&) { f.SetTransparent(false); }, false},  // also when unchanged
    };
    for (const auto& row : actions) {
        Zep::Control focused, other;
        focused.SetFocusable(true), focused.Update(0), focused.SetFocus();
        row.first(focused, other);
        EXPECT_EQ(row.second, focused.HasFocus()) << "row " << &row - actions;
    }
    // Deleted, a control is forgotten; without a navigator nothing is asked.
    auto* control = new Zep::Control;
    control->SetFocusable(true), control->Update(0), control->SetFocus();
    EXPECT_TRUE(control->HasFocus() && !control->IsHovered(0) && !control->IsHovered(4));
    delete control;
    EXPECT_EQ(nullptr, navigator.GetFocusedControl());
    application->SetFocusNavigator(nullptr);
    Zep::Control alone;
    alone.SetFocus();
    EXPECT_FALSE(alone.HasFocus() || alone.IsHovered(1));
}

TEST_F(GraphicTest, CursorIdsAreReplacedReleasedAndFoundInTheSkin) {
    Zep::Scene skin;
    WithCursorMarkers(&skin), WithCursorMarkers(Add(skin, new Painter))->SetName("arrow");
    Add(skin, new Zep::Actor)->SetName("plain");
    application->SetSkinScene(&skin);
    {
        Zep::Graphic graphic;
        for (int32_t device = -1; device <= 4; ++device)
            graphic.SetCursor(device, &skin);  // only devices 0 to 3 take one: ids 1 to 4
        graphic.SetCursor(1, nullptr);
        graphic.SetCursorFromSkin(0, "arrow"), graphic.SetCursorFromSkin(2, "plain");
        graphic.SetCursorFromSkin(3, "missing");
        EXPECT_EQ(Vector2(5, 0), Vector2(graphic.GetCursorId(0), graphic.GetCursorId(1) + graphic.GetCursorId(2)));
        graphic.SetCursor(1, &skin);
        for (int32_t id = 1; id <= 6; ++id)
            EXPECT_EQ(id >= 5, cursors.IsRegistered(id)) << id;  // replaced ones are released
    }
    EXPECT_FALSE(cursors.IsRegistered(5) || cursors.IsRegistered(6));  // and by the destructor
    application->SetSkinScene(nullptr);
}

TEST_F(GraphicTest, DefaultSizesComeFromLinkedScenesAndExtentsCoverTheTree) {
    const std::string scenes = std::string(ZEP_TEST_DATA) + "/scenes";
    Zep::BundleSystem::GetInstance()->MountDirectory(scenes);
    for (auto [source, size] : {std::make_pair("graphics/panel.scene", Vector2(320, 200)),
                                std::make_pair("graphics/missing.scene", Vector2(100, 100)),
                                std::make_pair("graphics/actor-root.scene", Vector2(100, 100))}) {
        Zep::Graphic graphic;
        graphic.SetSourcePath(source);
        EXPECT_EQ(size, graphic.GetDefaultSize()) << source;
    }
    // Linked into a larger scene, the content takes its size and the anchors follow.
    Zep::Scene linker;
    linker.SetSize({400, 200}), linker.SetSourcePath("graphics/panel.scene"), linker.Prepare();
    EXPECT_EQ(380.0f, static_cast<Zep::Graphic*>(linker.FindChild("bar"))->GetSize().x);
    EXPECT_TRUE(Zep::BundleSystem::GetInstance()->Unmount(scenes));

    for (auto [presentedOnly, maxX] : {std::make_pair(true, 50.0f), std::make_pair(false, 130.0f)}) {
        Zep::Scene root;
        Add(root, new Painter({}, {50, 50}));
        Add(root, new Painter({115, 35}, {30, 10}, {0.5f, 0.5f}))->SetVisible(false);
        root.SetSize({0, 0}), root.Update(0);
        const Zep::Aabb2 box = Zep::CalcActorActualExtent(&root, presentedOnly);
        EXPECT_TRUE(box.mins == Vector2(0, 0) && box.maxs == Vector2(maxX, 50)) << box.maxs.x << ", " << box.maxs.y;
        EXPECT_TRUE(Zep::CalcActorActualExtent(Add(root, new Zep::Actor), presentedOnly).IsEmpty());
    }
}
