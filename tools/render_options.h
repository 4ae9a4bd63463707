// Command-line options of mazecast-render: which map, pose and frame size to render.
#pragma once

#include <string>

struct RenderOptions {
    int map;  // 1, 2 or 3
    float x;
    float y;
    float angle;
    int width;   // 1 to 512
    int height;  // 1 to 512
    bool raw;    // print the wall glyph as byte 219 instead of UTF-8
};

// Parses argv[1..argc-1] into options. Returns false with a one-line message in `error` for
// an unknown, repeated or missing option, a bad number, a map other than 1-3, a size outside
// 1-512 or a position whose cell lies outside the 32 x 32 grid.
bool parseRenderOptions(int argc, const char* const argv[], RenderOptions& options,
                        std::string& error);
