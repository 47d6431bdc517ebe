#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "LumoSources/Platforms/Win32/Win32VideoSystem.h"
#include "ReportOf.h"
#include "TestSupport.h"

namespace {

// Modes the test lists, each counting how often it is applied.
class ListedDevice : public VideoDevice {
    struct CountingMode : VideoMode {
        explicit CountingMode(const std::vector<int32_t>& m) : VideoMode(m[0], m[1], m[2], m[3], 1.0f) {}
        void Apply() override { ++applied; }
        int applied = 0;
    };

public:
    ListedDevice(std::initializer_list<std::vector<int32_t>> list) {
        for (const auto& m : list)
            AddMode(new CountingMode(m));
    }
    int Applied(int i) { return static_cast<CountingMode*>(modes[i])->applied; }
};

TEST(VideoSystem, OffscreenHasOneDeviceWithTheDesktopMode) {
    Win32VideoSystem video;
    TestSupport::StderrCapture log;
    video.Initialize();
    EXPECT_NE(std::string::npos, log.Text().find("Found video device \\\\.\\DISPLAY1\n"));
    ASSERT_EQ(1, video.GetDeviceCount());
    auto* device = static_cast<Win32VideoDevice*>(video.GetDevice(0));
    EXPECT_EQ("\\\\.\\DISPLAY1", device->GetName());
    ASSERT_NE(nullptr, device->GetCurrentMode());
    EXPECT_EQ("1024 x  768", device->GetCurrentMode()->GetDescription());
    EXPECT_EQ(1.0f, device->GetCurrentMode()->GetPixelAspect());  // no physical size offscreen

    EXPECT_EQ(0, video.FindDeviceByMonitor(device->GetMonitor()));
    EXPECT_EQ(
        "Assertion failed in file \"LumoSources\\Platforms\\Win32\\Win32VideoSystem.cpp\", line 68:\n  Could "
        "not find device for the given hMonitor, this technically should not happen",
        TestSupport::QuietReportOf([&] { video.FindDeviceByMonitor(reinterpret_cast<HMONITOR>(7)); }));
}

TEST(VideoDevice, FindVideoModeScoresSizeThenDepthThenRefresh) {
    ListedDevice three({{800, 600, 32, 60}, {1024, 768, 32, 60}, {1024, 768, 16, 75}});
    ListedDevice refreshes({{640, 480, 32, 75}, {640, 480, 32, 60}});
    ListedDevice none({});
    const struct Case {
        const VideoDevice& device;
        int32_t width, height, bits, refresh, expected;
    } cases[] = {
        {three, 1024, 768, 32, 0, 1},
        {three, 1000, 700, 32, 60, 1},
        {three, 1024, 768, 16, 0, 2},
        // Far from every mode: no score above 0 (32 bits would wrap to a positive one).
        {three, 400000, 300000, 32, 60, 0},
        {refreshes, 640, 480, 32, 0, 1},
        {refreshes, 640, 480, 32, 70, 0},  // a tie keeps the earlier
        {none, 800, 600, 32, 60, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.expected, c.device.FindVideoMode(c.width, c.height, c.bits, c.refresh))
            << c.width << " x " << c.height << " x " << c.bits << " @ " << c.refresh;
    }
}

TEST(VideoDevice, ResolutionListAndModeSwitches) {
    ListedDevice device({{640, 480, 32, 60}, {800, 600, 32, 60}, {800, 600, 32, 75}, {1024, 768, 16, 60}});
    EXPECT_EQ((std::vector<std::string>{"800x600", "1024x768"}), device.GetResolutionList(800, 600));
    EXPECT_EQ((std::vector<std::string>{"1024x768"}), device.GetResolutionList(801, 0));

    for (int32_t index : {4, -1}) {
        EXPECT_EQ("Panic error in file \"LumoSources\\Common\\VideoDevice.cpp\", line 118:\n  Video System: vidMode " +
                      std::to_string(index) + " out of range [0,3]!",
                  TestSupport::QuietReportOf([&] { device.SetVideoMode(index, false); }));
    }
    TestSupport::StderrCapture log;
    EXPECT_EQ(2, device.SetVideoMode(2, false));
    EXPECT_EQ(2, device.SetVideoMode(2, false));  // already current: not applied again
    EXPECT_EQ(1, device.Applied(2));
    device.SetVideoMode(2, true);
    EXPECT_EQ(2, device.Applied(2));
    EXPECT_EQ(2, device.GetCurrentModeIndex());
    EXPECT_NE(std::string::npos, log.Text().find("Video System: Setting current display mode #2:  800 x  600\n"));
}

}  // namespace
