#include "LumoSources/Common/PlatformRenderer.h"

#include <algorithm>
#include <cmath>

#include "Common/CoreUtils.h"
#include "Common/Font.h"
#include "LumoSources/Common/FontSystem.h"
#include "LumoSources/Common/GameRenderWindow.h"
#include "LumoSources/Common/LumoCommon.h"

namespace {

// Reports of this file carry the lines its users know them by.
const char* const kSourceName = "LumoSources\\Common\\PlatformRenderer.cpp";

const double kDegreesToRadians = 0.017453292519943295;

}  // namespace

PlatformRenderer::PlatformRenderer() : drawCallCount(0), currentContext(nullptr), targetContext(nullptr) {}

PlatformRenderer::~PlatformRenderer() {}

// --- Base bodies of the table --------------------------------------------------------

void PlatformRenderer::ResetView() {
    GameRenderWindow* window = Lumo::InstanceHolder<GameRenderWindow>::Get();
    const Zep::IntVector2 size(window->GetWidth(), window->GetHeight());
    SetViewport(Zep::IntVector2(0, 0), size);
    SetClipRect(Zep::IntVector2(0, 0), size);
}

int32_t PlatformRenderer::GetDeviceIndexForWindow(HWND window) {
    (void)window;
    return 0;
}

bool PlatformRenderer::UpdateContextDevice(RenderContext* context) {
    (void)context;
    return false;
}

void PlatformRenderer::OnFramePresented(bool presented) {
    (void)presented;
}

void PlatformRenderer::ReleaseRenderContext(RenderContext* context) {
    (void)context;
}

bool PlatformRenderer::IsDeviceReady() {
    return false;
}

RenderContext* PlatformRenderer::CreateRenderContext(HWND window, bool fullscreen) {
    (void)window;
    (void)fullscreen;
    return nullptr;
}

// --- Frames --------------------------------------------------------------------------

void PlatformRenderer::BeginRenderFrame() {
    if (frameOpen)
        Zep::AssertionFailed(kSourceName, 88);
    frameOpen = true;
    drawCallCount = 0;
    // Without a current context there is nothing to begin.
    if (IsDeviceReady() && currentContext)
        currentContext->BeginRenderFrame();
    OnBeginFrame();
}

void PlatformRenderer::EndRenderFrame() {
    if (!frameOpen)
        Zep::AssertionFailed(kSourceName, 104);
    if (currentContext == targetContext)
        ResetView();
    SetCurrentTexture(nullptr, 0);
    OnEndFrame();
    bool presented = true;
    if (IsDeviceReady() && currentContext)
        presented = currentContext->EndRenderFrame();
    OnFramePresented(presented);
    frameOpen = false;
}

// --- Render contexts -----------------------------------------------------------------

void PlatformRenderer::SetRenderContext(RenderContext* context) {
    targetContext = context;
    if (context != currentContext) {
        currentContext = context;
        if (context)
            context->MakeCurrent();
    }
    ResetView();
    // Both buffers of a double-buffered window start black.
    for (int i = 0; i < 2; ++i) {
        BeginRenderFrame();
        ClearScreen(Zep::Color(0xFF000000u));
        EndRenderFrame();
    }
}

RenderContext* PlatformRenderer::OpenRenderContext(HWND window, bool fullscreen) {
    RenderContext* context = CreateRenderContext(window, fullscreen);
    renderContexts.push_back(context);
    return context;
}

void PlatformRenderer::DestroyRenderContext(RenderContext* context) {
    auto found = std::find(renderContexts.begin(), renderContexts.end(), context);
    if (found == renderContexts.end())
        Zep::AssertionFailed(kSourceName, 317);
    renderContexts.erase(found);
    // Frames must not reach a deleted context.
    if (currentContext == context)
        currentContext = nullptr;
    if (targetContext == context)
        targetContext = nullptr;
    ReleaseRenderContext(context);
    delete context;
}

void PlatformRenderer::Shutdown() {
    const std::vector<RenderContext*> contexts = renderContexts;
    for (RenderContext* context : contexts)
        DestroyRenderContext(context);
    currentContext = nullptr;
    targetContext = nullptr;
    ReleaseResources();
}

// --- Discardable resources -----------------------------------------------------------

void PlatformRenderer::AddDiscardableResource(DiscardableResource* resource) {
    discardableResources.push_back(resource);
}

void PlatformRenderer::RemoveDiscardableResource(DiscardableResource* resource) {
    auto found = std::find(discardableResources.begin(), discardableResources.end(), resource);
    if (found != discardableResources.end())
        discardableResources.erase(found);
}

void PlatformRenderer::ReleaseDiscardableResources() {
    for (DiscardableResource* resource : discardableResources)
        resource->Discard();
}

// --- Drawing on top of the table -----------------------------------------------------

void PlatformRenderer::SetProjection(const Zep::Vector2& topLeft, const Zep::Vector2& bottomRight) {
    SetProjection2d(topLeft.x, topLeft.y, bottomRight.x, bottomRight.y);
}

void PlatformRenderer::DrawTexturedRectCentered(Zep::Texture* texture, const Zep::Vector2& center,
                                                const Zep::Vector2& size, const Zep::Vector2& uvMin,
                                                const Zep::Vector2& uvMax, float rotation, const Zep::Vector2& scale,
                                                const Zep::Color& color, int32_t drawKind) {
    const Zep::Vector2 half = size * 0.5f;
    DrawTexturedRect2d(texture, center - half, center + half, uvMin, uvMax, rotation, scale, color, drawKind);
}

// --- Text ----------------------------------------------------------------------------

void PlatformRenderer::DrawTextRotated(const Zep::Vector2& origin, const std::u16string& text, Zep::Font* font,
                                       const Zep::Color& color, float size, float rotation) {
    const double radians = rotation * kDegreesToRadians;
    const Zep::Vector2 direction(static_cast<float>(std::cos(radians)), static_cast<float>(std::sin(radians)));
    Zep::Texture* texture = font->GetTexture();
    Zep::Vector2 pen = origin;
    uint16_t previous = 0;
    for (char16_t unit : text) {
        const Zep::FontChar* glyph = font->GetChar(static_cast<uint16_t>(unit));
        const float kerning = font->GetKerning(previous, glyph->charCode);
        pen += direction * ((glyph->acWidths.x + kerning) * size);
        if (texture) {
            const Zep::Vector2 extent(glyph->normalizedSize.x * size, glyph->normalizedSize.y * size);
            DrawTexturedRect2d(texture, pen, pen + extent, glyph->texPosition, glyph->texPosition + glyph->texSize,
                               rotation, Zep::Vector2(1.0f, 1.0f), color, 0);
        }
        pen += direction * (glyph->normalizedSize.x * size);
        pen += direction * (glyph->acWidths.y * size);
        previous = glyph->charCode;
    }
}

void PlatformRenderer::DrawTextWithFont(const Zep::Aabb2& rect, const std::u16string& text, const Zep::Color& color,
                                        float size, Zep::Font* font, int32_t horizontal, int32_t vertical,
                                        float lineSpacing) {
    if (text.empty())
        return;
    const float width = rect.GetWidth();
    float y = rect.mins.y;
    if (vertical == 1 || vertical == 2) {
        const float height = font->CalcTextHeight(text, width, size, lineSpacing);
        y = vertical == 1 ? rect.GetCenter().y - height * 0.5f : rect.maxs.y - height;
    }
    int32_t start = 0;
    for (;;) {
        int32_t end = font->FindLineBreak(start, width, text, size);
        // A box too narrow for any character (width <= 0) gives an empty line
        // that would never move on: such a line takes one character.
        if (end == start && text[start] != u'\n')
            end = start + 1;
        const std::u16string line = text.substr(start, end - start);
        float offset = 0.0f;
        if (horizontal == 1 || horizontal == 2) {
            const float lineWidth = Lumo::InstanceHolder<FontSystem>::Get()->MeasureText(line, font, size).x;
            offset = horizontal == 2 ? width - lineWidth : (width - lineWidth) * 0.5f;
        }
        DrawTextRotated(Zep::Vector2(rect.mins.x + offset, y), line, font, color, size, 0.0f);
        start = Zep::Font::SkipLineBreak(end, text);
        y += size + lineSpacing;
        if (start == 0)
            break;
    }
}

void PlatformRenderer::DrawText(const Zep::Aabb2& rect, const std::u16string& text, const Zep::Color& color, float size,
                                int32_t horizontal, int32_t vertical, float lineSpacing) {
    Zep::Font* font = Lumo::InstanceHolder<FontSystem>::Get()->GetDefaultFont();
    DrawTextWithFont(rect, text, color, size, font, horizontal, vertical, lineSpacing);
}
