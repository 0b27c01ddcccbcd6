#include "platform/input/game_keys.h"

#include "game/keys.h"
#include "platform/input/held_keys.h"
#include "platform/input/key_queue.h"
#include "platform/ports/keyboard.h"
#include "platform/replay/replay.h"

namespace {

HeldKeys heldKeys;
bool gameKeysIgnored = false;
bool playerStopped = false;

void deliver(const KeyDeliveries& keys) {
    for (int i = 0; i < keys.count; ++i) deliverGameKey(keys.items[i].down, keys.items[i].code);
}

} // namespace

// Hands a key event to the game, and to the replay being recorded.
void deliverGameKey(bool down, int code) {
    if (gameKeysIgnored) {
        if (down && code == KEY_ESCAPE && !quitRequested()) {
            playerStopped = true;
            keyDown(KEY_ESCAPE);
        }
        return;
    }
    recordKey(down, code);
    if (down)
        keyDown(code);
    else
        keyUp(code);
}

void pressGameKey(int holder, int code) {
    if (keysWaiting()) return waitKeyChange(KeyChange::Press, holder, code);
    deliver(heldKeys.press(holder, code));
}

void releaseGameKey(int holder, int code) {
    if (keysWaiting()) return waitKeyChange(KeyChange::Release, holder, code);
    deliver(heldKeys.release(holder, code, heldGameKey()));
}

void letGoOfGameKeys(int holder) {
    if (keysWaiting()) return waitKeyChange(KeyChange::LetGoOfAll, holder, 0);
    while (const int code = heldKeys.anyHeldBy(holder)) releaseGameKey(holder, code);
}

void ignoreGameKeys(bool on) {
    gameKeysIgnored = on;
}

bool stoppedByPlayer() {
    return playerStopped;
}
