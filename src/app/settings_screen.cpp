// One pass of the settings screen, and how a typed number is read.
#include "app/settings_screen.h"

#include <istream>
#include <limits>
#include <ostream>

#include "platform/platform.h"
#include "screen/frame_buffer.h"
#include "world/world.h"

bool settingsHeightPending = false;

namespace {

constexpr std::uint32_t ENTER_POLL_MS = 10;

enum class ReadOutcome { Stored, Failed, Ended };

// One formatted extraction of a signed integer: it skips white space and empty lines and
// leaves the rest of the line for the next read. Text that is not a number fails; the rest of
// that line is then discarded so the next prompt reads fresh input. No number before the end
// of input is Ended, never a value.
ReadOutcome readDimension(std::int32_t& value) {
    std::istream& in = platformInput();
    // A previous end of input is not final on every platform: more may be typed later.
    in.clear();
    in >> value;
    if (!in.fail()) {
        return ReadOutcome::Stored;
    }
    if (in.eof() || in.bad()) {
        in.clear();
        return ReadOutcome::Ended;
    }
    in.clear();
    in.ignore(std::numeric_limits<std::streamsize>::max(), '\n');
    return ReadOutcome::Failed;
}

// Takes up every Enter press made in this screen, so the menu does not act on the one that
// confirmed the size, and waits while Enter is still held.
void waitForEnterRelease() {
    while (platformKeyState(KEY_RETURN) < 0) {
        platformSleep(ENTER_POLL_MS);
    }
}

void returnToMenu(AppState& appState) {
    settingsHeightPending = false;
    platformClearConsole();
    appState = Menu;
    waitForEnterRelease();
}

}  // namespace

bool isAcceptedDimension(std::int32_t value) {
    return static_cast<std::uint32_t>(value) - 1U <=
           static_cast<std::uint32_t>(MAX_SCREEN_DIMENSION) - 1U;
}

void settingsPass(AppState& appState) {
    std::ostream& out = platformOutput();
    platformSetCursorPosition(platformOutputHandle(), 0, 0);
    out << "Set custom screen resolution\n\n"
        << "Width? " << std::flush;

    const std::int32_t widthBefore = world.screenWidth;
    std::int32_t width = 0;
    const ReadOutcome widthRead = readDimension(width);
    if (widthRead == ReadOutcome::Ended) {
        returnToMenu(appState);
        return;
    }
    if (widthRead == ReadOutcome::Failed || !isAcceptedDimension(width)) {
        out << "Invalid width\n" << std::flush;
        return;
    }
    world.screenWidth = width;
    out << "Set width: " << width << "\n";
    settingsHeightPending = true;

    while (settingsHeightPending) {
        out << "Height? " << std::flush;
        std::int32_t height = 0;
        const ReadOutcome heightRead = readDimension(height);
        if (heightRead == ReadOutcome::Ended) {
            world.screenWidth = widthBefore;  // the visit is abandoned whole
            returnToMenu(appState);
            return;
        }
        if (heightRead == ReadOutcome::Failed || !isAcceptedDimension(height)) {
            out << "Invalid height\n";
            continue;
        }
        world.screenHeight = height;
        resizeFrameBuffer();
        out << "Set resolution: " << world.screenWidth << "x" << world.screenHeight << std::flush;
        platformSleep(RESULT_PAUSE_MS);
        returnToMenu(appState);
    }
}
