// A long soak of the whole game on the headless platform: many sessions of menu moves,
// settings visits with random (often hostile) input and demos played with random keys and
// mouse motion that crosses the wrap zones, for a given number of running frames. Prints time
// per frame and memory every so often, so a leak or a slowdown shows as a trend.
//   mazecast_soak [FRAMES] [SEED]
#include <sys/resource.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <string>

#include "app/main_loop.h"
#include "platform/headless/headless_control.h"
#include "platform/platform.h"
#include "world/world.h"

namespace {

constexpr int KEYS[] = {KEY_W, KEY_A, KEY_S, KEY_D, KEY_SHIFT, KEY_UP, KEY_DOWN, KEY_RETURN};
constexpr std::uint64_t REPORT_EVERY = 100000;

long residentKilobytes() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmRSS:", 0) == 0) {
            return std::strtol(line.c_str() + 6, nullptr, 10);
        }
    }
    return -1;
}

long peakKilobytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// Text for the settings screen: mostly sizes, sometimes garbage, huge numbers or nothing.
std::string settingsInput(std::mt19937_64& random) {
    const std::string samples[] = {"80 25", "0",     "-5",   "513", "99999999999", "abc",   "12x",
                                   "",      "\t\t7", "+512", "1",   "64\n48",      "200 60"};
    std::string text;
    const int lines = static_cast<int>(random() % 4);
    for (int i = 0; i < lines; ++i) {
        text += samples[random() % std::size(samples)] + "\n";
    }
    return text + std::to_string(1 + random() % 200) + " " + std::to_string(1 + random() % 80) +
           "\n";
}

// A new session: the start menu, maybe a settings visit, then a demo.
void startSession(MainLoopLocals& locals, std::mt19937_64& random) {
    headlessReset();
    world = World{4.0f, 11.0f, &demoMap3, 40, 120, 180.0f};
    startUp(locals);
    if (random() % 2 == 0) {
        headlessHoldKey(KEY_DOWN);
        for (int i = 0; i < 3; ++i) {
            runPass(locals);
        }
        headlessReleaseKey(KEY_DOWN);
        headlessTypeInput(settingsInput(random));
        if (random() % 4 == 0) {
            headlessEndInput();
        }
        headlessTapKey(KEY_RETURN);
        runPass(locals);  // into the settings
        for (int i = 0; i < 100 && locals.appState == Settings; ++i) {
            runPass(locals);  // whatever was typed, the visit ends
        }
        if (locals.appState != Menu) {
            std::puts("the settings screen did not return to the menu");
            std::exit(1);
        }
        headlessHoldKey(KEY_UP);
        for (int i = 0; i < 3; ++i) {
            runPass(locals);
        }
        headlessReleaseKey(KEY_UP);
    }
    headlessHoldKey(KEY_DOWN);
    for (std::uint64_t i = random() % 3; i > 0; --i) {
        runPass(locals);
    }
    headlessReleaseKey(KEY_DOWN);
    headlessTapKey(KEY_RETURN);
    runPass(locals);
}

}  // namespace

int main(int argc, char* argv[]) {
    const std::uint64_t frames = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 1000000;
    std::mt19937_64 random(argc > 2 ? std::strtoull(argv[2], nullptr, 10) : 1);
    MainLoopLocals locals{};
    std::uint64_t sessions = 0;
    std::uint64_t frame = 0;
    std::uint64_t lastReportFrame = 0;
    auto lastReport = std::chrono::steady_clock::now();
    std::printf("%10s %9s %12s %12s %12s\n", "frames", "sessions", "us/frame", "rss KiB",
                "peak KiB");
    while (frame < frames) {
        if (locals.appState != Running || random() % 20000 == 0) {
            startSession(locals, random);
            ++sessions;
            continue;
        }
        const int key = KEYS[random() % std::size(KEYS)];
        if (random() % 2 == 0) {
            headlessHoldKey(key);
        } else {
            headlessReleaseKey(key);
        }
        const std::int32_t motion = static_cast<std::int32_t>(random() % 801) - 400;
        headlessSetCursor(headlessCursorX() + motion, headlessCursorY());
        runPass(locals);
        ++frame;
        if (frame % REPORT_EVERY == 0 || frame == 10000) {
            const auto now = std::chrono::steady_clock::now();
            const double span = std::chrono::duration<double, std::micro>(now - lastReport).count();
            const auto window = static_cast<double>(frame - lastReportFrame);
            std::printf("%10llu %9llu %12.2f %12ld %12ld\n", static_cast<unsigned long long>(frame),
                        static_cast<unsigned long long>(sessions), span / window,
                        residentKilobytes(), peakKilobytes());
            std::fflush(stdout);
            lastReport = now;
            lastReportFrame = frame;
        }
    }
    const bool inRange = world.viewAngle > -1e9f && world.viewAngle < 1e9f &&
                         mapCell(*world.currentMap, static_cast<std::int32_t>(world.playerX),
                                 static_cast<std::int32_t>(world.playerY)) == OPEN_CELL;
    std::printf("%llu frames in %llu sessions; player in open floor: %s\n",
                static_cast<unsigned long long>(frame), static_cast<unsigned long long>(sessions),
                inRange ? "yes" : "NO");
    return inRange ? 0 : 1;
}
