#include "platform/web/test_hooks.h"

#include <emscripten.h>

#include <cstdio>
#include <string>

#include "tools/trace_line.h"

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
    char line[TRACE_LINE_SIZE + 32];
    const int n = std::snprintf(line, sizeof line, "session=%d ", session);
    formatTraceLine(line + n, sizeof line - n, call);
    setTestState(line, stopped);
}
} // namespace

bool readTestRun(WebTestRun& run) {
    if (!testRunning()) return false;
    run.calls = testSetting("calls", -1);
    run.paced = testSetting("pacing", 1) != 0;
    run.pacedFrom = testSetting("pacedFrom", -1);
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
