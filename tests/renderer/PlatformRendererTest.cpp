#include <gtest/gtest.h>

#include <functional>
#include <initializer_list>
#include <string>

#include "LumoSources/Common/FontSystem.h"
#include "LumoSources/Common/Subsystems.h"
#include "RecordingRenderer.h"
#include "ReportOf.h"
#include "TestSupport.h"

using RendererTesting::CallLog;
using RendererTesting::RecordingRenderer;

namespace {

// "" when nothing fails, else the file and line of the assertion.
std::string FailedAt(const std::function<void()>& action) {
    TestSupport::StderrCapture quiet;
    const std::string text = TestSupport::ReportOf<Zep::Exception::Assertion>(action);
    const std::string prefix = "Assertion failed in file \"";
    return text.empty() ? text : text.substr(prefix.size());
}

const char* const kAtBegin = "LumoSources\\Common\\PlatformRenderer.cpp\", line 88";
const char* const kAtEnd = "LumoSources\\Common\\PlatformRenderer.cpp\", line 104";
const char* const kAtDestroy = "LumoSources\\Common\\PlatformRenderer.cpp\", line 317";
const char* const kAtHolder = "LumoSources\\Common\\LumoCommon.h\", line 60";

// Calls of the renderer on itself: ResetView, and the end of a frame drawn into the target context.
const CallLog kResetView = {"SetViewport 0 0 800 600", "SetClipRect 0 0 800 600"};
const CallLog kFrameEnd = {kResetView[0], kResetView[1], "SetCurrentTexture null 0", "OnEndFrame"};

CallLog Join(std::initializer_list<CallLog> parts) {
    CallLog joined;
    for (const CallLog& part : parts)
        joined.insert(joined.end(), part.begin(), part.end());
    return joined;
}

class PlatformRendererTest : public ::testing::Test {
protected:
    void SetUp() override { gameRenderWindowSubsystem.SetInstance(&window); }
    void TearDown() override {
        renderer.Shutdown();
        gameRenderWindowSubsystem.SetInstance(nullptr);
    }

    RendererTesting::FixedSizeWindow window;
    RecordingRenderer renderer;
};

TEST_F(PlatformRendererTest, FrameBracketBeginsAndPresentsOnlyAReadyDevice) {
    const struct Case {
        bool ready, presents;
        CallLog expected;
    } cases[] = {
        {false, false, Join({{"OnBeginFrame"}, kFrameEnd, {"OnFramePresented 1"}})},
        {true, false, Join({{"ctx1 Begin", "OnBeginFrame"}, kFrameEnd, {"ctx1 End", "OnFramePresented 0"}})},
    };
    for (const Case& c : cases) {
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
        EXPECT_EQ(c.expected, frames.log) << c.ready;
        frames.Shutdown();
    }
    EXPECT_EQ(kAtEnd, FailedAt([&] { renderer.EndRenderFrame(); }));
    renderer.BeginRenderFrame();
    EXPECT_EQ(kAtBegin, FailedAt([&] { renderer.BeginRenderFrame(); }));
    renderer.EndRenderFrame();
}

TEST_F(PlatformRendererTest, SetRenderContextMakesCurrentOnceAndClearsBothBuffers) {
    renderer.deviceReady = true;
    RenderContext* context = renderer.OpenRenderContext(nullptr, false);
    const CallLog frame =
        Join({{"ctx1 Begin", "OnBeginFrame", "ClearScreen ff000000"}, kFrameEnd, {"ctx1 End", "OnFramePresented 1"}});
    for (bool again : {false, true}) {
        renderer.log.clear();
        renderer.SetRenderContext(context);
        EXPECT_EQ(Join({again ? CallLog() : CallLog{"ctx1 MakeCurrent"}, kResetView, frame, frame}), renderer.log);
        EXPECT_EQ(context, renderer.GetCurrentContext());
        EXPECT_EQ(context, renderer.GetTargetContext());
    }
}

TEST_F(PlatformRendererTest, DestroyingContexts) {
    renderer.OpenRenderContext(nullptr, false);
    renderer.SetRenderContext(renderer.OpenRenderContext(nullptr, false));
    const std::vector<RenderContext*> opened = renderer.GetRenderContexts();
    CallLog elsewhere;
    RendererTesting::FakeContext foreign(elsewhere, "foreign", true);
    renderer.log.clear();

    EXPECT_EQ(kAtDestroy, FailedAt([&] { renderer.DestroyRenderContext(&foreign); }));
    EXPECT_EQ(opened, renderer.GetRenderContexts());
    EXPECT_TRUE(renderer.log.empty());

    // The current context destroyed: frames no longer reach it.
    renderer.DestroyRenderContext(opened[1]);
    EXPECT_EQ(nullptr, renderer.GetCurrentContext());
    renderer.deviceReady = true;
    renderer.BeginRenderFrame();
    renderer.EndRenderFrame();
    EXPECT_EQ(Join({{"ReleaseRenderContext ctx2", "ctx2 deleted", "OnBeginFrame"}, kFrameEnd, {"OnFramePresented 1"}}),
              renderer.log);

    renderer.SetRenderContext(opened[0]);
    renderer.OpenRenderContext(nullptr, false);
    renderer.log.clear();
    renderer.Shutdown();
    EXPECT_EQ((CallLog{"ReleaseRenderContext ctx1", "ctx1 deleted", "ReleaseRenderContext ctx3", "ctx3 deleted",
                       "ReleaseResources"}),
              renderer.log);
    EXPECT_TRUE(renderer.GetRenderContexts().empty());
    EXPECT_EQ(nullptr, renderer.GetTargetContext());
}

class RecordingResource : public DiscardableResource {
public:
    RecordingResource(CallLog& log, const char* name) : log(log), name(name) {}
    void Discard() override { log.push_back(name); }
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
    static inline int deleted = 0;
    ~Probe() { ++deleted; }
};

class ProbeHolder : public SubsystemBase<Probe> {
public:
    void CreateInstance() override { instance = new Probe(); }
};

TEST(SubsystemHolders, InstancesExistOnlyBetweenCreationAndTeardown) {
    const std::function<void()> accesses[] = {
        [] { Lumo::InstanceHolder<PlatformRenderer>::Get(); },
        [] { Lumo::InstanceHolder<PlatformVideoSystem>::Get(); },
        [] { Lumo::InstanceHolder<GameRenderWindow>::Get(); },
        [] { Lumo::InstanceHolder<FontSystem>::Get(); },
        [] { Lumo::InstanceHolder<Probe>::Get(); },  // no holder at all
    };
    for (const auto& access : accesses)
        EXPECT_EQ(kAtHolder, FailedAt(access));

    fontSubsystem.CreateInstance();
    EXPECT_EQ(fontSubsystem.GetInstance(), Lumo::InstanceHolder<FontSystem>::Get());
    delete fontSubsystem.GetInstance();
    fontSubsystem.SetInstance(nullptr);

    Probe* made = nullptr;
    {
        ProbeHolder holder;
        holder.CreateInstance();
        made = Lumo::InstanceHolder<Probe>::Get();
    }
    EXPECT_EQ(0, Probe::deleted);  // the holder gone, its instance lives on
    EXPECT_EQ(kAtHolder, FailedAt([] { Lumo::InstanceHolder<Probe>::Get(); }));
    delete made;
}

}  // namespace
