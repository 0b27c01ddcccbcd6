#include "platform/input/pause.h"

#include <cstdint>

#include "platform/graphics/pause_screen.h"
#include "platform/ports/display.h"
#include "platform/window/window.h"

namespace {
int pauseReasons = 0;
} // namespace

void setPause(PauseReason reason, bool on) {
    const int bit = static_cast<int>(reason);
    pauseReasons = on ? pauseReasons | bit : pauseReasons & ~bit;
}

void togglePlayerPause() {
    setPause(PauseReason::Player, !(pauseReasons & static_cast<int>(PauseReason::Player)));
}

bool gamePaused() {
    return pauseReasons != 0;
}

void liftPlayerPause() {
    setPause(PauseReason::Player, false);
}

void showPausedPicture() {
    const uint32_t* frame = backBufferPixels();
    const uint32_t* picture = pauseScreenOf(frame, backBufferPitch());
    if (picture)
        showPicture(picture, SCREEN_W);
    else if (frame)
        showPicture(frame, backBufferPitch());
}
