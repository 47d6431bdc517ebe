// The cursor of the skin through the real start-up and frame loop: the pointer of test
// input moves onto a graphic of the root scene and off it again, on the virtual clock.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "Common/BundleSystem.h"
#include "Common/CoreUtils.h"
#include "Common/CursorManager.h"
#include "Common/Scene.h"
#include "ImageSamples.h"
#include "LayerInternal.h"
#include "LumoSources/Common/GameRenderWindow.h"
#include "LumoSources/Common/Subsystems.h"
#include "Platforms/Win32/Win32Application.h"
#include "TestHooks.h"
#include "TestSupport.h"

namespace {

// "Loop" with a GOTO back to it; "FadeOut" four frames (200 ms) before its stop.
const char kSkin[] = R"("Zep::Scene" { Actors [ "Zep::Scene" { Name "arrow" Actors [
    "Zep::Image" { Name "SystemCursor" TexturePath "Arrow.png" Size [ 32 32 ] Pivot [ 0.25 0.5 ] }
    "Zep::Image" { Name "StandardCursor" TexturePath "Standard.png" Size [ 8 8 ] } ]
  Markers [ "Zep::Marker" { Name "Loop" } "Zep::Marker" { Name "Back" Frame 2 Command 2 OtherMarkerName "Loop" }
    "Zep::Marker" { Name "FadeOut" Frame 4 } "Zep::Marker" { Name "End" Frame 8 Command 1 } ] } ] })";

// At frames 4, 7 and 24: the class cursor's size and hotspot (the blank one is 16 x 16),
// device 0's cursors, and whether the current one shows its standard part.
struct Recorder : Zep::ApplicationListener {
    void OnUpdate(int) override {
        const uint32_t frame = PlatformInternal::GetFrameNumber();
        Zep::Application* application = Zep::Application::GetInstance();
        if (frame == 5)
            application->SetSystemCursorsEnabled(false);
        if (frame != 4 && frame != 7 && frame != 24)
            return;
        const HWND window = gameRenderWindowSubsystem.GetInstance()->GetHandle();
        const auto cursor = reinterpret_cast<HCURSOR>(SetClassLongA(window, GCL_HCURSOR, 0));
        SetClassLongA(window, GCL_HCURSOR, reinterpret_cast<LONG_PTR>(cursor));
        int width = 0, height = 0;
        POINT at = {};
        PlatformTest::GetCursorImage(cursor, &width, &height, &at);
        const auto& live = application->GetCursorManager()->GetLiveCursors(0);
        const bool standard =
            !live.empty() && static_cast<Zep::Graphic*>(live.back()->GetActors().Get(1))->GetVisible();
        log += Zep::Sprintf("%u: %dx%d at %d,%d, %d%s; ", frame, width, height, at.x, at.y, int(live.size()),
                            standard ? " standard" : "");
    }
    std::string log;
};

// The pixel at (153, 153), on the pointer's standard part, of a captured frame: "r,g,b".
std::string Probe(const std::string& path) {
    const std::string frame = TestSupport::ReadFile(path);
    uint32_t width = 0;
    std::memcpy(&width, frame.data(), frame.size() >= 4 ? 4 : 0);
    const size_t at = 8 + (153 * width + 153) * 4;
    return at + 4 > frame.size()
               ? "none"
               : Zep::Sprintf("%d,%d,%d", uint8_t(frame[at + 2]), uint8_t(frame[at + 1]), uint8_t(frame[at]));
}

}  // namespace

TEST(CursorLoop, TheSkinsCursorFollowsThePointerOverItsGraphicAndFadesWhenItLeaves) {
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    TestSupport::TempFolder folder;
    ImageSamples::Png png;
    png.width = png.height = 32, png.colourType = 6, png.scanlines = std::string(32 * 32 * 4, '\x40');
    TestSupport::WriteFile(folder.File("arrow.png"), png.Build());
    png.width = png.height = 8, png.scanlines.clear();
    for (int pixel = 0; pixel < 64; ++pixel)
        png.scanlines.append("\x00\xff\x00\xff", 4);  // opaque green
    TestSupport::WriteFile(folder.File("standard.png"), png.Build());
    TestSupport::WriteFile(folder.File("skin.scene"), kSkin);
    setenv("ZEP_TEST_CAPTURE", "6,24", 1), setenv("ZEP_TEST_CAPTURE_DIR", folder.Path().c_str(), 1);
    TestSupport::WriteFile(folder.File("input.txt"), "3 motion 150 150\n9 motion 600 500\n25 quit\n");
    setenv("ZEP_TEST_INPUT", folder.File("input.txt").c_str(), 1);
    Zep::BundleSystem::GetInstance()->MountDirectory(folder.Path());
    PlatformTest::SetVirtualClock(16);

    auto* application = static_cast<Zep::Win32::Application*>(Zep::Application::GetInstance());
    application->Startup();
    application->LoadSkin("skin.scene");
    auto* target = new Zep::Graphic;
    target->SetPosition({100, 100}), target->SetSize({200, 200});
    application->GetRootScene()->GetActors().Add(target);
    target->SetCursorFromSkin(0, "arrow");
    Recorder recorder;
    application->SetListener(&recorder);
    EXPECT_EQ(0, application->MainLoop());
    application->SetListener(nullptr);
    // From frame 3 the image is the system cursor; from frame 5 the blank one, the first
    // cursor fading under a new one that shows its standard part; from frame 9 that one
    // fades out too, and 200 ms later none is left.
    EXPECT_EQ("4: 32x32 at 8,16, 1; 7: 16x16 at 0,0, 2 standard; 24: 16x16 at 0,0, 0; ", recorder.log);
    // The standard part in green at the pointer while system cursors are off; nothing once faded.
    EXPECT_EQ("0,255,0 0,0,0", Probe(folder.File("frame-6.bgra")) + " " + Probe(folder.File("frame-24.bgra")));
    Zep::BundleSystem::GetInstance()->Unmount(folder.Path());
}
