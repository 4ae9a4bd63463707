// mazecast-headless: runs the game on the headless platform, driven by a script.
#include <fstream>
#include <iostream>
#include <string>

#include "headless_script.h"

int main(int argc, char* argv[]) {
    if (argc > 2) {
        std::cerr << "usage: mazecast-headless [SCRIPT]\n";
        return 2;
    }
    const std::string path = argc == 2 ? argv[1] : "-";
    if (path == "-") {
        return runHeadlessScript(std::cin, std::cout, std::cerr);
    }
    std::ifstream script(path, std::ios::binary);
    if (!script) {
        std::cerr << "mazecast-headless: cannot read '" << path << "'\n";
        return 2;
    }
    return runHeadlessScript(script, std::cout, std::cerr);
}
