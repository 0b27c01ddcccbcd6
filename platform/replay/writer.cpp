// Writing a recording: one formatter that allocates nothing and calls no
// stdio, so the crash handler writes with it too, and the files' writers.
#include <climits>
#include <cstring>

#include "platform/replay/internal.h"
#include "platform/replay/replay.h"
#include "platform/storage/files.h"

namespace {

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
    if (rec.speed != 100) line.put("# speed ").number(rec.speed).put("\n");
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

std::string describeReplayState(const ReplayState& s) {
    Line line;
    describeState(line, s);
    return std::string(line.text, line.n);
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
