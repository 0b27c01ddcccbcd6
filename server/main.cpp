// tirlane-board: the world board of verified runs. Every replay submitted is
// played again by the headless runner before its score goes on the board.
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <thread>

#include "server/options.h"
#include "server/routes.h"

namespace {

namespace fs = std::filesystem;

std::string runnerBesideThisProgram() {
    std::error_code ignored;
    const fs::path self = fs::read_symlink("/proc/self/exe", ignored);
    return (self.parent_path() / "tirlane-headless").string();
}

// Checks every stored run again with the current runner; those that no longer
// verify, or verify to other figures, are marked and kept.
int reverify(board::Store& store, const std::string& runner, const board::VerifyLimits& limits) {
    int checked = 0, stale = 0, failed = 0;
    for (const board::StoredRun& run : store.all()) {
        const board::Verdict v = board::verifyReplay(runner, run.replay, limits);
        if (v.kind == board::Verdict::FAILED) {
            std::fprintf(stderr, "tirlane-board: run %lld: cannot check: %s\n", run.id,
                         v.error.c_str());
            ++failed;
            continue;
        }
        const bool same = v.kind == board::Verdict::VERIFIED && v.score == run.score &&
                          v.flips == run.flips && v.digest == run.digest;
        store.setStale(run.id, !same);
        ++checked;
        if (!same) {
            ++stale;
            std::printf("run %lld no longer verifies: %s\n", run.id,
                        v.kind == board::Verdict::REFUSED ? v.error.c_str()
                                                          : "it ends with other figures");
        }
    }
    std::printf("%d runs checked, %d no longer verify\n", checked, stale);
    return failed ? 1 : 0;
}

} // namespace

int main(int argc, char** argv) {
    board::Options o;
    bool help = false;
    std::string error;
    if (!board::parseOptions(argc, argv, o, help, error)) {
        std::fprintf(stderr, "tirlane-board: %s (see --help)\n", error.c_str());
        return 2;
    }
    if (help) {
        std::fputs(board::usageText(), stdout);
        return 0;
    }
    signal(SIGPIPE, SIG_IGN);
    const int cores = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    if (o.runner.empty()) o.runner = runnerBesideThisProgram();
    if (access(o.runner.c_str(), X_OK) != 0) {
        std::fprintf(stderr, "tirlane-board: no runner at %s (--runner PATH)\n", o.runner.c_str());
        return 2;
    }
    if (!o.site.empty() && !fs::is_directory(o.site)) {
        std::fprintf(stderr, "tirlane-board: --site %s is not a folder\n", o.site.c_str());
        return 2;
    }
    const board::VerifyLimits limits{o.cpuSeconds, o.wallSeconds, o.memoryMiB};

    std::unique_ptr<board::Store> store;
    try {
        store = board::openStore(o.db);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "tirlane-board: %s\n", e.what());
        return 1;
    }
    if (o.reverify) return reverify(*store, o.runner, limits);

    board::VerifyQueue queue(o.workers > 0 ? o.workers : cores, o.queue >= 0 ? o.queue : cores);
    board::RateLimit rate(o.ratePerMinute);
    board::Services services{*store, queue, rate, o.runner, limits, o.site, {}};

    httplib::Server server;
    const int threads = o.threads;
    server.new_task_queue = [threads] { return new httplib::ThreadPool(threads); };
    // Answers go out at once, not held for the client's acknowledgement.
    server.set_tcp_nodelay(true);
    server.set_payload_max_length(board::MAX_REPLAY_BYTES);
    server.set_read_timeout(10, 0);
    server.set_write_timeout(10, 0);
    server.set_keep_alive_timeout(5);
    server.set_keep_alive_max_count(100000);
    board::addRoutes(server, services);
    int listening = -1;
    server.set_socket_options([&listening](socket_t sock) {
        httplib::default_socket_options(sock);
        listening = sock;
    });

    if (!server.bind_to_port(o.host, o.port)) {
        std::fprintf(stderr, "tirlane-board: cannot listen on %s:%d\n", o.host.c_str(), o.port);
        return 1;
    }
    // httplib queues only 5 connections not yet accepted: a crowd arriving at
    // once would have theirs dropped and made again a second or more later.
    if (listening >= 0) ::listen(listening, SOMAXCONN);
    std::printf("tirlane-board: listening on %s:%d\n", o.host.c_str(), o.port);
    std::fflush(stdout);
    return server.listen_after_bind() ? 0 : 1;
}
