// The actor tree: timeline and markers, updates, the kill list, traversal orders,
// the collections' checks, the archive form, copies, searches, paths and the scene
// files actors link.
#include <gtest/gtest.h>

#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "Common/Actor.h"
#include "Common/Animator.h"
#include "Common/BundleSystem.h"
#include "Common/Utils.h"
#include "ObjectTestSupport.h"
#include "TestSupport.h"

using namespace ObjectTestSupport;
using Zep::Actor;

namespace {

// A container actor, so that scene files can nest children.
class Group : public Zep::Actor {
    ZEP_DECLARE_CLASS();
    Group() {
        SetClassInfo(&staticClassInfo);
        SetCompound(true);
    }
};

ZEP_IMPLEMENT_CLASS(Group, "Test::Group", &Zep::Actor::staticClassInfo);
void Group::DeclareProperties() {}

// Logs the traversals that reach it as "<operation><id>" words.
class Recorder : public Zep::Actor {
public:
    Recorder(const std::string& id, std::string* log) : id(id), log(log) { SetCompound(true); }

    void Update(int32_t timeDelta) override {
        Write("u" + id + ":" + std::to_string(timeDelta));
        Actor::Update(timeDelta);
    }
    void RenderInContext(const Zep::RenderContext& context) override {
        Write("r" + id);
        Actor::RenderInContext(context);
    }
    int32_t FindCursorAt(const Zep::RenderContext& context, int32_t device, const Zep::Vector2& point) override {
        Write("c" + id);
        const int32_t found = Actor::FindCursorAt(context, device, point);
        return found ? found : cursor;
    }
    bool IsPresented() override { return presented; }
    Zep::Matrix32 CalcTransformMatrix() override { return transform; }

    std::string id;
    std::string* log;
    int32_t cursor = 0;
    bool presented = true;
    Zep::Matrix32 transform;

private:
    void Write(const std::string& word) { *log += (log->empty() ? "" : " ") + word; }
};

// An assertion or panic of Common\Actor.cpp with the message.
::testing::AssertionResult ActorReport(const std::string& report, const std::string& message) {
    if (report.find(" in file \"Common\\Actor.cpp\", line ") < 20 && EndsWith(report, ":\n  " + message))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "report: " << report;
}

const std::string kScenes = std::string(ZEP_TEST_DATA) + "/scenes";

// With the sample scenes mounted.
class ActorTest : public Fixture {
protected:
    void SetUp() override {
        Fixture::SetUp();
        Zep::BundleSystem::GetInstance()->MountDirectory(kScenes);
    }
    void TearDown() override {
        EXPECT_TRUE(Zep::BundleSystem::GetInstance()->Unmount(kScenes));
        Fixture::TearDown();
    }
};

Zep::TypedKeySequence<std::string>& KeysOf(Zep::Animator* animator) {
    return static_cast<Zep::TypedAnimator<std::string>*>(animator)->GetKeySequence();
}

const Zep::MarkerCommand PLAY = Zep::MARKER_PLAY, STOP = Zep::MARKER_STOP, GOTO = Zep::MARKER_GOTO;

struct MarkerRow {
    const char* name;
    int32_t frame;
    Zep::MarkerCommand command;
    const char* other;
};

}  // namespace

TEST_F(ActorTest, MarkersRunTheirCommandsWhenTheirFrameIsEntered) {
    struct Case {
        std::vector<MarkerRow> markers;
        uint32_t attributes;
        int32_t playFrom, steps, time;  // steps of Update(49) after PlayAnimation
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
        for (const MarkerRow& m : c.markers)
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
    std::string entered;  // the times at which frame 2 was entered
    for (int32_t i = 0, last = 0; i < 300; ++i, last = actor.GetLastMarkerFrame()) {
        actor.Update(10);
        ASSERT_TRUE(actor.GetCurrentTime() < 500 && actor.GetCurrentTime() >= (i < 9 ? 0 : 100)) << i;
        if (actor.GetLastMarkerFrame() == 2 && last != 2)
            entered += std::to_string(actor.GetCurrentTime()) + " ";
    }
    // Once on the way, then 10 ms after each of the seven jumps back in 3 s.
    EXPECT_EQ("100 110 110 110 110 110 110 110 ", entered);
}

TEST_F(ActorTest, SafeUpdateCutsStepsOfAtMost49) {
    const std::pair<int32_t, const char*> cases[] = {
        {0, "u:0"}, {49, "u:49"}, {50, "u:49 u:1"}, {100, "u:49 u:49 u:2"}, {148, "u:49 u:49 u:49 u:1"}};
    for (const auto& [step, expected] : cases) {
        std::string log;
        Recorder actor("", &log);
        actor.SafeUpdate(step);
        EXPECT_EQ(expected, log) << step;
    }
}

TEST_F(ActorTest, TraversalsVisitChildrenInTheirOrderAndPassIgnoredOnes) {
    std::string log;
    Recorder root("R", &log);
    std::vector<Recorder*> kids;
    for (const char* id : {"A", "B", "C", "D"}) {
        kids.push_back(new Recorder(id, &log));
        root.GetActors().Add(kids.back());
    }
    root.GetActors().SetIgnored(1, true);  // B
    kids[2]->presented = false;            // C: updated, not drawn or asked
    kids[3]->cursor = 7;

    // B's Trigger is animated: it stays as it was while B is ignored.
    for (Recorder* kid : {kids[0], kids[1]})
        KeysOf(kid->animators.Create("Trigger")).SetKey(0, "keyed", 0);
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

    // The own transform applies first.
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
        KeysOf(child->animators.Create("Trigger")).SetKey(2, trigger, 0);
        parent.PlayAnimation(0);
        parent.SafeUpdate(98);
        EXPECT_FALSE(child->IsPlaying()) << trigger;
        parent.Update(49);  // enters frame 2
        EXPECT_EQ(trigger.empty() ? 49 : 299, child->GetCurrentTime()) << trigger;
    }
}

TEST_F(ActorTest, MisuseIsReportedFromTheActorSource) {
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
        {[&] { group.Assign(&plain); }, "Can't assign Zep::Actor to Test::Group"},
        {[&] { plain.Update(50); }, "timeDelta too large"},
        {[&] { plain.Update(-1); }, "Negative timeDelta"},
        {[&] { plain.SafeUpdate(-1); }, "Negative timeDelta"},
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

TEST_F(ActorTest, FindChildSearchesNamesAndPaths) {
    Group root;
    LoadText(root,
             "\"Test::Group\" { Name \"r\" Actors ["
             " \"Test::Group\" { Name \"a\" Tag \"a1\" Actors ["
             "  \"Test::Group\" { Name \"x\" Actors [ \"Zep::Actor\" { Name \"b\" Tag \"deep\" } ] }"
             "  \"Test::Group\" { Name \"b\" Tag \"b1\" Actors [ \"Zep::Actor\" { Name \"d\" Tag \"d\" } ] }"
             "  \"Test::Group\" { Actors [ \"Zep::Actor\" { Name \"b\" Tag \"e\" } ] } ] }"
             " \"Test::Group\" { Name \"a\" Actors [ \"Zep::Actor\" { Name \"b\" Tag \"b2\" } ] }"
             " \"Test::Group\" { Name \"h\" Actors [ \"Zep::Actor\" { Name \"z\" Tag \"z\" } ] } ] }");
    root.GetActors().SetIgnoredByName("h", true);
    const std::pair<const char*, bool> queries[] = {{"a", false},    {"b", false},  {"b", true},     {"z", true},
                                                    {"r", true},     {"a/b", true}, {"a/b/", false}, {"a/b/d", false},
                                                    {"a//b", false}, {"a/q", false}};
    const char* const expected[] = {"a1", "-", "b1", "z", "-", "b1", "b1", "d", "e", "-"};
    for (size_t i = 0; i < std::size(queries); ++i) {
        Actor* found = root.FindChild(queries[i].first, queries[i].second);
        EXPECT_EQ(expected[i], found ? found->GetTag() : "-") << queries[i].first << " " << queries[i].second;
    }
}

TEST_F(ActorTest, ScenesLoadSaveAndCopyTheirFieldsChildrenAndMarkers) {
    const std::string text = TestSupport::ReadFile(kScenes + "/tree.scene");
    Group source;
    LoadText(source, text);
    EXPECT_EQ(text, SaveText(source));
    EXPECT_FALSE(source.IsPrepared());
    source.GetActors().SetIgnored(1, true);
    source.animators.Create("Trigger");
    source.SetBasePath("base/");
    source.PlayAnimation(3);

    std::unique_ptr<Actor> copy(source.Clone());
    EXPECT_EQ("Test::Group", copy->GetClassName());
    EXPECT_EQ(0, copy->GetActors().GetCount());
    for (Actor* actor : std::vector<Actor*>{copy.get(), &source}) {  // assigning to itself changes nothing
        actor->Assign(&source);
        EXPECT_EQ(4, actor->GetMarkers().GetCount());
        EXPECT_EQ(1, actor->animators.GetCount());
        EXPECT_EQ(std::make_tuple(150, true, 3, "base/", "root", "go"),
                  std::make_tuple(actor->GetCurrentTime(), actor->IsPlaying(), actor->GetLastMarkerFrame(),
                                  actor->GetBasePath(), actor->GetName(), actor->GetTrigger()));
    }
    std::unique_ptr<Actor> tree(source.CloneRecursive());
    EXPECT_EQ(SaveText(source), SaveText(*tree));
    EXPECT_TRUE(tree->GetActors().IsIgnored(1));

    // Adopted children keep their order, lose their ignored flags and still resolve paths
    // against the base path they came from.
    Group other;
    other.AdoptChildren(&source);
    EXPECT_EQ(std::make_tuple(0, 2, false), std::make_tuple(source.GetActors().GetCount(), other.GetActors().GetCount(),
                                                            other.GetActors().IsIgnored(1)));
    EXPECT_EQ("base/nested", other.FindChild("nested")->GetCompletePath("nested"));
    // From its own descendant: the copies are made before the old children go.
    other.AssignRecursive(other.FindChild("nested"));
    EXPECT_EQ("grandchild", other.GetActors().Get(0)->GetName());
}

TEST_F(ActorTest, CompletePathsResolveAgainstTheBasePath) {
    Group actor;
    actor.SetBasePath("scenes/");
    const std::pair<const char*, const char*> cases[] = {
        {"", ""}, {"#a", "#a"}, {"/x/../y.png", "y.png"}, {"\\ui\\a.png", "ui/a.png"}, {"img.png", "scenes/img.png"}};
    for (const auto& [path, complete] : cases)
        EXPECT_EQ(complete, actor.GetCompletePath(path)) << path;
}

TEST_F(ActorTest, LinkedScenesLoadWithTheirOwnBasePaths) {
    std::unique_ptr<Actor> a(Zep::CreateSceneFromFile("chain", "a.scene"));
    const std::pair<const char*, const char*> levels[] = {{"link/inner/leaf", "chain/sub/deeper/i.png"},
                                                          {"link/inner", "chain/sub/i.png"},
                                                          {"rooted/leaf", "chain/sub/deeper/i.png"}};
    for (const auto& [path, complete] : levels)
        EXPECT_EQ(complete, a->FindChild(path) ? a->FindChild(path)->GetCompletePath("i.png") : "-") << path;
    EXPECT_EQ("end", a->FindChild("link")->GetMarkers().Get(1)->name);

    // Loading into an existing actor leaves no copy behind.
    const int32_t live = Actor::GetLiveActorCount();
    {
        Group target;
        Zep::LoadSceneFromFile(&target, "chain/sub/b.scene");
        EXPECT_EQ("chain/sub/deeper/i.png", target.FindChild("inner/leaf")->GetCompletePath("i.png"));
        EXPECT_EQ(live + 3, Actor::GetLiveActorCount());
    }
    EXPECT_EQ(live, Actor::GetLiveActorCount());
}

TEST_F(ActorTest, BrokenLinksFailOrLeaveTheActorEmpty) {
    const std::string cyclic = "Cyclic dependency of scenes has detected: ";
    const std::pair<const char*, std::string> failures[] = {
        {"self.scene", cyclic + "self.scene"},
        {"cycle1.scene", cyclic + "cycle2.scene"},
        {"marker_root.scene", "Assertion failed in file \"Common\\Utils.cpp\", line "},
        // Twice: a failed load leaves no path behind that would look like a cycle.
        {"broken.scene", "Illegal EOL found inside quoted string"},
        {"broken.scene", "Illegal EOL found inside quoted string"},
    };
    for (const auto& [file, report] : failures) {
        const std::string text = ReportOf([&] { delete Zep::CreateSceneFromFile(file); });
        EXPECT_NE(std::string::npos, text.find(report)) << file << ": " << text;
    }

    TestSupport::StderrCapture capture;
    std::unique_ptr<Actor> scene(Zep::CreateSceneFromFile("missing.scene"));
    Actor* hole = scene->FindChild("hole");
    EXPECT_EQ(0, hole->GetActors().GetCount() + hole->GetMarkers().GetCount());
    EXPECT_EQ("", capture.Text());
}
