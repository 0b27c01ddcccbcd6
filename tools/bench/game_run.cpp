// The whole winning game through the headless runner's path: no window, no
// audio, no pacing, every frame composed and flipped.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "platform/ports/display.h"
#include "tools/bench/script.h"

namespace {

void BM_WinningGame(benchmark::State& state) {
    std::string source;
    const std::vector<ScriptEvent> events =
        benchScript(TIRLANE_SOURCE_DIR "/tests/data/win.txt", source);
    const long calls = scriptCalls(events);
    setPresenter(nullptr);
    long flips = 0;
    for (auto _ : state) flips += playScript(events, calls);
    state.counters["flips"] = double(flips) / double(state.iterations());
    state.SetLabel(source);
}
BENCHMARK(BM_WinningGame)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace
