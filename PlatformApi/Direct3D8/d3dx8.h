// The D3DX8 helpers that the renderer and the textures call.
#pragma once

#include "d3d8.h"

#define D3DX_DEFAULT ((UINT)-1)
#define D3DX_FILTER_NONE 0x00000001u

// A palette entry, as the surface loaders take it (the layer accepts only NULL palettes).
typedef struct tagPALETTEENTRY {
    BYTE peRed;
    BYTE peGreen;
    BYTE peBlue;
    BYTE peFlags;
} PALETTEENTRY;

struct D3DXMATRIX : public D3DMATRIX {
    D3DXMATRIX() = default;
    D3DXMATRIX(const D3DMATRIX& matrix) : D3DMATRIX(matrix) {}
    D3DXMATRIX(float m11, float m12, float m13, float m14, float m21, float m22, float m23, float m24, float m31,
               float m32, float m33, float m34, float m41, float m42, float m43, float m44);
    float& operator()(UINT row, UINT column) { return m[row][column]; }
    float operator()(UINT row, UINT column) const { return m[row][column]; }
};

// The published definitions, for row vectors. Each returns out.
D3DXMATRIX* D3DXMatrixIdentity(D3DXMATRIX* out);
// out = m1 x m2 (apply m1 first); out may be m1 or m2.
D3DXMATRIX* D3DXMatrixMultiply(D3DXMATRIX* out, const D3DXMATRIX* m1, const D3DXMATRIX* m2);
D3DXMATRIX* D3DXMatrixTranslation(D3DXMATRIX* out, float x, float y, float z);
D3DXMATRIX* D3DXMatrixScaling(D3DXMATRIX* out, float sx, float sy, float sz);
// Counter-clockwise about z for a positive angle in radians (in a y-up space).
D3DXMATRIX* D3DXMatrixRotationZ(D3DXMATRIX* out, float angle);
D3DXMATRIX* D3DXMatrixOrthoOffCenterRH(D3DXMATRIX* out, float left, float right, float bottom, float top, float zNear,
                                       float zFar);

// A texture of width x height with levels mip levels (0: down to 1 x 1), usage 0 or
// D3DUSAGE_RENDERTARGET (default pool), in a format CheckDeviceFormat accepts; every level
// starts transparent black.
HRESULT D3DXCreateTexture(LPDIRECT3DDEVICE8 device, UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format,
                          D3DPOOL pool, LPDIRECT3DTEXTURE8* texture);

// Loads sourceRect of an image in memory into the top-left corner of a texture level,
// without filtering (D3DX_FILTER_NONE) or colour key. The same format is copied as it
// stands (DXT stays compressed); A4R4G4B4, R8G8B8 and DXT1/3/5 sources convert into an
// A8R8G8B8 texture. sourcePitch is the bytes of one row, or of one row of 4 x 4 blocks.
// Palettes and the destination rectangle must be NULL.
HRESULT D3DXLoadSurfaceFromMemory(LPDIRECT3DSURFACE8 destSurface, const PALETTEENTRY* destPalette, const RECT* destRect,
                                  const void* sourceMemory, D3DFORMAT sourceFormat, UINT sourcePitch,
                                  const PALETTEENTRY* sourcePalette, const RECT* sourceRect, DWORD filter,
                                  D3DCOLOR colorKey);

// Fills every level below level 0 with a 2 x 2 box filter of the level above it. A DXT
// texture keeps its format for Direct3D but is held uncompressed from then on. sourceLevel
// 0 (or D3DX_DEFAULT), filter D3DX_DEFAULT, palette NULL.
HRESULT D3DXFilterTexture(LPDIRECT3DBASETEXTURE8 texture, const PALETTEENTRY* palette, UINT sourceLevel, DWORD filter);

// Copies a whole surface into another of the same size without filtering: the back buffer
// read into an A8R8G8B8 image surface (alpha 0xFF). Palettes and rectangles must be NULL.
HRESULT D3DXLoadSurfaceFromSurface(LPDIRECT3DSURFACE8 destSurface, const PALETTEENTRY* destPalette,
                                   const RECT* destRect, LPDIRECT3DSURFACE8 sourceSurface,
                                   const PALETTEENTRY* sourcePalette, const RECT* sourceRect, DWORD filter,
                                   D3DCOLOR colorKey);
