// The D3DX helpers: matrices as published, textures (creation, loading, mip levels) and the
// back-buffer read-back.
#include <cmath>

#include "CallRecorder.h"
#include "Context.h"
#include "Device.h"
#include "Surface.h"
#include "Texture.h"
#include "d3dx8.h"

using D3D8Internal::Record;

D3DXMATRIX::D3DXMATRIX(float m11, float m12, float m13, float m14, float m21, float m22, float m23, float m24,
                       float m31, float m32, float m33, float m34, float m41, float m42, float m43, float m44) {
    _11 = m11, _12 = m12, _13 = m13, _14 = m14;
    _21 = m21, _22 = m22, _23 = m23, _24 = m24;
    _31 = m31, _32 = m32, _33 = m33, _34 = m34;
    _41 = m41, _42 = m42, _43 = m43, _44 = m44;
}

D3DXMATRIX* D3DXMatrixIdentity(D3DXMATRIX* out) {
    Record("D3DXMatrixIdentity");
    *out = D3DXMATRIX(1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1);
    return out;
}

D3DXMATRIX* D3DXMatrixMultiply(D3DXMATRIX* out, const D3DXMATRIX* m1, const D3DXMATRIX* m2) {
    Record("D3DXMatrixMultiply");
    D3DXMATRIX product;
    for (int row = 0; row < 4; ++row) {
        for (int column = 0; column < 4; ++column) {
            product.m[row][column] = m1->m[row][0] * m2->m[0][column] + m1->m[row][1] * m2->m[1][column] +
                                     m1->m[row][2] * m2->m[2][column] + m1->m[row][3] * m2->m[3][column];
        }
    }
    *out = product;
    return out;
}

D3DXMATRIX* D3DXMatrixTranslation(D3DXMATRIX* out, float x, float y, float z) {
    Record("D3DXMatrixTranslation", x, y, z);
    *out = D3DXMATRIX(1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, x, y, z, 1);
    return out;
}

D3DXMATRIX* D3DXMatrixScaling(D3DXMATRIX* out, float sx, float sy, float sz) {
    Record("D3DXMatrixScaling", sx, sy, sz);
    *out = D3DXMATRIX(sx, 0, 0, 0, 0, sy, 0, 0, 0, 0, sz, 0, 0, 0, 0, 1);
    return out;
}

D3DXMATRIX* D3DXMatrixRotationZ(D3DXMATRIX* out, float angle) {
    Record("D3DXMatrixRotationZ", angle);
    const float c = std::cos(angle), s = std::sin(angle);
    *out = D3DXMATRIX(c, s, 0, 0, -s, c, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1);
    return out;
}

D3DXMATRIX* D3DXMatrixOrthoOffCenterRH(D3DXMATRIX* out, float left, float right, float bottom, float top, float zNear,
                                       float zFar) {
    Record("D3DXMatrixOrthoOffCenterRH", left, right, bottom, top, zNear, zFar);
    *out = D3DXMATRIX(2 / (right - left), 0, 0, 0,  //
                      0, 2 / (top - bottom), 0, 0,  //
                      0, 0, 1 / (zNear - zFar), 0,  //
                      (left + right) / (left - right), (top + bottom) / (bottom - top), zNear / (zNear - zFar), 1);
    return out;
}

HRESULT D3DXCreateTexture(LPDIRECT3DDEVICE8 device, UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format,
                          D3DPOOL pool, LPDIRECT3DTEXTURE8* texture) {
    Record("D3DXCreateTexture", width, height, levels, usage, format, pool);
    if (!texture)
        return D3DERR_INVALIDCALL;
    *texture = nullptr;
    if (!device)
        return D3DERR_INVALIDCALL;
    auto* owner = static_cast<D3D8Internal::DeviceImpl*>(device);
    const HRESULT usable = owner->PrepareContext();
    if (FAILED(usable))
        return usable;
    D3D8Internal::TextureImpl* made = nullptr;
    const HRESULT result =
        D3D8Internal::TextureImpl::Create(owner->Shared(), width, height, levels, usage, format, pool, &made);
    *texture = made;
    return result;
}

HRESULT D3DXLoadSurfaceFromMemory(LPDIRECT3DSURFACE8 destSurface, const PALETTEENTRY* destPalette, const RECT* destRect,
                                  const void* sourceMemory, D3DFORMAT sourceFormat, UINT sourcePitch,
                                  const PALETTEENTRY* sourcePalette, const RECT* sourceRect, DWORD filter,
                                  D3DCOLOR colorKey) {
    Record("D3DXLoadSurfaceFromMemory", sourceFormat, sourcePitch, filter, colorKey);
    if (!destSurface || !sourceMemory || !sourceRect || destPalette || sourcePalette || destRect ||
        filter != D3DX_FILTER_NONE || colorKey != 0)
        return D3DERR_INVALIDCALL;
    auto* dest = static_cast<D3D8Internal::SurfaceImpl*>(destSurface);
    // Only texture levels take pixels from memory.
    if (dest->IsReleased() || !dest->Container())
        return D3DERR_INVALIDCALL;
    return dest->Container()->LoadLevel(dest->Level(), static_cast<const uint8_t*>(sourceMemory), sourceFormat,
                                        sourcePitch, *sourceRect);
}

HRESULT D3DXFilterTexture(LPDIRECT3DBASETEXTURE8 texture, const PALETTEENTRY* palette, UINT sourceLevel, DWORD filter) {
    Record("D3DXFilterTexture", sourceLevel, filter);
    if (!texture || palette || (sourceLevel != 0 && sourceLevel != D3DX_DEFAULT) || filter != D3DX_DEFAULT)
        return D3DERR_INVALIDCALL;
    // The layer makes every texture, so a base texture is one of its own.
    return static_cast<D3D8Internal::TextureImpl*>(static_cast<IDirect3DTexture8*>(texture))->FilterLevels();
}

HRESULT D3DXLoadSurfaceFromSurface(LPDIRECT3DSURFACE8 destSurface, const PALETTEENTRY* destPalette,
                                   const RECT* destRect, LPDIRECT3DSURFACE8 sourceSurface,
                                   const PALETTEENTRY* sourcePalette, const RECT* sourceRect, DWORD filter,
                                   D3DCOLOR colorKey) {
    Record("D3DXLoadSurfaceFromSurface", filter, colorKey);
    if (!destSurface || !sourceSurface || destPalette || sourcePalette || destRect || sourceRect)
        return D3DERR_INVALIDCALL;
    auto* dest = static_cast<D3D8Internal::SurfaceImpl*>(destSurface);
    auto* source = static_cast<D3D8Internal::SurfaceImpl*>(sourceSurface);
    if (dest->IsReleased() || source->IsReleased() || dest->IsLocked() || source->IsLocked())
        return D3DERR_INVALIDCALL;
    const D3DSURFACE_DESC& to = dest->Desc();
    const D3DSURFACE_DESC& from = source->Desc();
    // A copy of the same size, from a surface OpenGL draws into to 32-bit pixels in memory.
    const bool thirtyTwoBits = to.Format == D3DFMT_A8R8G8B8 || to.Format == D3DFMT_X8R8G8B8;
    if (to.Width != from.Width || to.Height != from.Height || !thirtyTwoBits || !dest->Memory() ||
        source->Framebuffer() == 0)
        return D3DERR_INVALIDCALL;
    D3D8Internal::Context* context = D3D8Internal::Context::Get();
    if (!context || !context->Ensure(nullptr))
        return D3DERR_INVALIDCALL;
    context->FlushPending();
    // Rows come top first, as the framebuffer stores them; the colour buffer has no alpha,
    // so alpha reads 0xFF.
    context->BindReadFramebuffer(source->Framebuffer());
    D3D8Internal::gl.ReadPixels(0, 0, static_cast<GLsizei>(from.Width), static_cast<GLsizei>(from.Height), GL_BGRA,
                                GL_UNSIGNED_INT_8_8_8_8_REV, dest->Memory());
    return D3D_OK;
}
