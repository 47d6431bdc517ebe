// Hooks for tests of the Direct3D 8 layer and of the renderer. Engine code never calls them.
// Includes the Win32 library's hooks, so "TestHooks.h" gives both.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "../Win32/TestHooks.h"
#include "d3d8.h"

namespace PlatformTest {

// The next Present returns D3DERR_DEVICELOST and its device is lost: TestCooperativeLevel
// then answers D3DERR_DEVICELOST once and D3DERR_DEVICENOTRESET until a Reset succeeds,
// and Present keeps answering D3DERR_DEVICELOST.
void InjectDeviceLoss();

// The next Reset returns hr (a failure such as D3DERR_DEVICELOST) and changes nothing: a lost
// device stays lost, TestCooperativeLevel answering D3DERR_DEVICENOTRESET until a Reset
// succeeds.
void FailNextReset(HRESULT hr);

// GetAdapterDisplayMode reports this format (D3DFMT_P8 for an 8-bit desktop);
// D3DFMT_UNKNOWN (0) returns to the real one.
void SetAdapterDisplayFormat(D3DFORMAT format);

// Overrides IDirect3D8::CheckDeviceFormat's answer for textures of the format (true:
// D3D_OK, false: D3DERR_NOTAVAILABLE); D3DXCreateTexture then refuses a format switched
// off, so a DXT image takes the A8R8G8B8 path. D3DFMT_UNKNOWN drops every override.
void SetFormatSupported(D3DFORMAT format, bool supported);

// The next count D3DXCreateTexture calls with valid arguments fail with result
// (D3DERR_OUTOFVIDEOMEMORY or E_OUTOFMEMORY) and make nothing.
void FailTextureCreations(unsigned count, HRESULT result);

// Merging of consecutive DrawPrimitiveUP calls into one OpenGL draw (on by default, off
// when ZEP_D3D_BATCHING=0). What is drawn is the same either way.
void SetBatching(bool on);

// While on (off by default), every call of a device, swap chain, texture or surface method
// and of a D3DX function is recorded as "Method(a, b, ...)": integers in decimal, floats as
// printf's "%g", pointers, windows, matrices and rectangles left out, e.g.
// "SetRenderState(27, 1)" or "DrawPrimitiveUP(6, 2, 24)".
void RecordD3DCalls(bool on);
// The records since the last take, in call order; clears them.
std::vector<std::string> TakeD3DCalls();

// OpenGL draw calls the layer has made so far.
uint64_t GetGLDrawCount();

}  // namespace PlatformTest
