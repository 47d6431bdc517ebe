// The small value types shared by the engine, its properties and the scripts,
// and the interpolation helpers of animation.
#pragma once

#include <cstdint>

#include "Common/MathUtils.h"

namespace Zep {

// --- Vector2 -------------------------------------------------------------------------
struct Vector2 {
    float x;
    float y;

    Vector2() : x(0.0f), y(0.0f) {}
    Vector2(float x_, float y_) : x(x_), y(y_) {}

    Vector2 operator+(const Vector2& other) const { return Vector2(x + other.x, y + other.y); }
    Vector2 operator-(const Vector2& other) const { return Vector2(x - other.x, y - other.y); }
    Vector2 operator*(float s) const { return Vector2(x * s, y * s); }
    Vector2 operator/(float s) const {
        const float inverse = 1.0f / s;
        return Vector2(x * inverse, y * inverse);
    }
    Vector2& operator+=(const Vector2& other) {
        x += other.x;
        y += other.y;
        return *this;
    }
    Vector2& operator-=(const Vector2& other) {
        x -= other.x;
        y -= other.y;
        return *this;
    }
    Vector2& operator*=(float s) {
        x *= s;
        y *= s;
        return *this;
    }
    Vector2& operator/=(float s) {
        const float inverse = 1.0f / s;
        x *= inverse;
        y *= inverse;
        return *this;
    }
    bool operator==(const Vector2& other) const { return x == other.x && y == other.y; }

    // Scales to unit length and returns the squared length it had; a zero vector
    // stays and returns 0.
    float Normalize();
    float CalcLength() const;
    // Rotates by an angle in radians.
    void Rotate(float angle);
    void SetPolar(float length, float angle);
};

// Both components differ by less than eps.
bool EpsilonEqual(const Vector2& a, const Vector2& b, float eps);

// --- IntVector2 ----------------------------------------------------------------------
struct IntVector2 {
    int32_t x;
    int32_t y;

    IntVector2() : x(0), y(0) {}
    IntVector2(int32_t x_, int32_t y_) : x(x_), y(y_) {}

    IntVector2 operator+(const IntVector2& other) const;
    IntVector2 operator-(const IntVector2& other) const;
    bool operator==(const IntVector2& other) const { return x == other.x && y == other.y; }
};

// --- Aabb2 ---------------------------------------------------------------------------
// An axis where mins > maxs is empty; a fresh box is empty on both axes (mins at
// the origin).
struct Aabb2 {
    Vector2 mins;
    Vector2 maxs;

    Aabb2() : mins(0.0f, 0.0f), maxs(-1.0f, -1.0f) {}
    Aabb2(const Vector2& mins_, const Vector2& maxs_) : mins(mins_), maxs(maxs_) {}

    bool IsEmpty() const { return mins.x > maxs.x || mins.y > maxs.y; }
    void IncludePoint(float x, float y);
    void SetFromPoints(const Vector2& a, const Vector2& b);
    Vector2 GetCenter() const;
    Vector2 GetSize() const;
    float GetWidth() const;
    float GetHeight() const;
    // Grows (positive amounts) or shrinks (negative amounts) each axis on both
    // sides; an axis too narrow to shrink collapses, empty, to its centre.
    void Inflate(const Vector2& d);
};

// --- Matrix32 ------------------------------------------------------------------------
// A 2D affine transform for row vectors: (x, y) maps to
// (x*_11 + y*_21 + _31, x*_12 + y*_22 + _32).
struct Matrix32 {
    float _11, _12;
    float _21, _22;
    float _31, _32;

    // The identity.
    Matrix32() : _11(1.0f), _12(0.0f), _21(0.0f), _22(1.0f), _31(0.0f), _32(0.0f) {}
    // _11 = _22 = s, every other entry 0.
    explicit Matrix32(float s) : _11(s), _12(0.0f), _21(0.0f), _22(s), _31(0.0f), _32(0.0f) {}
    Matrix32(float m11, float m12, float m21, float m22, float m31, float m32)
        : _11(m11), _12(m12), _21(m21), _22(m22), _31(m31), _32(m32) {}

    Vector2 TransformVector(const Vector2& v) const;
    // This transform first, then other.
    Matrix32 operator*(const Matrix32& other) const;
    // A singular matrix is not checked.
    Matrix32 CalcInversed() const;
    // Scales the first column by s.x and the second by s.y.
    void Scale(const Vector2& s);
    // Scale and rotate (radians) about the pivot, then move by the offset.
    Matrix32& SetTransform(const Vector2& pivot, const Vector2& scale, float angle, const Vector2& offset);
};

// --- Color ---------------------------------------------------------------------------
// Packed ARGB: alpha in bits 24-31, red 16-23, green 8-15, blue 0-7.
struct Color {
    uint32_t argb;

    // Opaque white.
    Color() : argb(0xFFFFFFFFu) {}
    explicit Color(uint32_t value) : argb(value) {}
    // Channels are clamped to 0..255.
    Color(int r, int g, int b, int a = 255);

    uint32_t GetA() const { return argb >> 24; }
    uint32_t GetR() const { return (argb >> 16) & 0xFF; }
    uint32_t GetG() const { return (argb >> 8) & 0xFF; }
    uint32_t GetB() const { return argb & 0xFF; }
    void SetA(int a);
    void SetR(int r);
    void SetG(int g);
    void SetB(int b);

    // Each channel times the factor, clamped to 0..255.
    Color operator*(float factor) const;
    // Channel-wise product; 0xFFFFFFFF is neutral.
    Color operator*(const Color& other) const;
    bool operator==(const Color& other) const { return argb == other.argb; }

    static Color FromRGB5A3(uint16_t value);
};

// --- RandomPair ----------------------------------------------------------------------
struct RandomPair {
    float median;
    float variation;

    RandomPair() : median(0.0f), variation(0.0f) {}
    RandomPair(float median_, float variation_) : median(median_), variation(variation_) {}

    bool operator==(const RandomPair& other) const { return median == other.median && variation == other.variation; }

    // Draws from random slot 0: evenly spread, median + (u - 0.5) * variation.
    float DrawEven() const;
    // Draws from random slot 0: bell-shaped, median + (sum of 12 u - 6) * variation.
    float DrawBell() const;
};

// --- Easing --------------------------------------------------------------------------
struct EaseParameters {
    float t0;
    float t1;
    float scale;

    EaseParameters() : t0(0.0f), t1(0.0f), scale(0.5f) {}
    EaseParameters(float t0_, float t1_, float scale_) : t0(t0_), t1(t1_), scale(scale_) {}

    bool operator==(const EaseParameters& other) const {
        return t0 == other.t0 && t1 == other.t1 && scale == other.scale;
    }
};

// The easing of a marker segment. Its evaluation is the identity: eased segments
// run at constant speed.
class EaseCurve {
public:
    explicit EaseCurve(const EaseParameters& parameters) : parameters_(parameters) {}
    float Evaluate(float t) const { return t; }
    const EaseParameters& GetParameters() const { return parameters_; }

private:
    EaseParameters parameters_;
};

// --- Blend modes ---------------------------------------------------------------------
// How a graphic is blended over what lies below it; stored and archived as a 32-bit
// value. BLEND_DEFAULT takes the parent's mode.
enum BlendMode : int32_t {
    BLEND_DEFAULT = 0,
    BLEND_ALPHA = 1,
    BLEND_ADD = 2,
    BLEND_BURN = 3,
    BLEND_OVERLAY = 4,
    BLEND_MODULATE = 5,
    BLEND_MODULATE2X = 6,
    BLEND_SILHOUETTE = 7,
    BLEND_OPAQUE = 8,
};

// --- RenderContext -------------------------------------------------------------------
// What the actor tree hands down when drawing and hit-testing.
struct RenderContext {
    Matrix32 transform;
    Color color;
    int32_t blendMode;

    RenderContext() : transform(), color(0xFFFFFFFFu), blendMode(0) {}
    RenderContext(const Matrix32& transform_, const Color& color_, int32_t blendMode_)
        : transform(transform_), color(color_), blendMode(blendMode_) {}

    // Identity transform, colour 0xFFFFFFFF, blend mode 0.
    static RenderContext GetDefault() { return RenderContext(); }
};

// --- SkinningWeights -----------------------------------------------------------------
// Four {bone index, weight} pairs by which a graphic or a point follows the bones of
// its container; bone index 0 marks an empty pair.
struct SkinningWeights {
    struct Influence {
        int32_t boneIndex;
        float weight;
    };
    Influence influences[4];

    SkinningWeights() : influences{{0, 0.0f}, {0, 0.0f}, {0, 0.0f}, {0, 0.0f}} {}

    // All 32 bytes equal.
    bool operator==(const SkinningWeights& other) const;
};

static_assert(sizeof(SkinningWeights) == 32, "SkinningWeights is a 32-byte record");

// --- Interpolation -------------------------------------------------------------------
Vector2 Lerp(const Vector2& a, const Vector2& b, float t);
// t is clamped to [0, 1]; when only alpha differs only alpha is blended.
Color Lerp(const Color& from, const Color& to, float t);

Vector2 CatmullRom(float t, const Vector2& p0, const Vector2& p1, const Vector2& p2, const Vector2& p3);
// Per channel in floating point, each result clamped to 0..255.
Color CatmullRom(float t, const Color& p0, const Color& p1, const Color& p2, const Color& p3);

Vector2 Hermite(float t, const Vector2& p0, const Vector2& m0, const Vector2& p1, const Vector2& m1);

}  // namespace Zep

// Alignment of text and of boxes inside boxes; 32-bit values. Drawing takes any value
// other than centre and right (bottom) as left (top).
enum HorizontalAlignment : int32_t {
    ALIGN_HORIZONTAL_NONE = -1,
    ALIGN_HORIZONTAL_LEFT = 0,
    ALIGN_HORIZONTAL_CENTER = 1,
    ALIGN_HORIZONTAL_RIGHT = 2,
};
enum VerticalAlignment : int32_t {
    ALIGN_VERTICAL_NONE = -1,
    ALIGN_VERTICAL_TOP = 0,
    ALIGN_VERTICAL_CENTER = 1,
    ALIGN_VERTICAL_BOTTOM = 2,
};
