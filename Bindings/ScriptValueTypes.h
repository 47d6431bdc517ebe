// What the scripts' value types and string lists do beyond the engine's own operations:
// their constructors, the operators that only scripts have, and checked index access.
// The packages bind these as members of the classes (the first parameter of a member
// is the object).
#pragma once

#include <string>

#include "Common/StringUtils.h"
#include "Common/ValueTypes.h"

namespace Zep {
namespace Bindings {

// --- Vector2 ---------------------------------------------------------------------------
Vector2* NewVector2(float x, float y);
// Converted exactly.
Vector2* NewVector2(const IntVector2& vector);
Vector2 NegateVector2(Vector2* self);
// Per component.
Vector2 MultiplyVector2(Vector2* self, const Vector2& other);
Vector2 DivideVector2(Vector2* self, const Vector2& other);
// Both components within 0.001.
bool Vector2Equals(Vector2* self, const Vector2& other);

// --- IntVector2 ------------------------------------------------------------------------
IntVector2* NewIntVector2(int x, int y);
// Each component truncated toward zero, then reduced to a signed 16-bit value (larger
// values wrap).
IntVector2* NewIntVector2(const Vector2& vector);
IntVector2 NegateIntVector2(IntVector2* self);

// --- Aabb2 -----------------------------------------------------------------------------
Aabb2* NewAabb2(float minX, float minY, float maxX, float maxY);
void IncludePoint(Aabb2* self, const Vector2& point);

// --- Color -----------------------------------------------------------------------------
// Each channel converted to an integer of which the low 8 bits are kept.
Color* NewColor(int r, int g, int b, int a);

// --- StringVector ----------------------------------------------------------------------
// An index outside 0 to size - 1 throws ArgumentError.
std::string GetString(StringVector* self, int index);
void SetString(StringVector* self, int index, const std::string& text);
// A negative size throws ArgumentError.
void ResizeStrings(StringVector* self, int size);

}  // namespace Bindings
}  // namespace Zep
