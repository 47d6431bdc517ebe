#include "Context.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#include "TestHooks.h"
#include "win32_process.h"

namespace D3D8Internal {

namespace {

Context* theContext = nullptr;

const char* GlText(GLenum name) {
    const GLubyte* text = gl.GetString(name);
    return text ? reinterpret_cast<const char*>(text) : "?";
}

// Whether the space-separated extension list names the extension.
bool HasExtension(const char* list, const char* name) {
    const size_t length = std::strlen(name);
    for (const char* at = list; (at = std::strstr(at, name)) != nullptr; at += length) {
        const bool starts = at == list || at[-1] == ' ';
        const bool ends = at[length] == '\0' || at[length] == ' ';
        if (starts && ends)
            return true;
    }
    return false;
}

// -1 until set by the hook: then ZEP_D3D_BATCHING decides.
std::atomic<int> batchingSetting{-1};

}  // namespace

Context* Context::Get() {
    return theContext;
}

Context* Context::Create(const WindowRef& window) {
    if (theContext)
        return theContext;
    PlatformProcess::ForeignLibraryScope scope;
    if (!IsAlive(window))
        return nullptr;
    // Depth, stencil and double buffering are part of every window's framebuffer and are
    // set when video starts; only the context's own attributes are chosen here.
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 2);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_FLAGS, 0);
    // SDL unloads OpenGL, and with it every context, when its last OpenGL window is
    // destroyed; the context lives as long as the process, so the library does too.
    if (SDL_GL_LoadLibrary(nullptr) != 0)
        return nullptr;
    const SDL_GLContext context = SDL_GL_CreateContext(window->sdl);
    if (!context) {
        SDL_GL_UnloadLibrary();
        return nullptr;
    }
    GLint major = 0, minor = 0;
    bool usable = SDL_GL_MakeCurrent(window->sdl, context) == 0 && LoadGlFunctions();
    if (usable) {
        gl.GetIntegerv(GL_MAJOR_VERSION, &major);
        gl.GetIntegerv(GL_MINOR_VERSION, &minor);
        usable = major > 3 || (major == 3 && minor >= 2);
    }
    if (!usable) {
        SDL_GL_MakeCurrent(window->sdl, nullptr);
        SDL_GL_DeleteContext(context);
        SDL_GL_UnloadLibrary();
        return nullptr;
    }
    // Lives as long as the process, in the C runtime's heap like the rest of the layer.
    void* block = std::malloc(sizeof(Context));
    if (!block)
        throw std::bad_alloc();
    theContext = new (block) Context();
    theContext->context_ = context;
    theContext->Remember(window);
    SDL_GL_SetSwapInterval(0);

    char line[512];
    std::snprintf(line, sizeof(line), "Direct3D8: OpenGL %s, renderer %s\n", GlText(GL_VERSION), GlText(GL_RENDERER));
    OutputDebugStringA(line);

    const GLubyte* extensions = gl.GetString(GL_EXTENSIONS);
    theContext->s3tc_ =
        extensions && HasExtension(reinterpret_cast<const char*>(extensions), "GL_EXT_texture_compression_s3tc");

    // Every draw has positions; rows of pixels are whole 32-bit words.
    gl.EnableClientState(GL_VERTEX_ARRAY);
    gl.PixelStorei(GL_PACK_ALIGNMENT, 4);
    gl.PixelStorei(GL_UNPACK_ALIGNMENT, 4);
    return theContext;
}

void Context::Remember(const WindowRef& window) {
    current_ = window;
    for (auto it = windows_.begin(); it != windows_.end();) {
        const WindowRef known = it->lock();
        if (known == window)
            return;
        if (!IsAlive(known))
            it = windows_.erase(it);
        else
            ++it;
    }
    windows_.push_back(window);
}

bool Context::MakeCurrent(const WindowRef& window) {
    if (!IsAlive(window))
        return false;
    if (current_ == window && SDL_GL_GetCurrentContext() == context_)
        return true;
    PlatformProcess::ForeignLibraryScope scope;
    if (SDL_GL_MakeCurrent(window->sdl, context_) != 0) {
        // A failed switch may leave nothing current.
        current_.reset();
        return false;
    }
    Remember(window);
    return true;
}

bool Context::Ensure(const WindowRef& window) {
    if (IsAlive(current_) && SDL_GL_GetCurrentContext() == context_)
        return true;
    if (MakeCurrent(window))
        return true;
    for (const auto& known : windows_) {
        if (MakeCurrent(known.lock()))
            return true;
    }
    return false;
}

bool BatchingOn() {
    int setting = batchingSetting.load(std::memory_order_relaxed);
    if (setting < 0) {
        const char* value = std::getenv("ZEP_D3D_BATCHING");
        setting = value && std::strcmp(value, "0") == 0 ? 0 : 1;
        int unset = -1;
        batchingSetting.compare_exchange_strong(unset, setting);
    }
    return setting != 0;
}

void FlushAllDraws() {
    Context* context = Context::Get();
    if (context && context->Pending())
        context->FlushPending();
}

void Context::FlushPending() {
    PendingDraws* draws = pending_;
    if (!draws)
        return;
    pending_ = nullptr;
    draws->FlushDraws();
}

void Context::FlushPendingUsing(const void* texture) {
    if (pending_ && pending_->DrawsUse(texture))
        FlushPending();
}

void Context::FlushPendingDrawingInto(const void* texture) {
    if (pending_ && pending_->DrawsInto(texture))
        FlushPending();
}

void Context::BindDrawFramebuffer(GLuint framebuffer) {
    if (framebuffer == drawFramebuffer_)
        return;
    gl.BindFramebuffer(GL_DRAW_FRAMEBUFFER, framebuffer);
    drawFramebuffer_ = framebuffer;
}

void Context::BindReadFramebuffer(GLuint framebuffer) {
    if (framebuffer == readFramebuffer_)
        return;
    gl.BindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer);
    readFramebuffer_ = framebuffer;
}

void Context::SelectUnit(unsigned unit) {
    if (unit == activeUnit_)
        return;
    gl.ActiveTexture(GL_TEXTURE0 + unit);
    activeUnit_ = unit;
}

void Context::SelectClientUnit(unsigned unit) {
    if (unit == clientUnit_)
        return;
    gl.ClientActiveTexture(GL_TEXTURE0 + unit);
    clientUnit_ = unit;
}

void Context::BindTexture(unsigned unit, GLuint texture) {
    SelectUnit(unit);
    if (texture == texture_[unit])
        return;
    gl.BindTexture(GL_TEXTURE_2D, texture);
    texture_[unit] = texture;
}

void Context::EnableTexturing(unsigned unit, bool enabled) {
    if (enabled == texturing_[unit])
        return;
    SelectUnit(unit);
    if (enabled)
        gl.Enable(GL_TEXTURE_2D);
    else
        gl.Disable(GL_TEXTURE_2D);
    texturing_[unit] = enabled;
}

void Context::EnableScissor(bool enabled) {
    if (enabled == scissor_)
        return;
    if (enabled)
        gl.Enable(GL_SCISSOR_TEST);
    else
        gl.Disable(GL_SCISSOR_TEST);
    scissor_ = enabled;
}

void Context::EnableColorArray(bool enabled) {
    if (enabled == colorArray_)
        return;
    if (enabled)
        gl.EnableClientState(GL_COLOR_ARRAY);
    else
        gl.DisableClientState(GL_COLOR_ARRAY);
    colorArray_ = enabled;
}

void Context::EnableTexCoordArray(unsigned unit, bool enabled) {
    if (enabled == texCoordArray_[unit])
        return;
    SelectClientUnit(unit);
    if (enabled)
        gl.EnableClientState(GL_TEXTURE_COORD_ARRAY);
    else
        gl.DisableClientState(GL_TEXTURE_COORD_ARRAY);
    texCoordArray_[unit] = enabled;
}

void Context::ForgetTexture(GLuint texture) {
    for (GLuint& bound : texture_) {
        if (bound == texture)
            bound = 0;
    }
}

void Context::ForgetFramebuffer(GLuint framebuffer) {
    if (drawFramebuffer_ == framebuffer)
        drawFramebuffer_ = 0;
    if (readFramebuffer_ == framebuffer)
        readFramebuffer_ = 0;
}

}  // namespace D3D8Internal

uint64_t PlatformTest::GetGLDrawCount() {
    const D3D8Internal::Context* context = D3D8Internal::Context::Get();
    return context ? context->DrawCount() : 0;
}

void PlatformTest::SetBatching(bool on) {
    // What was merged under the old setting is drawn first.
    D3D8Internal::Context* context = D3D8Internal::Context::Get();
    if (context && context->Ensure(nullptr))
        context->FlushPending();
    D3D8Internal::batchingSetting = on ? 1 : 0;
}
