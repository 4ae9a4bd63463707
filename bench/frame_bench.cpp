// The cost of a running frame's parts on the headless platform, against the floor any renderer
// pays: writing every cell of the frame once.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>

#include "allocation_counter.h"
#include "app/main_loop.h"
#include "platform/headless/headless_control.h"
#include "render/ray_caster.h"
#include "render/status_line.h"
#include "screen/frame_buffer.h"
#include "world/world.h"

namespace {

struct Pose {
    const MapGrid* map;
    float x, y, angle;
};

// Each demo's start pose, then a pose looking down demo 3's long open row 14.
const Pose POSES[] = {
    {&demoMap1, 6.0f, 6.0f, 180.0f},
    {&demoMap2, 3.5f, 10.0f, 270.0f},
    {&demoMap3, 15.0f, 3.5f, 180.0f},
    {&demoMap3, 1.5f, 14.5f, 0.0f},
};
const char* const POSE_NAMES[] = {"demo1", "demo2", "demo3", "corridor"};

void setUp(const benchmark::State& state) {
    const Pose& pose = POSES[state.range(0)];
    world = World{pose.x,
                  pose.y,
                  pose.map,
                  static_cast<std::int32_t>(state.range(2)),
                  static_cast<std::int32_t>(state.range(1)),
                  pose.angle};
    resizeFrameBuffer();
}

void reportPerFrame(benchmark::State& state, std::uint64_t allocationsBefore) {
    const double frames = static_cast<double>(state.iterations());
    state.counters["allocs/frame"] =
        static_cast<double>(allocationCount() - allocationsBefore) / frames;
    state.SetLabel(POSE_NAMES[state.range(0)]);
}

void sizes(benchmark::internal::Benchmark* bench) {
    for (const int pose : {0, 1, 2, 3}) {
        for (const auto& [width, height] : {std::pair{120, 40}, {200, 60}, {512, 512}}) {
            bench->Args({pose, width, height});
        }
    }
    bench->ArgNames({"pose", "w", "h"})->Unit(benchmark::kMicrosecond);
}

void BM_CastView(benchmark::State& state) {
    setUp(state);
    const std::uint64_t before = allocationCount();
    for (auto _ : state) {
        benchmark::DoNotOptimize(castView());
        benchmark::ClobberMemory();
    }
    reportPerFrame(state, before);
}
BENCHMARK(BM_CastView)->Apply(sizes);

// The same while turning a pixel each frame, so every frame computes its rays afresh.
void BM_CastViewTurning(benchmark::State& state) {
    setUp(state);
    const float angles[] = {world.viewAngle, world.viewAngle + 0.1f};
    std::size_t frame = 0;
    const std::uint64_t before = allocationCount();
    for (auto _ : state) {
        world.viewAngle = angles[frame++ % 2];
        benchmark::DoNotOptimize(castView());
        benchmark::ClobberMemory();
    }
    reportPerFrame(state, before);
}
BENCHMARK(BM_CastViewTurning)->Apply(sizes);

// The floor: every cell of the same frame written once, row by row.
void BM_WriteEveryCell(benchmark::State& state) {
    setUp(state);
    char value = 'a';
    for (auto _ : state) {
        for (std::vector<char>& row : frameBuffer) {
            std::fill(row.begin(), row.end(), value);
        }
        value = value == 'a' ? 'b' : 'a';
        benchmark::ClobberMemory();
    }
    state.SetLabel(POSE_NAMES[state.range(0)]);
}
BENCHMARK(BM_WriteEveryCell)->Apply(sizes);

void BM_DrawStatusLine(benchmark::State& state) {
    world = World{15.25f, 3.5f, &demoMap3, 40, 120, 359.75f};
    resizeFrameBuffer();
    const std::uint64_t before = allocationCount();
    for (auto _ : state) {
        drawStatusLine();
        benchmark::ClobberMemory();
    }
    state.counters["allocs/frame"] =
        static_cast<double>(allocationCount() - before) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_DrawStatusLine);

// A whole running frame on the headless platform; its pause is virtual, so this is the work.
void BM_HeadlessRenderFrame(benchmark::State& state) {
    headlessReset();
    headlessResizeConsole(static_cast<int>(state.range(1)), static_cast<int>(state.range(2)));
    setUp(state);
    std::int32_t anchor = 960;
    for (auto _ : state) {
        renderFrame(anchor);
    }
    state.SetLabel(POSE_NAMES[state.range(0)]);
}
BENCHMARK(BM_HeadlessRenderFrame)
    ->Args({0, 120, 40})
    ->Args({0, 512, 512})
    ->ArgNames({"pose", "w", "h"})
    ->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
