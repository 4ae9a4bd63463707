// Degrees to radians with the game's own value of pi, and the direction an angle looks in.
#pragma once

// The value of pi used in every degree-to-radian conversion; the view and the movement are
// built on exactly this value, not on a more precise one.
constexpr float PI_APPROX = 3.14159f;

// A direction vector in map cells: x along the columns, y down the rows.
struct Direction {
    float x;
    float y;
};

// degrees * PI_APPROX, rounded to single, then / 180, rounded to single.
float toRadians(float degrees);

// (cos r, sin r) of r = toRadians(degrees), each computed in double and rounded to single.
// 0 degrees looks along +x, 90 along +y.
Direction directionOf(float degrees);
