// Reading a replay file: every line checked as it comes, then the whole for
// what only the whole can tell (the end line against the rest).
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "game/keys.h"
#include "platform/replay/internal.h"
#include "platform/replay/replay.h"
#include "platform/storage/files.h"

namespace {

bool checkWhole(const Replay& r, std::string& why) {
    if (r.reads.empty()) {
        why = "no start-up hiscore";
        return false;
    }
    for (const KeyEvent& e : r.events) {
        if (e.call > r.end.calls) {
            why = "a key event after the last call";
            return false;
        }
    }
    for (const HiscoreRead& read : r.reads) {
        if (read.call >= r.end.calls + (r.quitCall >= 0 ? 1 : 0)) {
            why = "a hiscore read after the last call";
            return false;
        }
    }
    // The game stops at the flip it was closed at: nothing flips after it.
    if (r.quitCall >= 0 &&
        (r.quitCall != r.end.calls || r.quitFlip < 1 || r.quitFlip != r.end.flips)) {
        why = "the quit line does not match the end";
        return false;
    }
    if (r.truncatedAt >= 0 && r.truncatedAt != r.end.calls) {
        why = "the truncated line does not match the end";
        return false;
    }
    // A recording cut short keeps nothing of the call it stopped before.
    if (r.truncatedAt >= 0 && !r.events.empty() && r.events.back().call >= r.truncatedAt) {
        why = "a key event after the truncation";
        return false;
    }
    if (r.crashedAt >= 0 && r.crashedAt != r.end.calls) {
        why = "the crashed line does not match the end";
        return false;
    }
    if (!r.checks.empty() && r.checks.back().call > r.end.calls) {
        why = "a check line after the last call";
        return false;
    }
    return true;
}

// A key line: the key script's, with a call a replay may hold and a key the
// game acts on.
bool readKeyLine(const char* text, Replay& replay, std::string& why) {
    KeyEvent event{};
    if (!parseKeyLine(text, event) || event.call > REPLAY_MAX_CALLS) {
        why = "expected 'C down CODE' or 'C up CODE'";
        return false;
    }
    if (!isGameKey(event.code)) {
        why = "key code " + std::to_string(event.code) + " is not one the game uses";
        return false;
    }
    if (!replay.events.empty() && event.call < replay.events.back().call) {
        why = "call index decreases";
        return false;
    }
    replay.events.push_back(event);
    return true;
}

} // namespace

bool readReplay(const char* path, Replay& replay, std::string& error) {
    replay = Replay{};
    std::FILE* file = isPlainFile(path) ? openFile(path, "rb") : nullptr;
    if (!file) {
        error = std::string("cannot read replay '") + path + "'";
        return false;
    }
    // Far beyond any run's recording (a million events is about 14 MB), and
    // a bound on what reading a hostile file may take.
    constexpr long LARGEST_FILE = 64 << 20;
    long size = -1;
    if (std::fseek(file, 0, SEEK_END) == 0) size = std::ftell(file);
    if (size < 0 || size > LARGEST_FILE || std::fseek(file, 0, SEEK_SET) != 0) {
        std::fclose(file);
        error = std::string(path) + ": too large for a replay";
        return false;
    }
    std::string whole(static_cast<size_t>(size), '\0');
    const size_t got = std::fread(whole.data(), 1, whole.size(), file);
    std::fclose(file);
    const bool readError = got != whole.size();
    whole.resize(got);
    constexpr size_t LONGEST_LINE = 500;
    long lineNo = 0;
    bool ended = false, ok = true;
    std::string why;
    size_t at = 0;
    while (ok && at < whole.size()) {
        const size_t newline = whole.find('\n', at);
        const bool complete = newline != std::string::npos;
        const std::string text = whole.substr(at, (complete ? newline : whole.size()) - at);
        at = complete ? newline + 1 : whole.size();
        ++lineNo;
        const size_t length = text.size();
        if (text.find('\0') != std::string::npos) {
            why = lineNo == 1 ? "not a Tirlane replay (it holds binary data)"
                              : "a line holds a zero byte";
            ok = false;
            break;
        }
        if (!complete) {
            // Every line the game writes ends with a newline.
            why = "cut short: the last line is incomplete";
            ok = false;
            break;
        }
        if (length > LONGEST_LINE) {
            why = "line too long";
            ok = false;
            break;
        }
        char line[LONGEST_LINE + 2];
        std::memcpy(line, text.c_str(), length + 1);
        char* p = line;
        while (*p == ' ' || *p == '\t') ++p;
        const bool blank = *p == '\0' || *p == '\n' || *p == '\r';
        if (lineNo == 1) {
            int format = 0;
            char tail[2];
            if (std::sscanf(p, "# tirlane replay %d %1s", &format, tail) != 1) {
                why = "not a Tirlane replay (no '# tirlane replay' first line)";
                ok = false;
            } else if (format != REPLAY_FORMAT) {
                why = "replay format " + std::to_string(format) + " is not supported";
                ok = false;
            }
            continue;
        }
        if (blank) continue;
        if (ended) {
            why = "lines after the end line";
            ok = false;
        } else if (*p == '#') {
            ok = readHashLine(p + 1, replay, ended, why);
        } else {
            ok = readKeyLine(p, replay, why);
        }
    }
    const std::string where = std::string(path) + ":" + std::to_string(lineNo) + ": ";
    if (!ok) {
        error = where + why;
        return false;
    }
    if (readError || lineNo == 0) {
        error = std::string(path) + ": " + (readError ? "cannot read" : "empty file, not a replay");
        return false;
    }
    if (!ended) {
        error = std::string(path) + ": cut short (no end line)";
        return false;
    }
    if (!checkWhole(replay, why)) {
        error = std::string(path) + ": " + why;
        return false;
    }
    return true;
}
