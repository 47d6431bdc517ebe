// The OpenGL entry points the layer calls, loaded through SDL once the context exists,
// so the library never links an OpenGL library itself.
#pragma once

// The Windows types first: OpenGL's headers then keep their APIENTRY.
#include "win32_types.h"

#define GL_GLEXT_PROTOTYPES 1
#include <GL/gl.h>
#include <GL/glext.h>

#include "ForeignCode.h"

#define D3D8_GL_FUNCTIONS(X)   \
    X(ActiveTexture)           \
    X(BindFramebuffer)         \
    X(BindRenderbuffer)        \
    X(BindTexture)             \
    X(BlendFunc)               \
    X(BlitFramebuffer)         \
    X(CheckFramebufferStatus)  \
    X(Clear)                   \
    X(ClearColor)              \
    X(ClientActiveTexture)     \
    X(Color4ub)                \
    X(ColorPointer)            \
    X(CompressedTexImage2D)    \
    X(CompressedTexSubImage2D) \
    X(CullFace)                \
    X(DeleteFramebuffers)      \
    X(DeleteRenderbuffers)     \
    X(DeleteTextures)          \
    X(DepthFunc)               \
    X(DepthMask)               \
    X(DepthRange)              \
    X(Disable)                 \
    X(DisableClientState)      \
    X(DrawArrays)              \
    X(Enable)                  \
    X(EnableClientState)       \
    X(FramebufferRenderbuffer) \
    X(FramebufferTexture2D)    \
    X(GenFramebuffers)         \
    X(GenRenderbuffers)        \
    X(GenTextures)             \
    X(GetCompressedTexImage)   \
    X(GetError)                \
    X(GetIntegerv)             \
    X(GetString)               \
    X(GetTexImage)             \
    X(LoadMatrixf)             \
    X(MatrixMode)              \
    X(PixelStorei)             \
    X(ReadPixels)              \
    X(RenderbufferStorage)     \
    X(Scissor)                 \
    X(TexCoordPointer)         \
    X(TexEnvfv)                \
    X(TexEnvi)                 \
    X(TexImage2D)              \
    X(TexParameteri)           \
    X(TexSubImage2D)           \
    X(VertexPointer)           \
    X(Viewport)

namespace D3D8Internal {

// An entry point of the driver, called as the function itself; the call counts as one
// into a foreign library.
template <class Function>
struct GlEntry;

template <class Result, class... Arguments>
struct GlEntry<Result (*)(Arguments...)> {
    typedef Result (*Pointer)(Arguments...);
    Result operator()(Arguments... arguments) const {
        PlatformProcess::ForeignLibraryScope scope;
        return pointer(arguments...);
    }
    Pointer pointer = nullptr;
};

struct GlFunctions {
#define D3D8_GL_MEMBER(name) GlEntry<decltype(&::gl##name)> name;
    D3D8_GL_FUNCTIONS(D3D8_GL_MEMBER)
#undef D3D8_GL_MEMBER
};

// Filled by LoadGlFunctions; used only while the layer's context is current.
extern GlFunctions gl;

// Loads every entry point of the current context; false when one is missing.
bool LoadGlFunctions();

// Drops the errors OpenGL has recorded so far, so that the next glGetError speaks of what follows.
inline void ClearGlErrors() {
    for (int i = 0; i < 16 && gl.GetError() != GL_NO_ERROR; ++i) {
    }
}

}  // namespace D3D8Internal
