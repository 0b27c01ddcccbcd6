// The HTTP side: the API, the replays, the page and the web build.
#pragma once

#include <httplib.h>

#include <map>
#include <mutex>
#include <tuple>

#include "server/rate_limit.h"
#include "server/store.h"
#include "server/verifier.h"

namespace board {

// The board's answers as last sent, kept while the store's generation holds.
struct BoardCache {
    std::mutex mutex;
    std::map<std::tuple<bool, long, long>, std::pair<long long, std::string>> answers;
};

struct Services {
    Store& store;
    VerifyQueue& queue;
    RateLimit& rate;
    std::string runner;
    VerifyLimits limits;
    std::string site; // the web build's folder, or empty
    BoardCache cache{};
};

constexpr size_t MAX_REPLAY_BYTES = 1 << 20;

void addRoutes(httplib::Server& server, Services& services);

} // namespace board
