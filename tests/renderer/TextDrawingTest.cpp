#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Common/Font.h"
#include "LumoSources/Common/FontSystem.h"
#include "LumoSources/Common/Subsystems.h"
#include "RecordingRenderer.h"

using Zep::Vector2;
typedef std::vector<Vector2> Corners;

namespace {

// Binary fractions, so every position below is exact at size 8:
//   'A' leading 1/4, width 1/2, trailing 1/8: advance 7;
//   'B' leading 0, width 3/4, trailing 1/4: advance 8, or 7 after 'A' (kerning -1/8).
void AddTestGlyphs(Zep::Font& font) {
    font.AddChar('A', Vector2(0.25f, 0.5f), Vector2(0.125f, 0.25f), Vector2(0.25f, 0.125f), 0.5f);
    font.AddChar('B', Vector2(0.5f, 0.5f), Vector2(0.25f, 0.25f), Vector2(0.0f, 0.25f), 0.75f);
    font.AddPair('A', 'B', -0.125f);
}

// Stands for the font image, which the renderer only passes on.
char image;

class TextDrawingTest : public ::testing::Test {
protected:
    // The test font is also the font system's built-in font, which it owns.
    void SetUp() override {
        AddTestGlyphs(font);
        font.SetTexture(reinterpret_cast<Zep::Texture*>(&image));
        fontSubsystem.CreateInstance();
        fontSubsystem.GetInstance()->SetBuiltInFont(&font);
    }
    void TearDown() override {
        delete fontSubsystem.GetInstance();
        fontSubsystem.SetInstance(nullptr);
    }

    // The top-left corner of every glyph drawn since the last call.
    Corners Drawn() {
        Corners corners;
        for (const RendererTesting::DrawnRect& rect : renderer.rects)
            corners.push_back(rect.min);
        renderer.rects.clear();
        return corners;
    }

    Zep::Font& font = *new Zep::Font();
    RendererTesting::RecordingRenderer renderer;
    const Zep::Aabb2 box{Vector2(0, 0), Vector2(40, 100)};
};

TEST_F(TextDrawingTest, GlyphsFollowThePenWithKerning) {
    renderer.DrawTextRotated(Vector2(10, 20), u"AB", &font, Zep::Color(), 8, 0);
    ASSERT_EQ(2u, renderer.rects.size());
    EXPECT_EQ(Vector2(16, 28), renderer.rects[0].max);
    EXPECT_EQ(Vector2(0.25f, 0.5f), renderer.rects[0].uvMin);
    EXPECT_EQ(Vector2(0.375f, 0.75f), renderer.rects[0].uvMax);
    EXPECT_EQ(Vector2(22, 28), renderer.rects[1].max);
    // 'B' starts at 12 + 4 (width) + 1 (trailing) - 1 (kerning).
    EXPECT_EQ((Corners{Vector2(12, 20), Vector2(16, 20)}), Drawn());

    // A quarter turn: the pen runs down; each glyph is an upright rectangle at the
    // pen that the back end turns about its centre.
    renderer.DrawTextRotated(Vector2(10, 20), u"AB", &font, Zep::Color(), 8, 90);
    ASSERT_EQ(2u, renderer.rects.size());
    for (size_t i = 0; i < 2; ++i) {
        EXPECT_NEAR(10.0f, renderer.rects[i].min.x, 1e-5f);
        EXPECT_NEAR(i == 0 ? 22.0f : 26.0f, renderer.rects[i].min.y, 1e-5f);
        EXPECT_NEAR(renderer.rects[i].min.y + 8, renderer.rects[i].max.y, 1e-5f);
        EXPECT_EQ(90.0f, renderer.rects[i].rotation);
    }
}

TEST_F(TextDrawingTest, LinesAlignInTheBox) {
    // "AB" is 14 wide, "A" 7; the two lines are 8 + 2 + 8 = 18 tall.
    const struct Case {
        int horizontal, vertical;
        float x1, x2, y;
    } cases[] = {
        {0, 0, 0, 0, 0},  {1, 0, 13, 16.5f, 0}, {2, 0, 26, 33, 0},
        {0, 1, 0, 0, 41}, {0, 2, 0, 0, 82},     {7, 7, 0, 0, 0},  // unknown values keep left and top
    };
    for (const Case& c : cases) {
        renderer.DrawTextWithFont(box, u"AB\nA", Zep::Color(), 8, &font, c.horizontal, c.vertical, 2);
        EXPECT_EQ((Corners{Vector2(c.x1 + 2, c.y), Vector2(c.x1 + 6, c.y), Vector2(c.x2 + 2, c.y + 10)}), Drawn())
            << c.horizontal << "/" << c.vertical;
    }
    renderer.DrawText(box, u"AB\nA", Zep::Color(), 8, 2, 2, 2);  // in the default font
    EXPECT_EQ((Corners{Vector2(28, 82), Vector2(32, 82), Vector2(35, 92)}), Drawn());
}

TEST_F(TextDrawingTest, TextsThatDrawNoGlyph) {
    Zep::Font imageless;
    AddTestGlyphs(imageless);
    for (Zep::Font* drawn : {&font, &imageless}) {
        for (int vertical = 0; vertical < 3; ++vertical) {
            renderer.DrawTextWithFont(box, u"", Zep::Color(), 8, drawn, 2, vertical, 2);
            renderer.DrawTextWithFont(box, u"\n\n", Zep::Color(), 8, drawn, 2, vertical, 2);
        }
    }
    renderer.DrawTextWithFont(box, u"AB\nA", Zep::Color(), 8, &imageless, 0, 0, 2);
    EXPECT_EQ(Corners(), Drawn());
    // Each line feed moved down one line of size + spacing.
    renderer.DrawTextWithFont(box, u"\n\nA", Zep::Color(), 8, &font, 0, 0, 2);
    EXPECT_EQ(Corners{Vector2(2, 20)}, Drawn());
}

TEST_F(TextDrawingTest, BoxesTooNarrowForAnyCharacterTakeOnePerLine) {
    for (float width : {0.0f, -5.0f}) {
        EXPECT_EQ(28, font.CalcTextHeight(u"ABA", width, 8, 2)) << width;
        EXPECT_EQ(18, font.CalcTextHeight(u"\nA", width, 8, 2)) << width;
        renderer.DrawTextWithFont(Zep::Aabb2(Vector2(0, 0), Vector2(width, 100)), u"ABA", Zep::Color(), 8, &font, 0, 2,
                                  2);
        EXPECT_EQ((Corners{Vector2(2, 72), Vector2(0, 82), Vector2(2, 92)}), Drawn()) << width;
    }
}

}  // namespace
