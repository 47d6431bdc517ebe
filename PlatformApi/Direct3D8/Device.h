// The device: cached render and stage states translated into OpenGL at draw time, its
// implicit swap chain, scenes, clears, the user-pointer draws and the lost-device cycle.
#pragma once

#include <memory>

#include "ComObject.h"
#include "Context.h"
#include "Surface.h"
#include "SwapChain.h"
#include "Texture.h"
#include "d3d8.h"

namespace D3D8Internal {

constexpr unsigned kRenderStateCount = 256;
// D3DTSS_COLOROP (1) to D3DTSS_RESULTARG (28).
constexpr unsigned kStageStateCount = 29;

// Where the parts of a vertex lie, from its FVF code.
struct VertexLayout {
    UINT size = 0;
    bool diffuse = false;
    UINT diffuseOffset = 0;
    UINT texCoordSets = 0;
    UINT texCoordOffset = 0;
};
// False for what the layer does not draw: shader handles, positions other than XYZ,
// normals, point sizes, specular colours and texture coordinates of other sizes than 2.
bool DescribeVertexFormat(DWORD fvf, VertexLayout& layout);

class DeviceImpl : public IDirect3DDevice8, public ComObject, public PendingDraws {
public:
    // The context is made on the focus window when none exists yet.
    static HRESULT Create(HWND focusWindow, const D3DPRESENT_PARAMETERS& parameters, DeviceImpl** device);

    ULONG AddRef() override;
    ULONG Release() override;

    HRESULT TestCooperativeLevel() override;
    HRESULT Reset(D3DPRESENT_PARAMETERS* parameters) override;
    HRESULT Present(const RECT* sourceRect, const RECT* destRect, HWND destWindowOverride,
                    const RGNDATA* dirtyRegion) override;
    HRESULT CreateAdditionalSwapChain(D3DPRESENT_PARAMETERS* parameters, IDirect3DSwapChain8** swapChain) override;
    HRESULT GetBackBuffer(UINT index, D3DBACKBUFFER_TYPE type, IDirect3DSurface8** backBuffer) override;
    HRESULT GetDepthStencilSurface(IDirect3DSurface8** surface) override;
    HRESULT CreateImageSurface(UINT width, UINT height, D3DFORMAT format, IDirect3DSurface8** surface) override;
    HRESULT SetRenderTarget(IDirect3DSurface8* renderTarget, IDirect3DSurface8* depthStencil) override;

    HRESULT BeginScene() override;
    HRESULT EndScene() override;
    HRESULT Clear(DWORD count, const D3DRECT* rects, DWORD flags, D3DCOLOR color, float z, DWORD stencil) override;

    HRESULT SetTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix) override;
    HRESULT GetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX* matrix) override;
    HRESULT SetViewport(const D3DVIEWPORT8* viewport) override;
    HRESULT GetViewport(D3DVIEWPORT8* viewport) override;
    HRESULT SetRenderState(D3DRENDERSTATETYPE state, DWORD value) override;
    HRESULT SetTexture(DWORD stage, IDirect3DBaseTexture8* texture) override;
    HRESULT SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) override;

    HRESULT SetVertexShader(DWORD handle) override;
    HRESULT DrawPrimitiveUP(D3DPRIMITIVETYPE type, UINT primitiveCount, const void* vertices, UINT stride) override;

    // Before making resources for the device (D3DX): D3DERR_INVALIDCALL when the device is
    // released or its window gone; otherwise the context is current.
    HRESULT PrepareContext();
    const std::shared_ptr<DeviceShared>& Shared() const { return shared_; }

    // Draw batching: consecutive triangle fans and strips drawn with the same states are
    // merged into one list of triangles, given to OpenGL as one draw when something else
    // needs OpenGL or a state changes.
    void FlushDraws() override;
    bool DrawsUse(const void* texture) const override;
    bool DrawsInto(const void* texture) const override;

private:
    enum Dirty : unsigned {
        kDirtyViewport = 1u << 0,
        kDirtyTransforms = 1u << 1,
        kDirtyBlend = 1u << 2,
        kDirtyDepth = 1u << 3,
        kDirtyCull = 1u << 4,
        kDirtyStages = 1u << 5,
        kDirtyAll = ~0u,
    };

    explicit DeviceImpl(const std::shared_ptr<DeviceShared>& shared);
    void Free() override;

    // D3DERR_INVALIDCALL for a released device or one whose window is gone.
    bool Usable() const { return !IsReleased() && shared_->Usable(); }
    // Applies Windowed and sizes the implicit swap chain's back buffer.
    HRESULT Configure(const D3DPRESENT_PARAMETERS& parameters, const WindowRef& window);
    // The Direct3D defaults of every state, no textures, identity transforms, the back
    // buffer as render target with a viewport over all of it.
    void SetDefaults();
    void ViewportOverTarget();

    // Brings OpenGL to the cached states (only the groups that changed, all of them after
    // another device drew).
    void ApplyState();
    void ApplyTransforms();
    void ApplyBlend();
    void ApplyDepth();
    void ApplyCull();
    void ApplyTextures();
    void ApplyStage(unsigned stage);
    void SetVertexArrays(const VertexLayout& layout, const uint8_t* vertices, UINT stride);
    // Before a state of the device changes: its merged draws go to OpenGL with the old one.
    void FlushOwnDraws();
    // Appends the triangles of a fan or strip of count triangles to the merged draws.
    void AppendTriangles(D3DPRIMITIVETYPE type, UINT count, const uint8_t* vertices, UINT stride);

    std::shared_ptr<DeviceShared> shared_;
    SwapChainImpl* swapChain_ = nullptr;
    SurfaceImpl* renderTarget_ = nullptr;
    TextureImpl* textures_[kStageCount] = {};
    DWORD renderStates_[kRenderStateCount] = {};
    DWORD stageStates_[kStageCount][kStageStateCount] = {};
    D3DMATRIX world_;
    D3DMATRIX view_;
    D3DMATRIX projection_;
    D3DVIEWPORT8 viewport_ = {};
    DWORD fvf_ = 0;
    VertexLayout layout_;
    bool inScene_ = false;
    unsigned dirty_ = kDirtyAll;
    // The units texturing was enabled on at the last draw.
    bool unitEnabled_[kStageCount] = {};
    // Merged triangles: batchVertices_ vertices of layout_.size bytes.
    SystemVector<uint8_t> batch_;
    UINT batchVertices_ = 0;
};

}  // namespace D3D8Internal
