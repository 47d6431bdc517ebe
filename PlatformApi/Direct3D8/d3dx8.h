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

// A texture of width x height with levels mip levels (0: down to 1 x 1).
HRESULT D3DXCreateTexture(LPDIRECT3DDEVICE8 device, UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format,
                          D3DPOOL pool, LPDIRECT3DTEXTURE8* texture);

// Copies a whole surface into another of the same size without filtering: the back buffer
// read into an A8R8G8B8 image surface (alpha 0xFF). Palettes and rectangles must be NULL.
HRESULT D3DXLoadSurfaceFromSurface(LPDIRECT3DSURFACE8 destSurface, const PALETTEENTRY* destPalette,
                                   const RECT* destRect, LPDIRECT3DSURFACE8 sourceSurface,
                                   const PALETTEENTRY* sourcePalette, const RECT* sourceRect, DWORD filter,
                                   D3DCOLOR colorKey);
