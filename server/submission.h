// What the board reads from a submission itself, before the runner does.
#pragma once

#include <string>

namespace board {

// 1 to 20 characters of UTF-8 text, none of them a control character.
bool validName(const std::string& name);
// Plain text with the replay format's first line; anything else is no replay.
bool looksLikeReplay(const std::string& body);
// The percentage of a `# speed N` line (a run played slower), 100 without
// one; -1 for a line with no sensible value.
int replaySpeed(const std::string& body);

} // namespace board
