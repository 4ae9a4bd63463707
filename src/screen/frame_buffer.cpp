// The global frame and how it follows the frame size in the world record.
#include "screen/frame_buffer.h"

#include <cstddef>

#include "world/world.h"

FrameBuffer frameBuffer;

void resizeFrameBuffer() {
    // Sizes below zero cannot be stored; they mean an empty frame.
    const auto rows = static_cast<std::size_t>(world.screenHeight > 0 ? world.screenHeight : 0);
    const auto columns = static_cast<std::size_t>(world.screenWidth > 0 ? world.screenWidth : 0);
    // resize() on a vector keeps what it can and appends value-initialised items; shrinking
    // never reallocates, growing only past capacity.
    frameBuffer.resize(rows);
    for (std::vector<char>& row : frameBuffer) {
        row.resize(columns, BLANK);
    }
}
