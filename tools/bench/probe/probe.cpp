// A measuring probe preloaded into the real game (LD_PRELOAD). It watches the
// two SDL calls every shown frame goes through, from outside the game's own
// clock:
//   SDL_UpdateTexture  the finished frame is handed to the screen texture
//   SDL_RenderPresent  the frame is shown (the first present before any
//                      frame only clears the window and is not counted)
// After TIRLANE_PROBE_FLIPS frames it writes its figures to the file named by
// TIRLANE_PROBE_OUT and asks the game to end as closing the window does.
//
// Figures (one "key value" a line, times in CLOCK_MONOTONIC nanoseconds):
//   first_frame_ns  the first frame handed over
//   first_flip_ns   the first frame shown
//   flips           frames shown
//   counted         intervals in the figures below
// The intervals and present times skip the first TIRLANE_PROBE_SKIP frames
// (start-up: the renderer's first presents are slow).
//   mean_ns stddev_ns min_ns max_ns   intervals between shown frames
//   first_flip_wall_ns  the first frame shown, in CLOCK_REALTIME (for a
//                   start-up timed by a shell script's `date +%s%N`)
//   called_stddev_ns    spread of the intervals between present calls: the
//                   game clock's own steadiness
//   present_mean_ns present_stddev_ns present_max_ns   time spent presenting
//   vmhwm_kb        the peak resident memory so far
// With TIRLANE_PROBE_INTERVALS naming a file, every interval (ns) goes there,
// one a line.
//
// With TIRLANE_PROBE_PRESENTS naming a file, every shown frame is logged
// there when the game ends, one a line: the moment its present returned
// (CLOCK_MONOTONIC ns, the clock a key-pressing tool outside the game reads
// too), a hash of the whole picture, and the colours of a grid of sample
// points (8 x 6, 0xRRGGBB in hexadecimal). The hash and the samples are taken
// after the present has returned, so they never delay a picture.
#include <SDL.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

namespace {

long long nowNs() {
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec * 1000000000LL + t.tv_nsec;
}

long long firstFrame = 0, firstFlip = 0, firstFlipWall = 0, lastFlip = 0;
// When each present was called (the end of the game's wait for its tick) and
// how long it took: the interval spread splits into the clock's and the
// present's share.
struct Spread {
    long n = 0;
    double sum = 0, sumSquares = 0, longest = 0;
    void add(double v) {
        ++n;
        sum += v;
        sumSquares += v * v;
        if (v > longest) longest = v;
    }
    double mean() const { return n ? sum / n : 0; }
    double stddev() const {
        const double variance = n > 1 ? sumSquares / n - mean() * mean() : 0;
        return variance > 0 ? std::sqrt(variance) : 0;
    }
};
Spread calledIntervals, presentTimes;
long long lastCalled = 0;
constexpr long KEPT_INTERVALS = 1 << 16;
long long intervals[KEPT_INTERVALS];
long counted = 0; // intervals counted
long flips = 0;
long wanted = -1;
long warmUp = -1; // frames shown before the intervals are counted
bool done = false;

// The per-present log: filled in place, written once at exit.
constexpr int SAMPLE_COLUMNS = 8, SAMPLE_ROWS = 6;
struct Shown {
    long long at;
    unsigned long long hash;
    unsigned samples[SAMPLE_COLUMNS * SAMPLE_ROWS];
};
constexpr long KEPT_SHOWN = 1 << 14;
Shown shown[KEPT_SHOWN];
long shownCount = 0;
const unsigned* framePixels = nullptr; // the frame last handed to the texture
int framePitch = 0;                    // in bytes

double sum = 0, sumSquares = 0;
long long shortest = 0, longest = 0;

long wantedFlips() {
    if (wanted < 0) {
        const char* text = std::getenv("TIRLANE_PROBE_FLIPS");
        wanted = text ? std::atol(text) : 0;
    }
    return wanted;
}

long peakKb() {
    const int fd = open("/proc/self/status", O_RDONLY | O_CLOEXEC);
    if (fd < 0) return 0;
    char text[8192];
    const ssize_t n = read(fd, text, sizeof text - 1);
    close(fd);
    if (n <= 0) return 0;
    text[n] = '\0';
    const char* line = std::strstr(text, "VmHWM:");
    return line ? std::atol(line + 6) : 0;
}

long warmUpFlips() {
    if (warmUp < 0) {
        const char* text = std::getenv("TIRLANE_PROBE_SKIP");
        warmUp = text ? std::atol(text) : 0;
    }
    return warmUp;
}

void writeIntervals() {
    const char* path = std::getenv("TIRLANE_PROBE_INTERVALS");
    if (!path) return;
    std::FILE* f = std::fopen(path, "w");
    if (!f) return;
    for (long i = 0; i < counted && i < KEPT_INTERVALS; ++i)
        std::fprintf(f, "%lld\n", intervals[i]);
    std::fclose(f);
}

void writeFigures() {
    writeIntervals();
    const char* path = std::getenv("TIRLANE_PROBE_OUT");
    if (!path) return;
    const long intervals = counted;
    const double mean = intervals > 0 ? sum / intervals : 0;
    const double variance = intervals > 0 ? sumSquares / intervals - mean * mean : 0;
    char text[1024];
    const int n = std::snprintf(text, sizeof text,
                                "first_frame_ns %lld\nfirst_flip_ns %lld\nfirst_flip_wall_ns %lld\n"
                                "flips %ld\ncounted %ld\n"
                                "mean_ns %.0f\nstddev_ns %.0f\nmin_ns %lld\nmax_ns %lld\n"
                                "called_stddev_ns %.0f\npresent_mean_ns %.0f\n"
                                "present_stddev_ns %.0f\npresent_max_ns %.0f\nvmhwm_kb %ld\n",
                                firstFrame, firstFlip, firstFlipWall, flips, counted, mean,
                                variance > 0 ? std::sqrt(variance) : 0.0, shortest, longest,
                                calledIntervals.stddev(), presentTimes.mean(),
                                presentTimes.stddev(), presentTimes.longest, peakKb());
    const int fd = open(path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return;
    if (write(fd, text, n) != n) std::perror("tirlane probe");
    close(fd);
}

const char* presentsPath() {
    static const char* path = std::getenv("TIRLANE_PROBE_PRESENTS");
    return path;
}

// Remembers the frame just shown: 640 x 480 pixels of 0x00RRGGBB.
void logShown(long long at) {
    if (!framePixels || shownCount >= KEPT_SHOWN) return;
    Shown& s = shown[shownCount++];
    s.at = at;
    unsigned long long h = 1469598103934665603ULL;
    for (int y = 0; y < 480; ++y) {
        const unsigned* row = framePixels + long(y) * framePitch / 4;
        for (int x = 0; x < 640; ++x) h = (h ^ row[x]) * 1099511628211ULL;
    }
    s.hash = h;
    for (int r = 0; r < SAMPLE_ROWS; ++r) {
        const unsigned* row = framePixels + long(40 + r * 80) * framePitch / 4;
        for (int c = 0; c < SAMPLE_COLUMNS; ++c)
            s.samples[r * SAMPLE_COLUMNS + c] = row[40 + c * 80];
    }
}

struct PresentsWriter {
    ~PresentsWriter() {
        if (!presentsPath()) return;
        std::FILE* f = std::fopen(presentsPath(), "w");
        if (!f) return;
        for (long i = 0; i < shownCount; ++i) {
            std::fprintf(f, "%lld %016llx", shown[i].at, shown[i].hash);
            for (unsigned v : shown[i].samples) std::fprintf(f, " %06x", v & 0xFFFFFF);
            std::fputc('\n', f);
        }
        std::fclose(f);
    }
} presentsWriter;

void countFlip() {
    const long long t = nowNs();
    if (flips == 0) {
        firstFlip = t;
        timespec wall;
        clock_gettime(CLOCK_REALTIME, &wall);
        firstFlipWall = wall.tv_sec * 1000000000LL + wall.tv_nsec;
    } else if (flips > warmUpFlips()) {
        const long long interval = t - lastFlip;
        if (counted < KEPT_INTERVALS) intervals[counted] = interval;
        ++counted;
        sum += double(interval);
        sumSquares += double(interval) * double(interval);
        if (counted == 1 || interval < shortest) shortest = interval;
        if (interval > longest) longest = interval;
    }
    lastFlip = t;
    ++flips;
    if (!done && wantedFlips() > 0 && flips >= wantedFlips()) {
        done = true;
        writeFigures();
        SDL_Event quit{};
        quit.type = SDL_QUIT;
        SDL_PushEvent(&quit);
    }
}

} // namespace

extern "C" int SDL_UpdateTexture(SDL_Texture* texture, const SDL_Rect* rect, const void* pixels,
                                 int pitch) {
    using Real = int (*)(SDL_Texture*, const SDL_Rect*, const void*, int);
    static const Real real = reinterpret_cast<Real>(dlsym(RTLD_NEXT, "SDL_UpdateTexture"));
    if (firstFrame == 0) firstFrame = nowNs();
    if (!rect && pitch >= 640 * 4) {
        framePixels = static_cast<const unsigned*>(pixels);
        framePitch = pitch;
    }
    return real(texture, rect, pixels, pitch);
}

extern "C" void SDL_RenderPresent(SDL_Renderer* renderer) {
    using Real = void (*)(SDL_Renderer*);
    static const Real real = reinterpret_cast<Real>(dlsym(RTLD_NEXT, "SDL_RenderPresent"));
    const long long called = nowNs();
    real(renderer);
    if (firstFrame == 0) return;
    if (lastCalled != 0 && flips > warmUpFlips()) calledIntervals.add(double(called - lastCalled));
    lastCalled = called;
    const long long returned = nowNs();
    if (flips > warmUpFlips()) presentTimes.add(double(returned - called));
    countFlip();
    if (presentsPath()) logShown(returned);
}
