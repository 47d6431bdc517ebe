// Adapters are the displays of the window layer: adapter i is HMONITOR i + 1.
#pragma once

#include "d3d8.h"

namespace D3D8Internal {

UINT AdapterCount();
// The current mode of the adapter's display, or the full-screen mode applied there;
// false for an unknown adapter.
bool AdapterDisplayMode(UINT adapter, D3DDISPLAYMODE& mode);
// The adapter of the display a window lies on (0 when unknown).
UINT AdapterOfWindow(HWND window);

}  // namespace D3D8Internal
