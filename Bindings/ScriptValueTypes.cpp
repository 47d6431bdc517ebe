#include "Bindings/ScriptValueTypes.h"

#include <cstdint>

#include "Bindings/BindingSupport.h"
#include "Bindings/ScriptFunctions.h"

namespace Zep {
namespace Bindings {

namespace {

const float kScriptEpsilon = 0.001f;

// Truncated toward zero, then the low 16 bits as a signed value. Outside the 32-bit range
// the value saturates first (NaN counts as 0): such a number has no integer to truncate to.
int32_t ToInt16(float value) {
    const int32_t whole = ToInt32(value);
    return static_cast<int16_t>(static_cast<uint16_t>(static_cast<uint32_t>(whole)));
}

uint32_t LowByte(int value) {
    return static_cast<uint32_t>(value) & 0xFFu;
}

void CheckIndex(const StringVector* self, int index) {
    if (index < 0 || static_cast<size_t>(index) >= self->size())
        throw ArgumentError("index " + std::to_string(index) + " is outside 0 to " +
                                std::to_string(static_cast<long long>(self->size()) - 1),
                            true);
}

}  // namespace

Vector2* NewVector2(float x, float y) {
    return new Vector2(x, y);
}

Vector2* NewVector2(const IntVector2& vector) {
    return new Vector2(static_cast<float>(vector.x), static_cast<float>(vector.y));
}

Vector2 NegateVector2(Vector2* self) {
    return Vector2(-self->x, -self->y);
}

Vector2 MultiplyVector2(Vector2* self, const Vector2& other) {
    return Vector2(self->x * other.x, self->y * other.y);
}

Vector2 DivideVector2(Vector2* self, const Vector2& other) {
    return Vector2(self->x / other.x, self->y / other.y);
}

bool Vector2Equals(Vector2* self, const Vector2& other) {
    return EpsilonEqual(*self, other, kScriptEpsilon);
}

IntVector2* NewIntVector2(int x, int y) {
    return new IntVector2(x, y);
}

IntVector2* NewIntVector2(const Vector2& vector) {
    return new IntVector2(ToInt16(vector.x), ToInt16(vector.y));
}

IntVector2 NegateIntVector2(IntVector2* self) {
    return IntVector2(0, 0) - *self;
}

Aabb2* NewAabb2(float minX, float minY, float maxX, float maxY) {
    return new Aabb2(Vector2(minX, minY), Vector2(maxX, maxY));
}

void IncludePoint(Aabb2* self, const Vector2& point) {
    self->IncludePoint(point.x, point.y);
}

Color* NewColor(int r, int g, int b, int a) {
    return new Color(LowByte(a) << 24 | LowByte(r) << 16 | LowByte(g) << 8 | LowByte(b));
}

std::string GetString(StringVector* self, int index) {
    CheckIndex(self, index);
    return (*self)[static_cast<size_t>(index)];
}

void SetString(StringVector* self, int index, const std::string& text) {
    CheckIndex(self, index);
    (*self)[static_cast<size_t>(index)] = text;
}

void ResizeStrings(StringVector* self, int size) {
    if (size < 0)
        throw ArgumentError("size " + std::to_string(size) + " is negative", true);
    self->resize(static_cast<size_t>(size));
}

}  // namespace Bindings
}  // namespace Zep
