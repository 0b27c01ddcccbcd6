// The board's page: the table of runs, written on the server with every
// name escaped, and a form to submit a replay.
#pragma once

#include <string>
#include <vector>

#include "server/store.h"

namespace board {

// Text made safe to stand anywhere in HTML, attributes included.
std::string escapeHtml(const std::string& text);
std::string boardPage(const std::vector<BoardRow>& full, const std::vector<BoardRow>& reduced);

} // namespace board
