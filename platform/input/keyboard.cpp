#include "platform/ports/keyboard.h"

#include "game/state.h"
#include "platform/ports/display.h"
#include "platform/ports/hiscore.h"

namespace {
bool quitting = false;
} // namespace

void keyDown(int code) {
    if (code == KEY_ESCAPE) {
        // A record held at this moment is kept; a repeated Escape saves again
        // and finds nothing left to release.
        if (game.score == game.hiscore) saveHiscore();
        requestQuit();
        releaseDisplay();
        return;
    }
    if (isHeldKey(code)) game.heldKey = code;
}

void keyUp(int code) {
    if (isHeldKey(code) && code == game.heldKey) game.heldKey = 0;
}

int heldGameKey() {
    return game.heldKey;
}

bool quitRequested() {
    return quitting;
}
void requestQuit() {
    quitting = true;
}
void clearQuitRequest() {
    quitting = false;
}
