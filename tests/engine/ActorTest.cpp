// The actor tree: timeline and markers, updates, the kill list, traversal orders,
// the collections' checks and the archive form.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ActorTestSupport.h"
#include "Common/Animator.h"
#include "ObjectTestSupport.h"
#include "TestSupport.h"

using namespace ObjectTestSupport;
using ActorTest::Group;
using ActorTest::Recorder;
using Zep::Actor;

namespace ActorTest {

ZEP_IMPLEMENT_CLASS(Group, "Test::Group", &Zep::Actor::staticClassInfo);
void Group::DeclareProperties() {}
Group::Group() {
    SetClassInfo(&staticClassInfo);
    SetCompound(true);
}

}  // namespace ActorTest

namespace {

class ActorTest : public Fixture {};

// An assertion or panic of Common\Actor.cpp with the message.
::testing::AssertionResult ActorReport(const std::string& report, const std::string& message) {
    if (report.find(" in file \"Common\\Actor.cpp\", line ") < 20 && EndsWith(report, ":\n  " + message))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "report: " << report;
}

const Zep::MarkerCommand PLAY = Zep::MARKER_PLAY, STOP = Zep::MARKER_STOP, GOTO = Zep::MARKER_GOTO;

struct MarkerSpec {
    const char* name;
    int32_t frame;
    Zep::MarkerCommand command;
    const char* other;
};

}  // namespace

TEST_F(ActorTest, MarkersRunTheirCommandsWhenTheirFrameIsEntered) {
    struct Case {
        std::vector<MarkerSpec> markers;
        uint32_t attributes;
        int32_t playFrom, steps;  // steps of Update(49) after PlayAnimation
        int32_t time;
        bool playing, alive;
    };
    const int32_t h30 = 2160000;  // the frame at 30 hours
    const Case cases[] = {
        {{{"s", 0, STOP, ""}}, 0, 0, 0, 0, false, true},
        {{{"s", 3, STOP, ""}}, 0, 0, 4, 150, false, true},
        {{{"s", 3, STOP, ""}}, 0x20, 0, 4, 196, true, true},  // commands off
        {{{"g", 2, GOTO, "g"}}, 0, 0, 4, 149, true, true},
        {{{"g", 2, GOTO, "x"}}, 0, 0, 3, 147, true, true},
        {{{"d", 1, Zep::MARKER_DESTROY, ""}}, 0, 0, 2, 98, false, false},
        {{{"p", h30, PLAY, ""}, {"s", h30 + 20, STOP, ""}}, 0, h30, 21, 108001000, false, true},
    };
    for (const Case& c : cases) {
        Actor* actor = new Actor();
        for (const MarkerSpec& m : c.markers)
            actor->GetMarkers().Create(m.name, m.frame, m.command)->otherMarkerName = m.other;
        actor->SetAttributes(c.attributes);
        actor->PlayAnimation(c.playFrom);
        for (int32_t i = 0; i < c.steps; ++i)
            actor->Update(49);
        EXPECT_EQ(c.time, actor->GetCurrentTime()) << c.markers[0].frame;
        EXPECT_EQ(c.playing, actor->IsPlaying()) << c.markers[0].frame;
        EXPECT_EQ(c.alive, actor->IsAlive()) << c.markers[0].frame;
        if (c.alive)
            delete actor;
        Actor::DeleteKilledActors();
    }
}

TEST_F(ActorTest, GotoLoopsAndEntersTheTargetFrameOnEveryPass) {
    Actor actor;
    actor.GetMarkers().Create("a", 2, PLAY);
    actor.GetMarkers().Create("back", 10, GOTO)->otherMarkerName = "a";
    actor.PlayAnimation(0);
    std::string entered;
    int32_t last = actor.GetLastMarkerFrame();
    for (int32_t i = 0; i < 300; ++i) {
        actor.Update(10);
        ASSERT_LT(actor.GetCurrentTime(), 500) << i;
        ASSERT_GE(actor.GetCurrentTime(), i < 9 ? 0 : 100) << i;
        if (actor.GetLastMarkerFrame() != last) {
            last = actor.GetLastMarkerFrame();
            entered += std::to_string(last) + " ";
        }
    }
    // Frames 1 to 10 in the first 500 ms, then a pass of 2 to 10 every 400 ms.
    std::string expected = "1 2 3 4 5 6 7 8 9 10 ";
    for (int pass = 0; pass < 6; ++pass)
        expected += "2 3 4 5 6 7 8 9 10 ";
    EXPECT_EQ(expected + "2 3 4 ", entered);
}

TEST_F(ActorTest, SafeUpdateCutsStepsAndUpdateChecksThem) {
    const std::pair<int32_t, const char*> cases[] = {
        {0, "u:0"}, {49, "u:49"}, {50, "u:49 u:1"}, {100, "u:49 u:49 u:2"}, {148, "u:49 u:49 u:49 u:1"}};
    for (const auto& [step, expected] : cases) {
        std::string log;
        Recorder actor("", &log);
        actor.SafeUpdate(step);
        EXPECT_EQ(expected, log) << step;
    }
    Actor actor;
    EXPECT_TRUE(ActorReport(ReportOf([&] { actor.Update(50); }), "timeDelta too large"));
    EXPECT_TRUE(ActorReport(ReportOf([&] { actor.Update(-1); }), "Negative timeDelta"));
    EXPECT_TRUE(ActorReport(ReportOf([&] { actor.SafeUpdate(-1); }), "Negative timeDelta"));
}

TEST_F(ActorTest, TraversalsVisitChildrenInTheirOrderAndPassIgnoredOnes) {
    std::string log;
    Recorder root("R", &log);
    const char* const ids[] = {"A", "B", "C", "D"};
    std::vector<Recorder*> kids;
    for (const char* id : ids) {
        kids.push_back(new Recorder(id, &log));
        root.GetActors().Add(kids.back());
    }
    root.GetActors().SetIgnored(1, true);  // B
    kids[2]->presented = false;            // C: updated, not drawn or asked
    kids[3]->cursor = 7;

    // B's Trigger is animated: it stays as it was while B is ignored.
    for (Recorder* kid : {kids[0], kids[1]}) {
        Zep::Animator* animator = kid->animators.Create("Trigger");
        static_cast<Zep::TypedAnimator<std::string>*>(animator)->GetKeySequence().SetKey(0, "keyed", 0);
    }
    root.SetCurrentTime(0);
    EXPECT_EQ("keyed", kids[0]->GetTrigger());
    EXPECT_EQ("", kids[1]->GetTrigger());

    const std::pair<std::function<void()>, const char*> cases[] = {
        {[&] { root.Update(5); }, "uR:5 uD:5 uC:5 uA:5"},
        {[&] { root.Render(); }, "rR rD rA"},
        {[&] { EXPECT_EQ(7, root.FindCursorAt(Zep::RenderContext(), 0, Zep::Vector2())); }, "cR cA cD"},
    };
    for (const auto& [action, expected] : cases) {
        log.clear();
        action();
        EXPECT_EQ(expected, log);
    }
    EXPECT_EQ(4, root.GetTotalActors());

    // Hit tests need the whole chain presented; the own transform applies first.
    EXPECT_TRUE(kids[0]->HitTest(Zep::Vector2()));
    EXPECT_FALSE(kids[2]->HitTest(Zep::Vector2()));
    root.transform = Zep::Matrix32(2.0f);
    kids[0]->transform = Zep::Matrix32(1, 0, 0, 1, 1, 0);
    const Zep::Vector2 moved = kids[0]->CalcFullTransformMatrix().TransformVector(Zep::Vector2(0, 0));
    EXPECT_EQ(2.0f, moved.x);
}

TEST_F(ActorTest, KilledActorsAreDeletedOnceAtTheEndOfTheFrame) {
    const int32_t live = Actor::GetLiveActorCount();
    Group* parent = new Group();
    Actor* child = new Actor();
    Actor* other = new Actor();
    parent->GetActors().Add(child);
    for (Actor* killed : std::vector<Actor*>{child, parent, child, other, parent})
        killed->Kill();
    EXPECT_FALSE(child->IsAlive());
    EXPECT_EQ(live + 3, Actor::GetLiveActorCount());
    Actor::DeleteKilledActors();
    // The parent goes first and takes its child, which leaves the list, with it.
    EXPECT_EQ(live, Actor::GetLiveActorCount());
}

TEST_F(ActorTest, TriggerKeysOnAnEnteredFramePlayTheChild) {
    for (const std::string trigger : {"go", ""}) {
        Group parent;
        Actor* child = new Actor();
        parent.GetActors().Add(child);
        child->GetMarkers().Create("go", 5, PLAY);
        child->SetCurrentTime(999);
        Zep::Animator* animator = child->animators.Create("Trigger");
        static_cast<Zep::TypedAnimator<std::string>*>(animator)->GetKeySequence().SetKey(2, trigger, 0);
        parent.PlayAnimation(0);
        for (int32_t i = 0; i < 2; ++i)
            parent.Update(49);
        EXPECT_FALSE(child->IsPlaying()) << trigger;
        parent.Update(49);  // enters frame 2
        EXPECT_TRUE(child->IsPlaying()) << trigger;
        EXPECT_EQ(trigger.empty() ? 49 : 299, child->GetCurrentTime()) << trigger;
    }
}

TEST_F(ActorTest, CollectionsCheckTheirItems) {
    Group group;
    Actor plain;
    Actor* child = new Actor();
    group.GetActors().Add(child);
    Group second;
    group.GetMarkers().Create("a", 5, PLAY);
    const std::pair<std::function<void()>, const char*> failures[] = {
        {[&] { group.GetMarkers().Create("b", 5, PLAY); }, "Markers must be inserted in frame order"},
        {[&] { plain.GetActors().Add(new Actor()); }, "Owner actor isn't a container"},
        {[&] { second.GetActors().Add(child); }, "Actor already in collection"},
        {[&] { group.GetActors().FindByNameSafe("x"); }, "Object not found: x"},
        {[&] { group.GetMarkers().FindByNameSafe("x"); }, "Object not found: x"},
    };
    for (const auto& [action, message] : failures)
        EXPECT_TRUE(ActorReport(ReportOf(action), message));
    second.GetActors().Extract(child);
    EXPECT_EQ(&group, child->GetParent());

    Zep::MarkerCollection& markers = group.GetMarkers();
    EXPECT_EQ("1", markers.GenerateMarkerName());
    markers.Get(0)->name = "1";
    markers.Create("3", 9, PLAY);
    EXPECT_EQ("2", markers.GenerateMarkerName());
}

TEST_F(ActorTest, ScenesLoadAndSaveTheirFieldsChildrenAndMarkers) {
    const std::string text = TestSupport::ReadFile(std::string(ZEP_TEST_DATA) + "/scenes/tree.scene");
    Group group;
    LoadText(group, text);
    EXPECT_EQ(text, SaveText(group));
    EXPECT_FALSE(group.IsPrepared());
    EXPECT_EQ(&group, group.GetActors().Get(0)->GetParent());

    // A clone has every field of the marker but its owner.
    Zep::Marker* marker = group.GetMarkers().Get(0);
    std::unique_ptr<Zep::Marker> clone(marker->Clone());
    EXPECT_EQ(nullptr, clone->owner);
    EXPECT_EQ(&group.GetMarkers(), marker->owner);
    EXPECT_EQ(SaveText(*marker), SaveText(*clone));
}
