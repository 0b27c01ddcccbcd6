#include "tools/route/recorder.h"

#include "game/frame.h"
#include "platform/ports/keyboard.h"

void Recorder::hold(int code) {
    if (code == held) return;
    if (held != 0) {
        events.push_back({call, false, held});
        keyUp(held);
    }
    if (code != 0) {
        events.push_back({call, true, code});
        keyDown(code);
    }
    held = code;
}

void Recorder::run() {
    runFrame();
    ++call;
}

bool writeEvents(const char* path, const char* header, const std::vector<KeyEvent>& events) {
    FILE* f = std::fopen(path, "w");
    if (!f) return false;
    std::fprintf(f, "%s\n", header);
    for (const KeyEvent& e : events)
        std::fprintf(f, "%ld %s %d\n", e.call, e.down ? "down" : "up", e.code);
    return std::fclose(f) == 0;
}
