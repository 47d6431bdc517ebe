#include "LumoSources/Platforms/Win32/Win32DX8Device.h"

#include <algorithm>

#include "Common/CoreUtils.h"
#include "Common/StringUtils.h"
#include "LumoSources/Common/GameRenderWindow.h"
#include "LumoSources/Common/LumoCommon.h"
#include "LumoSources/Common/PlatformRenderer.h"
#include "LumoSources/Common/Subsystems.h"
#include "LumoSources/Platforms/Win32/Win32DX8RenderContext.h"
#include "Platforms/Win32/Win32Application.h"

namespace {

// Reports of the blend-factor table carry the place its users know them by.
const char* const kSourceName = "LumoSources\\Platforms\\Win32\\Win32DX8Device.cpp";

// The renderer's blend factors, 0..9, in Direct3D's terms.
D3DBLEND GetD3DBlendFactor(int32_t factor) {
    static const D3DBLEND kFactors[] = {
        D3DBLEND_ZERO,        D3DBLEND_ONE,       D3DBLEND_SRCCOLOR,     D3DBLEND_INVSRCCOLOR, D3DBLEND_SRCALPHA,
        D3DBLEND_INVSRCALPHA, D3DBLEND_DESTCOLOR, D3DBLEND_INVDESTCOLOR, D3DBLEND_DESTALPHA,   D3DBLEND_INVDESTALPHA,
    };
    if (factor < 0 || factor > 9) {
        Zep::Panic(kSourceName, 35,
                   Zep::Sprintf("`anonymous-namespace'::GetD3DBlendFactor: Invalid blend factor %d", factor));
    }
    return kFactors[factor];
}

// Render states every device starts with, and after every reset.
void SetRenderState(IDirect3DDevice8* device, D3DRENDERSTATETYPE state, DWORD value, const char* failure) {
    if (FAILED(device->SetRenderState(state, value)))
        ZEP_PANIC(failure);
}

void SetStageState(IDirect3DDevice8* device, DWORD stage, D3DTEXTURESTAGESTATETYPE state, DWORD value,
                   const char* failure) {
    if (FAILED(device->SetTextureStageState(stage, state, value)))
        ZEP_PANIC(failure);
}

}  // namespace

Win32DX8Device::Win32DX8Device(IDirect3D8* direct3d, uint32_t adapter)
    : direct3d(direct3d),
      adapter(adapter),
      device(nullptr),
      monitor(direct3d->GetAdapterMonitor(adapter)),
      lost(false),
      defaultContext(nullptr) {}

Win32DX8Device::~Win32DX8Device() {
    if (device)
        device->Release();
}

void Win32DX8Device::AddContext(DX8RenderContext* context) {
    if (contexts.empty()) {
        context->SetDefaultFlag(true);
        defaultContext = context;
        CreateDevice(context);
    } else {
        context->SetDefaultFlag(false);
    }
    contexts.push_back(context);
}

void Win32DX8Device::RemoveContext(DX8RenderContext* context) {
    auto found = std::find(contexts.begin(), contexts.end(), context);
    if (found == contexts.end())
        return;
    contexts.erase(found);
    if (defaultContext != context)
        return;
    defaultContext = nullptr;
    if (!contexts.empty()) {
        defaultContext = contexts.front();
        defaultContext->MakeDefault();
    }
}

void Win32DX8Device::SetDefaultContext(DX8RenderContext* context) {
    if (defaultContext == context)
        return;
    DX8RenderContext* previous = defaultContext;
    defaultContext = context;
    if (previous)
        previous->MakeSwapChain();
    context->MakeDefault();
}

void Win32DX8Device::CreateDevice(DX8RenderContext* context) {
    if (device)
        return;
    // Direct3D hooks the focus window: the game window once it exists.
    GameRenderWindow* gameWindow = gameRenderWindowSubsystem.GetInstance();
    const HWND focus = gameWindow ? gameWindow->GetHandle() : context->GetWindow();
    static const DWORD kBehaviours[] = {D3DCREATE_HARDWARE_VERTEXPROCESSING, D3DCREATE_MIXED_VERTEXPROCESSING,
                                        D3DCREATE_SOFTWARE_VERTEXPROCESSING};
    for (DWORD behaviour : kBehaviours) {
        if (SUCCEEDED(direct3d->CreateDevice(adapter, D3DDEVTYPE_HAL, focus, behaviour, &context->PresentParameters(),
                                             &device)))
            break;
        device = nullptr;
    }
    if (!device)
        ZEP_PANIC("Failed to create d3dDevice");
    SetDefaultRenderStates();
}

void Win32DX8Device::SetDefaultRenderStates() {
    SetRenderState(device, D3DRS_LIGHTING, FALSE, "Failed to disable lighting");
    SetRenderState(device, D3DRS_ZENABLE, D3DZB_FALSE, "Failed to disable Z");
    SetRenderState(device, D3DRS_ALPHABLENDENABLE, TRUE, "Failed to enable alpha blending");
    SetStageState(device, 0, D3DTSS_ALPHAOP, D3DTOP_MODULATE, "Failed to set alpha modulation on texture stage 0");
    SetRenderState(device, D3DRS_CULLMODE, D3DCULL_NONE, "Failed to disable culling");
    for (DWORD stage = 0; stage < 2; ++stage) {
        SetStageState(device, stage, D3DTSS_MINFILTER, D3DTEXF_LINEAR, "Failed to set minfilter");
        SetStageState(device, stage, D3DTSS_MAGFILTER, D3DTEXF_LINEAR, "Failed to set magfilter");
        SetStageState(device, stage, D3DTSS_MIPFILTER, D3DTEXF_LINEAR, "Failed to set mipfilter");
        SetStageState(device, stage, D3DTSS_ADDRESSU, D3DTADDRESS_CLAMP, "Failed to set addressU");
        SetStageState(device, stage, D3DTSS_ADDRESSV, D3DTADDRESS_CLAMP, "Failed to set addressV");
    }
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
}

void Win32DX8Device::CheckDeviceLost() {
    if (contexts.empty() || !device)
        return;
    const HRESULT result = device->TestCooperativeLevel();
    if (result == D3DERR_DEVICELOST) {
        lost = true;
        // Throttles the frame loop while the device is away.
        Sleep(10);
    } else if (result == D3DERR_DEVICENOTRESET) {
        ResetDevice();
    } else if (FAILED(result)) {
        ZEP_PANIC("Unhandled error returned from TestCooperativeLevel!");
    }
}

void Win32DX8Device::ResetDevice() {
    if (contexts.empty() || !device || !defaultContext)
        return;
    // Render-target textures give up their Direct3D textures.
    Lumo::InstanceHolder<PlatformRenderer>::Get()->ReleaseDiscardableResources();
    for (DX8RenderContext* context : contexts)
        context->ReleaseSurfaces();
    D3DPRESENT_PARAMETERS parameters = defaultContext->PresentParameters();
    const HRESULT result = device->Reset(&parameters);
    lost = result == D3DERR_DEVICELOST;
    if (result == D3DERR_INVALIDCALL)
        ZEP_PANIC("Failed to reset D3D device");
    // Still lost: the next check tries again.
    if (lost)
        return;
    SetDefaultRenderStates();
    for (DX8RenderContext* context : contexts)
        context->RestoreSurfaces();
}

D3DFORMAT Win32DX8Device::GetDisplayFormat() {
    D3DDISPLAYMODE mode;
    if (FAILED(direct3d->GetAdapterDisplayMode(adapter, &mode)))
        ZEP_PANIC(Zep::Sprintf("Failed to get current display mode for adapter %u", adapter));
    if (mode.Format == D3DFMT_P8 || mode.Format == D3DFMT_A8P8)
        ZEP_PANIC(
            "This game does not support 8 bit color quality. Please change your display settings to 16 bit or "
            "above");
    return mode.Format;
}

void Win32DX8Device::FillPresentParameters(D3DPRESENT_PARAMETERS& parameters, HWND window, bool fullscreen) {
    RECT client = {0, 0, 0, 0};
    GetClientRect(window, &client);
    parameters.BackBufferWidth = static_cast<UINT>(client.right - client.left);
    parameters.BackBufferHeight = static_cast<UINT>(client.bottom - client.top);
    parameters.BackBufferFormat = GetDisplayFormat();
    parameters.BackBufferCount = 1;
    parameters.MultiSampleType = Zep::Win32::IsRunningInEditor() ? D3DMULTISAMPLE_4_SAMPLES : D3DMULTISAMPLE_NONE;
    parameters.SwapEffect = D3DSWAPEFFECT_DISCARD;
    parameters.hDeviceWindow = window;
    parameters.Windowed = fullscreen ? FALSE : TRUE;
    // Contexts have no depth buffer.
    parameters.EnableAutoDepthStencil = FALSE;
    parameters.AutoDepthStencilFormat = D3DFMT_UNKNOWN;
    parameters.Flags = D3DPRESENTFLAG_LOCKABLE_BACKBUFFER;
    parameters.FullScreen_RefreshRateInHz = 0;
    parameters.FullScreen_PresentationInterval = fullscreen ? D3DPRESENT_INTERVAL_IMMEDIATE : 0;
}

void Win32DX8Device::SetBlendFactors(int32_t source, int32_t destination) {
    // Not checked: a failure leaves the blend as it was.
    device->SetRenderState(D3DRS_SRCBLEND, GetD3DBlendFactor(source));
    device->SetRenderState(D3DRS_DESTBLEND, GetD3DBlendFactor(destination));
}
