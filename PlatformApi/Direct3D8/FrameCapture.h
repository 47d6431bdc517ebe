// Frame captures of ZEP_TEST_CAPTURE: the back buffer of listed frames written to files.
#pragma once

#include "Surface.h"

namespace D3D8Internal {

// Before a device presents its own back buffer: when the current frame is listed and
// not captured yet, writes "frame-<k>.bgra" (width and height as 32-bit little-endian
// words, then B, G, R, A bytes top row first, alpha 0xFF) and "frame-<k>.png" of the
// same pixels into ZEP_TEST_CAPTURE_DIR (default the current folder). A file that
// cannot be written ends the process with exit code 1.
void CaptureFrameIfListed(const BackBufferSurface& backBuffer);

}  // namespace D3D8Internal
