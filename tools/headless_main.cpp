// mazecast-headless: runs the game on the headless platform, driven by a script.
#include <cerrno>
#include <cstring>
#include <fstream>
#include <iostream>
#include <string>

#include "headless_script.h"
#include "message_text.h"

int main(int argc, char* argv[]) {
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
