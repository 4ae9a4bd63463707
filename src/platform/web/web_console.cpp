// The web platform's console: the console model, the grid that shows it, and the pauses in
// which the page draws it and runs.
#include <emscripten.h>

#include <vector>

#include "platform/console/console_facts.h"
#include "platform/console/hosted_console.h"
#include "platform/platform.h"
#include "platform/web/grid_extent.h"
#include "platform/web/web_page_link.h"
#include "platform/web/web_typing.h"

namespace {

// The console model behind the page's grid: as large as the largest frame.
ConsoleModel console(LARGEST_CONSOLE, LARGEST_CONSOLE);
// The game's default frame is shown until it presents one.
GridExtent extent(DEFAULT_FRAME_COLUMNS, DEFAULT_FRAME_ROWS, LARGEST_CONSOLE, LARGEST_CONSOLE);
std::uint64_t shownChanges = ~std::uint64_t{0};
WebScreen shownScreen = WebScreen::Menu;
std::vector<int> changedRows;  // the rows to draw at this presentation
std::uint64_t pauses = 0;

WebScreen currentScreen() {
    if (webReadingInput()) {
        return WebScreen::Prompt;
    }
    return console.attribute() == RUNNING_ATTRIBUTE ? WebScreen::Demo : WebScreen::Menu;
}

// Hands the page the rows marked as changed since the last presentation (all of them when
// the grid changed size), then clears the marks.
void showChanges() {
    const bool resized = extent.settle();
    const WebScreen screen = currentScreen();
    if (!resized && console.changes() == shownChanges && screen == shownScreen) {
        return;
    }
    shownChanges = console.changes();
    shownScreen = screen;
    changedRows.clear();
    for (int row = 0; row < extent.rows(); ++row) {
        if (resized || console.rowChanged(row)) {
            changedRows.push_back(row);
        }
    }
    console.clearRowChanges();
    webShowConsole(console.rowCharacters(0), console.rowAttributes(0), extent.columns(),
                   extent.rows(), console.columns(), changedRows.data(),
                   static_cast<int>(changedRows.size()), static_cast<int>(screen));
}

}  // namespace

ConsoleModel& hostedConsole() {
    return console;
}

std::uint64_t webPauseCount() {
    return pauses;
}

void webPause(std::uint32_t milliseconds) {
    showChanges();
    ++pauses;
    emscripten_sleep(milliseconds);
}

void webWaitForInput(std::uint32_t longestMilliseconds) {
    showChanges();
    ++pauses;
    webWaitForEvent(longestMilliseconds);
}

const char* platformName() {
    return "web";
}

bool platformWriteRow(ConsoleHandle, const char* chars, std::uint32_t length, std::int16_t column,
                      std::int16_t row) {
    extent.rowWritten(column, row, length);
    return console.writeRow(column, row, chars, length);
}

void platformSleep(std::uint32_t milliseconds) {
    webPause(milliseconds);
}
