// mazecast-headless: runs the game on the headless platform, driven by a script.
#include <cerrno>
#include <cstring>
#include <fstream>
#include <iostream>
#include <string>

#include "headless_script.h"
#include "message_text.h"
#include "tool_info.h"

namespace {

constexpr const char USAGE[] =
    "usage: mazecast-headless [SCRIPT]\n"
    "Runs the whole game on the headless platform (an in-memory console, scripted keys and\n"
    "cursor, a virtual clock), driven by the commands of SCRIPT, one a line; SCRIPT omitted or\n"
    "\"-\" reads them from standard input. Commands: pass [N], hold KEY..., release KEY...,\n"
    "tap KEY..., cursor X Y, move DX [DY], screen WIDTH HEIGHT, console COLUMNS ROWS,\n"
    "type TEXT, eof, show, state. Keys: up, down, enter, shift, w, a, s, d.\n"
    "  --help     print this text and exit\n"
    "  --version  print the version and exit\n"
    "Exit status: 0 when the script ran to its end, 1 when the output could not be written,\n"
    "2 for a script that cannot be read or a bad line.\n";

}  // namespace

int main(int argc, char* argv[]) {
    int infoStatus = 0;
    if (answerInfoOptions(argc, argv, "mazecast-headless", USAGE, &infoStatus)) {
        return infoStatus;
    }
    // The standard streams then read and write their descriptors themselves, so a read error on
    // standard input is reported as one instead of passing for the end of the script.
    std::ios::sync_with_stdio(false);
    if (argc > 2) {
        std::cerr << "usage: mazecast-headless [SCRIPT]\n";
        return 2;
    }
    const std::string path = argc == 2 ? argv[1] : "-";
    if (path == "-") {
        return runHeadlessScript(std::cin, std::cout, std::cerr);
    }
    errno = 0;
    std::ifstream script(path, std::ios::binary);
    if (!script) {
        const int reason = errno;
        std::cerr << "mazecast-headless: cannot read '" << quoteText(path, 256) << "'"
                  << (reason != 0 ? std::string(": ") + std::strerror(reason) : "") << '\n';
        return 2;
    }
    return runHeadlessScript(script, std::cout, std::cerr);
}
