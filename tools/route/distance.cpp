#include "tools/route/distance.h"

#include <deque>
#include <utility>

#include "game/state.h"
#include "tools/route/targets.h"

namespace {

bool onBoard(int x, int y) {
    return x >= 0 && x <= 480 && y >= 0 && y <= 320;
}
bool onCorridor(int x, int y) {
    return onBoard(x, y) && (x % 96 == 0 || y % 64 == 0);
}

// The side whose niche opens from corridor place (x, y) in direction
// (dx, dy), or 0 when no niche opens there.
int sideFrom(int x, int y, int dx, int dy) {
    if (y % 64 == 0 && x % 96 == 48 && dx == 0) {
        if (dy > 0 && y < 320) return y / 64 * 20 + (x + 48) / 96;
        if (dy < 0 && y > 0) return y / 64 * 20 + (x + 48) / 96 - 5;
    }
    if (x % 96 == 0 && y % 64 == 32 && dy == 0) {
        if (dx > 0 && x < 480) return (y + 32) / 64 * 20 + x / 48 - 14;
        if (dx < 0 && x > 0) return (y + 32) / 64 * 20 + x / 48 - 15;
    }
    return 0;
}

constexpr int DIRS[4][2] = {{16, 0}, {-16, 0}, {0, 16}, {0, -16}};

} // namespace

void measureDistances(DistanceMap& map) {
    const int level = game.screen;
    std::deque<std::pair<int, int>> queue;
    for (int i = 0; i < 31; ++i)
        for (int j = 0; j < 21; ++j) {
            map.steps[i][j] = FAR_AWAY;
            const int x = 16 * i, y = 16 * j;
            if (!onCorridor(x, y)) continue;
            for (const auto& d : DIRS) {
                const int side = sideFrom(x, y, d[0], d[1]);
                if (side != 0 && isTarget(level, side)) map.steps[i][j] = 1;
            }
            if (map.steps[i][j] == 1) queue.emplace_back(i, j);
        }
    // Corridor moves are reversible, so walking the map outwards from the
    // niche mouths gives every place its distance.
    while (!queue.empty()) {
        const auto [i, j] = queue.front();
        queue.pop_front();
        const int x = 16 * i, y = 16 * j;
        for (const auto& d : DIRS) {
            const int nx = x + d[0], ny = y + d[1];
            const bool along = d[1] == 0 ? y % 64 == 0 : x % 96 == 0;
            if (!along || !onCorridor(nx, ny)) continue;
            int& next = map.steps[nx / 16][ny / 16];
            if (next <= map.steps[i][j] + 1) continue;
            next = map.steps[i][j] + 1;
            queue.emplace_back(nx / 16, ny / 16);
        }
    }
}

int stepsToTarget(const DistanceMap& map, int x, int y) {
    if (!onBoard(x, y) || x % 16 != 0 || y % 16 != 0) return FAR_AWAY;
    if (onCorridor(x, y)) return map.steps[x / 16][y / 16];
    // The end of a niche: one step back out to its corridor first.
    int cx = x, cy = y;
    if (x % 96 == 16)
        cx -= 16;
    else if (x % 96 == 80)
        cx += 16;
    else if (y % 64 == 16)
        cy -= 16;
    else if (y % 64 == 48)
        cy += 16;
    else
        return FAR_AWAY;
    const int outside = map.steps[cx / 16][cy / 16];
    return outside >= FAR_AWAY ? FAR_AWAY : outside + 1;
}
