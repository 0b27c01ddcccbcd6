// The game's window in a browser: SDL's window is the page's canvas, drawn
// through SDL's framebuffer (the page scales it sharp by a whole factor).
// Each flipped frame waits, suspended, for the display refresh the refresh
// pacer picks for it and is put on the canvas in that refresh.
#include "platform/window/window.h"

#include <SDL.h>
#include <emscripten.h>

#include "platform/input/events.h"
#include "platform/input/pause.h"
#include "platform/ports/display.h"
#include "platform/web/refresh_pacer.h"
#include "platform/web/window_web.h"

// The bodies of EM_JS are JavaScript, kept as written.
// clang-format off
EM_JS(double, nextAnimationFrame, (), {
    return Asyncify.handleSleep(function(wakeUp) { requestAnimationFrame(wakeUp); });
});

// A full-screen request is honoured shortly after a key press (the browser's
// rule), which is when the events of F11 or Alt+Enter are handled.
EM_JS(void, toggleDocumentFullScreen, (), {
    var done = function() {};
    if (document.fullscreenElement) {
        document.exitFullscreen().catch(done);
    } else if (document.documentElement.requestFullscreen) {
        document.documentElement.requestFullscreen().catch(done);
    }
});

// Unwinds and resumes at once, without giving the browser a turn.
EM_JS(void, resumeAtOnce, (), {
    return Asyncify.handleSleep(function(wakeUp) { Promise.resolve().then(wakeUp); });
});

EM_JS(void, logPresent, (), {
    if (Module.tirlanePresents) Module.tirlanePresents.push(performance.now());
});
// clang-format on

namespace {

SDL_Window* window = nullptr;
SDL_Surface* canvas = nullptr; // the window's framebuffer
RefreshPacer pacer;
bool paced = true;
bool presentLog = false;
double lastTurn = 0; // unpaced: when the browser last had a turn

constexpr double UNPACED_TURN_MS = 16;

void copyToCanvas(const uint32_t* pixels, int pitch) {
    SDL_ConvertPixels(SCREEN_W, SCREEN_H, SDL_PIXELFORMAT_XRGB8888, pixels,
                      pitch * int(sizeof(uint32_t)), canvas->format->format, canvas->pixels,
                      canvas->pitch);
}

} // namespace

bool openWindow(bool, const char** failure) {
    // The refresh pacer decides when the browser gets its turn, not SDL.
    SDL_SetHint(SDL_HINT_EMSCRIPTEN_ASYNCIFY, "0");
    window = SDL_CreateWindow("Tirlane", 0, 0, SCREEN_W, SCREEN_H, 0);
    if (!window) {
        *failure = "cannot create the window";
        return false;
    }
    canvas = SDL_GetWindowSurface(window);
    if (!canvas) {
        *failure = "cannot create the canvas picture";
        return false;
    }
    SDL_FillRect(canvas, nullptr, 0);
    SDL_UpdateWindowSurface(window);
    return true;
}

void closeWindow() {
    if (window) SDL_DestroyWindow(window);
    window = nullptr;
    canvas = nullptr;
}

void toggleFullScreen() {
    toggleDocumentFullScreen();
}

void presentFrame(const uint32_t* pixels, int pitch) {
    if (!canvas || !pixels) return;
    if (paced) {
        copyToCanvas(pixels, pitch);
        while (!pacer.showAt(waitForRefresh())) {}
        // Inside the refresh's callback: the canvas shows this frame at this refresh.
        SDL_UpdateWindowSurface(window);
        if (presentLog) logPresent();
    } else {
        // Every flip still suspends the game as a paced one does, so the
        // scripted runs wait at every flip of every sequence.
        const double now = emscripten_get_now();
        if (now - lastTurn < UNPACED_TURN_MS) return resumeAtOnce();
        copyToCanvas(pixels, pitch);
        SDL_UpdateWindowSurface(window);
        emscripten_sleep(0);
        lastTurn = emscripten_get_now();
    }
}

void showPicture(const uint32_t* pixels, int pitch) {
    if (!canvas || !pixels) return;
    copyToCanvas(pixels, pitch);
    SDL_UpdateWindowSurface(window);
}

// The browser's refresh paces the page whatever display it is on, so there is
// nothing to judge again.
void displayChanged() {}

void waitWhilePausedInPage(bool withinCall) {
    if (!gamePaused()) return;
    // The pause waits in SDL's event wait, whose sleeps then hand the browser
    // its turns.
    SDL_SetHint(SDL_HINT_EMSCRIPTEN_ASYNCIFY, "1");
    waitWhilePaused(withinCall);
    SDL_SetHint(SDL_HINT_EMSCRIPTEN_ASYNCIFY, "0");
}

double waitForRefresh() {
    return nextAnimationFrame();
}

void setPacing(bool on) {
    paced = on;
}

void showBackBuffer() {
    if (!canvas || !backBufferPixels()) return;
    copyToCanvas(backBufferPixels(), backBufferPitch());
    SDL_UpdateWindowSurface(window);
}

void setPresentLog(bool on) {
    presentLog = on;
}
