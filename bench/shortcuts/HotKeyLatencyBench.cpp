// From a key press sent by xdotool to the key-up action of the hot key, on a real X display.
// Run under tests/support/with-x11. Each repetition is one press; the median is reported.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "foundation/ManualScheduler.h"
#include "platform/fake/InMemoryDefaults.h"
#include "platform/linux/XcbHotKeyBackend.h"
#include "platform/linux/XkbKeyboardLayout.h"
#include "shortcuts/Registry.h"

namespace {

using namespace pindrake;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

struct HotKeyRig {
    ManualScheduler queue;
    platform::InMemoryDefaults defaults;
    std::unique_ptr<platform::XcbHotKeyBackend> backend =
        platform::XcbHotKeyBackend::connect(queue);
    std::unique_ptr<platform::XkbKeyboardLayout> layout = platform::XkbKeyboardLayout::forDisplay();
    std::unique_ptr<GlobalShortcuts::Registry> registry;
    Clock::time_point keyDownAt;
    Clock::time_point keyUpAt;
    int keyUps = 0;

    HotKeyRig() {
        if (!backend)
            return;
        registry = std::make_unique<GlobalShortcuts::Registry>(defaults, *backend, *layout);
        const auto& toggle = GlobalShortcuts::Name::toggleHistory();
        registry->declare(toggle);
        registry->onKeyDown(toggle, [this] { keyDownAt = Clock::now(); });
        registry->onKeyUp(toggle, [this] {
            keyUpAt = Clock::now();
            ++keyUps;
        });
    }

    // Runs the main queue until the next key-up action, for at most two seconds.
    bool awaitKeyUp(int before) {
        const auto deadline = Clock::now() + 2s;
        while (keyUps == before) {
            if (Clock::now() > deadline)
                return false;
            queue.waitForPost(10ms);
            queue.runUntilIdle();
        }
        return true;
    }
};

HotKeyRig& rig() {
    static HotKeyRig instance;
    return instance;
}

double seconds(Clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

// One long-lived xdotool reading commands from a pipe, so its start-up is not counted. With
// "--delay 0" the release follows the press at once; by default xdotool waits between the key
// events it sends, which the second run includes.
void pressToKeyUp(benchmark::State& state, const char* command) {
    auto& r = rig();
    if (!r.registry) {
        state.SkipWithError("no X display");
        return;
    }
    static FILE* xdotool = popen("xdotool -", "w");
    if (!xdotool) {
        state.SkipWithError("xdotool could not be started");
        return;
    }
    for (auto _ : state) {
        const int before = r.keyUps;
        const auto sentAt = Clock::now();
        std::fputs(command, xdotool);
        std::fflush(xdotool);
        if (!r.awaitKeyUp(before)) {
            state.SkipWithError("no key-up within 2 s");
            return;
        }
        state.SetIterationTime(seconds(r.keyUpAt - sentAt));
        state.counters["press_to_key_down_ms"] = seconds(r.keyDownAt - sentAt) * 1000;
    }
}
void BM_PressToKeyUp(benchmark::State& state) {
    pressToKeyUp(state, "key --delay 0 shift+super+v\n");
}
void BM_PressToKeyUpWithXdotoolDelay(benchmark::State& state) {
    pressToKeyUp(state, "key shift+super+v\n");
}
BENCHMARK(BM_PressToKeyUp)
    ->Iterations(1)
    ->Repetitions(50)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_PressToKeyUpWithXdotoolDelay)
    ->Iterations(1)
    ->Repetitions(50)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->ReportAggregatesOnly(true);

// The same with a new xdotool process per press, start-up included.
void BM_XdotoolProcessToKeyUp(benchmark::State& state) {
    auto& r = rig();
    if (!r.registry) {
        state.SkipWithError("no X display");
        return;
    }
    for (auto _ : state) {
        const int before = r.keyUps;
        const auto sentAt = Clock::now();
        if (std::system("xdotool key shift+super+v") != 0 || !r.awaitKeyUp(before)) {
            state.SkipWithError("xdotool or the key-up failed");
            return;
        }
        state.SetIterationTime(seconds(r.keyUpAt - sentAt));
    }
}
BENCHMARK(BM_XdotoolProcessToKeyUp)
    ->Iterations(1)
    ->Repetitions(50)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->ReportAggregatesOnly(true);

}  // namespace

BENCHMARK_MAIN();
