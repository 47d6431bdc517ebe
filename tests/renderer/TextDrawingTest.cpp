#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Common/Font.h"
#include "LumoSources/Common/FontSystem.h"
#include "LumoSources/Common/Subsystems.h"
#include "RecordingRenderer.h"

using RendererTesting::DrawnRect;
using RendererTesting::RecordingRenderer;
using Zep::Vector2;

namespace {

// Metrics are binary fractions so that every position below is exact at size 8.
//   'A': leading 1/4, width 1/2, trailing 1/8: advance 7 at size 8
//   'B': leading 0, width 3/4, trailing 1/4: advance 8, or 7 after 'A' (kerning -1/8)
//   ' ': width 1/2
void AddTestGlyphs(Zep::Font& font) {
    font.AddChar('A', Vector2(0.25f, 0.5f), Vector2(0.125f, 0.25f), Vector2(0.25f, 0.125f), 0.5f);
    font.AddChar('B', Vector2(0.5f, 0.5f), Vector2(0.25f, 0.25f), Vector2(0.0f, 0.25f), 0.75f);
    font.AddChar(' ', Vector2(0.0f, 0.0f), Vector2(0.0f, 0.0f), Vector2(0.0f, 0.0f), 0.5f);
    font.AddPair('A', 'B', -0.125f);
}

// Stands for the font image; the renderer only passes it on.
char imageStandIn;
Zep::Texture* const kImage = reinterpret_cast<Zep::Texture*>(&imageStandIn);

class TextDrawingTest : public ::testing::Test {
protected:
    void SetUp() override {
        AddTestGlyphs(font);
        font.SetTexture(kImage);
        fontSubsystem.CreateInstance();
        Zep::Font* builtIn = new Zep::Font();
        AddTestGlyphs(*builtIn);
        builtIn->SetTexture(kImage);
        Lumo::InstanceHolder<FontSystem>::Get()->SetBuiltInFont(builtIn);
    }
    void TearDown() override {
        delete fontSubsystem.GetInstance();
        fontSubsystem.SetInstance(nullptr);
    }

    // The top-left corner of every glyph drawn.
    std::vector<Vector2> Corners() const {
        std::vector<Vector2> corners;
        for (const DrawnRect& rect : renderer.rects)
            corners.push_back(rect.min);
        return corners;
    }

    Zep::Font font;
    RecordingRenderer renderer;
};

TEST_F(TextDrawingTest, GlyphsFollowThePenWithKerningAlongTheRotation) {
    renderer.DrawTextRotated(Vector2(10, 20), u"AB", &font, Zep::Color(0xFF102030u), 8, 0);
    ASSERT_EQ(2u, renderer.rects.size());
    const DrawnRect& a = renderer.rects[0];
    EXPECT_EQ(Vector2(12, 20), a.min);  // leading 1/4 x 8
    EXPECT_EQ(Vector2(16, 28), a.max);
    EXPECT_EQ(Vector2(0.25f, 0.5f), a.uvMin);
    EXPECT_EQ(Vector2(0.375f, 0.75f), a.uvMax);
    EXPECT_EQ(kImage, a.texture);
    EXPECT_EQ(Vector2(1, 1), a.scale);
    EXPECT_EQ(0xFF102030u, a.color);
    EXPECT_EQ(0, a.drawKind);
    // 12 + 4 (width) + 1 (trailing) - 1 (kerning) + 0 (leading).
    EXPECT_EQ(Vector2(16, 20), renderer.rects[1].min);
    EXPECT_EQ(Vector2(22, 28), renderer.rects[1].max);

    // Turned a quarter: the pen runs down, each glyph stays an upright rectangle at
    // the pen that the back end turns about its centre.
    renderer.rects.clear();
    renderer.DrawTextRotated(Vector2(10, 20), u"AB", &font, Zep::Color(), 8, 90);
    ASSERT_EQ(2u, renderer.rects.size());
    for (size_t i = 0; i < 2; ++i) {
        const float y = i == 0 ? 22.0f : 26.0f;
        EXPECT_NEAR(10.0f, renderer.rects[i].min.x, 1e-5f);
        EXPECT_NEAR(y, renderer.rects[i].min.y, 1e-5f);
        EXPECT_NEAR(renderer.rects[i].min.y + 8, renderer.rects[i].max.y, 1e-5f);
        EXPECT_EQ(90.0f, renderer.rects[i].rotation);
    }
}

TEST_F(TextDrawingTest, TextsThatDrawNoGlyph) {
    Zep::Font blank;
    AddTestGlyphs(blank);
    const struct Case {
        const char* what;
        std::u16string text;
        Zep::Font* font;
    } cases[] = {
        {"empty text", u"", &font},
        {"line feeds only", u"\n\n", &font},
        {"font without image", u"AB A", &blank},
    };
    const Zep::Aabb2 box(Vector2(0, 0), Vector2(40, 100));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        for (int vertical = 0; vertical < 3; ++vertical)
            renderer.DrawTextWithFont(box, c.text, Zep::Color(), 8, c.font, 2, vertical, 2);
        EXPECT_TRUE(renderer.rects.empty());
    }
    // Each line feed moved down one line of size + spacing.
    renderer.DrawTextWithFont(box, u"\n\nA", Zep::Color(), 8, &font, 0, 0, 2);
    EXPECT_EQ(std::vector<Vector2>{Vector2(2, 20)}, Corners());
}

TEST_F(TextDrawingTest, LinesAlignInTheBox) {
    // "AB" is 14 wide, "A" 7; the two lines are 8 + 2 + 8 = 18 tall.
    const Zep::Aabb2 box(Vector2(0, 0), Vector2(40, 100));
    const struct Case {
        int horizontal, vertical;
        float x1, x2, y;
    } cases[] = {
        {0, 0, 0, 0, 0},  {1, 0, 13, 16.5f, 0}, {2, 0, 26, 33, 0},
        {0, 1, 0, 0, 41}, {0, 2, 0, 0, 82},     {7, 7, 0, 0, 0},  // unknown values keep left and top
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.horizontal) + "/" + std::to_string(c.vertical));
        renderer.rects.clear();
        renderer.DrawTextWithFont(box, u"AB\nA", Zep::Color(), 8, &font, c.horizontal, c.vertical, 2);
        EXPECT_EQ((std::vector<Vector2>{Vector2(c.x1 + 2, c.y), Vector2(c.x1 + 6, c.y), Vector2(c.x2 + 2, c.y + 10)}),
                  Corners());
    }
    // The same in the font system's default font.
    renderer.rects.clear();
    renderer.DrawText(box, u"AB\nA", Zep::Color(), 8, 2, 2, 2);
    EXPECT_EQ((std::vector<Vector2>{Vector2(28, 82), Vector2(32, 82), Vector2(35, 92)}), Corners());
}

TEST_F(TextDrawingTest, BoxesTooNarrowForAnyCharacterTakeOnePerLine) {
    for (float width : {0.0f, -5.0f}) {
        SCOPED_TRACE(width);
        EXPECT_EQ(8 + 10 + 10, font.CalcTextHeight(u"ABA", width, 8, 2));
        EXPECT_EQ(8 + 10, font.CalcTextHeight(u"\nA", width, 8, 2));

        renderer.rects.clear();
        const Zep::Aabb2 box(Vector2(0, 0), Vector2(width, 100));
        renderer.DrawTextWithFont(box, u"ABA", Zep::Color(), 8, &font, 0, 2, 2);
        EXPECT_EQ((std::vector<Vector2>{Vector2(2, 72), Vector2(0, 82), Vector2(2, 92)}), Corners());
    }
}

}  // namespace
