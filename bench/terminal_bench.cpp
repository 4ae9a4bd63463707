// The terminal platform's presentation: the bytes a frame sends (counters) and the time to
// compose them and write them to /dev/null, for the frames a player makes most often.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <string>

#include "control/movement.h"
#include "platform/terminal/terminal_screen.h"
#include "render/ray_caster.h"
#include "render/status_line.h"
#include "screen/frame_buffer.h"
#include "world/world.h"

using namespace terminal_platform;

namespace {

int devNull() {
    static const int fd = open("/dev/null", O_WRONLY);
    return fd;
}

// The terminal platform's console buffer, in the game's running colours.
ConsoleModel& console() {
    static ConsoleModel model = [] {
        ConsoleModel made(512, 512);
        made.setAttribute(0x3F);
        return made;
    }();
    return model;
}

// What the terminal platform does with one frame: every row written into the console buffer,
// the changed cells composed into one buffer and written in one call.
std::size_t presentToTerminal(TerminalScreen& screen) {
    for (std::int32_t row = 0; row < world.screenHeight; ++row) {
        console().writeRow(0, row, frameBuffer[static_cast<std::size_t>(row)].data(),
                           static_cast<std::size_t>(world.screenWidth));
    }
    const std::string bytes = screen.present(console());
    console().clearRowChanges();
    if (!bytes.empty() && write(devNull(), bytes.data(), bytes.size()) < 0) {
        return 0;
    }
    return bytes.size();
}

void drawFrame() {
    castView();
    drawStatusLine();
}

enum Change { Unchanged, OnePixelTurn, Step, FullRepaint };
const char* const CHANGE_NAMES[] = {"unchanged", "one-pixel turn", "step", "full repaint"};

// Alternates between two poses that differ by the change, so every iteration presents it.
void BM_TerminalPresentFrame(benchmark::State& state) {
    const auto change = static_cast<Change>(state.range(0));
    world = World{6.0f,
                  6.0f,
                  &demoMap1,
                  static_cast<std::int32_t>(state.range(2)),
                  static_cast<std::int32_t>(state.range(1)),
                  180.0f};
    resizeFrameBuffer();
    TerminalScreen screen(world.screenWidth, world.screenHeight, true, true);
    drawFrame();
    presentToTerminal(screen);

    const World first = world;
    World second = world;
    if (change == OnePixelTurn) {
        second.viewAngle = first.viewAngle + 0.1f;
    } else if (change == Step) {
        second.playerX = first.playerX - WALK_STEP;
    }
    bool flip = false;
    std::uint64_t bytes = 0;
    for (auto _ : state) {
        state.PauseTiming();
        world = flip ? first : second;
        flip = !flip;
        drawFrame();
        if (change == FullRepaint) {
            screen.forget();
        }
        state.ResumeTiming();
        bytes += presentToTerminal(screen);
    }
    state.counters["bytes/frame"] =
        static_cast<double>(bytes) / static_cast<double>(state.iterations());
    state.SetLabel(CHANGE_NAMES[change]);
}
BENCHMARK(BM_TerminalPresentFrame)
    ->ArgsProduct({{Unchanged, OnePixelTurn, Step, FullRepaint}, {120}, {40}})
    ->ArgsProduct({{Unchanged, FullRepaint}, {512}, {512}})
    ->ArgNames({"change", "w", "h"})
    ->Unit(benchmark::kMicrosecond);

// A running frame's work on the terminal platform apart from its pause: a one-pixel turn and a
// step, the view cast, the status line and the presentation.
void BM_TerminalFrameWork(benchmark::State& state) {
    world = World{6.0f,
                  6.0f,
                  &demoMap1,
                  static_cast<std::int32_t>(state.range(1)),
                  static_cast<std::int32_t>(state.range(0)),
                  180.0f};
    resizeFrameBuffer();
    TerminalScreen screen(world.screenWidth, world.screenHeight, true, true);
    float turn = 0.1f;
    for (auto _ : state) {
        world.viewAngle = world.viewAngle + turn;
        turn = -turn;
        const Direction viewDir = castView();
        drawStatusLine();
        tryMove(viewDir.x * 0.0f, viewDir.y * 0.0f);
        benchmark::DoNotOptimize(presentToTerminal(screen));
    }
}
BENCHMARK(BM_TerminalFrameWork)
    ->Args({120, 40})
    ->Args({200, 60})
    ->Args({512, 512})
    ->ArgNames({"w", "h"})
    ->Unit(benchmark::kMicrosecond);

}  // namespace
