#include "LumoSources/Common/VideoDevice.h"

#include <algorithm>
#include <cstdlib>
#include <utility>

#include "Common/CoreUtils.h"
#include "Common/StringUtils.h"

namespace {

// Reports whose place callers know.
const char* const kSourceName = "LumoSources\\Common\\VideoDevice.cpp";

}  // namespace

VideoMode::VideoMode(int32_t width, int32_t height, int32_t bitsPerPixel, int32_t refreshRate, float pixelAspect)
    : width(width), height(height), bitsPerPixel(bitsPerPixel), refreshRate(refreshRate), pixelAspect(pixelAspect) {}

std::string VideoMode::GetDescription() {
    return Zep::Sprintf("%4d x %4d", width, height);
}

VideoDevice::VideoDevice() : currentMode(0) {}

VideoDevice::~VideoDevice() {
    for (VideoMode* mode : modes)
        delete mode;
}

int32_t VideoDevice::FindVideoMode(int32_t width, int32_t height, int32_t bitsPerPixel, int32_t refreshRate) const {
    const int64_t wantedRefresh = refreshRate == 0 ? 60 : refreshRate;
    int32_t best = 0;
    int64_t bestScore = 0;
    for (size_t i = 0; i < modes.size(); ++i) {
        const VideoMode& mode = *modes[i];
        // In 64 bits: a size far from every mode would overflow 32.
        const int64_t dw = std::llabs(int64_t(width) - mode.GetWidth());
        const int64_t dh = std::llabs(int64_t(height) - mode.GetHeight());
        int64_t score = ((100000 - dw) * 10 - dh) * 1000;
        if (mode.GetBitsPerPixel() != bitsPerPixel)
            score -= 500;
        score -= std::llabs(wantedRefresh - mode.GetRefreshRate());
        if (score > bestScore) {
            bestScore = score;
            best = static_cast<int32_t>(i);
        }
    }
    return best;
}

int32_t VideoDevice::SetVideoMode(int32_t index, bool force) {
    const int32_t last = static_cast<int32_t>(modes.size()) - 1;
    if (index < 0 || index > last)
        Zep::Panic(kSourceName, 118, Zep::Sprintf("Video System: vidMode %d out of range [0,%d]!", index, last));
    if (!force && index == currentMode)
        return currentMode;
    Zep::LogInfo(Zep::Sprintf("Video System: Setting current display mode #%d: %s\n", index,
                              modes[index]->GetDescription().c_str()));
    currentMode = index;
    modes[index]->Apply();
    return currentMode;
}

VideoMode* VideoDevice::GetCurrentMode() const {
    return currentMode >= 0 && static_cast<size_t>(currentMode) < modes.size() ? modes[currentMode] : nullptr;
}

std::vector<std::string> VideoDevice::GetResolutionList(int32_t minWidth, int32_t minHeight) const {
    std::vector<std::pair<int32_t, int32_t>> sizes;
    for (const VideoMode* mode : modes) {
        if (mode->GetWidth() >= minWidth && mode->GetHeight() >= minHeight)
            sizes.emplace_back(mode->GetWidth(), mode->GetHeight());
    }
    std::sort(sizes.begin(), sizes.end());
    sizes.erase(std::unique(sizes.begin(), sizes.end()), sizes.end());
    std::vector<std::string> list;
    for (const auto& [w, h] : sizes)
        list.push_back(Zep::Sprintf("%dx%d", w, h));
    return list;
}
