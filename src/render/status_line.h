// The status line at the top-left of the running view: position and view angle.
#pragma once

#include <string>

// "X:<x> Y:<y> A:<angle>", each value widened to double and written with "%f".
std::string formatStatusLine(float x, float y, float angle);

// Writes the status line for the current pose over the start of frame row 0, cut at the frame
// width; the rest of the row keeps what the ray caster drew. Reads: world.playerX,
// world.playerY, world.viewAngle, world.screenWidth. Sets: the start of frameBuffer[0].
void drawStatusLine();
