// The renderer layer's abstract renderer: the drawing and device operations a back
// end implements, and what is written once on top of them (the frame bracket,
// render contexts, discardable resources and text drawing).
#pragma once

#include <cstdint>
#include <list>
#include <string>
#include <vector>

#include <windows.h>

#include "Common/ValueTypes.h"
#include "LumoSources/Common/RenderContext.h"

namespace Zep {
class Font;
class Texture;
}  // namespace Zep

// A device resource that cannot survive a device reset: it gives up its device
// object when told and rebuilds it on its next use.
class DiscardableResource {
public:
    // Called before the device is reset.
    virtual void Discard() = 0;

protected:
    ~DiscardableResource() {}
};

class PlatformRenderer {
public:
    PlatformRenderer();
    // Frees the lists; the contexts are destroyed by Shutdown, not here.
    virtual ~PlatformRenderer();

    PlatformRenderer(const PlatformRenderer&) = delete;
    PlatformRenderer& operator=(const PlatformRenderer&) = delete;

    // --- Operations of the back end, in table order ---
    // Viewport and clip rectangle to the game window's whole client area.
    virtual void ResetView();
    virtual void SetProjection2d(float left, float top, float right, float bottom) = 0;
    virtual void DrawAabb2d(const Zep::Vector2& min, const Zep::Vector2& max, const Zep::Color& color, bool filled) = 0;
    // Four corners, texture coordinates and colours each.
    virtual void DrawTexturedQuad2D(Zep::Texture* texture, const Zep::Vector2* corners, const Zep::Vector2* uvs,
                                    const Zep::Color* colors, int32_t drawKind) = 0;
    // Rotation in degrees about the rectangle's centre.
    virtual void DrawTexturedRect2d(Zep::Texture* texture, const Zep::Vector2& min, const Zep::Vector2& max,
                                    const Zep::Vector2& uvMin, const Zep::Vector2& uvMax, float rotation,
                                    const Zep::Vector2& scale, const Zep::Color& color, int32_t drawKind) = 0;
    virtual void DrawMaskedTriangleFans2d(Zep::Texture* texture, Zep::Texture* mask, const Zep::Vector2* positions,
                                          const Zep::Vector2* uvs, const Zep::Vector2* maskUvs, int32_t count,
                                          const Zep::Color& color) = 0;
    virtual void UpdateDevices(int32_t width, int32_t height, bool fullscreen) = 0;
    virtual void GetViewport(Zep::IntVector2& origin, Zep::IntVector2& size) = 0;
    virtual void SetViewport(const Zep::IntVector2& origin, const Zep::IntVector2& size) = 0;
    virtual void SetClipRect(const Zep::IntVector2& origin, const Zep::IntVector2& size) = 0;
    virtual void ClearScreen(const Zep::Color& color) = 0;
    // Multiplies into the current world transform.
    virtual void SetTransform(const Zep::Matrix32& transform) = 0;
    virtual void PushTransform(bool projection) = 0;
    virtual void PopTransform(bool projection) = 0;
    // texture may be null; stage 0 or 1.
    virtual void SetCurrentTexture(Zep::Texture* texture, int32_t stage) = 0;
    virtual void DrawVector2d(const Zep::Vector2& from, const Zep::Vector2& to, const Zep::Color& colorFrom,
                              const Zep::Color& colorTo, float width) = 0;
    // segments -1 picks a count from the radius.
    virtual void DrawCircle2d(const Zep::Vector2& center, float radius, const Zep::Color& color, int32_t segments) = 0;
    virtual void DrawGradientCircle2d(const Zep::Vector2& center, float radius, const Zep::Color& inner,
                                      const Zep::Color& outer, int32_t segments) = 0;
    virtual void DrawLines(const Zep::Vector2* positions, int32_t count, float width, const Zep::Color& color) = 0;
    // Blend factors 0..9.
    virtual void SetBlendMode(int32_t source, int32_t destination) = 0;
    // -1 when no device shows the window.
    virtual int32_t GetDeviceIndexForWindow(HWND window);
    virtual bool UpdateContextDevice(RenderContext* context);
    virtual void SetRenderTargetTexture(Zep::Texture* texture) = 0;
    virtual void Initialize() = 0;
    virtual void ReleaseResources() = 0;
    virtual void OnBeginFrame() = 0;
    virtual void OnEndFrame() = 0;
    virtual void OnFramePresented(bool presented);
    virtual void ReleaseRenderContext(RenderContext* context);
    virtual bool IsDeviceReady();
    virtual RenderContext* CreateRenderContext(HWND window, bool fullscreen);

    // --- Frames ---
    // Frames do not nest; a frame on a device that is not ready still opens and
    // closes but neither begins nor presents the context.
    void BeginRenderFrame();
    void EndRenderFrame();
    // True between BeginRenderFrame and EndRenderFrame, for any renderer.
    static bool IsFrameOpen() { return frameOpen; }
    // Batches submitted since the frame began.
    int32_t GetDrawCallCount() const { return drawCallCount; }

    // --- Render contexts ---
    // Makes the context current and clears both of its buffers to black.
    void SetRenderContext(RenderContext* context);
    // The renderer owns the new context until DestroyRenderContext.
    RenderContext* OpenRenderContext(HWND window, bool fullscreen);
    void DestroyRenderContext(RenderContext* context);
    // Destroys every context, then releases the back end's resources.
    void Shutdown();
    RenderContext* GetCurrentContext() const { return currentContext; }
    RenderContext* GetTargetContext() const { return targetContext; }
    const std::vector<RenderContext*>& GetRenderContexts() const { return renderContexts; }

    // --- Discardable resources ---
    void AddDiscardableResource(DiscardableResource* resource);
    // Removes the first occurrence; an absent resource is ignored.
    void RemoveDiscardableResource(DiscardableResource* resource);
    // Tells every listed resource, in list order.
    void ReleaseDiscardableResources();

    // --- Drawing on top of the table ---
    void SetProjection(const Zep::Vector2& topLeft, const Zep::Vector2& bottomRight);
    void DrawTexturedRectCentered(Zep::Texture* texture, const Zep::Vector2& center, const Zep::Vector2& size,
                                  const Zep::Vector2& uvMin, const Zep::Vector2& uvMax, float rotation,
                                  const Zep::Vector2& scale, const Zep::Color& color, int32_t drawKind);

    // --- Text ---
    // One line from the origin along the direction of the rotation (degrees). Each
    // glyph is an upright rectangle at the pen that the back end turns by the same
    // rotation about the rectangle's centre. A font without an image only advances
    // the pen.
    void DrawTextRotated(const Zep::Vector2& origin, const std::u16string& text, Zep::Font* font,
                         const Zep::Color& color, float size, float rotation);
    // Broken into lines that fit the box's width. Horizontal alignment: 0 left,
    // 1 centre, 2 right; vertical: 0 top, 1 centre, 2 bottom.
    void DrawTextWithFont(const Zep::Aabb2& rect, const std::u16string& text, const Zep::Color& color, float size,
                          Zep::Font* font, int32_t horizontal, int32_t vertical, float lineSpacing);
    // The same in the font system's default font.
    void DrawText(const Zep::Aabb2& rect, const std::u16string& text, const Zep::Color& color, float size,
                  int32_t horizontal, int32_t vertical, float lineSpacing);

protected:
    // Back ends add one for every batch they submit.
    int32_t drawCallCount;

private:
    std::list<DiscardableResource*> discardableResources;
    RenderContext* currentContext;
    RenderContext* targetContext;
    std::vector<RenderContext*> renderContexts;

    static inline bool frameOpen = false;
};
