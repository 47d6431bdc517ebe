// The Direct3D object: adapters, their display modes and monitors, device creation.
#include "Adapters.h"
#include "ComObject.h"
#include "Device.h"
#include "Texture.h"
#include "UserInternal.h"
#include "d3d8.h"

namespace D3D8Internal {

namespace {

class Direct3DImpl : public IDirect3D8, public ComObject {
public:
    ULONG AddRef() override { return AddReference(); }
    ULONG Release() override { return ReleaseReference(); }

    UINT GetAdapterCount() override { return IsReleased() ? 0 : AdapterCount(); }

    HRESULT GetAdapterDisplayMode(UINT adapter, D3DDISPLAYMODE* mode) override {
        if (IsReleased() || !mode || !AdapterDisplayMode(adapter, *mode))
            return D3DERR_INVALIDCALL;
        return D3D_OK;
    }

    HMONITOR GetAdapterMonitor(UINT adapter) override {
        if (IsReleased() || adapter >= AdapterCount())
            return nullptr;
        return reinterpret_cast<HMONITOR>(static_cast<uintptr_t>(adapter) + 1);
    }

    HRESULT CheckDeviceFormat(UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat, DWORD usage,
                              D3DRESOURCETYPE resourceType, D3DFORMAT checkFormat) override {
        if (IsReleased() || adapter >= AdapterCount())
            return D3DERR_INVALIDCALL;
        // The display formats a desktop can have under Direct3D.
        if (adapterFormat != D3DFMT_X8R8G8B8 && adapterFormat != D3DFMT_R5G6B5 && adapterFormat != D3DFMT_X1R5G5B5)
            return D3DERR_INVALIDCALL;
        if (type != D3DDEVTYPE_HAL || resourceType != D3DRTYPE_TEXTURE)
            return D3DERR_NOTAVAILABLE;
        return TextureFormatAnswer(checkFormat, usage);
    }

    HRESULT CreateDevice(UINT adapter, D3DDEVTYPE type, HWND focusWindow, DWORD behaviorFlags,
                         D3DPRESENT_PARAMETERS* parameters, IDirect3DDevice8** device) override {
        if (!device)
            return D3DERR_INVALIDCALL;
        *device = nullptr;
        if (IsReleased() || adapter >= AdapterCount() || !parameters)
            return D3DERR_INVALIDCALL;
        if (type != D3DDEVTYPE_HAL)
            return D3DERR_NOTAVAILABLE;
        // Exactly one kind of vertex processing; all of them are OpenGL's here.
        const DWORD processing =
            behaviorFlags & (D3DCREATE_SOFTWARE_VERTEXPROCESSING | D3DCREATE_HARDWARE_VERTEXPROCESSING |
                             D3DCREATE_MIXED_VERTEXPROCESSING);
        if (processing == 0 || (processing & (processing - 1)) != 0)
            return D3DERR_INVALIDCALL;
        DeviceImpl* made = nullptr;
        const HRESULT result = DeviceImpl::Create(focusWindow, *parameters, &made);
        *device = made;
        return result;
    }

private:
    void Free() override {}
};

}  // namespace

}  // namespace D3D8Internal

IDirect3D8* Direct3DCreate8(UINT sdkVersion) {
    if (sdkVersion != D3D_SDK_VERSION || !PlatformInternal::StartVideo())
        return nullptr;
    return new D3D8Internal::Direct3DImpl();
}
