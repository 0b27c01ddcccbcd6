#include "platform/input/key_queue.h"

#include <cstdint>

#include "game/keys.h"
#include "platform/input/game_keys.h"
#include "platform/input/held_keys.h"
#include "platform/ports/keyboard.h"

namespace {

bool holding = false;

struct Waiting {
    KeyChange change;
    uint8_t holder;
    int code;
};
constexpr int WAITING_MAX = 1024;
Waiting waiting[WAITING_MAX];
int waitingNext = 0, waitingCount = 0;

// Once the room is full: each key's latest state, and the unplugged pads.
constexpr int GAME_KEYS = 6; // Escape, Space and the four arrows
Waiting latest[HOLDER_COUNT * GAME_KEYS];
int latestCount = 0;
bool lettingGo[HOLDER_COUNT] = {};
bool overflowing = false; // from then on, until the call returns

void keepLatest(KeyChange change, int holder, int code) {
    if (change == KeyChange::LetGoOfAll) {
        // What the pad did before it went is gone with it.
        int kept = 0;
        for (int i = 0; i < latestCount; ++i)
            if (latest[i].holder != holder) latest[kept++] = latest[i];
        latestCount = kept;
        lettingGo[holder] = true;
        return;
    }
    // An Escape pressed among them still ends the game; its key-up does nothing.
    if (change == KeyChange::Release && code == KEY_ESCAPE) return;
    int kept = 0;
    for (int i = 0; i < latestCount; ++i)
        if (latest[i].holder != holder || latest[i].code != code) latest[kept++] = latest[i];
    latestCount = kept;
    if (latestCount < HOLDER_COUNT * GAME_KEYS)
        latest[latestCount++] = Waiting{change, uint8_t(holder), code};
}

void apply(const Waiting& w) {
    switch (w.change) {
    case KeyChange::Press:
        return pressGameKey(w.holder, w.code);
    case KeyChange::Release:
        return releaseGameKey(w.holder, w.code);
    case KeyChange::LetGoOfAll:
        return letGoOfGameKeys(w.holder);
    }
}

} // namespace

void holdKeyChanges(bool on) {
    holding = on;
}

bool keysWaiting() {
    return holding;
}

void waitKeyChange(KeyChange change, int holder, int code) {
    const Waiting w{change, uint8_t(holder), code};
    overflowing = overflowing || waitingCount == WAITING_MAX;
    if (overflowing) return keepLatest(change, holder, code);
    if (change == KeyChange::Press && waitingCount > waitingNext) {
        const Waiting& last = waiting[waitingCount - 1];
        if (last.change == w.change && last.holder == w.holder && last.code == w.code) return;
    }
    waiting[waitingCount++] = w;
}

void applyWaitingKeyChanges() {
    while (waitingNext < waitingCount && !quitRequested()) apply(waiting[waitingNext++]);
    if (waitingNext < waitingCount) return;
    waitingNext = waitingCount = 0;
    overflowing = false;
    for (int holder = 0; holder < HOLDER_COUNT; ++holder) {
        if (lettingGo[holder] && !quitRequested()) letGoOfGameKeys(holder);
        lettingGo[holder] = false;
    }
    for (int i = 0; i < latestCount && !quitRequested(); ++i) apply(latest[i]);
    latestCount = 0;
}

void forgetWaitingKeyChanges() {
    waitingNext = waitingCount = latestCount = 0;
    overflowing = false;
    for (bool& going : lettingGo) going = false;
}
