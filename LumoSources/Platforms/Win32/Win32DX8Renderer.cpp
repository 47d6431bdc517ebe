#include "LumoSources/Platforms/Win32/Win32DX8Renderer.h"

#include <algorithm>
#include <cmath>

#include "Common/CoreUtils.h"
#include "Common/Texture.h"
#include "Common/TextureManager.h"
#include "LumoSources/Common/GameRenderWindow.h"
#include "LumoSources/Common/LumoCommon.h"
#include "LumoSources/Common/Subsystems.h"
#include "LumoSources/Platforms/Win32/Win32DX8Device.h"
#include "LumoSources/Platforms/Win32/Win32DX8RenderContext.h"
#include "LumoSources/Platforms/Win32/Win32VideoSystem.h"

static_assert(sizeof(DX8Renderer::ColoredVertex) == 16, "coloured vertices are 16 bytes");
static_assert(sizeof(DX8Renderer::TexturedVertex) == 24, "textured vertices are 24 bytes");
static_assert(sizeof(DX8Renderer::MaskedVertex) == 32, "masked vertices are 32 bytes");

namespace {

// Reports whose place callers know.
const char* const kSourceName = "LumoSources\\Platforms\\Win32\\Win32DX8Renderer.cpp";

const float kTwoPi = 6.2831855f;
const float kDegreesToRadians = 3.14159265f / 180.0f;

// The share of the image in its allocation, by which texture coordinates are scaled.
void ImageShare(Zep::Texture* texture, float& su, float& sv) {
    su = sv = 1.0f;
    if (!texture)
        return;
    if (texture->GetAllocatedWidth() > 0)
        su = static_cast<float>(texture->GetWidth()) / static_cast<float>(texture->GetAllocatedWidth());
    if (texture->GetAllocatedHeight() > 0)
        sv = static_cast<float>(texture->GetHeight()) / static_cast<float>(texture->GetAllocatedHeight());
}

void SetStage(IDirect3DDevice8* device, DWORD stage, D3DTEXTURESTAGESTATETYPE state, DWORD value) {
    device->SetTextureStageState(stage, state, value);
}

}  // namespace

DX8Renderer::DX8Renderer()
    : direct3d(nullptr),
      defaultContext(nullptr),
      currentDevice(0),
      stageTextures{nullptr, nullptr},
      renderTargetTexture(nullptr),
      heldReferences{nullptr, nullptr, nullptr},
      vertexFormat(0),
      stagePreset(-1) {}

DX8Renderer::~DX8Renderer() {
    // Shutdown has normally released everything already.
    ReleaseResources();
}

IDirect3DDevice8* DX8Renderer::GetDevice() {
    Win32DX8Device* device = GetCurrentDevice();
    if (!device || !device->GetD3DDevice())
        Zep::AssertionFailed("LumoSources\\Platforms\\Win32\\Win32DX8Renderer.h", 61);
    return device->GetD3DDevice();
}

int32_t DX8Renderer::IndexOfDevice(const Win32DX8Device* device) const {
    for (size_t i = 0; i < devices.size(); ++i) {
        if (devices[i] && devices[i] == device)
            return static_cast<int32_t>(i);
    }
    return -1;
}

void DX8Renderer::SelectDevice(Win32DX8Device* device) {
    const int32_t index = IndexOfDevice(device);
    if (index < 0 || static_cast<uint32_t>(index) == currentDevice)
        return;
    currentDevice = static_cast<uint32_t>(index);
    // Nothing of the old device stays bound.
    DropHeldTextures();
}

void DX8Renderer::DropHeldTextures() {
    for (int32_t slot = 0; slot < 3; ++slot)
        HoldTexture(slot, nullptr);
}

// A managed texture held by the renderer carries a reference of it, so the texture
// manager never unloads a texture that is still bound.
void DX8Renderer::HoldTexture(int32_t slot, Zep::Texture* texture) {
    auto* managed = dynamic_cast<Zep::ManagedTexture*>(texture);
    if (managed)
        managed->AddRef();
    if (heldReferences[slot])
        heldReferences[slot]->Release();
    heldReferences[slot] = managed;
    (slot < 2 ? stageTextures[slot] : renderTargetTexture) = texture;
}

// --- Submissions and stage presets ---------------------------------------------------

void DX8Renderer::SetVertexFormat(DWORD format) {
    vertexFormat = format;
    if (FAILED(GetDevice()->SetVertexShader(format)))
        ZEP_PANIC("DX8Renderer::SetFVF failed");
}

HRESULT DX8Renderer::Submit(D3DPRIMITIVETYPE type, UINT primitiveCount, const void* vertices, UINT stride) {
    ++drawCallCount;
    return GetDevice()->DrawPrimitiveUP(type, primitiveCount, vertices, stride);
}

void DX8Renderer::SelectStagePreset(int32_t preset) {
    if (preset == stagePreset)
        return;
    stagePreset = preset;
    IDirect3DDevice8* device = GetDevice();
    switch (preset) {
        case PRESET_NORMAL:
        case PRESET_MASKED:
            SetStage(device, 0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
            SetStage(device, 0, D3DTSS_COLOROP, D3DTOP_MODULATE);
            SetStage(device, 0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
            SetStage(device, 0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
            break;
        case PRESET_SILHOUETTE:
            SetStage(device, 0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
            SetStage(device, 0, D3DTSS_COLOROP, D3DTOP_BLENDFACTORALPHA);
            SetStage(device, 0, D3DTSS_COLORARG1, D3DTA_DIFFUSE);
            SetStage(device, 0, D3DTSS_COLORARG2, D3DTA_TEXTURE);
            break;
        case PRESET_OPAQUE:
            SetStage(device, 0, D3DTSS_COLOROP, D3DTOP_MODULATE);
            SetStage(device, 0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
            SetStage(device, 0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
            SetStage(device, 0, D3DTSS_ALPHAOP, D3DTOP_BLENDFACTORALPHA);
            SetStage(device, 0, D3DTSS_ALPHAARG1, D3DTA_DIFFUSE);
            SetStage(device, 0, D3DTSS_ALPHAARG2, D3DTA_TEXTURE);
            break;
        default:
            // Only recorded as current.
            return;
    }
    if (preset == PRESET_MASKED) {
        SetStage(device, 1, D3DTSS_COLOROP, D3DTOP_MODULATE);
        SetStage(device, 1, D3DTSS_COLORARG1, D3DTA_TEXTURE);
        SetStage(device, 1, D3DTSS_COLORARG2, D3DTA_CURRENT);
        SetStage(device, 1, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
        SetStage(device, 1, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
        SetStage(device, 1, D3DTSS_ALPHAARG2, D3DTA_CURRENT);
    } else {
        SetStage(device, 1, D3DTSS_COLOROP, D3DTOP_DISABLE);
        SetStage(device, 1, D3DTSS_ALPHAOP, D3DTOP_DISABLE);
    }
}

void DX8Renderer::ReturnToNormalPreset() {
    // The normal stages are set in full, whatever preset is thought current.
    stagePreset = -1;
    SelectStagePreset(PRESET_NORMAL);
}

template <class T>
T* DX8Renderer::CircleVertices(size_t count) {
    const size_t bytes = count * sizeof(T);
    if (circleVertices.size() < bytes)
        circleVertices.resize(bytes);
    return reinterpret_cast<T*>(circleVertices.data());
}

int32_t DX8Renderer::CircleSegments(float radius, int32_t segments, int32_t cap) {
    int32_t count = segments;
    if (segments == -1) {
        // Clamped while still a float: NaN and huge radii have no integer value.
        float share = radius * 0.2f;
        if (!(share > 0.0f))
            share = 0.0f;
        share = std::min(share, static_cast<float>(kMaxCircleSegments));
        count = std::max(8 + static_cast<int32_t>(share), 12);
        if (cap > 0)
            count = std::min(count, cap);
    }
    return std::min(count, kMaxCircleSegments);
}

// --- View and transforms ---------------------------------------------------------------

void DX8Renderer::ResetView() {
    GameRenderWindow* window = Lumo::InstanceHolder<GameRenderWindow>::Get();
    SetViewport(Zep::IntVector2(0, 0), Zep::IntVector2(window->GetWidth(), window->GetHeight()));
}

void DX8Renderer::SetProjection2d(float left, float top, float right, float bottom) {
    IDirect3DDevice8* device = GetDevice();
    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    device->SetTransform(D3DTS_WORLD, &identity);
    device->SetTransform(D3DTS_VIEW, &identity);
    D3DVIEWPORT8 viewport = {};
    device->GetViewport(&viewport);
    // Half a pixel of the viewport puts texel centres on pixel centres.
    const float e = (right - left) / (2.0f * static_cast<float>(viewport.Width));
    const float f = (bottom - top) / (2.0f * static_cast<float>(viewport.Height));
    D3DXMATRIX projection;
    D3DXMatrixOrthoOffCenterRH(&projection, left + e, right + e, bottom + f, top + f, 0.0f, 1.0f);
    device->SetTransform(D3DTS_PROJECTION, &projection);
}

void DX8Renderer::GetViewport(Zep::IntVector2& origin, Zep::IntVector2& size) {
    D3DVIEWPORT8 viewport = {};
    GetDevice()->GetViewport(&viewport);
    origin = Zep::IntVector2(static_cast<int32_t>(viewport.X), static_cast<int32_t>(viewport.Y));
    size = Zep::IntVector2(static_cast<int32_t>(viewport.Width), static_cast<int32_t>(viewport.Height));
}

void DX8Renderer::SetViewport(const Zep::IntVector2& origin, const Zep::IntVector2& size) {
    const D3DVIEWPORT8 viewport = {static_cast<DWORD>(origin.x),
                                   static_cast<DWORD>(origin.y),
                                   static_cast<DWORD>(size.x),
                                   static_cast<DWORD>(size.y),
                                   0.0f,
                                   1.0f};
    GetDevice()->SetViewport(&viewport);
}

void DX8Renderer::SetClipRect(const Zep::IntVector2& origin, const Zep::IntVector2& size) {
    // Everything is drawn at depth 0: pixels where the depth buffer holds 0 fail the
    // test. Contexts have no depth buffer, so nothing is clipped; nothing is checked.
    IDirect3DDevice8* device = GetDevice();
    device->SetRenderState(D3DRS_ZWRITEENABLE, FALSE);
    device->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
    device->SetRenderState(D3DRS_ZFUNC, D3DCMP_LESS);
    device->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 0.0f, 0);
    const D3DRECT rect = {origin.x, origin.y, origin.x + size.x, origin.y + size.y};
    device->Clear(1, &rect, D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
}

void DX8Renderer::ClearScreen(const Zep::Color& color) {
    IDirect3DDevice8* device = GetDevice();
    if (FAILED(device->Clear(0, nullptr, D3DCLEAR_TARGET, color.argb, 1.0f, 0)) &&
        FAILED(device->Clear(0, nullptr, D3DCLEAR_TARGET, color.argb, 0.0f, 0)))
        Zep::AssertionFailed(ZEP_SOURCE_FILE, __LINE__, "DX8Renderer::ClearScreen failed");
}

void DX8Renderer::SetTransform(const Zep::Matrix32& transform) {
    IDirect3DDevice8* device = GetDevice();
    const D3DXMATRIX local(transform._11, transform._12, 0, 0,  //
                           transform._21, transform._22, 0, 0,  //
                           0, 0, 1, 0,                          //
                           transform._31, transform._32, 0, 1);
    D3DXMATRIX world;
    device->GetTransform(D3DTS_WORLD, &world);
    D3DXMatrixMultiply(&world, &local, &world);
    device->SetTransform(D3DTS_WORLD, &world);
}

void DX8Renderer::PushTransform(bool projection) {
    D3DMATRIX saved;
    GetDevice()->GetTransform(projection ? D3DTS_PROJECTION : D3DTS_WORLD, &saved);
    transformStack.push_back(saved);
}

void DX8Renderer::PopTransform(bool projection) {
    // A pop without its push finds nothing to restore.
    if (transformStack.empty())
        return;
    GetDevice()->SetTransform(projection ? D3DTS_PROJECTION : D3DTS_WORLD, &transformStack.back());
    transformStack.pop_back();
}

// --- Textures and blending -------------------------------------------------------------

void DX8Renderer::SetCurrentTexture(Zep::Texture* texture, int32_t stage) {
    // Two stages: anything else would overwrite the other held textures.
    if (stage < 0 || stage > 1)
        ZEP_PANIC("DX8Renderer::SetCurrentTexture failed");
    if (stageTextures[stage] == texture)
        return;
    HoldTexture(stage, texture);
    IDirect3DTexture8* handle = texture ? static_cast<IDirect3DTexture8*>(texture->GetSystemHandle()) : nullptr;
    if (FAILED(GetDevice()->SetTexture(static_cast<DWORD>(stage), handle)))
        ZEP_PANIC("DX8Renderer::SetCurrentTexture failed");
}

void DX8Renderer::SetBlendMode(int32_t source, int32_t destination) {
    // The current device must have its Direct3D device.
    GetDevice();
    GetCurrentDevice()->SetBlendFactors(source, destination);
}

void DX8Renderer::SetRenderTargetTexture(Zep::Texture* texture) {
    if (texture == renderTargetTexture)
        return;
    HoldTexture(2, texture);
    IDirect3DDevice8* device = GetDevice();
    if (texture) {
        auto* d3dTexture = static_cast<IDirect3DTexture8*>(texture->GetSystemHandle());
        IDirect3DSurface8* surface = nullptr;
        if (!d3dTexture || FAILED(d3dTexture->GetSurfaceLevel(0, &surface)))
            ZEP_PANIC("DX8Renderer::SetRenderTargetTexture failed");
        const HRESULT set = device->SetRenderTarget(surface, nullptr);
        surface->Release();
        if (FAILED(set) || FAILED(device->Clear(0, nullptr, D3DCLEAR_TARGET, 0x00000000u, 1.0f, 0)))
            ZEP_PANIC("DX8Renderer::SetRenderTargetTexture failed");
        return;
    }
    auto* context = static_cast<DX8RenderContext*>(GetCurrentContext());
    if (!context || !context->GetBackBuffer() ||
        FAILED(device->SetRenderTarget(context->GetBackBuffer(), context->GetDepthSurface())))
        ZEP_PANIC("DX8Renderer::SetRenderTargetTexture failed");
}

// --- Drawing ---------------------------------------------------------------------------

void DX8Renderer::DrawAabb2d(const Zep::Vector2& min, const Zep::Vector2& max, const Zep::Color& color, bool filled) {
    SetCurrentTexture(nullptr, 0);
    const uint32_t c = color.argb;
    const ColoredVertex vertices[5] = {
        {min.x, min.y, 0, c}, {max.x, min.y, 0, c}, {max.x, max.y, 0, c}, {min.x, max.y, 0, c}, {min.x, min.y, 0, c}};
    SetVertexFormat(kColoredFormat);
    const HRESULT result = filled ? Submit(D3DPT_TRIANGLEFAN, 2, vertices, sizeof(ColoredVertex))
                                  : Submit(D3DPT_LINESTRIP, 4, vertices, sizeof(ColoredVertex));
    if (FAILED(result))
        ZEP_PANIC("DX8Renderer::DrawAabb2d failed");
}

void DX8Renderer::DrawTexturedQuad2D(Zep::Texture* texture, const Zep::Vector2* corners, const Zep::Vector2* uvs,
                                     const Zep::Color* colors, int32_t drawKind) {
    SetCurrentTexture(texture, 0);
    float su, sv;
    ImageShare(texture, su, sv);
    TexturedVertex vertices[4];
    for (int i = 0; i < 4; ++i)
        vertices[i] = {corners[i].x, corners[i].y, 0, colors[i].argb, uvs[i].x * su, uvs[i].y * sv};
    SelectStagePreset(drawKind);
    SetVertexFormat(kTexturedFormat);
    const HRESULT result = Submit(D3DPT_TRIANGLEFAN, 2, vertices, sizeof(TexturedVertex));
    if (FAILED(result))
        ZEP_PANIC("DX8Renderer::DrawTexturedQuad2D failed");
    if (drawKind != PRESET_NORMAL)
        ReturnToNormalPreset();
}

void DX8Renderer::DrawTexturedRect2d(Zep::Texture* texture, const Zep::Vector2& min, const Zep::Vector2& max,
                                     const Zep::Vector2& uvMin, const Zep::Vector2& uvMax, float rotation,
                                     const Zep::Vector2& scale, const Zep::Color& color, int32_t drawKind) {
    SetCurrentTexture(texture, 0);
    IDirect3DDevice8* device = GetDevice();
    // Turned and scaled about the centre, in front of the current world transform.
    const bool transformed = rotation != 0.0f || scale.x != 1.0f || scale.y != 1.0f;
    D3DXMATRIX saved;
    if (transformed) {
        const float cx = (min.x + max.x) * 0.5f, cy = (min.y + max.y) * 0.5f;
        D3DXMATRIX toOrigin, scaling, turn, back, local;
        D3DXMatrixTranslation(&toOrigin, -cx, -cy, 0.0f);
        D3DXMatrixScaling(&scaling, scale.x, scale.y, 1.0f);
        D3DXMatrixRotationZ(&turn, rotation * kDegreesToRadians);
        D3DXMatrixTranslation(&back, cx, cy, 0.0f);
        D3DXMatrixMultiply(&local, &toOrigin, &scaling);
        D3DXMatrixMultiply(&local, &local, &turn);
        D3DXMatrixMultiply(&local, &local, &back);
        device->GetTransform(D3DTS_WORLD, &saved);
        D3DXMATRIX world;
        D3DXMatrixMultiply(&world, &local, &saved);
        device->SetTransform(D3DTS_WORLD, &world);
    }
    float su, sv;
    ImageShare(texture, su, sv);
    const uint32_t c = color.argb;
    const TexturedVertex vertices[4] = {{min.x, min.y, 0, c, uvMin.x * su, uvMin.y * sv},
                                        {max.x, min.y, 0, c, uvMax.x * su, uvMin.y * sv},
                                        {max.x, max.y, 0, c, uvMax.x * su, uvMax.y * sv},
                                        {min.x, max.y, 0, c, uvMin.x * su, uvMax.y * sv}};
    SelectStagePreset(drawKind);
    SetVertexFormat(kTexturedFormat);
    const HRESULT result = Submit(D3DPT_TRIANGLEFAN, 2, vertices, sizeof(TexturedVertex));
    if (FAILED(result))
        ZEP_PANIC("DX8Renderer::DrawTexturedRect2d failed");
    if (drawKind != PRESET_NORMAL)
        ReturnToNormalPreset();
    if (transformed)
        device->SetTransform(D3DTS_WORLD, &saved);
}

void DX8Renderer::DrawMaskedTriangleFans2d(Zep::Texture* texture, Zep::Texture* mask, const Zep::Vector2* positions,
                                           const Zep::Vector2* uvs, const Zep::Vector2* maskUvs, int32_t count,
                                           const Zep::Color& color) {
    static const int32_t kMaxVertices = 99;
    SetCurrentTexture(texture, 0);
    SetCurrentTexture(mask, 1);
    if (count < 3 || count > kMaxVertices)
        ZEP_PANIC("DX8Renderer::DrawMaskedTriangleFans2d failed");
    MaskedVertex vertices[kMaxVertices];
    for (int32_t i = 0; i < count; ++i) {
        vertices[i] = {positions[i].x, positions[i].y, 0, color.argb, uvs[i].x, uvs[i].y, maskUvs[i].x, maskUvs[i].y};
    }
    SelectStagePreset(PRESET_MASKED);
    SetVertexFormat(kMaskedFormat);
    const HRESULT result = Submit(D3DPT_TRIANGLEFAN, static_cast<UINT>(count - 2), vertices, sizeof(MaskedVertex));
    if (FAILED(result))
        ZEP_PANIC("DX8Renderer::DrawMaskedTriangleFans2d failed");
    ReturnToNormalPreset();
    SetCurrentTexture(nullptr, 1);
}

void DX8Renderer::DrawVector2d(const Zep::Vector2& from, const Zep::Vector2& to, const Zep::Color& colorFrom,
                               const Zep::Color& colorTo, float width) {
    SetCurrentTexture(nullptr, 0);
    // Half the width along the unit normal; a line of no length has none.
    float nx = from.y - to.y, ny = to.x - from.x;
    const float length = std::sqrt(nx * nx + ny * ny);
    if (length > 0.0f) {
        nx = nx / length * width * 0.5f;
        ny = ny / length * width * 0.5f;
    } else {
        nx = ny = 0.0f;
    }
    const ColoredVertex vertices[4] = {{from.x - nx, from.y - ny, 0, colorFrom.argb},
                                       {from.x + nx, from.y + ny, 0, colorFrom.argb},
                                       {to.x - nx, to.y - ny, 0, colorTo.argb},
                                       {to.x + nx, to.y + ny, 0, colorTo.argb}};
    SetVertexFormat(kColoredFormat);
    if (FAILED(Submit(D3DPT_TRIANGLESTRIP, 2, vertices, sizeof(ColoredVertex))))
        ZEP_PANIC("DX8Renderer::DrawVector2d failed");
    // Round ends.
    DrawGradientCircle2d(from, width * 0.5f, colorFrom, colorFrom, -1);
    DrawGradientCircle2d(to, width * 0.5f, colorTo, colorTo, -1);
}

void DX8Renderer::DrawCircle2d(const Zep::Vector2& center, float radius, const Zep::Color& color, int32_t segments) {
    SetCurrentTexture(nullptr, 0);
    const int32_t n = std::max(CircleSegments(radius, segments, 0), 0);
    // n rim points and the first again.
    ColoredVertex* vertices = CircleVertices<ColoredVertex>(static_cast<size_t>(n) + 1);
    for (int32_t i = 0; i < n; ++i) {
        const float angle = static_cast<float>(i) / static_cast<float>(n) * kTwoPi;
        vertices[i] = {center.x + radius * std::cos(angle), center.y + radius * std::sin(angle), 0, color.argb};
    }
    vertices[n] = vertices[0];
    SetVertexFormat(kColoredFormat);
    if (FAILED(Submit(D3DPT_LINESTRIP, static_cast<UINT>(n), vertices, sizeof(ColoredVertex))))
        ZEP_PANIC("DX8Renderer::DrawCircle2d failed");
}

void DX8Renderer::DrawGradientCircle2d(const Zep::Vector2& center, float radius, const Zep::Color& inner,
                                       const Zep::Color& outer, int32_t segments) {
    SetCurrentTexture(nullptr, 0);
    const int32_t n = std::max(CircleSegments(radius, segments, 32), 0);
    // The centre, n rim points and the first rim point again.
    ColoredVertex* vertices = CircleVertices<ColoredVertex>(static_cast<size_t>(n) + 2);
    vertices[0] = {center.x, center.y, 0, inner.argb};
    for (int32_t i = 0; i < n; ++i) {
        const float angle = static_cast<float>(i) / static_cast<float>(n) * kTwoPi;
        vertices[i + 1] = {center.x + radius * std::cos(angle), center.y + radius * std::sin(angle), 0, outer.argb};
    }
    vertices[n + 1] = vertices[n > 0 ? 1 : 0];
    SetVertexFormat(kColoredFormat);
    if (FAILED(Submit(D3DPT_TRIANGLEFAN, static_cast<UINT>(n), vertices, sizeof(ColoredVertex))))
        ZEP_PANIC("DX8Renderer::DrawGradientCircle2d failed");
}

void DX8Renderer::DrawLines(const Zep::Vector2* positions, int32_t count, float width, const Zep::Color& color) {
    if (count % 2 != 0)
        ZEP_PANIC("DX8Renderer::DrawLines : numPositions must be an even number");
    for (int32_t i = 0; i + 1 < count; i += 2)
        DrawVector2d(positions[i], positions[i + 1], color, color, width);
}

// --- Devices and contexts --------------------------------------------------------------

void DX8Renderer::UpdateDevices(int32_t width, int32_t height, bool fullscreen) {
    if (defaultContext)
        defaultContext->Resize(width, height, fullscreen);
    for (Win32DX8Device* device : devices) {
        if (!device)
            continue;
        device->CheckDeviceLost();
        if (device->IsLost())
            device->ResetDevice();
    }
}

int32_t DX8Renderer::GetDeviceIndexForWindow(HWND window) {
    const HMONITOR monitor = MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST);
    for (size_t i = 0; i < devices.size(); ++i) {
        if (devices[i] && devices[i]->GetMonitor() == monitor)
            return static_cast<int32_t>(i);
    }
    return -1;
}

bool DX8Renderer::UpdateContextDevice(RenderContext* context) {
    auto* dx8Context = static_cast<DX8RenderContext*>(context);
    // The context stays on its device; the answer says whether it should move.
    return GetDeviceIndexForWindow(dx8Context->GetWindow()) != IndexOfDevice(dx8Context->GetDevice());
}

void DX8Renderer::Initialize() {
    direct3d = Direct3DCreate8(D3D_SDK_VERSION);
    if (!direct3d)
        ZEP_PANIC("Failed to create DX8 interface instance");
    // Each device at the video system's index of its monitor.
    auto* video = static_cast<Win32VideoSystem*>(Lumo::InstanceHolder<PlatformVideoSystem>::Get());
    const UINT count = direct3d->GetAdapterCount();
    devices.assign(count, nullptr);
    for (UINT adapter = 0; adapter < count; ++adapter) {
        auto* device = new Win32DX8Device(direct3d, adapter);
        const int32_t index = video->FindDeviceByMonitor(device->GetMonitor());
        if (index >= 0 && static_cast<UINT>(index) < count && !devices[index])
            devices[index] = device;
        else
            delete device;
    }
}

void DX8Renderer::ReleaseResources() {
    DropHeldTextures();
    for (Win32DX8Device* device : devices)
        delete device;
    devices.clear();
    if (direct3d)
        direct3d->Release();
    direct3d = nullptr;
}

void DX8Renderer::OnBeginFrame() {}

void DX8Renderer::OnEndFrame() {}

void DX8Renderer::OnFramePresented(bool presented) {
    Win32DX8Device* device = GetCurrentDevice();
    if (!device)
        return;
    if (!presented)
        device->SetLost(true);
    device->CheckDeviceLost();
}

void DX8Renderer::ReleaseRenderContext(RenderContext* context) {
    auto* dx8Context = static_cast<DX8RenderContext*>(context);
    for (Win32DX8Device* device : devices) {
        if (device)
            device->RemoveContext(dx8Context);
    }
    // The context is deleted next; nothing may reach it afterwards.
    if (defaultContext == dx8Context)
        defaultContext = nullptr;
}

bool DX8Renderer::IsDeviceReady() {
    Win32DX8Device* device = GetCurrentDevice();
    return device && !device->IsLost();
}

RenderContext* DX8Renderer::CreateRenderContext(HWND window, bool fullscreen) {
    const int32_t index = GetDeviceIndexForWindow(window);
    if (index == -1)
        Zep::AssertionFailed(kSourceName, 240);
    auto* context = new DX8RenderContext(this, devices[static_cast<size_t>(index)], window, fullscreen);
    GameRenderWindow* gameWindow = gameRenderWindowSubsystem.GetInstance();
    if (gameWindow && gameWindow->GetHandle() == window)
        defaultContext = context;
    return context;
}
