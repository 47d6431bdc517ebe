// The Direct3D 8 renderer: untransformed 2D primitives drawn from vertex arrays in
// memory, one draw call each, on one device per display adapter.
#pragma once

#include <cstdint>
#include <vector>

#include <d3d8.h>
#include <d3dx8.h>
#include <windows.h>

#include "LumoSources/Common/PlatformRenderer.h"

namespace Zep {
class ManagedTexture;
}

class DX8RenderContext;
class Win32DX8Device;

class DX8Renderer : public PlatformRenderer {
public:
    // Vertex layouts, z always 0; the colour is the Zep::Color value unchanged.
    struct ColoredVertex {
        float x, y, z;
        uint32_t color;
    };
    struct TexturedVertex {
        float x, y, z;
        uint32_t color;
        float u, v;
    };
    struct MaskedVertex {
        float x, y, z;
        uint32_t color;
        float u, v;
        float maskU, maskV;
    };
    static const DWORD kColoredFormat = D3DFVF_XYZ | D3DFVF_DIFFUSE;
    static const DWORD kTexturedFormat = D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX1;
    static const DWORD kMaskedFormat = D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX2;

    // Texture-stage presets, chosen by the draw kind of the textured draws.
    enum StagePreset : int32_t {
        PRESET_NORMAL = 0,
        PRESET_SILHOUETTE = 1,  // the vertex colour in the texture's shape
        PRESET_MASKED = 3,      // stage 1 multiplies by the mask
        PRESET_OPAQUE = 4,      // texture colour x vertex colour, the vertex alpha alone
    };

    // Circles never take more segments than this, whatever the radius or the count asked.
    static constexpr int32_t kMaxCircleSegments = 1 << 20;

    DX8Renderer();
    ~DX8Renderer() override;

    // The current device's Direct3D device, which must exist.
    IDirect3DDevice8* GetDevice();
    // Makes the device current; another device than before drops the held textures.
    void SelectDevice(Win32DX8Device* device);
    Win32DX8Device* GetCurrentDevice() const {
        return currentDevice < devices.size() ? devices[currentDevice] : nullptr;
    }
    const std::vector<Win32DX8Device*>& GetDevices() const { return devices; }
    IDirect3D8* GetDirect3D() const { return direct3d; }
    DX8RenderContext* GetDefaultContext() const { return defaultContext; }

    // --- The renderer's table ---
    void ResetView() override;
    void SetProjection2d(float left, float top, float right, float bottom) override;
    void DrawAabb2d(const Zep::Vector2& min, const Zep::Vector2& max, const Zep::Color& color, bool filled) override;
    void DrawTexturedQuad2D(Zep::Texture* texture, const Zep::Vector2* corners, const Zep::Vector2* uvs,
                            const Zep::Color* colors, int32_t drawKind) override;
    void DrawTexturedRect2d(Zep::Texture* texture, const Zep::Vector2& min, const Zep::Vector2& max,
                            const Zep::Vector2& uvMin, const Zep::Vector2& uvMax, float rotation,
                            const Zep::Vector2& scale, const Zep::Color& color, int32_t drawKind) override;
    void DrawMaskedTriangleFans2d(Zep::Texture* texture, Zep::Texture* mask, const Zep::Vector2* positions,
                                  const Zep::Vector2* uvs, const Zep::Vector2* maskUvs, int32_t count,
                                  const Zep::Color& color) override;
    void UpdateDevices(int32_t width, int32_t height, bool fullscreen) override;
    void GetViewport(Zep::IntVector2& origin, Zep::IntVector2& size) override;
    void SetViewport(const Zep::IntVector2& origin, const Zep::IntVector2& size) override;
    void SetClipRect(const Zep::IntVector2& origin, const Zep::IntVector2& size) override;
    void ClearScreen(const Zep::Color& color) override;
    void SetTransform(const Zep::Matrix32& transform) override;
    void PushTransform(bool projection) override;
    void PopTransform(bool projection) override;
    void SetCurrentTexture(Zep::Texture* texture, int32_t stage) override;
    void DrawVector2d(const Zep::Vector2& from, const Zep::Vector2& to, const Zep::Color& colorFrom,
                      const Zep::Color& colorTo, float width) override;
    void DrawCircle2d(const Zep::Vector2& center, float radius, const Zep::Color& color, int32_t segments) override;
    void DrawGradientCircle2d(const Zep::Vector2& center, float radius, const Zep::Color& inner,
                              const Zep::Color& outer, int32_t segments) override;
    void DrawLines(const Zep::Vector2* positions, int32_t count, float width, const Zep::Color& color) override;
    void SetBlendMode(int32_t source, int32_t destination) override;
    int32_t GetDeviceIndexForWindow(HWND window) override;
    bool UpdateContextDevice(RenderContext* context) override;
    void SetRenderTargetTexture(Zep::Texture* texture) override;
    void Initialize() override;
    void ReleaseResources() override;
    void OnBeginFrame() override;
    void OnEndFrame() override;
    void OnFramePresented(bool presented) override;
    void ReleaseRenderContext(RenderContext* context) override;
    bool IsDeviceReady() override;
    RenderContext* CreateRenderContext(HWND window, bool fullscreen) override;

    // Segments of a circle: segments as asked, or with -1 8 + radius x 0.2 (at least 12,
    // at most cap when cap > 0); never above kMaxCircleSegments.
    static int32_t CircleSegments(float radius, int32_t segments, int32_t cap);

private:
    // Index of the device in the device list, or -1.
    int32_t IndexOfDevice(const Win32DX8Device* device) const;
    void DropHeldTextures();
    // Holds the texture in slot 0 or 1 (the stages) or 2 (the render target).
    void HoldTexture(int32_t slot, Zep::Texture* texture);
    void SetVertexFormat(DWORD format);
    // One submission: the draw-call count grows whether it succeeds or not.
    HRESULT Submit(D3DPRIMITIVETYPE type, UINT primitiveCount, const void* vertices, UINT stride);
    void SelectStagePreset(int32_t preset);
    // After a draw with another preset than 0.
    void ReturnToNormalPreset();
    // The reusable vertex array of the circles, for count vertices of T.
    template <class T>
    T* CircleVertices(size_t count);

    IDirect3D8* direct3d;
    DX8RenderContext* defaultContext;
    std::vector<Win32DX8Device*> devices;
    uint32_t currentDevice;
    // Saved world and projection matrices, shared by both kinds of save.
    std::vector<D3DMATRIX> transformStack;
    Zep::Texture* stageTextures[2];
    Zep::Texture* renderTargetTexture;
    // Of each held texture that is a managed one, the reference the renderer carries, so
    // that a released one is never looked at again.
    Zep::ManagedTexture* heldReferences[3];
    DWORD vertexFormat;
    int32_t stagePreset;
    // Circles may have any number of segments, too many for the stack.
    std::vector<uint8_t> circleVertices;
};
