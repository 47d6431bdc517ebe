#include "Bindings/ScriptFunctions.h"

#include <cmath>

#include "Bindings/BindingSupport.h"
#include "Common/MathUtils.h"

namespace Zep {
namespace Bindings {

int32_t ToInt32(double value) {
    if (value != value)
        return 0;
    if (value >= 2147483647.0)
        return INT32_MAX;
    if (value <= -2147483648.0)
        return INT32_MIN;
    return static_cast<int32_t>(value);
}

uint32_t ToSeed(double value) {
    if (value != value)
        return 0;
    if (value >= 4294967295.0)
        return UINT32_MAX;
    if (value <= -2147483648.0)
        return static_cast<uint32_t>(INT32_MIN);
    return static_cast<uint32_t>(static_cast<int64_t>(value));
}

int Trunc(double value) {
    return ToInt32(value);
}

double Round(double value) {
    return std::floor(value + 0.5);
}

double Floor(double value) {
    return std::floor(value);
}

double Ceil(double value) {
    return std::ceil(value);
}

int Rand(double n, double slot) {
    return ::Zep::Rand(ToInt32(n), ToInt32(slot));
}

void SetRand(double seed, double slot) {
    ::Zep::SetRand(ToSeed(seed), ToInt32(slot));
}

int Mod(double a, double b) {
    const int32_t dividend = ToInt32(a);
    const int32_t divisor = ToInt32(b);
    if (divisor == 0)
        throw ArgumentError("division by zero", true);
    // INT32_MIN / -1 overflows; its remainder is 0.
    if (divisor == -1)
        return 0;
    return dividend % divisor;
}

double FMod(double a, double b) {
    return std::fmod(a, b);
}

double Cos(double radians) {
    return std::cos(radians);
}

double Sin(double radians) {
    return std::sin(radians);
}

double Tan(double radians) {
    return std::tan(radians);
}

double Sqrt(double value) {
    return std::sqrt(value);
}

double ATan(double value) {
    return std::atan(value);
}

double ATan(double y, double x) {
    return std::atan2(y, x);
}

double Pow(double base, double exponent) {
    return std::pow(base, exponent);
}

double RadiansToDegrees(double radians) {
    return radians * 57.29577951308232;
}

double DegreesToRadians(double degrees) {
    return degrees * 0.017453292519943295;
}

bool EpsilonEqual(double a, double b, float tolerance) {
    const double first = static_cast<float>(a);
    const float difference = static_cast<float>(std::fabs(first - b));
    return tolerance > difference;
}

float DotProduct(const Vector2& a, const Vector2& b) {
    return a.x * b.x + a.y * b.y;
}

float CrossProduct(const Vector2& a, const Vector2& b) {
    return a.x * b.y - a.y * b.x;
}

}  // namespace Bindings
}  // namespace Zep
