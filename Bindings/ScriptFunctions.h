// The module functions whose behaviour lives in the bindings: the math functions on
// script numbers and the conversions of numbers to the engine's integers.
//
// A script number becomes a 32-bit integer by truncation toward zero. A number outside
// the integer's range saturates and NaN gives 0, so that no conversion is undefined;
// numbers in range convert as plain truncation does.
#pragma once

#include <cstdint>

#include "Common/ValueTypes.h"

namespace Zep {
namespace Bindings {

// --- Conversions -----------------------------------------------------------------------
int32_t ToInt32(double value);
// A random seed: signed and unsigned 32-bit numbers both keep their bits (-1 and
// 4294967295 are one seed); beyond them it saturates.
uint32_t ToSeed(double value);

// --- Math ------------------------------------------------------------------------------
int Trunc(double value);
// floor(value + 0.5): halves round up, -2.5 gives -2.
double Round(double value);
double Floor(double value);
double Ceil(double value);

// The engine's random numbers below n from the slot.
int Rand(double n, double slot);
void SetRand(double seed, double slot);

// The remainder of the truncated numbers, with the sign of a. A divisor that truncates to
// 0 throws ArgumentError; the smallest integer modulo -1 is 0.
int Mod(double a, double b);
double FMod(double a, double b);

double Cos(double radians);
double Sin(double radians);
double Tan(double radians);
double Sqrt(double value);
double ATan(double value);
// The angle of the point (x, y), from -pi to pi.
double ATan(double y, double x);
double Pow(double base, double exponent);
double RadiansToDegrees(double radians);
double DegreesToRadians(double degrees);

// True when the tolerance is greater than |a - b|, where a is taken at single precision,
// the difference is made at full precision and then taken at single precision.
bool EpsilonEqual(double a, double b, float tolerance);
float DotProduct(const Vector2& a, const Vector2& b);
float CrossProduct(const Vector2& a, const Vector2& b);

}  // namespace Bindings
}  // namespace Zep
