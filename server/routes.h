// The HTTP side: the API, the replays, the page and the web build.
#pragma once

#include <httplib.h>

#include "server/rate_limit.h"
#include "server/store.h"
#include "server/verifier.h"

namespace board {

struct Services {
    Store& store;
    VerifyQueue& queue;
    RateLimit& rate;
    std::string runner;
    VerifyLimits limits;
    std::string site; // the web build's folder, or empty
};

constexpr size_t MAX_REPLAY_BYTES = 1 << 20;

void addRoutes(httplib::Server& server, Services& services);

} // namespace board
