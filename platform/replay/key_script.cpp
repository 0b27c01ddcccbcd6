#include "platform/replay/key_script.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/ports/keyboard.h"
#include "platform/replay/replay.h"
#include "platform/storage/files.h"

bool parseKeyLine(const char* p, KeyEvent& event) {
    char callText[32], kind[16], codeText[32], extra[2];
    long call = 0, code = 0;
    if (std::sscanf(p, "%31s %15s %31s %1s", callText, kind, codeText, extra) != 3) return false;
    if (!parseCount(callText, call) || !parseCount(codeText, code) || code > INT_MAX) return false;
    const bool down = std::strcmp(kind, "down") == 0;
    if (!down && std::strcmp(kind, "up") != 0) return false;
    event = {call, down, static_cast<int>(code)};
    return true;
}

bool parseCount(const char* text, long& value) {
    if (!text || !*text) return false;
    char* end = nullptr;
    errno = 0;
    const long v = std::strtol(text, &end, 10);
    if (errno != 0 || *end != '\0' || v < 0) return false;
    value = v;
    return true;
}

bool readKeyScript(const char* path, std::vector<KeyEvent>& events, std::string& error) {
    events.clear();
    std::FILE* f = openFile(path, "r");
    if (!f) {
        error = std::string("cannot read input file '") + path + "'";
        return false;
    }
    char line[512];
    long lineNo = 0;
    bool ok = true;
    while (ok && std::fgets(line, sizeof line, f)) {
        ++lineNo;
        const std::string where = std::string(path) + ":" + std::to_string(lineNo) + ": ";
        const size_t length = std::strlen(line);
        if (length == sizeof line - 1 && line[length - 1] != '\n' && !std::feof(f)) {
            error = where + "line too long";
            ok = false;
            break;
        }
        const char* p = line;
        while (*p == ' ' || *p == '\t') ++p;
        if (*p == '\0' || *p == '\n' || *p == '\r' || *p == '#') continue;
        KeyEvent event;
        if (!parseKeyLine(p, event)) {
            error = where + "expected 'C down CODE' or 'C up CODE'";
            ok = false;
        } else if (!events.empty() && event.call < events.back().call) {
            error = where + "call index decreases";
            ok = false;
        } else {
            events.push_back(event);
        }
    }
    if (ok && std::ferror(f)) {
        error = std::string("cannot read input file '") + path + "'";
        ok = false;
    }
    std::fclose(f);
    return ok;
}

void deliverKeyEvents(const std::vector<KeyEvent>& events, size_t& next, long call) {
    for (; next < events.size() && events[next].call == call; ++next) {
        recordKey(events[next].down, events[next].code);
        if (events[next].down)
            keyDown(events[next].code);
        else
            keyUp(events[next].code);
    }
}
