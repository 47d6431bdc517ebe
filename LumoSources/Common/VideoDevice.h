// A display device (monitor) with the modes it offers, and a display mode.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class VideoMode {
public:
    VideoMode(int32_t width, int32_t height, int32_t bitsPerPixel, int32_t refreshRate, float pixelAspect);
    virtual ~VideoMode() {}

    // "%4d x %4d" with the width and the height.
    virtual std::string GetDescription();
    // Switches the display to the mode.
    virtual void Apply() {}

    int32_t GetWidth() const { return width; }
    int32_t GetHeight() const { return height; }
    int32_t GetBitsPerPixel() const { return bitsPerPixel; }
    int32_t GetRefreshRate() const { return refreshRate; }
    // Width-to-height ratio of one pixel on the screen.
    float GetPixelAspect() const { return pixelAspect; }

protected:
    int32_t width;
    int32_t height;
    int32_t bitsPerPixel;
    int32_t refreshRate;  // Hz
    float pixelAspect;
};

class VideoDevice {
public:
    VideoDevice();
    // Deletes the modes.
    virtual ~VideoDevice();

    VideoDevice(const VideoDevice&) = delete;
    VideoDevice& operator=(const VideoDevice&) = delete;

    // Back to the desktop's own settings.
    virtual void RestoreDesktop() {}

    // The index of the mode that best matches: the size first, then the colour depth, then
    // the refresh rate (0 means 60 Hz); ties keep the earlier mode, and 0 when no mode
    // scores above 0.
    int32_t FindVideoMode(int32_t width, int32_t height, int32_t bitsPerPixel, int32_t refreshRate) const;
    // Makes the mode current and applies it, unless it already is current and force is
    // false. An index outside the list is a panic. Returns the current index.
    int32_t SetVideoMode(int32_t index, bool force);
    // Null when the device has no modes.
    VideoMode* GetCurrentMode() const;
    int32_t GetCurrentModeIndex() const { return currentMode; }
    // "WxH" of every distinct size of at least the minimum, by width and then height.
    std::vector<std::string> GetResolutionList(int32_t minWidth, int32_t minHeight) const;
    const std::vector<VideoMode*>& GetModes() const { return modes; }

protected:
    // Takes ownership.
    void AddMode(VideoMode* mode) { modes.push_back(mode); }

    std::vector<VideoMode*> modes;
    int32_t currentMode;
};
