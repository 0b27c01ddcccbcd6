// Reading a replay's '#' lines: the hiscore reads, the version, the check
// lines, how the run ended and its end line. Unknown ones are comments.
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "platform/replay/internal.h"
#include "platform/replay/replay.h"

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

} // namespace

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
