#include "Common/ValueTypes.h"

#include <cmath>
#include <cstring>

namespace Zep {

namespace {

uint32_t ClampChannel(int value) {
    return value < 0 ? 0u : value > 255 ? 255u : static_cast<uint32_t>(value);
}

uint32_t Channel(uint32_t argb, int shift) {
    return (argb >> shift) & 0xFFu;
}

uint32_t WithChannel(uint32_t argb, int shift, int value) {
    return (argb & ~(0xFFu << shift)) | ClampChannel(value) << shift;
}

}  // namespace

// --- Vector2 -------------------------------------------------------------------------

float Vector2::Normalize() {
    const float lengthSquared = x * x + y * y;
    if (!(lengthSquared > 0.0f))
        return 0.0f;
    const float inverse = FastReciprocalSqrt(lengthSquared);
    x *= inverse;
    y *= inverse;
    return lengthSquared;
}

float Vector2::CalcLength() const {
    return std::sqrt(x * x + y * y);
}

void Vector2::Rotate(float angle) {
    float cosine = 1.0f;
    const float sine = FastSin(angle, &cosine, true);
    const float rotatedX = cosine * x - sine * y;
    const float rotatedY = cosine * y + sine * x;
    x = rotatedX;
    y = rotatedY;
}

void Vector2::SetPolar(float length, float angle) {
    x = std::cos(angle) * length;
    y = std::sin(angle) * length;
}

bool EpsilonEqual(const Vector2& a, const Vector2& b, float eps) {
    return std::fabs(a.x - b.x) < eps && std::fabs(a.y - b.y) < eps;
}

// --- IntVector2 ----------------------------------------------------------------------

// Sums wrap around on overflow instead of being undefined.
IntVector2 IntVector2::operator+(const IntVector2& other) const {
    return IntVector2(static_cast<int32_t>(static_cast<uint32_t>(x) + static_cast<uint32_t>(other.x)),
                      static_cast<int32_t>(static_cast<uint32_t>(y) + static_cast<uint32_t>(other.y)));
}

IntVector2 IntVector2::operator-(const IntVector2& other) const {
    return IntVector2(static_cast<int32_t>(static_cast<uint32_t>(x) - static_cast<uint32_t>(other.x)),
                      static_cast<int32_t>(static_cast<uint32_t>(y) - static_cast<uint32_t>(other.y)));
}

// --- Aabb2 ---------------------------------------------------------------------------

namespace {

void IncludeOnAxis(float& mins, float& maxs, float value) {
    if (mins > maxs) {
        mins = value;
        maxs = value;
    } else if (value < mins) {
        mins = value;
    } else if (value > maxs) {
        maxs = value;
    }
}

float CenterOnAxis(float mins, float maxs) {
    return mins > maxs ? mins : (mins + maxs) / 2.0f;
}

float SizeOnAxis(float mins, float maxs) {
    return mins >= maxs ? 0.0f : maxs - mins;
}

void InflateAxis(float& mins, float& maxs, float amount) {
    const bool empty = mins > maxs;
    if (amount > 0.0f) {
        if (empty) {
            maxs = mins + amount;
            mins = mins - amount;
        } else {
            mins -= amount;
            maxs += amount;
        }
    } else if (amount < 0.0f && !empty) {
        if (maxs - mins >= -2.0f * amount) {
            mins -= amount;
            maxs += amount;
        } else {
            const float center = (mins + maxs) / 2.0f;
            mins = center;
            maxs = center - 0.1f;
        }
    }
}

}  // namespace

void Aabb2::IncludePoint(float x, float y) {
    IncludeOnAxis(mins.x, maxs.x, x);
    IncludeOnAxis(mins.y, maxs.y, y);
}

void Aabb2::SetFromPoints(const Vector2& a, const Vector2& b) {
    mins = Vector2(a.x < b.x ? a.x : b.x, a.y < b.y ? a.y : b.y);
    maxs = Vector2(a.x > b.x ? a.x : b.x, a.y > b.y ? a.y : b.y);
}

Vector2 Aabb2::GetCenter() const {
    return Vector2(CenterOnAxis(mins.x, maxs.x), CenterOnAxis(mins.y, maxs.y));
}

Vector2 Aabb2::GetSize() const {
    return Vector2(GetWidth(), GetHeight());
}

float Aabb2::GetWidth() const {
    return SizeOnAxis(mins.x, maxs.x);
}

float Aabb2::GetHeight() const {
    return SizeOnAxis(mins.y, maxs.y);
}

void Aabb2::Inflate(const Vector2& d) {
    InflateAxis(mins.x, maxs.x, d.x);
    InflateAxis(mins.y, maxs.y, d.y);
}

// --- Matrix32 ------------------------------------------------------------------------

Vector2 Matrix32::TransformVector(const Vector2& v) const {
    return Vector2(v.x * _11 + v.y * _21 + _31, v.x * _12 + v.y * _22 + _32);
}

Matrix32 Matrix32::operator*(const Matrix32& b) const {
    return Matrix32(_11 * b._11 + _12 * b._21, _11 * b._12 + _12 * b._22,  //
                    _21 * b._11 + _22 * b._21, _21 * b._12 + _22 * b._22,  //
                    _31 * b._11 + _32 * b._21 + b._31, _31 * b._12 + _32 * b._22 + b._32);
}

Matrix32 Matrix32::CalcInversed() const {
    const float det = _11 * _22 - _12 * _21;
    return Matrix32(_22 / det, -_12 / det, -_21 / det, _11 / det, (_32 * _21 - _31 * _22) / det,
                    (_31 * _12 - _32 * _11) / det);
}

void Matrix32::Scale(const Vector2& s) {
    _11 *= s.x;
    _21 *= s.x;
    _31 *= s.x;
    _12 *= s.y;
    _22 *= s.y;
    _32 *= s.y;
}

Matrix32& Matrix32::SetTransform(const Vector2& pivot, const Vector2& scale, float angle, const Vector2& offset) {
    float cosine = 1.0f;
    const float sine = FastSin(angle, &cosine, true);
    _11 = scale.x * cosine;
    _12 = scale.x * sine;
    _21 = -scale.y * sine;
    _22 = scale.y * cosine;
    _31 = pivot.x - (pivot.x * _11 + pivot.y * _21) + offset.x;
    _32 = pivot.y - (pivot.x * _12 + pivot.y * _22) + offset.y;
    return *this;
}

// --- Color ---------------------------------------------------------------------------

Color::Color(int r, int g, int b, int a)
    : argb(ClampChannel(a) << 24 | ClampChannel(r) << 16 | ClampChannel(g) << 8 | ClampChannel(b)) {}

void Color::SetA(int a) {
    argb = WithChannel(argb, 24, a);
}

void Color::SetR(int r) {
    argb = WithChannel(argb, 16, r);
}

void Color::SetG(int g) {
    argb = WithChannel(argb, 8, g);
}

void Color::SetB(int b) {
    argb = WithChannel(argb, 0, b);
}

Color Color::operator*(float factor) const {
    uint32_t result = 0;
    for (int shift = 0; shift < 32; shift += 8)
        result |= static_cast<uint32_t>(TruncateToByte(static_cast<float>(Channel(argb, shift)) * factor)) << shift;
    return Color(result);
}

Color Color::operator*(const Color& other) const {
    if (argb == 0xFFFFFFFFu)
        return other;
    if (other.argb == 0xFFFFFFFFu)
        return *this;
    uint32_t result = 0;
    for (int shift = 0; shift < 32; shift += 8)
        result |= ((Channel(argb, shift) * Channel(other.argb, shift) + 255u) >> 8) << shift;
    return Color(result);
}

Color Color::FromRGB5A3(uint16_t value) {
    if (value & 0x8000) {
        const uint32_t r = ((value >> 10) & 0x1Fu) * 33u >> 2;
        const uint32_t g = ((value >> 5) & 0x1Fu) * 33u >> 2;
        const uint32_t b = (value & 0x1Fu) * 33u >> 2;
        return Color(0xFF000000u | r << 16 | g << 8 | b);
    }
    const uint32_t a = ((value >> 12) & 0x7u) * 0x24u;
    const uint32_t r = ((value >> 8) & 0xFu) * 17u;
    const uint32_t g = ((value >> 4) & 0xFu) * 17u;
    const uint32_t b = (value & 0xFu) * 17u;
    return Color(a << 24 | r << 16 | g << 8 | b);
}

// --- RandomPair ----------------------------------------------------------------------

float RandomPair::DrawEven() const {
    return median + (RandUnit(0) - 0.5f) * variation;
}

float RandomPair::DrawBell() const {
    float sum = 0.0f;
    for (int i = 0; i < 12; ++i)
        sum += RandUnit(0);
    return median + (sum - 6.0f) * variation;
}

// --- SkinningWeights -----------------------------------------------------------------

bool SkinningWeights::operator==(const SkinningWeights& other) const {
    return std::memcmp(influences, other.influences, sizeof(influences)) == 0;
}

// --- Interpolation -------------------------------------------------------------------

Vector2 Lerp(const Vector2& a, const Vector2& b, float t) {
    return Vector2(a.x * (1.0f - t) + b.x * t, a.y * (1.0f - t) + b.y * t);
}

Color Lerp(const Color& from, const Color& to, float t) {
    if (from.argb == to.argb)
        return from;
    // NaN counts as 0.
    if (!(t > 0.0f))
        t = 0.0f;
    if (t > 1.0f)
        t = 1.0f;
    const uint32_t w = static_cast<uint32_t>(t * 256.0f);
    const auto blend = [w](uint32_t a, uint32_t b) { return (b * w + a * (256u - w)) >> 8; };
    if ((from.argb & 0x00FFFFFFu) != (to.argb & 0x00FFFFFFu)) {
        uint32_t result = 0;
        for (int shift = 0; shift < 32; shift += 8)
            result |= blend(Channel(from.argb, shift), Channel(to.argb, shift)) << shift;
        return Color(result);
    }
    return Color((from.argb & 0x00FFFFFFu) | blend(from.GetA(), to.GetA()) << 24);
}

Vector2 CatmullRom(float t, const Vector2& p0, const Vector2& p1, const Vector2& p2, const Vector2& p3) {
    return Vector2(CatmullRom(t, p0.x, p1.x, p2.x, p3.x), CatmullRom(t, p0.y, p1.y, p2.y, p3.y));
}

Color CatmullRom(float t, const Color& p0, const Color& p1, const Color& p2, const Color& p3) {
    uint32_t result = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        const float value =
            CatmullRom(t, static_cast<float>(Channel(p0.argb, shift)), static_cast<float>(Channel(p1.argb, shift)),
                       static_cast<float>(Channel(p2.argb, shift)), static_cast<float>(Channel(p3.argb, shift)));
        result |= static_cast<uint32_t>(TruncateToByte(value)) << shift;
    }
    return Color(result);
}

Vector2 Hermite(float t, const Vector2& p0, const Vector2& m0, const Vector2& p1, const Vector2& m1) {
    const float t2 = t * t;
    const float t3 = t2 * t;
    const float h00 = 2.0f * t3 - 3.0f * t2 + 1.0f;
    const float h10 = t3 - 2.0f * t2 + t;
    const float h01 = 3.0f * t2 - 2.0f * t3;
    const float h11 = t3 - t2;
    return p0 * h00 + m0 * h10 + p1 * h01 + m1 * h11;
}

}  // namespace Zep
