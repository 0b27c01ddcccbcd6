// The browser's pacing: the page is drawn only at a display refresh (each
// requestAnimationFrame), and this clock picks the refreshes that show a game
// frame, so the game keeps 60 frames a second on a display of 60, 75, 120 or
// 144 Hz. Plain arithmetic on the refreshes' timestamps, free of the browser,
// so it can be driven by made-up displays.
#pragma once

// A display within 1% of 60 Hz shows a frame at every refresh: the game then
// runs at the display's own rate, as the desktop does with a trusted vsync.
// Any other display gets a 60 Hz clock of absolute deadlines; each frame goes
// to the refresh nearest its tick, a frame that comes late is shown at once
// with the ticks it missed dropped, and after a stall (the page hidden) the
// clock starts afresh.
class RefreshPacer {
  public:
    static constexpr int RATE = 60;

    // Called at each refresh while a finished frame waits, with the refresh's
    // timestamp in milliseconds; true: show the frame at this refresh.
    bool showAt(double nowMs);

    // The display's refresh interval as measured so far (0 before two refreshes).
    double refreshMs() const;
    long restarts() const { return restartCount; }
    long droppedTicks() const { return droppedCount; }

  private:
    static constexpr int SAMPLES = 15; // refresh intervals remembered
    void measure(double nowMs);
    double tickTime(long n) const { return origin + n * 1000.0 / RATE; }

    double intervals[SAMPLES] = {};
    int sampleCount = 0, nextSample = 0;
    double lastRefresh = -1;

    bool started = false;
    double origin = 0;
    long tick = 0; // the next frame is due at tickTime(tick + 1)
    long restartCount = 0;
    long droppedCount = 0;
};
