// Reading a replay file: every line checked as it comes, then the whole for
// what only the whole can tell (the end line against the rest).
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>

#include "game/keys.h"
#include "platform/replay/replay.h"
#include "platform/storage/files.h"

namespace {

bool parseLong(const char* text, long& value) {
    if (!text || !*text) return false;
    char* end = nullptr;
    errno = 0;
    const long v = std::strtol(text, &end, 10);
    if (errno != 0 || *end != '\0') return false;
    value = v;
    return true;
}

bool parseInt32(const char* text, int32_t& value) {
    long v = 0;
    if (!parseLong(text, v) || v < INT32_MIN || v > INT32_MAX) return false;
    value = static_cast<int32_t>(v);
    return true;
}

bool parseCall(const char* text, long& value) {
    return parseCount(text, value) && value <= REPLAY_MAX_CALLS;
}

// "name=VALUE" with the expected name.
bool parseField(const char* token, const char* name, long& value) {
    const size_t n = std::strlen(name);
    return std::strncmp(token, name, n) == 0 && token[n] == '=' && parseLong(token + n + 1, value);
}

// Exactly 16 hex digits.
bool parseHex16(const char* text, uint64_t& value) {
    if (!text || std::strlen(text) != 16) return false;
    value = 0;
    for (const char* p = text; *p; ++p) {
        const char c = *p;
        const int digit = c >= '0' && c <= '9'   ? c - '0'
                          : c >= 'a' && c <= 'f' ? c - 'a' + 10
                          : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                                 : -1;
        if (digit < 0) return false;
        value = value << 4 | uint64_t(digit);
    }
    return true;
}

bool parseDigest(const char* token, uint64_t& digest) {
    return std::strncmp(token, "digest=", 7) == 0 && parseHex16(token + 7, digest);
}

bool parseEnd(char* rest, ReplayState& end) {
    const char* names[] = {"calls", "flips", "score", "hiscore", "lives", "screen"};
    long values[6] = {};
    uint64_t digest = 0;
    char* save = nullptr;
    int i = 0;
    for (char* token = strtok_r(rest, " \t\r\n", &save); token;
         token = strtok_r(nullptr, " \t\r\n", &save), ++i) {
        if (i < 6 ? !parseField(token, names[i], values[i]) : i > 6 || !parseDigest(token, digest))
            return false;
    }
    if (i != 7 || values[0] < 0 || values[0] > REPLAY_MAX_CALLS || values[1] < 0) return false;
    for (int k = 2; k < 6; ++k)
        if (values[k] < INT32_MIN || values[k] > INT32_MAX) return false;
    end = {values[0],
           values[1],
           static_cast<int32_t>(values[2]),
           static_cast<int32_t>(values[3]),
           static_cast<int32_t>(values[4]),
           static_cast<int32_t>(values[5]),
           digest};
    return true;
}

// One '#' line. Returns false with the reason for a malformed known line;
// unknown ones are comments.
bool readHashLine(char* text, Replay& replay, bool& ended, std::string& why) {
    while (*text == ' ' || *text == '\t') ++text;
    if (std::strncmp(text, "end", 3) == 0 && (text[3] == ' ' || text[3] == '\t')) {
        if (!parseEnd(text + 4, replay.end)) {
            why = "malformed end line";
            return false;
        }
        ended = true;
        return true;
    }
    char* save = nullptr;
    char* word = strtok_r(text, " \t\r\n", &save);
    if (!word) return true;
    char* a = strtok_r(nullptr, " \t\r\n", &save);
    char* b = strtok_r(nullptr, " \t\r\n", &save);
    char* extra = strtok_r(nullptr, " \t\r\n", &save);
    if (std::strcmp(word, "hiscore") == 0) {
        HiscoreRead read{};
        const bool atStart = a && std::strcmp(a, "start") == 0;
        if (atStart)
            read.call = HISCORE_READ_AT_START;
        else if (!parseCall(a, read.call)) {
            why = "bad call in a hiscore line";
            return false;
        }
        if (!parseInt32(b, read.value) || extra) {
            why = "bad hiscore line";
            return false;
        }
        if (atStart != replay.reads.empty() ||
            (!replay.reads.empty() && read.call < replay.reads.back().call)) {
            why = atStart ? "a second start-up hiscore" : "hiscore lines out of order";
            return false;
        }
        replay.reads.push_back(read);
    } else if (std::strcmp(word, "game") == 0) {
        if (!a || b) {
            why = "bad game line";
            return false;
        }
        if (std::strcmp(a, TIRLANE_VERSION) != 0) {
            why = std::string("recorded by Tirlane ") + a + ", this is Tirlane " + TIRLANE_VERSION;
            return false;
        }
    } else if (std::strcmp(word, "speed") == 0) {
        long speed = 0;
        if (!parseCount(a, speed) || speed < 50 || speed > 100 || b) {
            why = "bad speed line";
            return false;
        }
        replay.speed = int(speed);
    } else if (std::strcmp(word, "check") == 0) {
        ReplayCheck check{};
        if (!parseCall(a, check.call) || check.call < 1 || !parseHex16(b, check.digest) || extra) {
            why = "bad check line";
            return false;
        }
        if (!replay.checks.empty() && check.call <= replay.checks.back().call) {
            why = "check lines out of order";
            return false;
        }
        replay.checks.push_back(check);
    } else if (std::strcmp(word, "quit") == 0 || std::strcmp(word, "truncated") == 0 ||
               std::strcmp(word, "crashed") == 0) {
        // A run ends one way only, once.
        if (replay.quitCall >= 0 || replay.truncatedAt >= 0 || replay.crashedAt >= 0) {
            why = std::string("a second way of ending (") + word + ")";
            return false;
        }
        const bool quit = word[0] == 'q';
        long& call = quit             ? replay.quitCall
                     : word[0] == 't' ? replay.truncatedAt
                                      : replay.crashedAt;
        if (!parseCall(a, call) ||
            (quit ? !parseCall(b, replay.quitFlip) || extra : b != nullptr)) {
            call = -1;
            why = std::string("bad ") + word + " line";
            return false;
        }
    }
    return true;
}

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
    whole.resize(got);
    std::istringstream f(whole);
    constexpr size_t LONGEST_LINE = 500;
    std::string text;
    long lineNo = 0;
    bool ended = false, ok = true;
    std::string why;
    while (ok && std::getline(f, text)) {
        ++lineNo;
        const size_t length = text.size();
        if (text.find('\0') != std::string::npos) {
            why = lineNo == 1 ? "not a Tirlane replay (it holds binary data)"
                              : "a line holds a zero byte";
            ok = false;
            break;
        }
        if (f.eof()) {
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
    const bool readError = f.bad();
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
