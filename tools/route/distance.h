// The board without guards: how many steps a figure standing at a place
// needs to walk into the niche of a target side. The look-ahead uses it to
// try the promising moves first.
#pragma once

constexpr int FAR_AWAY = 1 << 20;

struct DistanceMap {
    int steps[31][21]; // by (x / 16, y / 16) of the standing place
};

// Fills the map from the live tables, for the level on the screen.
void measureDistances(DistanceMap& map);

// Steps from a standing place to the nearest target entry; FAR_AWAY when
// there is none, or the place is no standing place.
int stepsToTarget(const DistanceMap& map, int x, int y);
