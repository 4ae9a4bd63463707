// mazecast-render: prints one running frame (view and status line) for a given map and pose.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/console/console_facts.h"
#include "render/ray_caster.h"
#include "render/status_line.h"
#include "render_options.h"
#include "screen/frame_buffer.h"
#include "tool_info.h"
#include "world/world.h"

namespace {

constexpr const char USAGE[] =
    "usage: mazecast-render --map N --x X --y Y --angle A [--width W] [--height H] [--raw]\n"
    "Prints the running view and the status line of demo map N (1, 2 or 3) seen from the\n"
    "position (X, Y) facing A degrees, on a frame of W x H characters (default 120 x 40, each\n"
    "1 to 512): H rows, each followed by a line end. The wall glyph is printed as UTF-8, or as\n"
    "the single byte 219 with --raw.\n"
    "  --help     print this text and exit\n"
    "  --version  print the version and exit\n"
    "Exit status: 0 when the frame was printed, 1 when it could not be written, 2 for a bad or\n"
    "missing option.\n";

}  // namespace

int main(int argc, char* argv[]) {
    int infoStatus = 0;
    if (answerInfoOptions(argc, argv, "mazecast-render", USAGE, &infoStatus)) {
        return infoStatus;
    }
    RenderOptions options{};
    std::string error;
    if (!parseRenderOptions(argc, argv, options, error)) {
        std::fprintf(stderr, "mazecast-render: %s\n", error.c_str());
        return 2;
    }
    const MapGrid* const maps[] = {&demoMap1, &demoMap2, &demoMap3};
    world.currentMap = maps[options.map - 1];
    world.playerX = options.x;
    world.playerY = options.y;
    world.viewAngle = options.angle;
    world.screenWidth = options.width;
    world.screenHeight = options.height;
    resizeFrameBuffer();
    castView();
    drawStatusLine();

    std::string out;
    for (const std::vector<char>& row : frameBuffer) {
        for (const char cell : row) {
            if (cell == WALL_GLYPH && !options.raw) {
                out += WALL_UTF8;
            } else {
                out += cell;
            }
        }
        out += '\n';
    }
    // A frame larger than stdio's buffer fails in fwrite, a smaller one only when flushed.
    errno = 0;
    if (std::fwrite(out.data(), 1, out.size(), stdout) != out.size() || std::fflush(stdout) != 0 ||
        std::ferror(stdout)) {
        const int reason = errno;
        std::fprintf(stderr, "mazecast-render: cannot write the frame%s%s\n", reason ? ": " : "",
                     reason ? std::strerror(reason) : "");
        return 1;
    }
    return 0;
}
