// --help and --version for the tools.
#include "tool_info.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

const char* toolVersion() {
    return MAZECAST_VERSION;
}

bool answerInfoOptions(int argc, char* argv[], const char* name, const char* usage, int* status) {
    bool help = false;
    bool version = false;
    for (int i = 1; i < argc; ++i) {
        help = help || std::strcmp(argv[i], "--help") == 0;
        version = version || std::strcmp(argv[i], "--version") == 0;
    }
    if (!help && !version) {
        return false;
    }
    if (help) {
        std::fputs(usage, stdout);
    } else {
        std::printf("%s %s\n", name, toolVersion());
    }
    if (std::fflush(stdout) != 0 || std::ferror(stdout) != 0) {
        std::fprintf(stderr, "%s: cannot write the %s: %s\n", name, help ? "usage" : "version",
                     std::strerror(errno));
        *status = 1;
    } else {
        *status = 0;
    }
    return true;
}
