// Copies the frame to the console, one row write per frame row.
#include <cstdint>

#include "platform/platform.h"
#include "screen/frame_buffer.h"
#include "world/world.h"

void presentFrame() {
    const ConsoleHandle console = platformOutputHandle();
    for (std::int32_t row = 0; row < world.screenHeight; ++row) {
        platformWriteRow(console, frameBuffer[static_cast<std::size_t>(row)].data(),
                         static_cast<std::uint32_t>(world.screenWidth), 0,
                         static_cast<std::int16_t>(row));
    }
}
