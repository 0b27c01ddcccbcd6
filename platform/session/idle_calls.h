// Calls that show no picture: the call that prepares level 1 draws nothing,
// and the end screens wait for a key in calls that draw nothing. Such a call
// leaves its tick to the next call, which runs at once, so level 1's first
// picture still comes on the tick its preparation took. A second such call
// in a row lets the tick pass unused: a run of them comes two a tick, and
// the loop never spins without waiting, which in a browser would keep the
// page from ever getting its turn (no key could reach the end screens).
// The session's loop keeps this rule for every front end, and hands its
// answer to the front end's wait; it is plain bookkeeping, free of SDL.
#pragma once

class IdleCalls {
  public:
    enum class Next {
        AfterPicture, // the call before showed a picture: this one waits as usual
        AtOnce,       // the call before showed nothing: this one takes its tick
        NextTick,     // two calls in a row showed nothing: the tick passes unused
    };

    // Before a call, given whether the call before it showed a picture.
    Next next(bool lastShowedPicture);

  private:
    bool idleCallRan = false; // the call before showed nothing and took no tick of its own
};
