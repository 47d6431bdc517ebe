#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>

#include "Common/MathUtils.h"
#include "Common/ValueTypes.h"

namespace {

using Zep::Aabb2;
using Zep::Color;
using Zep::Matrix32;
using Zep::Vector2;

const float kPi = 3.14159265f;
const float kNaN = std::numeric_limits<float>::quiet_NaN();

void ExpectMatrixNear(const Matrix32& expected, const Matrix32& actual, float eps = 1e-5f) {
    EXPECT_NEAR(expected._11, actual._11, eps);
    EXPECT_NEAR(expected._12, actual._12, eps);
    EXPECT_NEAR(expected._21, actual._21, eps);
    EXPECT_NEAR(expected._22, actual._22, eps);
    EXPECT_NEAR(expected._31, actual._31, eps);
    EXPECT_NEAR(expected._32, actual._32, eps);
}

TEST(FastSin, ZeroIsExactAndBothModesFollowTheSine) {
    float cosine = -5.0f;
    EXPECT_EQ(0.0f, Zep::FastSin(0.0f, &cosine, false));
    EXPECT_EQ(1.0f, cosine);
    EXPECT_NEAR(1.0f, Zep::FastSin(kPi / 2, nullptr, true), 0.001f);

    float worstPrecise = 0.0f;
    float worstCoarse = 0.0f;
    for (float angle = -20.0f; angle <= 20.0f; angle += 0.01f) {
        float sine = 0.0f;
        Zep::FastSinCos(angle, sine, cosine, true);
        worstPrecise = std::max(worstPrecise, std::fabs(sine - std::sin(angle)));
        worstPrecise = std::max(worstPrecise, std::fabs(cosine - std::cos(angle)));
        Zep::FastSinCos(angle, sine, cosine, false);
        worstCoarse = std::max(worstCoarse, std::fabs(sine - std::sin(angle)));
        worstCoarse = std::max(worstCoarse, std::fabs(cosine - std::cos(angle)));
    }
    EXPECT_LT(worstPrecise, 0.0011f);
    EXPECT_LT(worstCoarse, 0.06f);
}

TEST(FastSin, TruncationIsDefinedForAnyFloat) {
    EXPECT_EQ(-2, Zep::TruncateToInt(-2.7f));
    EXPECT_EQ(2, Zep::TruncateToInt(2.7f));
    EXPECT_EQ(0, Zep::TruncateToInt(kNaN));
    EXPECT_EQ(INT_MAX, Zep::TruncateToInt(1e10f));
    EXPECT_EQ(INT_MIN, Zep::TruncateToInt(-1e10f));
    EXPECT_EQ(2147483520, Zep::TruncateToInt(2147483520.0f));
    EXPECT_EQ(INT_MIN, Zep::TruncateToInt(-2147483648.0f));
    EXPECT_EQ(0, Zep::TruncateToByte(kNaN));
    EXPECT_EQ(0, Zep::TruncateToByte(-3.0f));
    EXPECT_EQ(254, Zep::TruncateToByte(254.99f));
    EXPECT_EQ(255, Zep::TruncateToByte(1e30f));
    // Huge and invalid angles give some value instead of undefined behaviour.
    float cosine = 0.0f;
    Zep::FastSin(1e30f, &cosine, true);
    Zep::FastSin(-1e30f, &cosine, true);
    Zep::FastSin(kNaN, &cosine, true);
}

TEST(FastReciprocalSqrt, IsAccurateAfterRefinement) {
    for (float x : {1e-6f, 0.25f, 1.0f, 2.0f, 4.0f, 1000.0f, 1e8f}) {
        const float exact = 1.0f / std::sqrt(x);
        EXPECT_NEAR(exact, Zep::FastReciprocalSqrt(x), exact * 1e-5f) << x;
    }
}

TEST(Vector2, ArithmeticNormalizeAndRotation) {
    Vector2 v(3.0f, 4.0f);
    EXPECT_EQ(Vector2(1.5f, 2.0f), v / 2.0f);
    EXPECT_FLOAT_EQ(5.0f, v.CalcLength());
    EXPECT_FLOAT_EQ(25.0f, v.Normalize());
    EXPECT_NEAR(0.6f, v.x, 1e-5f);
    EXPECT_NEAR(0.8f, v.y, 1e-5f);
    Vector2 zero;
    EXPECT_EQ(0.0f, zero.Normalize());
    EXPECT_EQ(Vector2(0.0f, 0.0f), zero);

    Vector2 r(1.0f, 0.0f);
    r.Rotate(kPi / 2);
    EXPECT_NEAR(0.0f, r.x, 0.002f);
    EXPECT_NEAR(1.0f, r.y, 0.002f);
    Vector2 p;
    p.SetPolar(2.0f, kPi);
    EXPECT_NEAR(-2.0f, p.x, 1e-5f);
    EXPECT_NEAR(0.0f, p.y, 1e-5f);

    EXPECT_TRUE(Zep::EpsilonEqual(Vector2(1.0f, 1.0f), Vector2(1.0005f, 0.9995f), 0.001f));
    EXPECT_FALSE(Zep::EpsilonEqual(Vector2(0.0f, 0.0f), Vector2(0.0f, 0.5f), 0.5f));  // strictly less

    EXPECT_EQ(Zep::IntVector2(INT_MIN, -1), Zep::IntVector2(INT_MAX, 2) + Zep::IntVector2(1, -3));
    EXPECT_EQ(Zep::IntVector2(INT_MAX, 0), Zep::IntVector2(INT_MIN, 0) - Zep::IntVector2(1, 0));
}

TEST(Aabb2, EmptyBoxesAndIncludedPoints) {
    Aabb2 box;
    EXPECT_TRUE(box.IsEmpty());
    EXPECT_EQ(Vector2(0.0f, 0.0f), box.GetSize());
    box.IncludePoint(3.0f, -2.0f);
    EXPECT_FALSE(box.IsEmpty());
    EXPECT_EQ(Vector2(3.0f, -2.0f), box.mins);
    EXPECT_EQ(Vector2(3.0f, -2.0f), box.maxs);
    box.IncludePoint(1.0f, 4.0f);
    EXPECT_EQ(Vector2(1.0f, -2.0f), box.mins);
    EXPECT_EQ(Vector2(3.0f, 4.0f), box.maxs);
    EXPECT_EQ(Vector2(2.0f, 1.0f), box.GetCenter());
    EXPECT_EQ(2.0f, box.GetWidth());
    EXPECT_EQ(6.0f, box.GetHeight());

    box.SetFromPoints(Vector2(5.0f, 1.0f), Vector2(2.0f, 7.0f));
    EXPECT_EQ(Vector2(2.0f, 1.0f), box.mins);
    EXPECT_EQ(Vector2(5.0f, 7.0f), box.maxs);

    // An empty axis centres on mins and has no size.
    const Aabb2 halfEmpty(Vector2(4.0f, 0.0f), Vector2(2.0f, 10.0f));
    EXPECT_EQ(Vector2(4.0f, 5.0f), halfEmpty.GetCenter());
    EXPECT_EQ(Vector2(0.0f, 10.0f), halfEmpty.GetSize());
}

TEST(Aabb2, InflateGrowsShrinksAndCollapses) {
    Aabb2 box(Vector2(0.0f, 0.0f), Vector2(10.0f, 10.0f));
    box.Inflate(Vector2(-6.0f, -6.0f));
    EXPECT_EQ(Vector2(5.0f, 5.0f), box.mins);
    EXPECT_FLOAT_EQ(4.9f, box.maxs.x);
    EXPECT_FLOAT_EQ(4.9f, box.maxs.y);
    EXPECT_TRUE(box.IsEmpty());

    box = Aabb2(Vector2(0.0f, 0.0f), Vector2(10.0f, 10.0f));
    box.Inflate(Vector2(-4.0f, -4.0f));
    EXPECT_EQ(Vector2(4.0f, 4.0f), box.mins);
    EXPECT_EQ(Vector2(6.0f, 6.0f), box.maxs);

    box = Aabb2(Vector2(0.0f, 0.0f), Vector2(10.0f, 10.0f));
    box.Inflate(Vector2(-5.0f, 2.0f));  // exactly the width: a point remains
    EXPECT_EQ(Vector2(5.0f, -2.0f), box.mins);
    EXPECT_EQ(Vector2(5.0f, 12.0f), box.maxs);

    Aabb2 empty(Vector2(3.0f, 3.0f), Vector2(1.0f, 1.0f));
    empty.Inflate(Vector2(2.0f, -2.0f));  // grows around mins on x; y stays empty
    EXPECT_EQ(Vector2(1.0f, 3.0f), empty.mins);
    EXPECT_EQ(Vector2(5.0f, 1.0f), empty.maxs);
}

TEST(Matrix32, TransformProductInverseAndScale) {
    Matrix32 m;
    m.SetTransform(Vector2(1.0f, 1.0f), Vector2(1.0f, 1.0f), 0.0f, Vector2(0.0f, 0.0f));
    ExpectMatrixNear(Matrix32(), m, 0.0f);

    // Scale by 2 and turn a quarter about (1, 1), then move by (10, 0).
    m.SetTransform(Vector2(1.0f, 1.0f), Vector2(2.0f, 2.0f), kPi / 2, Vector2(10.0f, 0.0f));
    const Vector2 pivot = m.TransformVector(Vector2(1.0f, 1.0f));
    EXPECT_NEAR(11.0f, pivot.x, 1e-4f);
    EXPECT_NEAR(1.0f, pivot.y, 1e-4f);
    const Vector2 right = m.TransformVector(Vector2(2.0f, 1.0f));
    EXPECT_NEAR(11.0f, right.x, 0.01f);
    EXPECT_NEAR(3.0f, right.y, 0.01f);

    // The left operand applies first.
    const Matrix32 translate(1.0f, 0.0f, 0.0f, 1.0f, 5.0f, 0.0f);
    const Matrix32 scale(2.0f);
    const Vector2 moved = (translate * scale).TransformVector(Vector2(1.0f, 1.0f));
    EXPECT_EQ(Vector2(12.0f, 2.0f), moved);

    const Matrix32 general(2.0f, 1.0f, -1.0f, 3.0f, 4.0f, -2.0f);
    ExpectMatrixNear(Matrix32(), general * general.CalcInversed());
    ExpectMatrixNear(Matrix32(), general.CalcInversed() * general);

    Matrix32 scaled(1.0f, 2.0f, 3.0f, 4.0f, 5.0f, 6.0f);
    scaled.Scale(Vector2(10.0f, 100.0f));
    ExpectMatrixNear(Matrix32(10.0f, 200.0f, 30.0f, 400.0f, 50.0f, 600.0f), scaled, 0.0f);

    const Zep::RenderContext context = Zep::RenderContext::GetDefault();
    ExpectMatrixNear(Matrix32(), context.transform, 0.0f);
    EXPECT_EQ(0xFFFFFFFFu, context.color.argb);
    EXPECT_EQ(0, context.blendMode);
}

TEST(Color, ProductsWithColoursAndFactors) {
    EXPECT_EQ(0xFF808080u, (Color(0xFF808080u) * Color(0xFFFFFFFFu)).argb);
    EXPECT_EQ(0x80404000u, (Color(0xFF808000u) * Color(0x808080FFu)).argb);

    EXPECT_EQ(0x7F404000u, (Color(0xFF808000u) * 0.5f).argb);
    EXPECT_EQ(0xFFFFFF00u, (Color(0xFF808000u) * 2.0f).argb);
    EXPECT_EQ(0xFFFFFF00u, (Color(0xFF808000u) * 1e30f).argb);
    EXPECT_EQ(0u, (Color(0xFF808080u) * -1.0f).argb);
    EXPECT_EQ(0u, (Color(0xFF808080u) * kNaN).argb);

    EXPECT_EQ(0xFF0A14FFu, Color(10, 20, 300).argb);
    Color c(0x11223344u);
    c.SetR(-4);
    EXPECT_EQ(0x11003344u, c.argb);
}

TEST(Color, LerpBlendsAllChannelsOrAlphaAlone) {
    const Color black(0xFF000000u);
    const Color white(0xFFFFFFFFu);
    EXPECT_EQ(0xFF7F7F7Fu, Zep::Lerp(black, white, 0.5f).argb);
    EXPECT_EQ(white.argb, Zep::Lerp(black, white, 3.0f).argb);
    EXPECT_EQ(black.argb, Zep::Lerp(black, white, -1.0f).argb);
    EXPECT_EQ(black.argb, Zep::Lerp(black, white, kNaN).argb);
    EXPECT_EQ(0x12345678u, Zep::Lerp(Color(0x12345678u), Color(0x12345678u), 0.7f).argb);
    // Only alpha differs: red, green and blue come from the first colour.
    EXPECT_EQ(0x7F102030u, Zep::Lerp(Color(0x00102030u), Color(0xFF102030u), 0.5f).argb);
    // Colour channels differ: alpha blends with them.
    EXPECT_EQ(0x7F7F7F7Fu, Zep::Lerp(Color(0x00000000u), Color(0xFFFFFFFFu), 0.5f).argb);
}

TEST(Color, FromRGB5A3) {
    EXPECT_EQ(0xFFFFFFFFu, Color::FromRGB5A3(0xFFFF).argb);
    EXPECT_EQ(0xFF000000u, Color::FromRGB5A3(0x8000).argb);
    EXPECT_EQ(0xFF840000u, Color::FromRGB5A3(0x8000 | 16 << 10).argb);
    EXPECT_EQ(0xFCFFFFFFu, Color::FromRGB5A3(0x7FFF).argb);
    EXPECT_EQ(0x24112233u, Color::FromRGB5A3(0x1123).argb);
}

TEST(Interpolation, CurvesHitTheirKeysAndClampColours) {
    EXPECT_FLOAT_EQ(2.0f, Zep::CatmullRom(0.0f, 1.0f, 2.0f, 4.0f, 8.0f));
    EXPECT_FLOAT_EQ(4.0f, Zep::CatmullRom(1.0f, 1.0f, 2.0f, 4.0f, 8.0f));
    EXPECT_FLOAT_EQ(2.5f, Zep::CatmullRom(0.5f, 0.0f, 2.0f, 3.0f, 5.0f));

    const Vector2 a(0.0f, 0.0f), b(1.0f, 2.0f), c(3.0f, 3.0f), d(4.0f, 6.0f);
    EXPECT_EQ(b, Zep::CatmullRom(0.0f, a, b, c, d));
    EXPECT_EQ(c, Zep::CatmullRom(1.0f, a, b, c, d));
    EXPECT_EQ(a, Zep::Hermite(0.0f, a, Vector2(5.0f, 5.0f), c, Vector2(-5.0f, 1.0f)));
    EXPECT_EQ(c, Zep::Hermite(1.0f, a, Vector2(5.0f, 5.0f), c, Vector2(-5.0f, 1.0f)));
    const Vector2 mid = Zep::Hermite(0.5f, a, Vector2(0.0f, 0.0f), c, Vector2(0.0f, 0.0f));
    EXPECT_FLOAT_EQ(1.5f, mid.x);

    // Overshooting splines are clamped per channel.
    const Color up =
        Zep::CatmullRom(0.5f, Color(0x00FF00FFu), Color(0xFFFF00FFu), Color(0xFFFF00FFu), Color(0x00FF00FFu));
    EXPECT_EQ(0xFFFF00FFu, up.argb);
    const Color down =
        Zep::CatmullRom(0.5f, Color(0xFF00FF00u), Color(0x0000FF00u), Color(0x0000FF00u), Color(0xFF00FF00u));
    EXPECT_EQ(0x0000FF00u, down.argb);
    EXPECT_EQ(0u, Zep::CatmullRom(kNaN, Color(1u), Color(2u), Color(3u), Color(4u)).argb);
}

TEST(SkinningWeights, CompareAllBytes) {
    Zep::SkinningWeights a;
    Zep::SkinningWeights b;
    EXPECT_TRUE(a == b);
    b.influences[3].weight = -0.0f;
    EXPECT_FALSE(a == b);
    b.influences[3].weight = 0.0f;
    b.influences[1].boneIndex = 2;
    EXPECT_FALSE(a == b);
}

}  // namespace
