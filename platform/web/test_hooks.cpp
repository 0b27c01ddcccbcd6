#include "platform/web/test_hooks.h"

#include <emscripten.h>

#include <cstdio>
#include <string>

#include "game/state.h"
#include "platform/display.h"

// The bodies of EM_JS are JavaScript, kept as written.
// clang-format off
EM_JS(int, testSetting, (const char* name, int fallback), {
    var test = Module.tirlaneTest;
    if (!test || !(UTF8ToString(name) in test)) return fallback;
    return test[UTF8ToString(name)] | 0;
});

EM_JS(int, testRunning, (), { return Module.tirlaneTest ? 1 : 0; });

EM_JS(int, writeTestScript, (const char* path), {
    var test = Module.tirlaneTest;
    if (typeof test.script !== "string") return 0;
    FS.writeFile(UTF8ToString(path), test.script);
    return 1;
});

EM_JS(void, setTestState, (const char* line, int stopped), {
    Module.tirlaneTest.state = UTF8ToString(line);
    if (stopped) Module.tirlaneTest.stopped = true;
});
// clang-format on

namespace {
constexpr const char* SCRIPT_FILE = "/tmp/keys.txt";
int lastSession = 0;
long lastCall = -1;

void publish(int session, long call, bool stopped) {
    char line[2048];
    int n =
        std::snprintf(line, sizeof line,
                      "session=%d call=%ld flips=%ld screen=%d phase=%d prepared=%d score=%d "
                      "hiscore=%d lives=%d x=%d y=%d mx=%d my=%d cross=%d key=%d demo=%d "
                      "wait=%d guards=",
                      session, call, flipCount(), game.screen, game.phase, game.preparedScreen,
                      game.score, game.hiscore, game.lives, game.playerX, game.playerY, game.moveX,
                      game.moveY, game.crossingSide, game.heldKey, game.demoPos, game.demoWait);
    for (int g = 1; g <= GUARD_COUNT; ++g)
        n += std::snprintf(line + n, sizeof line - n, "%s%d:%d", g > 1 ? "," : "", guards[g].pos,
                           guards[g].vel);
    n += std::snprintf(line + n, sizeof line - n, " sides=");
    for (int s = 1; s <= SIDE_COUNT; ++s)
        n += std::snprintf(line + n, sizeof line - n, "%s%d", s > 1 ? "," : "", sides[s]);
    n += std::snprintf(line + n, sizeof line - n, " boxes=");
    for (int b = 1; b <= BOX_COUNT; ++b) line[n++] = boxes[b] ? '1' : '0';
    line[n] = '\0';
    setTestState(line, stopped);
}
} // namespace

bool readTestRun(WebTestRun& run) {
    if (!testRunning()) return false;
    run.calls = testSetting("calls", -1);
    run.paced = testSetting("pacing", 1) != 0;
    run.logPresents = testSetting("logPresents", 0) != 0;
    run.events.clear();
    if (writeTestScript(SCRIPT_FILE)) {
        std::string error;
        if (!readKeyScript(SCRIPT_FILE, run.events, error))
            std::fprintf(stderr, "tirlane: the test's key script: %s\n", error.c_str());
    }
    return true;
}

void publishState(int session, long call) {
    lastSession = session;
    lastCall = call;
    publish(session, call, false);
}

void publishStopped() {
    publish(lastSession, lastCall, true);
}
