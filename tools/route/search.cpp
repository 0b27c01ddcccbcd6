#include "tools/route/search.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <initializer_list>
#include <queue>
#include <unordered_set>

#include "game/frame.h"
#include "game/state.h"
#include "tools/route/distance.h"
#include "tools/route/snapshot.h"
#include "tools/route/targets.h"

namespace {

constexpr int ARROWS[4] = {KEY_LEFT, KEY_UP, KEY_RIGHT, KEY_DOWN};

struct Node {
    Snapshot state;
    int parent;
    int key;
};

// What a search looks for: the niche of a target side, a way off the outer
// corridors, or a guard sent off the end where it rests.
enum class Goal { Target, Escape, Unblock };

enum class StepOutcome { Refused, Struck, Standing, Entered, LevelDone };

// Runs one decision on the live state: a call standing still (key 0) or a
// whole step. calls receives the number of calls it took.
StepOutcome tryDecision(int level, int key, int& calls) {
    game.heldKey = key;
    if (key == 0) {
        runFrame();
        calls = 1;
        return game.phase == 2 ? StepOutcome::Struck : StepOutcome::Standing;
    }
    // A step into a niche that is no target would spend a key or a door
    // for nothing, so the route never takes one.
    runFrame();
    calls = 1;
    if (game.phase == 0) return StepOutcome::Refused;
    if (game.phase == 2) return StepOutcome::Struck;
    const int side = game.crossingSide;
    if (side != 0 && !isTarget(level, side)) return StepOutcome::Refused;
    while (game.phase == 1 && game.screen == level) {
        runFrame();
        ++calls;
    }
    if (game.phase == 2) return StepOutcome::Struck;
    if (game.screen != level) return StepOutcome::LevelDone;
    return side != 0 ? StepOutcome::Entered : StepOutcome::Standing;
}

// On levels 1 to 3 a guard only runs while the figure stands on its line,
// so standing still pays off only off the lines, at the end of a niche,
// while the guards run out. On level 4 they never stop, so a wait anywhere
// can let one pass.
bool worthWaiting(int level) {
    if (level == 4) return true;
    return game.playerX % 96 != 0 && game.playerY % 64 != 0;
}

Route routeTo(const std::vector<Node>& nodes, int last, int key) {
    Route route{key};
    for (int i = last; nodes[i].parent >= 0; i = nodes[i].parent) route.push_back(nodes[i].key);
    return Route(route.rbegin(), route.rend());
}

} // namespace

bool atDecisionPoint() {
    return game.screen >= 1 && game.screen <= LEVEL_COUNT && game.preparedScreen == game.screen &&
           game.phase == 0;
}

namespace {

// The corridor place in front of a niche end.
void nicheMouth(int x, int y, int& cx, int& cy) {
    cx = x;
    cy = y;
    if (x % 96 == 16) cx -= 16;
    if (x % 96 == 80) cx += 16;
    if (y % 64 == 16) cy -= 16;
    if (y % 64 == 48) cy += 16;
}

bool onEdgeLine(int x, int y) {
    return x == 0 || x == 480 || y == 0 || y == 320;
}

// A crossing of two inner corridors: from there every way is open.
bool inside(int x, int y) {
    return x % 96 == 0 && y % 64 == 0 && !onEdgeLine(x, y);
}

SearchResult search(const SearchLimits& limits, Goal goal, int lookahead, int guard = 0);

// A niche that opens on an outer corridor can shut the figure in: a guard
// resting at the end beside a crossing of that corridor strikes whoever
// passes the crossing, and only standing on the guard's own line moves it.
// So from such a niche the way to an inner crossing must be open. From
// other niches the next target must be within reach, lookahead deep.
bool leadsOn(const SearchLimits& limits, int lookahead) {
    if (targetsLeft(game.screen) == 0) return true;
    int cx, cy;
    nicheMouth(game.playerX, game.playerY, cx, cy);
    SearchLimits nested = limits;
    nested.totalStates = limits.totalStates / 4;
    if (onEdgeLine(cx, cy)) return search(nested, Goal::Escape, 0).found;
    if (lookahead <= 0) return true;
    return search(nested, Goal::Target, lookahead - 1).found;
}

SearchResult search(const SearchLimits& limits, Goal goal, int lookahead, int guard) {
    SearchResult result;
    const Snapshot start = captureState();
    const int level = game.screen;
    DistanceMap distances;
    if (goal == Goal::Target) measureDistances(distances);

    // Best first by calls spent plus the calls still needed without guards;
    // among equals the state further along goes first.
    struct Open {
        int estimate, calls, index;
        bool operator<(const Open& o) const {
            return estimate != o.estimate ? estimate > o.estimate : calls < o.calls;
        }
    };
    std::vector<Node> nodes;
    std::priority_queue<Open> open;
    std::unordered_set<uint64_t> seen;
    std::unordered_set<int> traps;

    auto keep = [&](int calls, int parent, int key) {
        if (calls > limits.horizon || static_cast<long>(nodes.size()) >= limits.totalStates) return;
        int estimate = calls;
        if (goal == Goal::Target) {
            const int steps = stepsToTarget(distances, game.playerX, game.playerY);
            if (steps >= FAR_AWAY) return;
            estimate += 9 * steps - 5;
        }
        Snapshot s = captureState();
        // The whole state decides the future, so a state met again later can
        // only lead to the same ends, later.
        if (!seen.insert(stateHash(s)).second) return;
        open.push({estimate, calls, static_cast<int>(nodes.size())});
        nodes.push_back({s, parent, key});
    };
    keep(0, -1, 0);

    while (!open.empty() && !result.found) {
        const Open top = open.top();
        open.pop();
        result.lastCall = std::max(result.lastCall, top.calls);
        for (int key : {ARROWS[0], ARROWS[1], ARROWS[2], ARROWS[3], 0}) {
            restoreState(nodes[top.index].state);
            if (key == 0 && !worthWaiting(level)) continue;
            int calls = 0;
            StepOutcome outcome = tryDecision(level, key, calls);
            ++result.expanded;
            if (goal == Goal::Unblock) {
                const bool moved = guards[guard].pos != start.guardPos[guard] ||
                                   guards[guard].vel != start.guardVel[guard];
                const bool safe =
                    outcome == StepOutcome::Entered ||
                    (outcome == StepOutcome::Standing && inside(game.playerX, game.playerY));
                if (outcome == StepOutcome::Entered) outcome = StepOutcome::Standing;
                if (moved && safe) outcome = StepOutcome::LevelDone;
            }
            if (goal == Goal::Escape) {
                if (outcome == StepOutcome::Entered) outcome = StepOutcome::Standing;
                if (outcome == StepOutcome::Standing && inside(game.playerX, game.playerY))
                    outcome = StepOutcome::LevelDone;
            }
            if (goal == Goal::Target && outcome == StepOutcome::Entered) {
                // A niche found to be a trap is not tried again in this
                // search, even at another moment: the test is costly.
                const int place = game.playerX * 1000 + game.playerY;
                if (traps.count(place)) continue;
                if (!leadsOn(limits, lookahead)) {
                    traps.insert(place);
                    continue;
                }
            }
            if (outcome == StepOutcome::Entered || outcome == StepOutcome::LevelDone) {
                result.found = true;
                result.route = routeTo(nodes, top.index, key);
                result.calls = top.calls + calls;
                break;
            }
            if (outcome == StepOutcome::Standing) keep(top.calls + calls, top.index, key);
        }
    }
    result.states = static_cast<long>(nodes.size());
    restoreState(start);
    return result;
}

} // namespace

SearchResult findSafeRoute(const SearchLimits& limits, int lookahead) {
    return search(limits, Goal::Target, lookahead);
}

SearchResult findUnblockingRoute(const SearchLimits& limits, int guard) {
    return search(limits, Goal::Unblock, 0, guard);
}

bool playRoute(const Route& route) {
    const int level = game.screen;
    for (int key : route) {
        int calls = 0;
        const StepOutcome outcome = tryDecision(level, key, calls);
        if (outcome == StepOutcome::Refused || outcome == StepOutcome::Struck) return false;
    }
    return true;
}

Route walkToNearestTarget() {
    const Snapshot start = captureState();
    const int level = game.screen;
    // Guards are ignored: every guard is parked far off the board, at rest
    // and at no end, so nothing starts or turns it.
    struct Item {
        Snapshot state;
        int parent;
        int key;
    };
    std::vector<Item> items{{start, -1, 0}};
    std::deque<int> queue{0};
    std::unordered_set<uint64_t> seen;
    Route found;
    while (!queue.empty() && found.empty()) {
        const int index = queue.front();
        queue.pop_front();
        for (int key : ARROWS) {
            restoreState(items[index].state);
            for (int g = 1; g <= GUARD_COUNT; ++g) guards[g] = Guard{10000, 0};
            int calls = 0;
            const StepOutcome outcome = tryDecision(level, key, calls);
            if (outcome == StepOutcome::Entered || outcome == StepOutcome::LevelDone) {
                found.push_back(key);
                for (int i = index; items[i].parent >= 0; i = items[i].parent)
                    found.push_back(items[i].key);
                break;
            }
            if (outcome != StepOutcome::Standing) continue;
            const Snapshot s = captureState();
            if (!seen.insert((static_cast<uint64_t>(game.playerX) << 20) ^ game.playerY).second)
                continue;
            items.push_back({s, index, key});
            queue.push_back(static_cast<int>(items.size()) - 1);
        }
    }
    restoreState(start);
    return Route(found.rbegin(), found.rend());
}
