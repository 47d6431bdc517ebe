#include "GlFunctions.h"

#include <SDL.h>

namespace D3D8Internal {

GlFunctions gl;

bool LoadGlFunctions() {
    bool complete = true;
#define D3D8_GL_LOAD(name)                                                            \
    gl.name = reinterpret_cast<decltype(gl.name)>(SDL_GL_GetProcAddress("gl" #name)); \
    complete = complete && gl.name != nullptr;
    D3D8_GL_FUNCTIONS(D3D8_GL_LOAD)
#undef D3D8_GL_LOAD
    return complete;
}

}  // namespace D3D8Internal
