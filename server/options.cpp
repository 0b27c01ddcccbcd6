#include "server/options.h"

#include <charconv>
#include <cstring>

namespace board {

namespace {

bool number(const char* text, long low, long high, long& out) {
    const char* end = text + std::strlen(text);
    const auto [at, ec] = std::from_chars(text, end, out);
    return ec == std::errc() && at == end && out >= low && out <= high;
}

} // namespace

const char* usageText() {
    return "Usage: tirlane-board [options]\n"
           "A world board of Tirlane runs: every submitted replay is played again\n"
           "by the headless runner before its score goes on the board.\n"
           "\n"
           "  --listen HOST:PORT   where to answer (default 127.0.0.1:8080)\n"
           "  --db sqlite:FILE     the runs in an SQLite file (default sqlite:board.db)\n"
           "  --db postgresql://…  the runs in PostgreSQL, shared by any number of servers\n"
           "  --site DIR           the web build, served under /play/ to watch runs\n"
           "  --runner PATH        tirlane-headless (default: the one beside this program)\n"
           "  --rate N             submissions a minute from one address (default 10)\n"
           "  --workers N          verifications at once (default: the number of cores)\n"
           "  --queue N            verifications waiting before 503 (default: the cores)\n"
           "  --threads N          connections served at once (default 256)\n"
           "  --cpu-seconds N      CPU time for one verification (default 10)\n"
           "  --wall-seconds N     time for one verification (default 30)\n"
           "  --memory-mib N       memory for one verification (default 512; 0: no limit,\n"
           "                       for a runner built with AddressSanitizer)\n"
           "  --reverify           check every stored run with the current runner, mark\n"
           "                       those that no longer verify (kept, off the board), exit\n"
           "  --help               this text\n"
           "\n"
           "API:\n"
           "  POST /api/runs?name=NAME   a replay as text/plain (at most 1 MiB), a name of\n"
           "      1 to 20 characters: 201 {id, score, flips, rank}; 400 no replay or a bad\n"
           "      name; 409 already on the board; 413 too big; 422 {error} does not\n"
           "      verify; 429 too many from one address (Retry-After); 503 queue full\n"
           "  GET /api/board?limit=N&offset=M[&speed=reduced]\n"
           "      {runs: [{rank, id, name, score, flips, speed, submitted}]}, by score,\n"
           "      then fewest frames, then the earlier submission\n"
           "  GET /runs/ID.replay   the stored replay;  GET /healthz   200\n"
           "  /   the board's page;  /play/   the web build (--site), where each run's\n"
           "      watch link opens /play/?replay=/runs/ID.replay\n";
}

bool parseOptions(int argc, char** argv, Options& o, bool& help, std::string& error) {
    help = false;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        auto value = [&](const char*& out) {
            if (i + 1 >= argc) {
                error = "missing value for " + a;
                return false;
            }
            out = argv[++i];
            return true;
        };
        auto count = [&](long low, long high, auto& out) {
            const char* text = nullptr;
            long v = 0;
            if (!value(text)) return false;
            if (!number(text, low, high, v)) {
                error = "bad value for " + a + ": '" + text + "'";
                return false;
            }
            out = static_cast<std::remove_reference_t<decltype(out)>>(v);
            return true;
        };
        const char* text = nullptr;
        if (a == "--help" || a == "-h") {
            help = true;
            return true;
        } else if (a == "--listen") {
            if (!value(text)) return false;
            const std::string s = text;
            const size_t colon = s.rfind(':');
            long port = 0;
            if (colon == std::string::npos || colon == 0 ||
                !number(s.c_str() + colon + 1, 0, 65535, port)) {
                error = "bad value for --listen: '" + s + "' (HOST:PORT)";
                return false;
            }
            o.host = s.substr(0, colon);
            o.port = static_cast<int>(port);
        } else if (a == "--db") {
            if (!value(text)) return false;
            o.db = text;
            if (o.db.rfind("sqlite:", 0) != 0 && o.db.rfind("postgresql://", 0) != 0 &&
                o.db.rfind("postgres://", 0) != 0) {
                error = "bad value for --db: '" + o.db + "' (sqlite:FILE or postgresql://...)";
                return false;
            }
        } else if (a == "--site") {
            if (!value(text)) return false;
            o.site = text;
        } else if (a == "--runner") {
            if (!value(text)) return false;
            o.runner = text;
        } else if (a == "--reverify") {
            o.reverify = true;
        } else if (a == "--rate") {
            if (!count(1, 1000000, o.ratePerMinute)) return false;
        } else if (a == "--workers") {
            if (!count(1, 1024, o.workers)) return false;
        } else if (a == "--queue") {
            if (!count(0, 100000, o.queue)) return false;
        } else if (a == "--threads") {
            if (!count(1, 4096, o.threads)) return false;
        } else if (a == "--cpu-seconds") {
            if (!count(1, 3600, o.cpuSeconds)) return false;
        } else if (a == "--wall-seconds") {
            if (!count(1, 3600, o.wallSeconds)) return false;
        } else if (a == "--memory-mib") {
            if (!count(0, 65536, o.memoryMiB)) return false;
        } else {
            error = "unknown argument '" + a + "'";
            return false;
        }
    }
    return true;
}

} // namespace board
