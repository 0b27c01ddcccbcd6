#include "platform/replay/replay.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <sstream>

#include "game/state.h"
#include "platform/ports/display.h"
#include "platform/storage/files.h"
#include "platform/ports/hiscore.h"

namespace {

long currentCall = 0;

// FNV-1a over the game's whole state after each call.
constexpr uint64_t DIGEST_START = 0xcbf29ce484222325ull;
constexpr uint64_t DIGEST_PRIME = 0x100000001b3ull;
uint64_t runDigest = DIGEST_START;
long flipBase = 0; // flips are counted from the start of the recording or playback

void mix(int64_t value) {
    for (int i = 0; i < 8; ++i) {
        runDigest ^= static_cast<uint8_t>(value >> (8 * i));
        runDigest *= DIGEST_PRIME;
    }
}

bool isReplayKey(int code) {
    return code == KEY_ESCAPE || code == KEY_SPACE || (code >= KEY_LEFT && code <= KEY_DOWN);
}

// --- Reading

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

// --- Recording

struct Recorder {
    std::unique_ptr<KeyEvent[]> events;
    std::unique_ptr<HiscoreRead[]> reads;
    std::unique_ptr<ReplayCheck[]> checks;
    size_t maxEvents = 0, maxReads = 0, maxChecks = 0;
    size_t eventCount = 0, readCount = 0, checkCount = 0;
    bool on = false;
    long quitCall = -1, quitFlip = -1;
    long truncatedAt = -1;
    ReplayState truncatedState{};
    ReplayState end{};
    bool finished = false;
    // The state as the current call began: where a crash within it ends the
    // recording.
    ReplayState callStart{};
    bool callStarted = false;
};
Recorder rec;

// Stops recording before the current call, which is about to run: the state
// now is the end of what the file holds.
void truncateHere() {
    if (rec.truncatedAt >= 0) return;
    rec.truncatedAt = currentCall;
    rec.truncatedState = currentReplayState(currentCall);
    // Events already stamped with this call would come after the end.
    while (rec.eventCount > 0 && rec.events[rec.eventCount - 1].call >= currentCall)
        --rec.eventCount;
}

// --- Playback

struct Player {
    const Replay* replay = nullptr;
    size_t nextRead = 0;
    size_t nextCheck = 0;
    std::string divergence; // the first difference seen while playing
};
Player player;

int32_t playedHiscore() {
    const Replay& r = *player.replay;
    if (player.nextRead >= r.reads.size()) {
        if (player.divergence.empty())
            player.divergence = "the run read a hiscore in call " + std::to_string(currentCall) +
                                " that the replay does not hold";
        return 0;
    }
    const HiscoreRead& read = r.reads[player.nextRead++];
    const long expected = player.nextRead == 1 ? HISCORE_READ_AT_START : currentCall;
    if (read.call != expected && player.divergence.empty())
        player.divergence = "a hiscore was read in call " + std::to_string(currentCall) +
                            ", the replay has it in call " + std::to_string(read.call);
    return read.value;
}

// A line built in place, with no allocation and no stdio, so that a crash
// handler can format the recording with it.
struct Line {
    char text[200];
    size_t n = 0;
    Line& put(const char* s) {
        while (*s && n < sizeof text) text[n++] = *s++;
        return *this;
    }
    Line& number(long long v) {
        char digits[24];
        int k = 0;
        unsigned long long u = v < 0 ? 0ull - static_cast<unsigned long long>(v) : v;
        do digits[k++] = char('0' + u % 10);
        while ((u /= 10) != 0);
        if (v < 0) put("-");
        while (k > 0 && n < sizeof text) text[n++] = digits[--k];
        return *this;
    }
    Line& hex(uint64_t v) {
        for (int i = 15; i >= 0 && n < sizeof text; --i)
            text[n++] = "0123456789abcdef"[(v >> (4 * i)) & 15];
        return *this;
    }
};

void describeState(Line& line, const ReplayState& s) {
    line.put("calls=").number(s.calls).put(" flips=").number(s.flips);
    line.put(" score=").number(s.score).put(" hiscore=").number(s.hiscore);
    line.put(" lives=").number(s.lives).put(" screen=").number(s.screen);
    line.put(" digest=").hex(s.digest);
}

// The recording as text, line by line through `out` (false from it stops
// the writing). A crashed recording stops at the call that crashed: its
// events are kept, reads within it are not, and it ends in the state the
// call began in. Check lines, events and reads go in call order: the
// digest after C calls, then the events delivered before call C, then the
// reads within it.
template <class Out> bool formatRecording(Out&& out, bool crashed) {
    crashed = crashed && rec.truncatedAt < 0;
    const long last = crashed ? rec.callStart.calls : LONG_MAX;
    Line line;
    line.put("# tirlane replay ").number(REPLAY_FORMAT).put("\n# game ").put(TIRLANE_VERSION);
    line.put("\n");
    if (!out(line.text, line.n)) return false;
    size_t e = 0, r = 0, c = 0;
    // Each stream's next call, LONG_MAX once it is done with.
    auto eventAt = [&] {
        return e < rec.eventCount && rec.events[e].call <= last ? rec.events[e].call : LONG_MAX;
    };
    auto readAt = [&] {
        return r < rec.readCount && rec.reads[r].call < last ? rec.reads[r].call : LONG_MAX;
    };
    auto checkAt = [&] {
        return c < rec.checkCount && rec.checks[c].call <= last ? rec.checks[c].call : LONG_MAX;
    };
    for (;;) {
        const long ev = eventAt(), rd = readAt(), ck = checkAt();
        if (ev == LONG_MAX && rd == LONG_MAX && ck == LONG_MAX) break;
        line.n = 0;
        if (rd != LONG_MAX && (rd == HISCORE_READ_AT_START || (rd < ev && rd < ck))) {
            const HiscoreRead& read = rec.reads[r++];
            line.put("# hiscore ");
            if (read.call == HISCORE_READ_AT_START)
                line.put("start");
            else
                line.number(read.call);
            line.put(" ").number(read.value);
        } else if (ck != LONG_MAX && ck <= ev) {
            const ReplayCheck& check = rec.checks[c++];
            line.put("# check ").number(check.call).put(" ").hex(check.digest);
        } else {
            const KeyEvent& event = rec.events[e++];
            line.number(event.call).put(event.down ? " down " : " up ").number(event.code);
        }
        line.put("\n");
        if (!out(line.text, line.n)) return false;
    }
    line.n = 0;
    const ReplayState* end = &rec.end;
    if (rec.truncatedAt >= 0) {
        line.put("# truncated ").number(rec.truncatedAt).put("\n");
        end = &rec.truncatedState;
    } else if (crashed) {
        line.put("# crashed ").number(rec.callStart.calls).put("\n");
        end = &rec.callStart;
    } else if (rec.quitCall >= 0) {
        line.put("# quit ").number(rec.quitCall).put(" ").number(rec.quitFlip).put("\n");
    }
    line.put("# end ");
    describeState(line, *end);
    line.put("\n");
    return out(line.text, line.n);
}

// Gathers a crash recording's lines and writes them in large pieces.
struct CrashWriter {
    char bytes[1 << 16];
    size_t n = 0;
    FilePiece put = nullptr;
    void* file = nullptr;
    bool add(const char* text, size_t size) {
        if (n + size > sizeof bytes) {
            if (!put(file, bytes, n)) return false;
            n = 0;
        }
        std::memcpy(bytes + n, text, size);
        n += size;
        return true;
    }
};
CrashWriter crashWriter; // not on the handler's small stack

bool produceCrashRecording(FilePiece put, void* file) {
    crashWriter.n = 0;
    crashWriter.put = put;
    crashWriter.file = file;
    return formatRecording(
               [](const char* text, size_t size) { return crashWriter.add(text, size); }, true) &&
           (crashWriter.n == 0 || put(file, crashWriter.bytes, crashWriter.n));
}

} // namespace

ReplayState currentReplayState(long calls) {
    return {calls,    flipCount() - flipBase, game.score, game.hiscore, game.lives, game.screen,
            runDigest};
}

std::string describeReplayState(const ReplayState& s) {
    Line line;
    describeState(line, s);
    return std::string(line.text, line.n);
}

void digestCall() {
    const GameState& g = game;
    for (int32_t field :
         {g.screen, g.preparedScreen, g.phase, g.lives, g.score, g.hiscore, g.playerX, g.playerY,
          g.moveX, g.moveY, g.crossingSide, g.heldKey, g.demoPos, g.demoWait, int32_t(g.soundOn)})
        mix(field);
    for (int i = 1; i <= SIDE_COUNT; ++i) mix(sides[i]);
    for (int i = 1; i <= BOX_COUNT; ++i) mix(boxes[i]);
    for (int i = 1; i <= GUARD_COUNT; ++i)
        mix(int64_t(guards[i].pos) << 32 | uint32_t(guards[i].vel));
    mix(flipCount() - flipBase);
    // A replay playing is compared at each of its check lines, after the
    // call that completes that many calls.
    if (player.replay && player.divergence.empty()) {
        const std::vector<ReplayCheck>& checks = player.replay->checks;
        const long done = currentCall + 1;
        while (player.nextCheck < checks.size() && checks[player.nextCheck].call <= done) {
            const ReplayCheck& check = checks[player.nextCheck++];
            if (check.call == done && check.digest != runDigest)
                player.divergence = "the run went another way by call " +
                                    std::to_string(check.call) + " (its check line differs)";
        }
    }
}

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
            char callText[32], kind[16], codeText[32], extra[2];
            long call = 0, code = 0;
            const bool parsed =
                std::sscanf(p, "%31s %15s %31s %1s", callText, kind, codeText, extra) == 3 &&
                parseCall(callText, call) && parseCount(codeText, code) &&
                (std::strcmp(kind, "down") == 0 || std::strcmp(kind, "up") == 0);
            if (!parsed) {
                why = "expected 'C down CODE' or 'C up CODE'";
                ok = false;
            } else if (!isReplayKey(static_cast<int>(code)) || code > INT_MAX) {
                why = "key code " + std::to_string(code) + " is not one the game uses";
                ok = false;
            } else if (!replay.events.empty() && call < replay.events.back().call) {
                why = "call index decreases";
                ok = false;
            } else {
                replay.events.push_back({call, std::strcmp(kind, "down") == 0, int(code)});
            }
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

void setReplayCall(long call) {
    currentCall = call;
    if (!rec.on || rec.truncatedAt >= 0 || call < 0) return;
    // Between calls: a recording with no room left for the reads of another
    // call, or for a check line due now, ends here, where the game's state
    // is the end of what it holds. (A paused game sets the same call again.)
    const bool checkDue = call > 0 && call % REPLAY_CHECK_EVERY == 0 &&
                          (rec.checkCount == 0 || rec.checks[rec.checkCount - 1].call != call);
    if (rec.readCount + 2 > rec.maxReads || (checkDue && rec.checkCount == rec.maxChecks))
        return truncateHere();
    if (checkDue) rec.checks[rec.checkCount++] = {call, runDigest};
    rec.callStart = currentReplayState(call);
    rec.callStarted = true;
}

void startRecording(size_t maxEvents, size_t maxReads, size_t maxChecks) {
    rec = Recorder{};
    runDigest = DIGEST_START;
    flipBase = flipCount();
    currentCall = HISCORE_READ_AT_START;
    rec.events.reset(new (std::nothrow) KeyEvent[maxEvents]);
    rec.reads.reset(new (std::nothrow) HiscoreRead[maxReads]);
    rec.checks.reset(new (std::nothrow) ReplayCheck[maxChecks]);
    rec.on = rec.events && rec.reads && rec.checks && maxReads > 0;
    rec.maxEvents = rec.on ? maxEvents : 0;
    rec.maxReads = rec.on ? maxReads : 0;
    rec.maxChecks = rec.on ? maxChecks : 0;
}

bool recording() {
    return rec.on;
}

void recordKey(bool down, int code) {
    if (!rec.on || rec.truncatedAt >= 0 || !isReplayKey(code)) return;
    const bool held = code != KEY_ESCAPE;
    if (held && down && code == game.heldKey) return; // a repeat: nothing changes
    if (!down && code != game.heldKey) return;        // not the held key: nothing changes
    if (rec.eventCount == rec.maxEvents) return truncateHere();
    rec.events[rec.eventCount++] = {currentCall < 0 ? 0 : currentCall, down, code};
}

void recordHiscoreRead(int32_t value) {
    if (!rec.on || rec.truncatedAt >= 0) return;
    if (rec.readCount == rec.maxReads) return; // setReplayCall ends the recording first
    rec.reads[rec.readCount++] = {currentCall, value};
}

long replayFlips() {
    return flipCount() - flipBase;
}

void recordQuitWithinCall() {
    if (!rec.on || rec.truncatedAt >= 0) return;
    rec.quitCall = currentCall;
    rec.quitFlip = replayFlips();
}

void finishRecording(const ReplayState& end) {
    if (!rec.on) return;
    rec.end = rec.truncatedAt >= 0 ? rec.truncatedState : end;
    rec.finished = true;
}

std::string recordingText() {
    std::string text;
    formatRecording(
        [&text](const char* line, size_t size) {
            text.append(line, size);
            return true;
        },
        false);
    return text;
}

bool writeRecording(const char* path, const char* tempPath) {
    if (!rec.on || !rec.finished || !path || !tempPath) return false;
    const std::string text = recordingText();
    return replaceFile(path, tempPath, text.data(), text.size());
}

bool writeCrashRecording(const char* path, const char* tempPath) {
    if (!rec.on || !rec.callStarted || !path || !tempPath) return false;
    return replaceFileInPieces(path, tempPath, produceCrashRecording);
}

void startPlayback(const Replay& replay) {
    player = Player{};
    player.replay = &replay;
    runDigest = DIGEST_START;
    flipBase = flipCount();
    currentCall = HISCORE_READ_AT_START;
    setHiscoreSource(playedHiscore);
    setHiscoreFileWrites(false);
}

void stopPlayback() {
    player = Player{};
    setHiscoreSource(nullptr);
    setHiscoreFileWrites(true);
}

std::string comparePlaybackEnd(const ReplayState& now) {
    if (!player.replay) return "no replay is playing";
    if (!player.divergence.empty()) return player.divergence;
    if (player.nextRead != player.replay->reads.size())
        return "the run read " + std::to_string(player.nextRead) +
               " hiscore values, the replay holds " + std::to_string(player.replay->reads.size());
    const ReplayState& want = player.replay->end;
    std::string got, wanted;
    auto differs = [&](const char* name, long a, long b) {
        if (a == b) return;
        got += std::string(got.empty() ? "" : " ") + name + "=" + std::to_string(a);
        wanted += std::string(wanted.empty() ? "" : " ") + name + "=" + std::to_string(b);
    };
    differs("calls", now.calls, want.calls);
    differs("flips", now.flips, want.flips);
    differs("score", now.score, want.score);
    differs("hiscore", now.hiscore, want.hiscore);
    differs("lives", now.lives, want.lives);
    differs("screen", now.screen, want.screen);
    if (!got.empty()) return "the run ended with " + got + " where the replay has " + wanted;
    if (now.digest != want.digest)
        return "the run ended in the same state but went another way (the digest differs)";
    return {};
}

bool playbackWentAstray() {
    return player.replay && !player.divergence.empty();
}

std::string comparePlaybackUpTo(long calls) {
    if (!player.replay) return "no replay is playing";
    if (!player.divergence.empty()) return player.divergence;
    size_t due = 0;
    for (const HiscoreRead& read : player.replay->reads) due += read.call < calls ? 1 : 0;
    if (player.nextRead != due)
        return "the run read " + std::to_string(player.nextRead) + " hiscore values by call " +
               std::to_string(calls) + ", the replay holds " + std::to_string(due);
    return {};
}
