// A digest of the game's whole state: the record and the three tables. A
// replay mixes it in after every call, so a run that goes differently
// anywhere on the way ends with another digest, not only one that ends
// elsewhere. FNV-1a over each value's eight bytes, lowest first.
#pragma once

#include <cstdint>

constexpr uint64_t DIGEST_START = 0xcbf29ce484222325ull;

// Mixes one value into a digest.
uint64_t digestMix(uint64_t digest, int64_t value);

// Mixes every field of `game`, then `sides`, `boxes` and `guards`, in that
// order, into a digest.
uint64_t digestGameState(uint64_t digest);
