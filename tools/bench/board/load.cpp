// tirlane-board-load: N clients on loopback, each on a kept-alive connection,
// reading one path of a board server as fast as answers come, for S seconds;
// prints the answers a second and the latencies' median, 99th percentile and
// worst. A measurement, never a pass or fail.
//   tirlane-board-load HOST PORT PATH CLIENTS SECONDS
#include <httplib.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <thread>
#include <vector>

int main(int argc, char** argv) {
    if (argc != 6) {
        std::fprintf(stderr, "usage: tirlane-board-load HOST PORT PATH CLIENTS SECONDS\n");
        return 2;
    }
    const std::string host = argv[1], path = argv[3];
    const int port = std::atoi(argv[2]), clients = std::atoi(argv[4]);
    const double seconds = std::atof(argv[5]);
    using Clock = std::chrono::steady_clock;
    // Every client connects (one read each) before the clock starts: what is
    // measured is the reads, not a hundred connections made at one instant.
    std::atomic<int> connected{0};
    std::atomic<bool> go{false};
    Clock::time_point end;
    std::mutex mutex;
    std::vector<double> all; // milliseconds
    std::atomic<long> failures{0};
    std::vector<std::thread> threads;
    for (int c = 0; c < clients; ++c) {
        threads.emplace_back([&] {
            httplib::Client client(host, port);
            client.set_keep_alive(true);
            client.set_tcp_nodelay(true);
            std::vector<double> mine;
            if (const auto res = client.Get(path); !res || res->status != 200) {
                if (failures++ == 0)
                    std::fprintf(stderr, "first failure, connecting: %s\n",
                                 res ? std::to_string(res->status).c_str()
                                     : httplib::to_string(res.error()).c_str());
            }
            ++connected;
            while (!go) std::this_thread::yield();
            while (Clock::now() < end) {
                const auto t0 = Clock::now();
                const auto res = client.Get(path);
                const auto t1 = Clock::now();
                if (!res || res->status != 200) {
                    if (failures++ == 0)
                        std::fprintf(stderr, "first failure: %s\n",
                                     res ? std::to_string(res->status).c_str()
                                         : httplib::to_string(res.error()).c_str());
                    continue;
                }
                mine.push_back(std::chrono::duration<double, std::milli>(t1 - t0).count());
            }
            std::lock_guard<std::mutex> lock(mutex);
            all.insert(all.end(), mine.begin(), mine.end());
        });
    }
    while (connected < clients) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    end = Clock::now() +
          std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
    go = true;
    for (std::thread& t : threads) t.join();
    if (all.empty()) {
        std::printf("no answers (%ld failures)\n", failures.load());
        return 1;
    }
    std::sort(all.begin(), all.end());
    auto at = [&](double q) { return all[std::min(all.size() - 1, size_t(q * all.size()))]; };
    std::printf("%d clients: %.0f answers/s, p50 %.2f ms, p99 %.2f ms, worst %.2f ms, %ld failed\n",
                clients, all.size() / seconds, at(0.50), at(0.99), all.back(), failures.load());
    return 0;
}
