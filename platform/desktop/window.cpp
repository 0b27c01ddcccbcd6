#include "platform/window/window.h"

#include <SDL.h>
#include <SDL_syswm.h> // with X11's own header where SDL draws on X
#ifdef _WIN32
#include <windows.h>
// SDL_syswm.h has brought in a lean windows.h already, without the timer's
// functions.
#include <mmsystem.h> // timeBeginPeriod
#else
#include <sys/prctl.h>
#endif

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "platform/desktop/desktop_window.h"
#include "platform/desktop/pacer.h"
#include "platform/ports/display.h"

namespace {

class SdlClock final : public PacerClock {
  public:
    uint64_t now() override { return SDL_GetPerformanceCounter(); }
    uint64_t ticksPerSecond() override { return frequency; }
    void sleep(uint64_t ticks) override {
        std::this_thread::sleep_for(std::chrono::nanoseconds(ticks * 1000000000ull / frequency));
    }
    // The spin keeps the processor: given away on a busy machine, it may
    // come back only after the tick (the game's thread has a high priority
    // where the system grants one, so others do not take it meanwhile).
    void spin() override {}

  private:
    uint64_t frequency = SDL_GetPerformanceFrequency();
};

SdlClock& sdlClock() {
    static SdlClock clock;
    return clock;
}

// Sleeps end as close to their deadline as the kernel can manage, so the
// spun stretch at the end of a wait can stay short. Windows wakes sleepers
// only on its timer's tick, by default every 15.6 ms: the game asks for a
// 1 ms tick for as long as it runs.
void sharpenSleeps() {
#ifdef _WIN32
    timeBeginPeriod(1);
#else
    prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
#endif
}

// A busy machine then wakes the game on time. Where the system refuses (no
// right to raise it), the game runs at the usual priority.
void raisePriority() {
    SDL_SetThreadPriority(SDL_THREAD_PRIORITY_HIGH);
}

int gameSpeed = 100;
bool pictureFit = false;

FramePacer& pacer() {
    static FramePacer framePacer(sdlClock(), gameSpeed);
    return framePacer;
}

SDL_Window* window = nullptr;
SDL_Renderer* renderer = nullptr;
SDL_Texture* texture = nullptr;
// Where the window stands out of full screen; with no window manager to
// remember it, the game puts the window back there itself.
SDL_Rect windowed = {};

// TIRLANE_FPS_LOG=1: the flip rate and its steadiness every 600 flips.
constexpr long FPS_LOG_FLIPS = 600;
bool fpsLog = false;
FrameStats stats;
const char* rendererName = "";
uint64_t lastPresent = 0;
long lateAtLastLog = 0;

// The largest whole factor at which the window fits the desktop.
int windowFactor() {
    SDL_Rect usable;
    if (SDL_GetDisplayUsableBounds(0, &usable) != 0) return 1;
    const int byWidth = usable.w / SCREEN_W;
    const int byHeight = (usable.h - 48) / SCREEN_H; // room for a title bar
    const int factor = byWidth < byHeight ? byWidth : byHeight;
    return factor < 1 ? 1 : factor;
}

bool displayRunsAt60Hz() {
    if (gameSpeed != 100) return false; // slowed, the ticks miss the vblanks anyway
    SDL_DisplayMode mode;
    const int index = SDL_GetWindowDisplayIndex(window);
    if (index < 0 || SDL_GetCurrentDisplayMode(index, &mode) != 0) return false;
    return mode.refresh_rate == 59 || mode.refresh_rate == 60; // 59.94 Hz reads as 59
}

void logFlip(uint64_t now) {
    if (lastPresent != 0) stats.add(double(now - lastPresent) / sdlClock().ticksPerSecond());
    if (stats.count() < FPS_LOG_FLIPS) return;
    const double mean = stats.meanSeconds();
    const double frequency = double(sdlClock().ticksPerSecond());
    std::fprintf(stderr,
                 "tirlane: %.2f fps over %ld flips, interval %.3f ms, stddev %.3f ms, "
                 "longest %.3f ms (%s, %s renderer; keys read %.2f ms before the tick, "
                 "%ld pictures late)\n",
                 1 / mean, stats.count(), mean * 1000, stats.stddevSeconds() * 1000,
                 stats.maxSeconds() * 1000, pacer().mode() == PacerMode::Timer ? "timer" : "vsync",
                 rendererName, double(pacer().margin()) / frequency * 1000,
                 pacer().lateFrames() - lateAtLastLog);
    lateAtLastLog = pacer().lateFrames();
    stats.reset();
}

// On an X server with no window manager (a kiosk, a bare session) nobody
// acts on SDL's request for full screen: the window keeps its place and
// size while SDL draws for the whole display, and a shifted corner of the
// picture shows. There the game places the window itself where SDL takes it
// to be: over the display in full screen, back on its own rectangle after.
#ifdef SDL_VIDEO_DRIVER_X11
int ignoreXError(Display*, XErrorEvent*) {
    return 0;
}

// The window a window manager names on the root, and names again on itself
// (one that has gone leaves the root's name behind, naming no window).
bool windowManagerRuns(Display* x) {
    const Atom check = XInternAtom(x, "_NET_SUPPORTING_WM_CHECK", True);
    if (check == None) return false;
    auto named = [&](Window on, Window* found) {
        Atom type;
        int format;
        unsigned long items, left;
        unsigned char* data = nullptr;
        const bool read = XGetWindowProperty(x, on, check, 0, 1, False, XA_WINDOW, &type, &format,
                                             &items, &left, &data) == Success &&
                          type == XA_WINDOW && format == 32 && items == 1;
        if (read) *found = *reinterpret_cast<Window*>(data);
        if (data) XFree(data);
        return read;
    };
    Window manager = 0, itself = 0;
    if (!named(DefaultRootWindow(x), &manager)) return false;
    XSync(x, False);
    auto* previous = XSetErrorHandler(ignoreXError);
    const bool alive = named(manager, &itself) && itself == manager;
    XSync(x, False);
    XSetErrorHandler(previous);
    return alive;
}
#endif

void placeWithoutWindowManager() {
#ifdef SDL_VIDEO_DRIVER_X11
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return;
    Display* x = info.info.x11.display;
    if (windowManagerRuns(x)) return;
    SDL_Rect place = windowed;
    if (SDL_GetWindowFlags(window) & SDL_WINDOW_FULLSCREEN &&
        SDL_GetDisplayBounds(SDL_GetWindowDisplayIndex(window), &place) != 0)
        return;
    XMoveResizeWindow(x, info.info.x11.window, place.x, place.y, unsigned(place.w),
                      unsigned(place.h));
    XFlush(x);
#endif
}

} // namespace

bool openWindow(bool fullScreen, const char** failure) {
    // First, so that the threads the renderer starts (Mesa's software
    // rasteriser draws on threads of its own) share the priority.
    raisePriority();
    SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "nearest");
    const int factor = windowFactor();
    windowed = {0, 0, SCREEN_W * factor, SCREEN_H * factor};
    SDL_Rect desktop;
    if (SDL_GetDisplayBounds(0, &desktop) == 0) {
        windowed.x = desktop.x + (desktop.w - windowed.w) / 2;
        windowed.y = desktop.y + (desktop.h - windowed.h) / 2;
    }
    const Uint32 flags = SDL_WINDOW_RESIZABLE | (fullScreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0);
    window = SDL_CreateWindow("Tirlane", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                              SCREEN_W * factor, SCREEN_H * factor, flags);
    if (!window) {
        *failure = "cannot create the window";
        return false;
    }
    SDL_SetWindowMinimumSize(window, SCREEN_W, SCREEN_H);

    const bool wantVsync = displayRunsAt60Hz();
    renderer = SDL_CreateRenderer(window, -1, wantVsync ? SDL_RENDERER_PRESENTVSYNC : 0);
    if (!renderer && wantVsync) renderer = SDL_CreateRenderer(window, -1, 0);
    if (!renderer) {
        *failure = "cannot create the renderer";
        return false;
    }
    // Here, not before: a renderer may make the window anew for itself.
    placeWithoutWindowManager();
    SDL_RendererInfo info;
    if (SDL_GetRendererInfo(renderer, &info) == 0) {
        rendererName = info.name;
        pacer().useVsync((info.flags & SDL_RENDERER_PRESENTVSYNC) != 0);
    }
    // Sharp whole-factor scaling, centred; the rest of the screen is black.
    SDL_RenderSetLogicalSize(renderer, SCREEN_W, SCREEN_H);
    SDL_RenderSetIntegerScale(renderer, pictureFit ? SDL_FALSE : SDL_TRUE);
    SDL_SetRenderDrawColor(renderer, 0, 0, 0, 255);

    texture = SDL_CreateTexture(renderer, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_STREAMING,
                                SCREEN_W, SCREEN_H);
    if (!texture) {
        *failure = "cannot create the screen texture";
        return false;
    }
    sharpenSleeps();
    const char* log = std::getenv("TIRLANE_FPS_LOG");
    fpsLog = log && *log && std::strcmp(log, "0") != 0;

    SDL_RenderClear(renderer);
    SDL_RenderPresent(renderer);
    return true;
}

void closeWindow() {
    if (texture) SDL_DestroyTexture(texture);
    if (renderer) SDL_DestroyRenderer(renderer);
    if (window) SDL_DestroyWindow(window);
    texture = nullptr;
    renderer = nullptr;
    window = nullptr;
}

void setGameSpeed(int percent) {
    gameSpeed = percent;
}

void setPictureFit(bool fit) {
    pictureFit = fit;
    if (renderer) SDL_RenderSetIntegerScale(renderer, fit ? SDL_FALSE : SDL_TRUE);
}

void toggleFullScreen() {
    if (!window) return;
    const bool full = SDL_GetWindowFlags(window) & SDL_WINDOW_FULLSCREEN;
    if (!full) {
        SDL_GetWindowPosition(window, &windowed.x, &windowed.y);
        SDL_GetWindowSize(window, &windowed.w, &windowed.h);
    }
    SDL_SetWindowFullscreen(window, full ? 0 : SDL_WINDOW_FULLSCREEN_DESKTOP);
    placeWithoutWindowManager();
}

void showPicture(const uint32_t* pixels, int pitch) {
    if (!renderer || !pixels) return;
    SDL_UpdateTexture(texture, nullptr, pixels, pitch * int(sizeof(uint32_t)));
    SDL_RenderClear(renderer);
    SDL_RenderCopy(renderer, texture, nullptr, nullptr);
    SDL_RenderPresent(renderer);
}

void waitToReadKeys(IdleCalls::Next next) {
    pacer().waitToReadKeys(next);
}

void displayChanged() {
    if (!renderer) return;
    const bool vsync = displayRunsAt60Hz() && SDL_RenderSetVSync(renderer, 1) == 0;
    if (!vsync) SDL_RenderSetVSync(renderer, 0);
    pacer().useVsync(vsync);
}

// Shows a finished frame of the game on its tick.
void presentFrame(const uint32_t* pixels, int pitch) {
    if (!renderer) return;
    if (pixels) SDL_UpdateTexture(texture, nullptr, pixels, pitch * int(sizeof(uint32_t)));
    SDL_RenderClear(renderer);
    SDL_RenderCopy(renderer, texture, nullptr, nullptr);
    // The finished picture waits for its tick and is shown on it, never
    // before, so flips land evenly whatever the frame cost to draw.
    pacer().waitForTick();
    SDL_RenderPresent(renderer);
    const bool vsync = pacer().mode() != PacerMode::Timer;
    pacer().presented();
    if (vsync && pacer().mode() == PacerMode::Timer) SDL_RenderSetVSync(renderer, 0);
    const uint64_t now = sdlClock().now();
    if (fpsLog) logFlip(now);
    lastPresent = now;
}
