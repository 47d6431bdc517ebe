// One drawing surface bound to a window. Not to be confused with Zep::RenderContext,
// the transform and colour the actor tree hands down.
#pragma once

#include <cstdint>
#include <vector>

class RenderContext {
public:
    virtual ~RenderContext() {}

    // True when the context holds a back-buffer surface.
    virtual bool HasBackBuffer() = 0;
    virtual void SetFullscreen(bool fullscreen) { (void)fullscreen; }
    // A copy of the back buffer, width x height 32-bit pixels, rows top to bottom.
    virtual std::vector<uint32_t> CaptureBackBuffer(int32_t& width, int32_t& height) = 0;
    // Binds the context's surfaces as the device's render target.
    virtual void MakeCurrent() = 0;
    virtual bool BeginRenderFrame() = 0;
    // Ends the scene and presents it; false when the device was lost.
    virtual bool EndRenderFrame() = 0;
    virtual void ReleaseSurfaces() {}
};
