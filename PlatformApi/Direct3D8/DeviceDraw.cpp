// States, transforms, viewport, clears and draws of the device, and their OpenGL form.
#include <algorithm>
#include <cstdint>
#include <cstring>

#include "CallRecorder.h"
#include "Device.h"

namespace D3D8Internal {

namespace {

const DWORD kFvfTexCountMask = D3DFVF_TEXCOUNT_MASK;
const DWORD kFvfAllowed = D3DFVF_POSITION_MASK | D3DFVF_DIFFUSE | kFvfTexCountMask;
const UINT kMaxTexCoordSets = 8;
// glDrawArrays takes a signed count; a draw never reads 2 GiB of vertices.
const uint64_t kMaxVertexBytes = 0x7FFFFFFF;
// Merged draws go to OpenGL once they would pass this many vertices; a larger draw goes alone.
const uint64_t kMaxBatchVertices = 1u << 20;

void Multiply(const D3DMATRIX& a, const D3DMATRIX& b, D3DMATRIX& out) {
    D3DMATRIX product;
    for (int row = 0; row < 4; ++row) {
        for (int column = 0; column < 4; ++column) {
            product.m[row][column] = a.m[row][0] * b.m[0][column] + a.m[row][1] * b.m[1][column] +
                                     a.m[row][2] * b.m[2][column] + a.m[row][3] * b.m[3][column];
        }
    }
    out = product;
}

// The channels of a 0xAARRGGBB colour as OpenGL's red, green, blue and alpha.
void ColorChannels(D3DCOLOR color, GLfloat channels[4]) {
    channels[0] = ((color >> 16) & 0xFF) / 255.0f;
    channels[1] = ((color >> 8) & 0xFF) / 255.0f;
    channels[2] = (color & 0xFF) / 255.0f;
    channels[3] = (color >> 24) / 255.0f;
}

GLenum GlBlendFactor(DWORD blend, GLenum otherwise) {
    switch (blend) {
        case D3DBLEND_ZERO:
            return GL_ZERO;
        case D3DBLEND_ONE:
            return GL_ONE;
        case D3DBLEND_SRCCOLOR:
            return GL_SRC_COLOR;
        case D3DBLEND_INVSRCCOLOR:
            return GL_ONE_MINUS_SRC_COLOR;
        case D3DBLEND_SRCALPHA:
            return GL_SRC_ALPHA;
        case D3DBLEND_INVSRCALPHA:
            return GL_ONE_MINUS_SRC_ALPHA;
        case D3DBLEND_DESTALPHA:
            return GL_DST_ALPHA;
        case D3DBLEND_INVDESTALPHA:
            return GL_ONE_MINUS_DST_ALPHA;
        case D3DBLEND_DESTCOLOR:
            return GL_DST_COLOR;
        case D3DBLEND_INVDESTCOLOR:
            return GL_ONE_MINUS_DST_COLOR;
        default:
            return otherwise;
    }
}

GLenum GlCompare(DWORD function) {
    switch (function) {
        case D3DCMP_NEVER:
            return GL_NEVER;
        case D3DCMP_LESS:
            return GL_LESS;
        case D3DCMP_EQUAL:
            return GL_EQUAL;
        case D3DCMP_LESSEQUAL:
            return GL_LEQUAL;
        case D3DCMP_GREATER:
            return GL_GREATER;
        case D3DCMP_NOTEQUAL:
            return GL_NOTEQUAL;
        case D3DCMP_GREATEREQUAL:
            return GL_GEQUAL;
        default:
            return GL_ALWAYS;
    }
}

GLint GlMinFilter(DWORD minFilter, DWORD mipFilter) {
    const bool linear = minFilter == D3DTEXF_LINEAR;
    switch (mipFilter) {
        case D3DTEXF_NONE:
            return linear ? GL_LINEAR : GL_NEAREST;
        case D3DTEXF_POINT:
            return linear ? GL_LINEAR_MIPMAP_NEAREST : GL_NEAREST_MIPMAP_NEAREST;
        default:
            return linear ? GL_LINEAR_MIPMAP_LINEAR : GL_NEAREST_MIPMAP_LINEAR;
    }
}

GLint GlWrap(DWORD address) {
    return address == D3DTADDRESS_CLAMP ? GL_CLAMP_TO_EDGE : GL_REPEAT;
}

// A stage argument as a combiner source; CURRENT on the first unit is the vertex colour.
GLint GlCombineSource(DWORD argument, unsigned unit) {
    switch (argument & D3DTA_SELECTMASK) {
        case D3DTA_DIFFUSE:
            return GL_PRIMARY_COLOR;
        case D3DTA_TEXTURE:
            return GL_TEXTURE;
        case D3DTA_TFACTOR:
            return GL_CONSTANT;
        default:
            return unit == 0 ? GL_PRIMARY_COLOR : GL_PREVIOUS;
    }
}

// One combiner (colour or alpha) of a unit, which must be selected.
void SetCombiner(bool alpha, unsigned unit, DWORD operation, DWORD argument1, DWORD argument2) {
    const GLenum combine = alpha ? GL_COMBINE_ALPHA : GL_COMBINE_RGB;
    const GLenum source[3] = {alpha ? GLenum(GL_SRC0_ALPHA) : GLenum(GL_SRC0_RGB),
                              alpha ? GLenum(GL_SRC1_ALPHA) : GLenum(GL_SRC1_RGB),
                              alpha ? GLenum(GL_SRC2_ALPHA) : GLenum(GL_SRC2_RGB)};
    const GLenum operand[3] = {alpha ? GLenum(GL_OPERAND0_ALPHA) : GLenum(GL_OPERAND0_RGB),
                               alpha ? GLenum(GL_OPERAND1_ALPHA) : GLenum(GL_OPERAND1_RGB),
                               alpha ? GLenum(GL_OPERAND2_ALPHA) : GLenum(GL_OPERAND2_RGB)};
    const GLint arg1 = GlCombineSource(argument1, unit);
    const GLint arg2 = GlCombineSource(argument2, unit);
    GLint mode = GL_MODULATE;
    GLint sources[3] = {arg1, arg2, GL_CONSTANT};
    switch (operation) {
        case D3DTOP_SELECTARG1:
            mode = GL_REPLACE;
            break;
        case D3DTOP_SELECTARG2:
            mode = GL_REPLACE;
            sources[0] = arg2;
            break;
        case D3DTOP_BLENDFACTORALPHA:
            // arg1 x factor alpha + arg2 x (1 - factor alpha)
            mode = GL_INTERPOLATE;
            break;
        case D3DTOP_DISABLE:
            // Only the alpha of a stage whose colour is on: the incoming alpha passes.
            mode = GL_REPLACE;
            sources[0] = GlCombineSource(D3DTA_CURRENT, unit);
            break;
        default:
            break;
    }
    gl.TexEnvi(GL_TEXTURE_ENV, combine, mode);
    const GLint operandValue = alpha ? GL_SRC_ALPHA : GL_SRC_COLOR;
    for (int i = 0; i < 3; ++i) {
        gl.TexEnvi(GL_TEXTURE_ENV, source[i], sources[i]);
        gl.TexEnvi(GL_TEXTURE_ENV, operand[i], i == 2 ? GL_SRC_ALPHA : operandValue);
    }
}

}  // namespace

bool DescribeVertexFormat(DWORD fvf, VertexLayout& layout) {
    if ((fvf & ~kFvfAllowed) != 0 || (fvf & D3DFVF_POSITION_MASK) != D3DFVF_XYZ)
        return false;
    layout = VertexLayout();
    layout.size = 12;
    if (fvf & D3DFVF_DIFFUSE) {
        layout.diffuse = true;
        layout.diffuseOffset = layout.size;
        layout.size += 4;
    }
    layout.texCoordSets = (fvf & kFvfTexCountMask) >> D3DFVF_TEXCOUNT_SHIFT;
    if (layout.texCoordSets > kMaxTexCoordSets)
        return false;
    layout.texCoordOffset = layout.size;
    layout.size += 8 * layout.texCoordSets;
    return true;
}

HRESULT DeviceImpl::SetRenderState(D3DRENDERSTATETYPE state, DWORD value) {
    Record("SetRenderState", state, value);
    if (!Usable() || static_cast<DWORD>(state) >= kRenderStateCount)
        return D3DERR_INVALIDCALL;
    if (renderStates_[state] == value)
        return D3D_OK;
    FlushOwnDraws();
    renderStates_[state] = value;
    switch (state) {
        case D3DRS_ALPHABLENDENABLE:
        case D3DRS_SRCBLEND:
        case D3DRS_DESTBLEND:
            dirty_ |= kDirtyBlend;
            break;
        case D3DRS_ZENABLE:
        case D3DRS_ZWRITEENABLE:
        case D3DRS_ZFUNC:
            dirty_ |= kDirtyDepth;
            break;
        case D3DRS_CULLMODE:
            dirty_ |= kDirtyCull;
            break;
        case D3DRS_TEXTUREFACTOR:
            dirty_ |= kDirtyStages;
            break;
        default:
            // Recorded only (LIGHTING: OpenGL lighting is never used).
            break;
    }
    return D3D_OK;
}

HRESULT DeviceImpl::SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) {
    Record("SetTextureStageState", stage, type, value);
    const DWORD index = static_cast<DWORD>(type);
    if (!Usable() || stage >= kStageCount || index == 0 || index >= kStageStateCount)
        return D3DERR_INVALIDCALL;
    if (stageStates_[stage][index] == value)
        return D3D_OK;
    FlushOwnDraws();
    stageStates_[stage][index] = value;
    dirty_ |= kDirtyStages;
    return D3D_OK;
}

HRESULT DeviceImpl::SetTexture(DWORD stage, IDirect3DBaseTexture8* texture) {
    Record("SetTexture", stage);
    if (!Usable() || stage >= kStageCount)
        return D3DERR_INVALIDCALL;
    // The layer makes every texture, so a base texture is one of its own.
    TextureImpl* held = static_cast<TextureImpl*>(static_cast<IDirect3DTexture8*>(texture));
    if (held && held->IsReleased())
        return D3DERR_INVALIDCALL;
    if (held == textures_[stage])
        return D3D_OK;
    FlushOwnDraws();
    Hold(textures_[stage], held);
    dirty_ |= kDirtyStages;
    return D3D_OK;
}

HRESULT DeviceImpl::SetTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix) {
    Record("SetTransform", state);
    if (!Usable() || !matrix)
        return D3DERR_INVALIDCALL;
    D3DMATRIX* target;
    if (state == D3DTS_WORLD)
        target = &world_;
    else if (state == D3DTS_VIEW)
        target = &view_;
    else if (state == D3DTS_PROJECTION)
        target = &projection_;
    else
        return D3DERR_INVALIDCALL;
    if (std::memcmp(target, matrix, sizeof(D3DMATRIX)) == 0)
        return D3D_OK;
    FlushOwnDraws();
    *target = *matrix;
    dirty_ |= kDirtyTransforms;
    return D3D_OK;
}

HRESULT DeviceImpl::GetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX* matrix) {
    Record("GetTransform", state);
    if (!Usable() || !matrix)
        return D3DERR_INVALIDCALL;
    if (state == D3DTS_WORLD)
        *matrix = world_;
    else if (state == D3DTS_VIEW)
        *matrix = view_;
    else if (state == D3DTS_PROJECTION)
        *matrix = projection_;
    else
        return D3DERR_INVALIDCALL;
    return D3D_OK;
}

HRESULT DeviceImpl::SetViewport(const D3DVIEWPORT8* viewport) {
    Record("SetViewport");
    if (!Usable() || !viewport || viewport->Width == 0 || viewport->Height == 0)
        return D3DERR_INVALIDCALL;
    const D3DSURFACE_DESC& target = renderTarget_->Desc();
    if (uint64_t(viewport->X) + viewport->Width > target.Width ||
        uint64_t(viewport->Y) + viewport->Height > target.Height)
        return D3DERR_INVALIDCALL;
    if (std::memcmp(&viewport_, viewport, sizeof(D3DVIEWPORT8)) == 0)
        return D3D_OK;
    FlushOwnDraws();
    viewport_ = *viewport;
    dirty_ |= kDirtyViewport | kDirtyTransforms;
    return D3D_OK;
}

HRESULT DeviceImpl::GetViewport(D3DVIEWPORT8* viewport) {
    Record("GetViewport");
    if (!Usable() || !viewport)
        return D3DERR_INVALIDCALL;
    *viewport = viewport_;
    return D3D_OK;
}

HRESULT DeviceImpl::SetVertexShader(DWORD handle) {
    Record("SetVertexShader", handle);
    VertexLayout layout;
    if (!Usable() || !DescribeVertexFormat(handle, layout))
        return D3DERR_INVALIDCALL;
    if (handle == fvf_)
        return D3D_OK;
    FlushOwnDraws();
    fvf_ = handle;
    layout_ = layout;
    return D3D_OK;
}

HRESULT DeviceImpl::Clear(DWORD count, const D3DRECT* rects, DWORD flags, D3DCOLOR color, float z, DWORD stencil) {
    Record("Clear", count, flags, color, z, stencil);
    const DWORD known = D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL;
    if (!Usable() || (count > 0 && !rects) || flags == 0 || (flags & ~known) != 0)
        return D3DERR_INVALIDCALL;
    // Without a depth buffer, depth and stencil clears have nothing to clear.
    if (!(flags & D3DCLEAR_TARGET))
        return D3D_OK;
    Context& context = *Context::Get();
    if (!context.Ensure(shared_->window))
        return D3DERR_INVALIDCALL;
    context.FlushPending();
    context.BindDrawFramebuffer(renderTarget_->Framebuffer());
    context.EnableScissor(true);
    GLfloat channels[4];
    ColorChannels(color, channels);
    gl.ClearColor(channels[0], channels[1], channels[2], channels[3]);
    const int64_t left = viewport_.X, top = viewport_.Y;
    const int64_t right = left + viewport_.Width, bottom = top + viewport_.Height;
    const D3DRECT whole = {static_cast<LONG>(left), static_cast<LONG>(top), static_cast<LONG>(right),
                           static_cast<LONG>(bottom)};
    const DWORD areas = count > 0 ? count : 1;
    for (DWORD i = 0; i < areas; ++i) {
        const D3DRECT& rect = count > 0 ? rects[i] : whole;
        const int64_t x1 = std::max<int64_t>(rect.x1, left), y1 = std::max<int64_t>(rect.y1, top);
        const int64_t x2 = std::min<int64_t>(rect.x2, right), y2 = std::min<int64_t>(rect.y2, bottom);
        if (x1 >= x2 || y1 >= y2)
            continue;
        // Rows are stored top first, so Direct3D's rectangle is OpenGL's as it stands.
        gl.Scissor(static_cast<GLint>(x1), static_cast<GLint>(y1), static_cast<GLsizei>(x2 - x1),
                   static_cast<GLsizei>(y2 - y1));
        gl.Clear(GL_COLOR_BUFFER_BIT);
    }
    return D3D_OK;
}

HRESULT DeviceImpl::DrawPrimitiveUP(D3DPRIMITIVETYPE type, UINT primitiveCount, const void* vertices, UINT stride) {
    Record("DrawPrimitiveUP", type, primitiveCount, stride);
    if (!Usable() || !vertices || primitiveCount == 0 || fvf_ == 0 || stride < layout_.size)
        return D3DERR_INVALIDCALL;
    uint64_t vertexCount;
    GLenum mode;
    switch (type) {
        case D3DPT_TRIANGLEFAN:
            mode = GL_TRIANGLE_FAN;
            vertexCount = uint64_t(primitiveCount) + 2;
            break;
        case D3DPT_TRIANGLESTRIP:
            mode = GL_TRIANGLE_STRIP;
            vertexCount = uint64_t(primitiveCount) + 2;
            break;
        case D3DPT_LINESTRIP:
            mode = GL_LINE_STRIP;
            vertexCount = uint64_t(primitiveCount) + 1;
            break;
        default:
            return D3DERR_INVALIDCALL;
    }
    if (vertexCount * stride > kMaxVertexBytes)
        return D3DERR_INVALIDCALL;
    Context& context = *Context::Get();
    if (!context.Ensure(shared_->window))
        return D3DERR_INVALIDCALL;
    const uint64_t triangleVertices = uint64_t(primitiveCount) * 3;
    if (mode != GL_LINE_STRIP && triangleVertices <= kMaxBatchVertices && BatchingOn()) {
        if (context.Pending() == this && batchVertices_ + triangleVertices > kMaxBatchVertices)
            context.FlushPending();
        if (context.Pending() != this) {
            context.FlushPending();
            context.SetPending(this);
        }
        AppendTriangles(type, primitiveCount, static_cast<const uint8_t*>(vertices), stride);
        return D3D_OK;
    }
    context.FlushPending();
    ApplyState();
    SetVertexArrays(layout_, static_cast<const uint8_t*>(vertices), stride);
    gl.DrawArrays(mode, 0, static_cast<GLsizei>(vertexCount));
    context.CountDraw();
    return D3D_OK;
}

void DeviceImpl::AppendTriangles(D3DPRIMITIVETYPE type, UINT count, const uint8_t* vertices, UINT stride) {
    const UINT size = layout_.size;
    // The array only grows, so that frames after the first append without allocating.
    const size_t start = static_cast<size_t>(batchVertices_) * size;
    const size_t end = start + static_cast<size_t>(count) * 3 * size;
    if (batch_.size() < end)
        batch_.resize(std::max(end, batch_.size() * 2));
    uint8_t* to = batch_.data() + start;
    const auto vertex = [&](UINT index) {
        std::memcpy(to, vertices + static_cast<size_t>(index) * stride, size);
        to += size;
    };
    // The triangles in the order OpenGL splits fans and strips itself, so that what is
    // drawn does not depend on the merging; odd triangles of a strip keep its winding.
    for (UINT i = 0; i < count; ++i) {
        if (type == D3DPT_TRIANGLEFAN) {
            vertex(0);
            vertex(i + 1);
            vertex(i + 2);
        } else if (i % 2 == 0) {
            vertex(i);
            vertex(i + 1);
            vertex(i + 2);
        } else {
            vertex(i + 1);
            vertex(i);
            vertex(i + 2);
        }
    }
    batchVertices_ += count * 3;
}

void DeviceImpl::FlushDraws() {
    const UINT count = batchVertices_;
    batchVertices_ = 0;
    if (count == 0)
        return;
    // Nothing that the draws depend on has changed since they were merged.
    Context& context = *Context::Get();
    if (context.Ensure(shared_->window)) {
        ApplyState();
        SetVertexArrays(layout_, batch_.data(), layout_.size);
        gl.DrawArrays(GL_TRIANGLES, 0, static_cast<GLsizei>(count));
        context.CountDraw();
    }
}

bool DeviceImpl::DrawsUse(const void* texture) const {
    for (const TextureImpl* bound : textures_) {
        if (bound == texture)
            return true;
    }
    return DrawsInto(texture);
}

bool DeviceImpl::DrawsInto(const void* texture) const {
    return renderTarget_ && renderTarget_->Container() == texture;
}

void DeviceImpl::FlushOwnDraws() {
    Context* context = Context::Get();
    if (context && context->Pending() == this)
        context->FlushPending();
}

void DeviceImpl::SetVertexArrays(const VertexLayout& layout, const uint8_t* vertices, UINT stride) {
    Context& context = *Context::Get();
    const GLsizei step = static_cast<GLsizei>(stride);
    gl.VertexPointer(3, GL_FLOAT, step, vertices);
    context.EnableColorArray(layout.diffuse);
    if (layout.diffuse)
        gl.ColorPointer(GL_BGRA, GL_UNSIGNED_BYTE, step, vertices + layout.diffuseOffset);
    else
        gl.Color4ub(255, 255, 255, 255);
    for (unsigned unit = 0; unit < kStageCount; ++unit) {
        // Stage n reads coordinate set n.
        const bool present = unit < layout.texCoordSets;
        context.EnableTexCoordArray(unit, present && unitEnabled_[unit]);
        if (present && unitEnabled_[unit]) {
            context.SelectClientUnit(unit);
            gl.TexCoordPointer(2, GL_FLOAT, step, vertices + layout.texCoordOffset + 8 * unit);
        }
    }
}

void DeviceImpl::ApplyState() {
    Context& context = *Context::Get();
    if (context.stateOwner != this) {
        context.stateOwner = this;
        dirty_ = kDirtyAll;
    }
    context.BindDrawFramebuffer(renderTarget_->Framebuffer());
    // Direct3D 8 has no scissor; only clears use it.
    context.EnableScissor(false);
    if (dirty_ & kDirtyViewport) {
        gl.Viewport(static_cast<GLint>(viewport_.X), static_cast<GLint>(viewport_.Y),
                    static_cast<GLsizei>(viewport_.Width), static_cast<GLsizei>(viewport_.Height));
        gl.DepthRange(viewport_.MinZ, viewport_.MaxZ);
    }
    if (dirty_ & kDirtyTransforms)
        ApplyTransforms();
    if (dirty_ & kDirtyBlend)
        ApplyBlend();
    if (dirty_ & kDirtyDepth)
        ApplyDepth();
    if (dirty_ & kDirtyCull)
        ApplyCull();
    ApplyTextures();
    dirty_ = 0;
}

void DeviceImpl::ApplyTransforms() {
    // MODELVIEW = WORLD x VIEW. PROJECTION = P x T x F: T moves clip space half a pixel
    // right and down (Direct3D samples at integer window coordinates, OpenGL at their
    // centres), F turns Direct3D's top-down image into the top-row-first storage.
    D3DMATRIX modelView;
    Multiply(world_, view_, modelView);
    const float w = static_cast<float>(viewport_.Width);
    const float h = static_cast<float>(viewport_.Height);
    const D3DMATRIX shiftAndFlip = {{{1, 0, 0, 0, 0, -1, 0, 0, 0, 0, 1, 0, 1.0f / w, 1.0f / h, 0, 1}}};
    D3DMATRIX projection;
    Multiply(projection_, shiftAndFlip, projection);
    // A row-vector matrix read column by column is the same transform for column vectors.
    gl.MatrixMode(GL_PROJECTION);
    gl.LoadMatrixf(&projection.m[0][0]);
    gl.MatrixMode(GL_MODELVIEW);
    gl.LoadMatrixf(&modelView.m[0][0]);
}

void DeviceImpl::ApplyBlend() {
    if (renderStates_[D3DRS_ALPHABLENDENABLE])
        gl.Enable(GL_BLEND);
    else
        gl.Disable(GL_BLEND);
    gl.BlendFunc(GlBlendFactor(renderStates_[D3DRS_SRCBLEND], GL_ONE),
                 GlBlendFactor(renderStates_[D3DRS_DESTBLEND], GL_ZERO));
}

void DeviceImpl::ApplyDepth() {
    // Without a depth buffer the test always passes, as on Direct3D.
    if (renderStates_[D3DRS_ZENABLE])
        gl.Enable(GL_DEPTH_TEST);
    else
        gl.Disable(GL_DEPTH_TEST);
    gl.DepthMask(renderStates_[D3DRS_ZWRITEENABLE] ? GL_TRUE : GL_FALSE);
    gl.DepthFunc(GlCompare(renderStates_[D3DRS_ZFUNC]));
}

void DeviceImpl::ApplyCull() {
    // Under F, Direct3D's clockwise is OpenGL's counter-clockwise (its front faces).
    switch (renderStates_[D3DRS_CULLMODE]) {
        case D3DCULL_CW:
            gl.Enable(GL_CULL_FACE);
            gl.CullFace(GL_FRONT);
            break;
        case D3DCULL_CCW:
            gl.Enable(GL_CULL_FACE);
            gl.CullFace(GL_BACK);
            break;
        default:
            gl.Disable(GL_CULL_FACE);
            break;
    }
}

void DeviceImpl::ApplyTextures() {
    Context& context = *Context::Get();
    // A stage whose colour operation is DISABLE ends the cascade; a stage without a
    // texture passes the incoming colour through.
    bool cascade = true;
    for (unsigned unit = 0; unit < kStageCount; ++unit) {
        const DWORD* states = stageStates_[unit];
        cascade = cascade && states[D3DTSS_COLOROP] != D3DTOP_DISABLE;
        TextureImpl* texture = textures_[unit];
        const bool enabled = cascade && texture != nullptr;
        context.EnableTexturing(unit, enabled);
        if (enabled) {
            context.BindTexture(unit, texture->Name());
            texture->ApplySampler(SamplerState{GlMinFilter(states[D3DTSS_MINFILTER], states[D3DTSS_MIPFILTER]),
                                               states[D3DTSS_MAGFILTER] == D3DTEXF_LINEAR ? GL_LINEAR : GL_NEAREST,
                                               GlWrap(states[D3DTSS_ADDRESSU]), GlWrap(states[D3DTSS_ADDRESSV])});
            if ((dirty_ & kDirtyStages) || !unitEnabled_[unit])
                ApplyStage(unit);
        }
        unitEnabled_[unit] = enabled;
    }
}

void DeviceImpl::ApplyStage(unsigned unit) {
    Context& context = *Context::Get();
    const DWORD* states = stageStates_[unit];
    context.SelectUnit(unit);
    gl.TexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_COMBINE);
    SetCombiner(false, unit, states[D3DTSS_COLOROP], states[D3DTSS_COLORARG1], states[D3DTSS_COLORARG2]);
    SetCombiner(true, unit, states[D3DTSS_ALPHAOP], states[D3DTSS_ALPHAARG1], states[D3DTSS_ALPHAARG2]);
    GLfloat constant[4];
    ColorChannels(renderStates_[D3DRS_TEXTUREFACTOR], constant);
    gl.TexEnvfv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_COLOR, constant);
}

}  // namespace D3D8Internal
