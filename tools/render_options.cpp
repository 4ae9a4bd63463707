// Strict parsing of mazecast-render's options: every value must be a whole, finite number.
#include "render_options.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "app/settings_screen.h"
#include "message_text.h"
#include "platform/console/console_facts.h"
#include "world/world.h"

namespace {

// Anything that rounds to a finite float is taken, subnormal or zero after underflow (for which
// strtof reports a range error too); an overflow rounds to infinity and is refused.
bool parseFloat(const char* text, float& value) {
    char* end = nullptr;
    const float parsed = std::strtof(text, &end);
    if (end == text || *end != '\0' || !std::isfinite(parsed)) {
        return false;
    }
    value = parsed;
    return true;
}

bool parseInt(const char* text, int& value) {
    char* end = nullptr;
    errno = 0;
    const long parsed = std::strtol(text, &end, 10);
    if (end == text || *end != '\0' || errno == ERANGE || parsed < -1000000 || parsed > 1000000) {
        return false;
    }
    value = static_cast<int>(parsed);
    return true;
}

// A position lies on the grid when its truncated cell does.
bool onGrid(float coordinate) {
    return coordinate > -1.0f && coordinate < static_cast<float>(MAP_SIZE);
}

}  // namespace

bool parseRenderOptions(int argc, const char* const argv[], RenderOptions& options,
                        std::string& error) {
    options = RenderOptions{0, 0.0f, 0.0f, 0.0f, DEFAULT_FRAME_COLUMNS, DEFAULT_FRAME_ROWS, false};
    bool seenMap = false, seenX = false, seenY = false, seenAngle = false;
    bool seenWidth = false, seenHeight = false;
    for (int i = 1; i < argc; ++i) {
        const std::string name = argv[i];
        if (name == "--raw") {
            options.raw = true;
            continue;
        }
        struct Numeric {
            const char* name;
            bool* seen;
            float* real;
            int* whole;
        };
        const Numeric numerics[] = {
            {"--map", &seenMap, nullptr, &options.map},
            {"--x", &seenX, &options.x, nullptr},
            {"--y", &seenY, &options.y, nullptr},
            {"--angle", &seenAngle, &options.angle, nullptr},
            {"--width", &seenWidth, nullptr, &options.width},
            {"--height", &seenHeight, nullptr, &options.height},
        };
        const Numeric* match = nullptr;
        for (const Numeric& numeric : numerics) {
            if (name == numeric.name) {
                match = &numeric;
            }
        }
        if (match == nullptr) {
            error = "unknown option '" + quoteText(name) + "'";
            return false;
        }
        if (*match->seen) {
            error = "option " + name + " given twice";
            return false;
        }
        if (i + 1 >= argc) {
            error = "option " + name + " needs a value";
            return false;
        }
        const char* value = argv[++i];
        const bool parsed = match->real != nullptr ? parseFloat(value, *match->real)
                                                   : parseInt(value, *match->whole);
        if (!parsed) {
            error = "bad value '" + quoteText(value) + "' for " + name;
            return false;
        }
        *match->seen = true;
    }
    if (!seenMap || !seenX || !seenY || !seenAngle) {
        error = "--map, --x, --y and --angle are required";
        return false;
    }
    if (options.map < 1 || options.map > 3) {
        error = "--map must be 1, 2 or 3";
        return false;
    }
    if (!isAcceptedDimension(options.width) || !isAcceptedDimension(options.height)) {
        error = "--width and --height must be from 1 to 512";
        return false;
    }
    if (!onGrid(options.x) || !onGrid(options.y)) {
        error = "the position's cell lies outside the 32 x 32 map";
        return false;
    }
    return true;
}
