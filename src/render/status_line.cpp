// Builds the status line text and writes it over the frame's first row.
#include "render/status_line.h"

#include <algorithm>
#include <cstddef>
#include <cstdio>

#include "screen/frame_buffer.h"
#include "world/world.h"

namespace {

// "%f" of a float widened to double: the largest float has 39 integer digits, so 48 bytes
// hold any value with its sign, point, six decimals and terminator.
void appendNumber(std::string& text, float value) {
    char digits[48];
    const int length = std::snprintf(digits, sizeof digits, "%f", static_cast<double>(value));
    if (length > 0) {
        text.append(digits, std::min(static_cast<std::size_t>(length), sizeof digits - 1));
    }
}

}  // namespace

std::string formatStatusLine(float x, float y, float angle) {
    std::string text = "X:";
    appendNumber(text, x);
    text += " Y:";
    appendNumber(text, y);
    text += " A:";
    appendNumber(text, angle);
    return text;
}

void drawStatusLine() {
    const std::string statusLine = formatStatusLine(world.playerX, world.playerY, world.viewAngle);
    const std::size_t width = static_cast<std::size_t>(std::max(world.screenWidth, 0));
    const std::size_t count = std::min(statusLine.size(), width);
    std::copy_n(statusLine.begin(), count, frameBuffer[0].begin());
}
