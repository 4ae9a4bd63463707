// The settings screen reading arbitrary standard input (huge numbers, signs, NULs, no line end,
// the end of input anywhere): every pass returns, the visit ends within a bounded number of
// passes, a stored size is always within 1 to 512 and the frame always matches it.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "app/main_loop.h"
#include "app/settings_screen.h"
#include "platform/headless/headless_control.h"
#include "screen/frame_buffer.h"
#include "world/world.h"

namespace {

bool frameMatchesWorld() {
    if (frameBuffer.size() != static_cast<std::size_t>(world.screenHeight)) {
        return false;
    }
    for (const auto& row : frameBuffer) {
        if (row.size() != static_cast<std::size_t>(world.screenWidth)) {
            return false;
        }
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    headlessReset();
    world = World{4.0f, 11.0f, &demoMap3, 40, 120, 180.0f};
    MainLoopLocals locals{};
    startUp(locals);
    locals.appState = Settings;
    headlessTypeInput(std::string(reinterpret_cast<const char*>(data), size));
    headlessEndInput();
    // Every pass but the last consumes at least one character, so this many always suffice.
    for (std::size_t pass = 0; pass <= size + 1 && locals.appState == Settings; ++pass) {
        runPass(locals);
        if (!isAcceptedDimension(world.screenWidth) || !isAcceptedDimension(world.screenHeight) ||
            settingsHeightPending || !frameMatchesWorld()) {
            std::abort();
        }
    }
    if (locals.appState != Menu) {
        std::abort();  // the visit never ended: a pass that consumed nothing
    }
    return 0;
}
