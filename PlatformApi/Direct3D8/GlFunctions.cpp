#include "GlFunctions.h"

#include <SDL.h>

namespace D3D8Internal {

GlFunctions gl;

bool LoadGlFunctions() {
    PlatformProcess::ForeignLibraryScope scope;
    bool complete = true;
#define D3D8_GL_LOAD(name)                                                                            \
    gl.name.pointer = reinterpret_cast<decltype(gl.name.pointer)>(SDL_GL_GetProcAddress("gl" #name)); \
    complete = complete && gl.name.pointer != nullptr;
    D3D8_GL_FUNCTIONS(D3D8_GL_LOAD)
#undef D3D8_GL_LOAD
    return complete;
}

}  // namespace D3D8Internal
