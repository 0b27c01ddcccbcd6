#include "tools/route/playbook.h"

#include <cstdio>
#include <cstdlib>

#include "game/state.h"
#include "tools/route/search.h"
#include "tools/route/snapshot.h"
#include "tools/route/targets.h"

namespace {

// How many targets beyond the next one must stay within reach.
constexpr int LOOKAHEAD = 1;

// Carries out a route on the live game; stops early if a guard strikes or
// the level ends.
void follow(Recorder& rec, const Route& route) {
    const int level = game.screen;
    for (int key : route) {
        rec.hold(key);
        rec.run();
        while (game.phase == 1 && game.screen == level) rec.run();
        if (game.phase == 2 || game.screen != level) return;
    }
}

// After an end sequence: let go, press a key, let go, each seen by its own
// call; then a few title frames.
void backToTitle(Recorder& rec) {
    rec.hold(0);
    rec.run(); // the end sequence, then the key is seen up
    rec.run();
    rec.hold(KEY_SPACE);
    rec.run();
    rec.run();
    rec.hold(0);
    rec.run(); // back to the title
    for (int i = 0; i < 3; ++i) rec.run();
}

void startGame(Recorder& rec) {
    rec.hold(KEY_SPACE);
    rec.run(); // the title sees Space
    rec.hold(0);
}

// Counts the deaths as the lives drop.
struct LifeWatch {
    int lives = game.lives;
    int deaths = 0;
    void update() {
        if (game.lives < lives) deaths += lives - game.lives;
        lives = game.lives;
    }
};

// When every target is shut off: the first resting guard that can be sent
// off its end safely, such that a target can be reached afterwards.
Route unblock(const SearchLimits& limits, int& guard) {
    if (game.screen == 4) return {};
    const Snapshot start = captureState();
    SearchLimits small = limits;
    small.totalStates = limits.totalStates / 4;
    for (int g = 1; g <= GUARD_COUNT; ++g) {
        if (start.guardVel[g] != 0) continue;
        const SearchResult first = findUnblockingRoute(small, g);
        if (!first.found) continue;
        const bool played = playRoute(first.route);
        const bool then = played && findSafeRoute(small, LOOKAHEAD).found;
        restoreState(start);
        if (then) {
            guard = g;
            return first.route;
        }
    }
    return {};
}

} // namespace

PlayReport playToVictory(Recorder& rec) {
    PlayReport report;
    startGame(rec);
    LifeWatch watch;
    int level = 0;
    const SearchLimits limits;
    while (game.screen != SCREEN_VICTORY) {
        watch.update();
        if (game.screen == SCREEN_GAME_OVER || game.screen == SCREEN_TITLE) {
            report.failure = "the game was lost";
            return report;
        }
        if (!atDecisionPoint()) {
            rec.run();
            continue;
        }
        if (game.screen != level) {
            level = game.screen;
            std::fprintf(stderr, "level %d from call %ld, score %d, lives %d\n", level, rec.call,
                         game.score, game.lives);
        }
        const SearchResult found = findSafeRoute(limits, LOOKAHEAD);
        ++report.searches;
        if (std::getenv("TIRLANE_ROUTE_VERBOSE"))
            std::fprintf(stderr, "call %ld at %d,%d: %s in %d calls, %ld tried, %ld kept\n",
                         rec.call, game.playerX, game.playerY, found.found ? "route" : "none",
                         found.calls, found.expanded, found.states);
        report.statesTried += found.expanded;
        Route route = found.route;
        int guard = 0;
        if (!found.found) route = unblock(limits, guard);
        if (guard != 0)
            std::fprintf(stderr, "call %ld: every target shut off; sending guard %d off first\n",
                         rec.call, guard);
        if (route.empty()) {
            std::fprintf(stderr,
                         "call %ld: no safe route (%d targets left, %ld states, %d calls "
                         "ahead, at %d,%d), walking anyway\n",
                         rec.call, targetsLeft(level), found.states, found.lastCall, game.playerX,
                         game.playerY);
            if (std::getenv("TIRLANE_ROUTE_VERBOSE")) {
                for (int s = 1; s <= SIDE_COUNT; ++s)
                    if (isTarget(level, s)) std::fprintf(stderr, " side %d", s);
                for (int g = 1; g <= GUARD_COUNT; ++g)
                    std::fprintf(stderr, " g%d=%d:%d", g, guards[g].pos, guards[g].vel);
                std::fprintf(stderr, "\n");
            }
            route = walkToNearestTarget();
        }
        if (route.empty()) {
            report.failure = "no target can be reached";
            return report;
        }
        follow(rec, route);
    }
    watch.update();
    report.deaths = watch.deaths;
    std::fprintf(stderr, "victory at call %ld, score %d, lives %d\n", rec.call, game.score,
                 game.lives);
    backToTitle(rec);
    report.ok = game.screen == SCREEN_TITLE;
    if (!report.ok) report.failure = "the victory screen did not return to the title";
    return report;
}

PlayReport playToGameOver(Recorder& rec) {
    PlayReport report;
    startGame(rec);
    LifeWatch watch;
    const LevelDef& start = levelDefs[1];
    while (game.screen != SCREEN_GAME_OVER) {
        watch.update();
        if (game.screen != 1) {
            report.failure = "the game left level 1";
            return report;
        }
        if (atDecisionPoint()) {
            // Step out of the start niche onto guard 2's corridor and wait there.
            const bool inNiche = game.playerX == start.startX && game.playerY == start.startY;
            rec.hold(inNiche ? KEY_UP : 0);
        }
        rec.run();
    }
    watch.update();
    report.deaths = watch.deaths;
    backToTitle(rec);
    report.ok = game.screen == SCREEN_TITLE && game.lives == 3 && game.score == 0;
    if (!report.ok) report.failure = "the game-over screen did not return to a fresh title";
    return report;
}
