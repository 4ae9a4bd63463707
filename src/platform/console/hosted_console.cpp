// The console contract functions over the platform's console model.
#include "platform/console/hosted_console.h"

#include <ostream>

#include "platform/console/console_facts.h"
#include "platform/console/console_text.h"

ConsoleCursorInfo hostedCursorInfo{25, true};

namespace {

ConsoleTextBuffer outputBuffer(hostedConsole());  // keeps the reference only
std::ostream outputStream(&outputBuffer);

}  // namespace

ConsoleHandle platformOutputHandle() {
    return &hostedConsole();
}

bool platformGetCursorInfo(ConsoleHandle, ConsoleCursorInfo* info) {
    *info = hostedCursorInfo;
    return true;
}

bool platformSetCursorInfo(ConsoleHandle, const ConsoleCursorInfo* info) {
    hostedCursorInfo = *info;
    return true;
}

bool platformSetCursorPosition(ConsoleHandle, std::int16_t column, std::int16_t row) {
    return hostedConsole().setCursor(column, row);
}

void platformClearConsole() {
    hostedConsole().clear();
}

void platformSetConsoleColours() {
    hostedConsole().setAttribute(RUNNING_ATTRIBUTE);
}

std::ostream& platformOutput() {
    return outputStream;
}
