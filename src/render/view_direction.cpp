// Angle conversions shared by the ray caster and the movement step.
#include "render/view_direction.h"

#include <cmath>

float toRadians(float degrees) {
    // Multiply first, then divide: not a multiplication by a precomputed PI_APPROX / 180.
    const float scaled = degrees * PI_APPROX;
    return scaled / 180.0f;
}

Direction directionOf(float degrees) {
    const double radians = static_cast<double>(toRadians(degrees));
    return Direction{static_cast<float>(std::cos(radians)), static_cast<float>(std::sin(radians))};
}
