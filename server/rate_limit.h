// Submissions per address: a token bucket each, refilled steadily, holding
// at most a minute's worth.
#pragma once

#include <chrono>
#include <mutex>
#include <string>
#include <unordered_map>

namespace board {

class RateLimit {
  public:
    explicit RateLimit(int perMinute) : perMinute_(perMinute) {}
    // Takes a token for `address`; when none is left, false with the whole
    // seconds until there is one.
    bool take(const std::string& address, int& retryAfter);
    bool take(const std::string& address, int& retryAfter,
              std::chrono::steady_clock::time_point now);

  private:
    struct Bucket {
        double tokens;
        std::chrono::steady_clock::time_point at;
    };
    int perMinute_;
    std::mutex mutex_;
    std::unordered_map<std::string, Bucket> buckets_;
    std::chrono::steady_clock::time_point lastSweep_{};
};

} // namespace board
