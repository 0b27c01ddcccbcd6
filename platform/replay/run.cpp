#include "platform/replay/replay.h"

#include <climits>
#include <cstdio>
#include <cstring>

#include "game/digest.h"
#include "game/state.h"
#include "platform/ports/display.h"
#include "platform/replay/internal.h"

ReplayRun run;

void restartRun() {
    run = ReplayRun{HISCORE_READ_AT_START, DIGEST_START, flipCount()};
}

ReplayState currentReplayState(long calls) {
    return {
        calls,     flipCount() - run.flipBase, game.score, game.hiscore, game.lives, game.screen,
        run.digest};
}

long replayFlips() {
    return flipCount() - run.flipBase;
}

void setReplayCall(long call) {
    run.call = call;
    recordCallStart(call);
}

void digestCall() {
    run.digest = digestMix(digestGameState(run.digest), flipCount() - run.flipBase);
    checkPlaybackAt(run.call + 1);
}
