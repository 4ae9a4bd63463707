// mazecast-render: prints one running frame (view and status line) for a given map and pose.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "render/ray_caster.h"
#include "render/status_line.h"
#include "render_options.h"
#include "screen/frame_buffer.h"
#include "world/world.h"

int main(int argc, char* argv[]) {
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
                out += "\xE2\x96\x88";  // U+2588, the full block, in UTF-8
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
