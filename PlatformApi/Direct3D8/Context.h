// The one OpenGL context of the process and the bindings several parts of the layer share.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

#include "ComObject.h"
#include "GlFunctions.h"
#include "UserInternal.h"

namespace D3D8Internal {

typedef std::shared_ptr<PlatformInternal::Window> WindowRef;

// A destroyed window keeps its record but loses its SDL window.
inline bool IsAlive(const WindowRef& window) {
    return window && window->sdl;
}

// Texture units the layer drives: one per texture stage it supports.
constexpr unsigned kStageCount = 2;

// Draws a device has merged and not yet given to OpenGL (draw batching).
class PendingDraws {
public:
    // Gives the merged draws to OpenGL.
    virtual void FlushDraws() = 0;
    // Whether they sample the texture or draw into it.
    virtual bool DrawsUse(const void* texture) const = 0;
    virtual bool DrawsInto(const void* texture) const = 0;

protected:
    ~PendingDraws() = default;
};

// Gives every merged draw to OpenGL (before presenting, reading pixels back, switching
// render targets); nothing without a context.
void FlushAllDraws();

// Whether consecutive draws are merged: PlatformTest::SetBatching, else ZEP_D3D_BATCHING
// (on unless "0").
bool BatchingOn();

class Context {
public:
    // The context once made, else null.
    static Context* Get();
    // The context, made on the first call on window: compatibility profile of at least
    // 3.2, swap interval 0; GL_VERSION and GL_RENDERER go to the debug output once. Null when
    // the window cannot take an OpenGL context.
    static Context* Create(const WindowRef& window);

    // Makes the context current on window (which must be alive); false when the window
    // cannot take it. A window that took it once is kept as a fall-back for Ensure.
    bool MakeCurrent(const WindowRef& window);
    // Before OpenGL work: keeps the context current on a live window, preferring window
    // (may be null) when the current one is gone. False when no window of the layer is left.
    bool Ensure(const WindowRef& window);

    // Bindings set only through here, so that an unchanged one costs no OpenGL call.
    void BindDrawFramebuffer(GLuint framebuffer);
    void BindReadFramebuffer(GLuint framebuffer);
    void SelectUnit(unsigned unit);
    // The unit that glTexCoordPointer and the texture-coordinate array switch address.
    void SelectClientUnit(unsigned unit);
    void BindTexture(unsigned unit, GLuint texture);
    void EnableTexturing(unsigned unit, bool enabled);
    void EnableScissor(bool enabled);
    void EnableColorArray(bool enabled);
    void EnableTexCoordArray(unsigned unit, bool enabled);
    // OpenGL unbinds a deleted name; so does the record of the bindings.
    void ForgetTexture(GLuint texture);
    void ForgetFramebuffer(GLuint framebuffer);

    // The device whose cached states OpenGL holds; another device re-applies all of its own.
    const void* stateOwner = nullptr;

    // Whether OpenGL has GL_EXT_texture_compression_s3tc, so DXT textures stay compressed.
    bool HasS3tc() const { return s3tc_; }

    // The merged draws waiting for OpenGL: at most one device has them. Everything that
    // draws, reads pixels back or changes what they use gives them to OpenGL first.
    PendingDraws* Pending() const { return pending_; }
    void SetPending(PendingDraws* draws) { pending_ = draws; }
    void FlushPending();
    // Only when the pending draws use the texture (before it changes or goes), or draw
    // into it (before its pixels are read).
    void FlushPendingUsing(const void* texture);
    void FlushPendingDrawingInto(const void* texture);

    void CountDraw() { draws_.fetch_add(1, std::memory_order_relaxed); }
    uint64_t DrawCount() const { return draws_.load(std::memory_order_relaxed); }

private:
    Context() = default;
    void Remember(const WindowRef& window);

    SDL_GLContext context_ = nullptr;
    WindowRef current_;
    SystemVector<std::weak_ptr<PlatformInternal::Window>> windows_;

    GLuint drawFramebuffer_ = 0;
    GLuint readFramebuffer_ = 0;
    unsigned activeUnit_ = 0;
    unsigned clientUnit_ = 0;
    GLuint texture_[kStageCount] = {};
    bool texturing_[kStageCount] = {};
    bool scissor_ = false;
    bool colorArray_ = false;
    bool texCoordArray_[kStageCount] = {};
    std::atomic<uint64_t> draws_{0};
    bool s3tc_ = false;
    PendingDraws* pending_ = nullptr;
};

}  // namespace D3D8Internal
