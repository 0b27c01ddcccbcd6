// The board in PostgreSQL: any number of board servers can share it. One
// connection per server, its statements prepared once; a lost connection is
// made again (and its statements prepared again) on the next use.
#include <libpq-fe.h>

#include <mutex>
#include <stdexcept>
#include <vector>

#include "server/store.h"

namespace board {

namespace {

// The schema, one step per version; a new version appends a step.
const char* const MIGRATIONS[] = {
    "CREATE TABLE runs ("
    " id BIGSERIAL PRIMARY KEY,"
    " name TEXT NOT NULL,"
    " score INTEGER NOT NULL,"
    " flips BIGINT NOT NULL,"
    " calls BIGINT NOT NULL,"
    " digest TEXT NOT NULL UNIQUE,"
    " speed INTEGER NOT NULL,"
    " reduced INTEGER NOT NULL,"
    " replay TEXT NOT NULL,"
    " submitted TEXT NOT NULL,"
    " address TEXT NOT NULL,"
    " stale INTEGER NOT NULL DEFAULT 0)",
    "CREATE INDEX runs_rank ON runs (reduced, stale, score DESC, flips, id)",
};

// Any number of servers may start at once: the upgrade holds this lock.
constexpr const char* UPGRADE_LOCK = "SELECT pg_advisory_xact_lock(74617262)";

struct Named {
    const char* name;
    const char* sql;
    int params;
};
const Named STATEMENTS[] = {
    {"insert",
     "INSERT INTO runs (name, score, flips, calls, digest, speed, reduced, replay, submitted,"
     " address) VALUES ($1, $2, $3, $4, $5, $6, $7, $8, $9, $10)"
     " ON CONFLICT (digest) DO NOTHING RETURNING id",
     10},
    {"rank",
     "SELECT COUNT(*) + 1 FROM runs WHERE reduced = $1 AND stale = 0 AND"
     " (score > $2 OR (score = $2 AND flips < $3) OR (score = $2 AND flips = $3 AND id < $4))",
     4},
    {"board",
     "SELECT id, name, score, flips, speed, submitted FROM runs WHERE reduced = $1 AND"
     " stale = 0 ORDER BY score DESC, flips, id LIMIT $2 OFFSET $3",
     3},
    {"replay", "SELECT replay FROM runs WHERE id = $1", 1},
    {"all", "SELECT id, score, flips, digest, replay FROM runs ORDER BY id", 0},
    {"stale", "UPDATE runs SET stale = $2 WHERE id = $1", 2},
};

struct Result {
    PGresult* r;
    explicit Result(PGresult* result) : r(result) {}
    ~Result() { PQclear(r); }
    Result(const Result&) = delete;
    Result& operator=(const Result&) = delete;
    std::string text(int row, int column) const {
        return std::string(PQgetvalue(r, row, column),
                           static_cast<size_t>(PQgetlength(r, row, column)));
    }
    long long number(int row, int column) const { return std::stoll(PQgetvalue(r, row, column)); }
};

class PostgresStore : public Store {
  public:
    explicit PostgresStore(const std::string& url) : url_(url) {
        connect();
        upgrade();
        prepare();
    }
    ~PostgresStore() override { PQfinish(conn_); }

    Added add(const NewRun& r, long long& id, long long& rank) override {
        const std::string reduced = r.speed < 100 ? "1" : "0";
        const std::vector<std::string> values = {r.name,
                                                 std::to_string(r.score),
                                                 std::to_string(r.flips),
                                                 std::to_string(r.calls),
                                                 r.digest,
                                                 std::to_string(r.speed),
                                                 reduced,
                                                 r.replay,
                                                 r.submitted,
                                                 r.address};
        std::lock_guard<std::mutex> lock(mutex_);
        // A single statement: committed before it returns.
        Result inserted = execute("insert", values, PGRES_TUPLES_OK);
        if (PQntuples(inserted.r) == 0) return Added::DUPLICATE;
        id = inserted.number(0, 0);
        Result ranked = execute(
            "rank", {reduced, std::to_string(r.score), std::to_string(r.flips), std::to_string(id)},
            PGRES_TUPLES_OK);
        rank = ranked.number(0, 0);
        return Added::ADDED;
    }

    std::vector<BoardRow> board(bool reduced, int limit, int offset) override {
        std::lock_guard<std::mutex> lock(mutex_);
        Result result =
            execute("board", {reduced ? "1" : "0", std::to_string(limit), std::to_string(offset)},
                    PGRES_TUPLES_OK);
        std::vector<BoardRow> rows;
        for (int i = 0; i < PQntuples(result.r); ++i) {
            BoardRow row;
            row.rank = offset + i + 1;
            row.id = result.number(i, 0);
            row.name = result.text(i, 1);
            row.score = static_cast<int>(result.number(i, 2));
            row.flips = static_cast<long>(result.number(i, 3));
            row.speed = static_cast<int>(result.number(i, 4));
            row.submitted = result.text(i, 5);
            rows.push_back(std::move(row));
        }
        return rows;
    }

    std::optional<std::string> replay(long long id) override {
        std::lock_guard<std::mutex> lock(mutex_);
        Result result = execute("replay", {std::to_string(id)}, PGRES_TUPLES_OK);
        if (PQntuples(result.r) == 0) return std::nullopt;
        return result.text(0, 0);
    }

    std::vector<StoredRun> all() override {
        std::lock_guard<std::mutex> lock(mutex_);
        Result result = execute("all", {}, PGRES_TUPLES_OK);
        std::vector<StoredRun> runs;
        for (int i = 0; i < PQntuples(result.r); ++i)
            runs.push_back({result.number(i, 0), static_cast<int>(result.number(i, 1)),
                            static_cast<long>(result.number(i, 2)), result.text(i, 3),
                            result.text(i, 4)});
        return runs;
    }

    void setStale(long long id, bool stale) override {
        std::lock_guard<std::mutex> lock(mutex_);
        execute("stale", {std::to_string(id), stale ? "1" : "0"}, PGRES_COMMAND_OK);
    }

    // Other servers write to the same database; nothing here would see it
    // without a query of its own.
    long long generation() override { return -1; }

  private:
    void connect() {
        PQfinish(conn_);
        conn_ = PQconnectdb(url_.c_str());
        if (PQstatus(conn_) != CONNECTION_OK)
            throw std::runtime_error(std::string("postgresql: ") + PQerrorMessage(conn_));
    }

    // A statement without values, through the extended protocol as the
    // prepared ones go.
    void command(const char* sql, ExecStatusType want) {
        Result r(PQexecParams(conn_, sql, 0, nullptr, nullptr, nullptr, nullptr, 0));
        if (PQresultStatus(r.r) != want)
            throw std::runtime_error(std::string("postgresql: ") + PQerrorMessage(conn_));
    }

    void upgrade() {
        command("BEGIN", PGRES_COMMAND_OK);
        try {
            command(UPGRADE_LOCK, PGRES_TUPLES_OK);
            command("CREATE TABLE IF NOT EXISTS schema_version (version INTEGER NOT NULL)",
                    PGRES_COMMAND_OK);
            Result r(PQexecParams(conn_, "SELECT COALESCE(MAX(version), 0) FROM schema_version", 0,
                                  nullptr, nullptr, nullptr, nullptr, 0));
            if (PQresultStatus(r.r) != PGRES_TUPLES_OK)
                throw std::runtime_error(std::string("postgresql: ") + PQerrorMessage(conn_));
            const long long version = r.number(0, 0);
            const long long last = static_cast<long long>(std::size(MIGRATIONS));
            if (version > last)
                throw std::runtime_error("the database was made by a newer board (schema " +
                                         std::to_string(version) + ")");
            for (long long v = version; v < last; ++v) command(MIGRATIONS[v], PGRES_COMMAND_OK);
            if (version < last) {
                command("DELETE FROM schema_version", PGRES_COMMAND_OK);
                const std::string value = std::to_string(last);
                const char* values[] = {value.c_str()};
                Result set(PQexecParams(conn_, "INSERT INTO schema_version (version) VALUES ($1)",
                                        1, nullptr, values, nullptr, nullptr, 0));
                if (PQresultStatus(set.r) != PGRES_COMMAND_OK)
                    throw std::runtime_error(std::string("postgresql: ") + PQerrorMessage(conn_));
            }
            command("COMMIT", PGRES_COMMAND_OK);
        } catch (...) {
            Result r(PQexecParams(conn_, "ROLLBACK", 0, nullptr, nullptr, nullptr, nullptr, 0));
            throw;
        }
    }

    void prepare() {
        for (const Named& s : STATEMENTS) {
            Result r(PQprepare(conn_, s.name, s.sql, s.params, nullptr));
            if (PQresultStatus(r.r) != PGRES_COMMAND_OK)
                throw std::runtime_error(std::string("postgresql: ") + PQerrorMessage(conn_));
        }
    }

    // Runs a prepared statement. A connection found lost (the database
    // restarted) is made again and the statement run once more: a run whose
    // insert was committed just before the loss then reads as already there.
    Result execute(const char* name, const std::vector<std::string>& values, ExecStatusType want) {
        std::vector<const char*> pointers;
        std::vector<int> lengths;
        for (const std::string& v : values) {
            pointers.push_back(v.c_str());
            lengths.push_back(static_cast<int>(v.size()));
        }
        for (int attempt = 0;; ++attempt) {
            if (PQstatus(conn_) != CONNECTION_OK) {
                PQreset(conn_);
                if (PQstatus(conn_) != CONNECTION_OK)
                    throw std::runtime_error(std::string("postgresql: ") + PQerrorMessage(conn_));
                prepare();
            }
            Result r(PQexecPrepared(conn_, name, static_cast<int>(values.size()), pointers.data(),
                                    lengths.data(), nullptr, 0));
            if (PQresultStatus(r.r) == want) {
                PGresult* taken = r.r;
                r.r = nullptr;
                return Result(taken);
            }
            if (attempt == 0 && PQstatus(conn_) != CONNECTION_OK) continue;
            throw std::runtime_error(std::string("postgresql: ") + PQerrorMessage(conn_));
        }
    }

    std::string url_;
    PGconn* conn_ = nullptr;
    std::mutex mutex_;
};

} // namespace

std::unique_ptr<Store> openPostgresStore(const std::string& url) {
    return std::make_unique<PostgresStore>(url);
}

} // namespace board
