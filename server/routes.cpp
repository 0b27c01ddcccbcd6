#include "server/routes.h"

#include <cstdio>
#include <ctime>
#include <filesystem>
#include <nlohmann/json.hpp>

#include "server/page.h"
#include "server/submission.h"

namespace board {

namespace {

using json = nlohmann::json;

void answer(httplib::Response& res, int status, const json& body) {
    res.status = status;
    // Names are any UTF-8; nothing invalid ever reaches the output.
    res.set_content(body.dump(-1, ' ', false, json::error_handler_t::replace), "application/json");
}

void refuse(httplib::Response& res, int status, const std::string& why) {
    answer(res, status, json{{"error", why}});
}

std::string nowUtc() {
    const std::time_t now = std::time(nullptr);
    std::tm tm{};
    gmtime_r(&now, &tm);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &tm);
    return text;
}

// A count from the query, within bounds; `fallback` when absent.
bool queryCount(const httplib::Request& req, const char* key, long fallback, long low, long high,
                long& out) {
    out = fallback;
    if (!req.has_param(key)) return true;
    const std::string v = req.get_param_value(key);
    if (v.empty() || v.size() > 9 || v.find_first_not_of("0123456789") != std::string::npos)
        return false;
    out = std::stol(v);
    return out >= low && out <= high;
}

void submit(Services& s, const httplib::Request& req, httplib::Response& res) {
    int retryAfter = 0;
    if (!s.rate.take(req.remote_addr, retryAfter)) {
        res.set_header("Retry-After", std::to_string(retryAfter));
        return refuse(res, 429, "too many submissions from this address; try again later");
    }
    // A form's body would be read as more parameters: a replay comes as text.
    const std::string type = req.get_header_value("Content-Type");
    if (!type.empty() && type.rfind("text/plain", 0) != 0)
        return refuse(res, 400, "send the replay as text/plain");
    const std::string name = req.get_param_value("name");
    if (!validName(name))
        return refuse(res, 400, "a name is 1 to 20 characters, none of them a control character");
    if (req.body.size() > MAX_REPLAY_BYTES) return refuse(res, 413, "a replay is at most 1 MiB");
    if (!looksLikeReplay(req.body)) return refuse(res, 400, "this is not a Tirlane replay");
    const int speed = replaySpeed(req.body);
    if (speed < 0) return refuse(res, 400, "the replay's speed line is not a percentage 50..100");

    if (!s.queue.enter()) {
        res.set_header("Retry-After", "5");
        return refuse(res, 503, "the server is checking as many runs as it can; try again soon");
    }
    Verdict v;
    try {
        v = verifyReplay(s.runner, req.body, s.limits);
    } catch (...) {
        s.queue.leave();
        throw;
    }
    s.queue.leave();
    if (v.kind == Verdict::REFUSED) return refuse(res, 422, v.error);
    if (v.kind != Verdict::VERIFIED) return refuse(res, 500, v.error);

    NewRun run{name,  v.score,  v.flips,  v.calls,        v.digest,
               speed, req.body, nowUtc(), req.remote_addr};
    long long id = 0, rank = 0;
    if (s.store.add(run, id, rank) == Store::Added::DUPLICATE)
        return refuse(res, 409, "this run is already on the board");
    answer(res, 201, json{{"id", id}, {"score", v.score}, {"flips", v.flips}, {"rank", rank}});
}

void boardJson(Services& s, const httplib::Request& req, httplib::Response& res) {
    long limit = 0, offset = 0;
    if (!queryCount(req, "limit", 50, 1, 1000, limit) ||
        !queryCount(req, "offset", 0, 0, 100000000, offset))
        return refuse(res, 400, "limit is 1..1000 and offset 0 or more");
    const std::string speed = req.get_param_value("speed");
    if (!speed.empty() && speed != "reduced" && speed != "full")
        return refuse(res, 400, "speed is full or reduced");
    // Read before the board: a change made in between shows as a new
    // generation next time, so nothing older than a change is ever kept.
    const long long generation = s.store.generation();
    const auto key = std::make_tuple(speed == "reduced", limit, offset);
    if (generation >= 0) {
        std::lock_guard<std::mutex> lock(s.cache.mutex);
        const auto hit = s.cache.answers.find(key);
        if (hit != s.cache.answers.end() && hit->second.first == generation) {
            res.set_content(hit->second.second, "application/json");
            return;
        }
    }
    json runs = json::array();
    for (const BoardRow& r :
         s.store.board(speed == "reduced", static_cast<int>(limit), static_cast<int>(offset)))
        runs.push_back({{"rank", r.rank},
                        {"id", r.id},
                        {"name", r.name},
                        {"score", r.score},
                        {"flips", r.flips},
                        {"speed", r.speed},
                        {"submitted", r.submitted}});
    answer(res, 200, json{{"runs", runs}});
    if (generation >= 0) {
        std::lock_guard<std::mutex> lock(s.cache.mutex);
        if (s.cache.answers.size() >= 256) s.cache.answers.clear(); // pages asked for once
        s.cache.answers[key] = {generation, res.body};
    }
}

} // namespace

void addRoutes(httplib::Server& server, Services& s) {
    server.Post("/api/runs",
                [&s](const httplib::Request& req, httplib::Response& res) { submit(s, req, res); });
    server.Get("/api/board", [&s](const httplib::Request& req, httplib::Response& res) {
        boardJson(s, req, res);
    });
    server.Get(R"(/runs/(\d{1,18})\.replay)",
               [&s](const httplib::Request& req, httplib::Response& res) {
                   const auto replay = s.store.replay(std::stoll(req.matches[1]));
                   if (!replay) return refuse(res, 404, "no such run");
                   res.set_header("Access-Control-Allow-Origin", "*");
                   res.set_content(*replay, "text/plain; charset=utf-8");
               });
    server.Get("/healthz", [](const httplib::Request&, httplib::Response& res) {
        res.set_content("ok\n", "text/plain");
    });
    server.Get("/", [&s](const httplib::Request&, httplib::Response& res) {
        res.set_header("Content-Security-Policy",
                       "default-src 'self'; script-src 'unsafe-inline'; style-src 'unsafe-inline'");
        res.set_content(boardPage(s.store.board(false, 100, 0), s.store.board(true, 100, 0)),
                        "text/html; charset=utf-8");
    });
    // The web build, for watching runs: httplib refuses any path that would
    // climb out of the folder ("..").
    if (!s.site.empty()) server.set_mount_point("/play", s.site);
    server.set_exception_handler(
        [](const httplib::Request&, httplib::Response& res, std::exception_ptr e) {
            std::string why = "internal error";
            try {
                std::rethrow_exception(e);
            } catch (const std::exception& x) {
                std::fprintf(stderr, "tirlane-board: %s\n", x.what());
            } catch (...) {}
            refuse(res, 500, why);
        });
    // A request httplib itself turned away (a body too big: 1 MiB, or 8 KiB
    // sent as a form rather than text/plain) still gets a line saying why.
    server.set_error_handler([](const httplib::Request&, httplib::Response& res) {
        if (res.status == 413 && res.body.empty())
            refuse(res, 413, "a replay is sent as text/plain, at most 1 MiB");
    });
}

} // namespace board
