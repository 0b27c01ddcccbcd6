#include "tools/bench/script.h"

#include <cstdio>
#include <cstring>

#include "game/frame.h"
#include "game/state.h"
#include "platform/ports/display.h"
#include "platform/ports/hiscore.h"
#include "platform/ports/keyboard.h"
#include "platform/replay/replay.h"

namespace {
constexpr int ONE_SECOND = 60;

} // namespace

std::vector<ScriptEvent> madeUpScript(long calls) {
    std::vector<ScriptEvent> events;
    unsigned seed = 12345;
    auto next = [&seed](unsigned n) {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 16) % n;
    };
    long call = ONE_SECOND;
    int held = 0;
    while (call < calls) {
        if (held) events.push_back({call, false, held});
        if (next(10) == 0) {
            events.push_back({call, true, KEY_SPACE});
            events.push_back({call + 2, false, KEY_SPACE});
            held = 0;
            call += 3;
            continue;
        }
        held = KEY_LEFT + static_cast<int>(next(4));
        events.push_back({call, true, held});
        call += 1 + static_cast<long>(next(90));
    }
    if (held) events.push_back({calls, false, held});
    return events;
}

std::vector<ScriptEvent> benchScript(const char* winningGame, std::string& source) {
    std::vector<ScriptEvent> events;
    std::string error;
    if (winningGame && readKeyScript(winningGame, events, error) && !events.empty()) {
        source = winningGame;
        return events;
    }
    source = "a made-up game of 6000 calls (no winning game input found)";
    return madeUpScript(6000);
}

long scriptCalls(const std::vector<ScriptEvent>& events) {
    for (const ScriptEvent& e : events)
        if (e.down && e.code == KEY_ESCAPE) return e.call;
    return events.empty() ? 0 : events.back().call + 1 + ONE_SECOND;
}

long playScript(const std::vector<ScriptEvent>& events, long calls, void (*atStart)(),
                void (*atEnd)()) {
    std::remove("Score");
    resetGameState();
    clearQuitRequest();
    game.hiscore = loadHiscore();
    const long flipsBefore = flipCount();
    if (atStart) atStart();
    size_t next = 0;
    bool escaped = false;
    for (long call = 0; call < calls && !escaped; ++call) {
        if (recording()) setReplayCall(call);
        for (; next < events.size() && events[next].call == call; ++next) {
            const ScriptEvent& e = events[next];
            escaped = e.down && e.code == KEY_ESCAPE;
            if (escaped) break;
            recordKey(e.down, e.code); // nothing unless a replay is being recorded
            if (e.down)
                keyDown(e.code);
            else
                keyUp(e.code);
        }
        if (escaped) break;
        runFrame();
        if (recording()) digestCall();
    }
    if (atEnd) atEnd();
    return flipCount() - flipsBefore;
}
