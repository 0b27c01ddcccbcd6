#include "server/rate_limit.h"

#include <algorithm>
#include <cmath>

namespace board {

bool RateLimit::take(const std::string& address, int& retryAfter) {
    return take(address, retryAfter, std::chrono::steady_clock::now());
}

bool RateLimit::take(const std::string& address, int& retryAfter,
                     std::chrono::steady_clock::time_point now) {
    const double perSecond = perMinute_ / 60.0;
    std::lock_guard<std::mutex> lock(mutex_);
    // Full buckets say nothing a new one would not: dropped now and then, so
    // the map holds only the addresses active in the last minute.
    if (now - lastSweep_ > std::chrono::minutes(1)) {
        for (auto i = buckets_.begin(); i != buckets_.end();) {
            const double seconds = std::chrono::duration<double>(now - i->second.at).count();
            if (i->second.tokens + seconds * perSecond >= perMinute_)
                i = buckets_.erase(i);
            else
                ++i;
        }
        lastSweep_ = now;
    }
    auto [it, fresh] = buckets_.try_emplace(address, Bucket{double(perMinute_), now});
    Bucket& b = it->second;
    if (!fresh) {
        const double seconds = std::chrono::duration<double>(now - b.at).count();
        b.tokens = std::min<double>(perMinute_, b.tokens + seconds * perSecond);
        b.at = now;
    }
    if (b.tokens >= 1.0) {
        b.tokens -= 1.0;
        return true;
    }
    retryAfter = std::max(1, static_cast<int>(std::ceil((1.0 - b.tokens) / perSecond)));
    return false;
}

} // namespace board
