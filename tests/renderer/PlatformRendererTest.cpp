#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>

#include "LumoSources/Common/FontSystem.h"
#include "LumoSources/Common/Subsystems.h"
#include "RecordingRenderer.h"
#include "ReportOf.h"
#include "TestSupport.h"

using RendererTesting::CallLog;
using RendererTesting::RecordingRenderer;

namespace {

std::string AssertionText(const std::function<void()>& failing) {
    TestSupport::StderrCapture quiet;
    return TestSupport::ReportOf<Zep::Exception::Assertion>(failing);
}

std::string Report(const char* file, int line) {
    return std::string("Assertion failed in file \"") + file + "\", line " + std::to_string(line);
}

const char* const kRendererSource = "LumoSources\\Common\\PlatformRenderer.cpp";

class PlatformRendererTest : public ::testing::Test {
protected:
    void SetUp() override { gameRenderWindowSubsystem.SetInstance(&window); }
    void TearDown() override {
        renderer.Shutdown();
        gameRenderWindowSubsystem.SetInstance(nullptr);
        ASSERT_FALSE(PlatformRenderer::IsFrameOpen());
    }

    // A context made current and the log cleared.
    RenderContext* OpenCurrentContext() {
        RenderContext* context = renderer.OpenRenderContext(nullptr, false);
        renderer.SetRenderContext(context);
        renderer.log.clear();
        return context;
    }

    RendererTesting::FixedSizeWindow window;
    RecordingRenderer renderer;
};

TEST_F(PlatformRendererTest, FrameBracketFollowsTheDeviceState) {
    const CallLog whole = {"SetViewport 0 0 800 600", "SetClipRect 0 0 800 600", "SetCurrentTexture null 0",
                           "OnEndFrame"};
    struct Case {
        bool ready;
        bool presents;
        CallLog expected;
    } cases[] = {
        {false, false, {"OnBeginFrame", whole[0], whole[1], whole[2], whole[3], "OnFramePresented 1"}},
        {true,
         true,
         {"ctx1 Begin", "OnBeginFrame", whole[0], whole[1], whole[2], whole[3], "ctx1 End", "OnFramePresented 1"}},
        {true,
         false,
         {"ctx1 Begin", "OnBeginFrame", whole[0], whole[1], whole[2], whole[3], "ctx1 End", "OnFramePresented 0"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.ready) + std::to_string(c.presents));
        RecordingRenderer frames;
        frames.contextsPresent = c.presents;
        frames.SetRenderContext(frames.OpenRenderContext(nullptr, false));
        frames.deviceReady = c.ready;
        frames.log.clear();
        frames.SubmitBatch();

        frames.BeginRenderFrame();
        EXPECT_TRUE(PlatformRenderer::IsFrameOpen());
        EXPECT_EQ(0, frames.GetDrawCallCount());
        frames.EndRenderFrame();
        EXPECT_FALSE(PlatformRenderer::IsFrameOpen());
        EXPECT_EQ(c.expected, frames.log);
        frames.Shutdown();
    }
}

TEST_F(PlatformRendererTest, MisusedFramesFailAtTheirLines) {
    EXPECT_EQ(Report(kRendererSource, 104), AssertionText([&] { renderer.EndRenderFrame(); }));
    renderer.BeginRenderFrame();
    EXPECT_EQ(Report(kRendererSource, 88), AssertionText([&] { renderer.BeginRenderFrame(); }));
    renderer.EndRenderFrame();
}

TEST_F(PlatformRendererTest, SetRenderContextMakesCurrentOnceAndClearsBothBuffers) {
    renderer.deviceReady = true;
    RenderContext* context = renderer.OpenRenderContext(nullptr, false);
    const CallLog frame = {"ctx1 Begin",
                           "OnBeginFrame",
                           "ClearScreen ff000000",
                           "SetViewport 0 0 800 600",
                           "SetClipRect 0 0 800 600",
                           "SetCurrentTexture null 0",
                           "OnEndFrame",
                           "ctx1 End",
                           "OnFramePresented 1"};
    for (bool again : {false, true}) {
        SCOPED_TRACE(again ? "same context again" : "new context");
        renderer.log.clear();
        renderer.SetRenderContext(context);
        CallLog expected;
        if (!again)
            expected.push_back("ctx1 MakeCurrent");
        expected.insert(expected.end(), {"SetViewport 0 0 800 600", "SetClipRect 0 0 800 600"});
        expected.insert(expected.end(), frame.begin(), frame.end());
        expected.insert(expected.end(), frame.begin(), frame.end());
        EXPECT_EQ(expected, renderer.log);
        EXPECT_EQ(context, renderer.GetCurrentContext());
        EXPECT_EQ(context, renderer.GetTargetContext());
    }
}

TEST_F(PlatformRendererTest, DestroyingAForeignContextFailsAndChangesNothing) {
    RenderContext* own = renderer.OpenRenderContext(nullptr, false);
    CallLog elsewhere;
    RendererTesting::FakeContext foreign(elsewhere, "foreign", true);
    renderer.log.clear();

    EXPECT_EQ(Report(kRendererSource, 317), AssertionText([&] { renderer.DestroyRenderContext(&foreign); }));
    EXPECT_EQ(std::vector<RenderContext*>{own}, renderer.GetRenderContexts());
    EXPECT_TRUE(renderer.log.empty());
}

TEST_F(PlatformRendererTest, ShutdownDestroysEveryContextThenReleasesResources) {
    renderer.OpenRenderContext(nullptr, false);
    renderer.OpenRenderContext(nullptr, false);
    renderer.SetRenderContext(renderer.GetRenderContexts()[1]);
    renderer.log.clear();

    renderer.Shutdown();
    EXPECT_EQ((CallLog{"ReleaseRenderContext ctx1", "ctx1 deleted", "ReleaseRenderContext ctx2", "ctx2 deleted",
                       "ReleaseResources"}),
              renderer.log);
    EXPECT_TRUE(renderer.GetRenderContexts().empty());
    EXPECT_EQ(nullptr, renderer.GetCurrentContext());
    EXPECT_EQ(nullptr, renderer.GetTargetContext());
}

// Destroying the current context must not leave frames drawing into freed memory.
TEST_F(PlatformRendererTest, FramesAfterTheCurrentContextIsDestroyedPresentNothing) {
    RenderContext* context = OpenCurrentContext();
    renderer.DestroyRenderContext(context);
    EXPECT_EQ(nullptr, renderer.GetCurrentContext());
    renderer.deviceReady = true;
    renderer.log.clear();

    renderer.BeginRenderFrame();
    renderer.EndRenderFrame();
    EXPECT_EQ("OnFramePresented 1", renderer.log.back());
    EXPECT_EQ(0u, std::count_if(renderer.log.begin(), renderer.log.end(),
                                [](const std::string& call) { return call.rfind("ctx", 0) == 0; }));
}

TEST_F(PlatformRendererTest, ProjectionAndCenteredRectangleForwardTheirCorners) {
    renderer.SetProjection(Zep::Vector2(1, 2), Zep::Vector2(3, 4));
    EXPECT_EQ("SetProjection2d 1 2 3 4", renderer.log.back());

    renderer.DrawTexturedRectCentered(nullptr, Zep::Vector2(10, 20), Zep::Vector2(4, 6), Zep::Vector2(0, 0),
                                      Zep::Vector2(1, 1), 30.0f, Zep::Vector2(2, 2), Zep::Color(0x80FFFFFFu), 4);
    ASSERT_EQ(1u, renderer.rects.size());
    EXPECT_EQ(Zep::Vector2(8, 17), renderer.rects[0].min);
    EXPECT_EQ(Zep::Vector2(12, 23), renderer.rects[0].max);
    EXPECT_EQ(4, renderer.rects[0].drawKind);
}

class RecordingResource : public DiscardableResource {
public:
    RecordingResource(CallLog& log, const char* name) : log(log), name(name) {}
    void Discard() override { log.push_back(name); }

private:
    CallLog& log;
    const char* name;
};

TEST_F(PlatformRendererTest, DiscardableResourcesAreToldInListOrder) {
    CallLog told;
    RecordingResource a(told, "a"), b(told, "b"), c(told, "c"), absent(told, "absent");
    for (RecordingResource* resource : {&a, &b, &a, &c})
        renderer.AddDiscardableResource(resource);
    renderer.RemoveDiscardableResource(&a);  // the first of the two
    renderer.RemoveDiscardableResource(&absent);

    renderer.ReleaseDiscardableResources();
    EXPECT_EQ((CallLog{"b", "a", "c"}), told);
}

struct Probe {
    static int deleted;
    ~Probe() { ++deleted; }
};
int Probe::deleted = 0;

class ProbeHolder : public SubsystemBase<Probe> {
public:
    void CreateInstance() override { instance = new Probe(); }
};

TEST(SubsystemHolders, EmptyHoldersFailTheAccessorAssertion) {
    const std::string expected = Report("LumoSources\\Common\\LumoCommon.h", 60);
    const std::function<void()> accesses[] = {
        [] { Lumo::InstanceHolder<PlatformRenderer>::Get(); },
        [] { Lumo::InstanceHolder<PlatformVideoSystem>::Get(); },
        [] { Lumo::InstanceHolder<GameRenderWindow>::Get(); },
        [] { Lumo::InstanceHolder<FontSystem>::Get(); },
        [] { Lumo::InstanceHolder<Probe>::Get(); },  // no holder at all
    };
    for (const auto& access : accesses)
        EXPECT_EQ(expected, AssertionText(access));
}

TEST(SubsystemHolders, HolderMakesItsInstanceButNeverDeletesIt) {
    fontSubsystem.CreateInstance();
    EXPECT_EQ(fontSubsystem.GetInstance(), Lumo::InstanceHolder<FontSystem>::Get());
    delete fontSubsystem.GetInstance();
    fontSubsystem.SetInstance(nullptr);

    Probe* made = nullptr;
    {
        ProbeHolder holder;
        holder.CreateInstance();
        made = Lumo::InstanceHolder<Probe>::Get();
        ASSERT_NE(nullptr, made);
    }
    EXPECT_EQ(0, Probe::deleted);
    // A holder gone at exit reads as empty.
    EXPECT_EQ(Report("LumoSources\\Common\\LumoCommon.h", 60),
              AssertionText([] { Lumo::InstanceHolder<Probe>::Get(); }));
    delete made;
}

}  // namespace
