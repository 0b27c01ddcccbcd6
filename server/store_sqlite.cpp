// The board in one SQLite file, in WAL mode with full syncs: a commit is on
// the disk before its run is answered.
#include <sqlite3.h>

#include <mutex>
#include <stdexcept>

#include "server/store.h"

namespace board {

namespace {

// The schema, one step per version; a new version appends a step.
const char* const MIGRATIONS[] = {
    "CREATE TABLE runs ("
    " id INTEGER PRIMARY KEY AUTOINCREMENT,"
    " name TEXT NOT NULL,"
    " score INTEGER NOT NULL,"
    " flips INTEGER NOT NULL,"
    " calls INTEGER NOT NULL,"
    " digest TEXT NOT NULL UNIQUE,"
    " speed INTEGER NOT NULL,"
    " reduced INTEGER NOT NULL,"
    " replay TEXT NOT NULL,"
    " submitted TEXT NOT NULL,"
    " address TEXT NOT NULL,"
    " stale INTEGER NOT NULL DEFAULT 0)",
    "CREATE INDEX runs_rank ON runs (reduced, stale, score DESC, flips, id)",
};

class Statement {
  public:
    Statement(sqlite3* db, const char* sql) : db_(db) {
        if (sqlite3_prepare_v2(db, sql, -1, &s_, nullptr) != SQLITE_OK)
            throw std::runtime_error(std::string("sqlite: ") + sqlite3_errmsg(db));
    }
    ~Statement() { sqlite3_finalize(s_); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
    Statement& text(int i, const std::string& v) {
        sqlite3_bind_text(s_, i, v.data(), static_cast<int>(v.size()), SQLITE_TRANSIENT);
        return *this;
    }
    Statement& integer(int i, long long v) {
        sqlite3_bind_int64(s_, i, v);
        return *this;
    }
    // True for a row, false when done; throws on an error.
    bool step() {
        const int rc = sqlite3_step(s_);
        if (rc == SQLITE_ROW) return true;
        if (rc == SQLITE_DONE) return false;
        code_ = sqlite3_extended_errcode(db_);
        throw std::runtime_error(std::string("sqlite: ") + sqlite3_errmsg(db_));
    }
    void reset() {
        sqlite3_reset(s_);
        sqlite3_clear_bindings(s_);
    }
    long long column(int i) { return sqlite3_column_int64(s_, i); }
    std::string columnText(int i) {
        const unsigned char* t = sqlite3_column_text(s_, i);
        return t ? std::string(reinterpret_cast<const char*>(t),
                               static_cast<size_t>(sqlite3_column_bytes(s_, i)))
                 : std::string();
    }
    int code() const { return code_; }

  private:
    sqlite3* db_;
    sqlite3_stmt* s_ = nullptr;
    int code_ = 0;
};

// Resets a statement however its use ends.
struct Using {
    Statement& s;
    ~Using() { s.reset(); }
};

class SqliteStore : public Store {
  public:
    explicit SqliteStore(const std::string& file) {
        if (sqlite3_open_v2(file.c_str(), &db_,
                            SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX,
                            nullptr) != SQLITE_OK) {
            const std::string why = db_ ? sqlite3_errmsg(db_) : "out of memory";
            sqlite3_close(db_);
            throw std::runtime_error("cannot open " + file + ": " + why);
        }
        sqlite3_busy_timeout(db_, 10000);
        run("PRAGMA journal_mode=WAL");
        // Every commit synced: a run answered 201 outlives a kill or a power cut.
        run("PRAGMA synchronous=FULL");
        upgrade();
        insert_ = std::make_unique<Statement>(
            db_, "INSERT INTO runs (name, score, flips, calls, digest, speed, reduced, replay,"
                 " submitted, address) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10)");
        rank_ = std::make_unique<Statement>(
            db_, "SELECT COUNT(*) + 1 FROM runs WHERE reduced = ?1 AND stale = 0 AND"
                 " (score > ?2 OR (score = ?2 AND flips < ?3) OR (score = ?2 AND flips = ?3 AND"
                 " id < ?4))");
        board_ = std::make_unique<Statement>(
            db_,
            "SELECT id, name, score, flips, speed, submitted FROM runs"
            " WHERE reduced = ?1 AND stale = 0 ORDER BY score DESC, flips, id LIMIT ?2 OFFSET ?3");
        replay_ = std::make_unique<Statement>(db_, "SELECT replay FROM runs WHERE id = ?1");
        all_ = std::make_unique<Statement>(
            db_, "SELECT id, score, flips, digest, replay FROM runs ORDER BY id");
        stale_ = std::make_unique<Statement>(db_, "UPDATE runs SET stale = ?2 WHERE id = ?1");
        dataVersion_ = std::make_unique<Statement>(db_, "PRAGMA data_version");
    }
    ~SqliteStore() override {
        insert_.reset();
        rank_.reset();
        board_.reset();
        replay_.reset();
        all_.reset();
        stale_.reset();
        dataVersion_.reset();
        sqlite3_close(db_);
    }

    Added add(const NewRun& r, long long& id, long long& rank) override {
        std::lock_guard<std::mutex> lock(mutex_);
        Statement& s = *insert_;
        Using u{s};
        s.text(1, r.name)
            .integer(2, r.score)
            .integer(3, r.flips)
            .integer(4, r.calls)
            .text(5, r.digest)
            .integer(6, r.speed)
            .integer(7, r.speed < 100)
            .text(8, r.replay)
            .text(9, r.submitted)
            .text(10, r.address);
        try {
            s.step(); // autocommit: synced before it returns
        } catch (const std::runtime_error&) {
            if (s.code() == SQLITE_CONSTRAINT_UNIQUE) return Added::DUPLICATE;
            throw;
        }
        id = sqlite3_last_insert_rowid(db_);
        ++ownChanges_;
        Statement& q = *rank_;
        Using v{q};
        q.integer(1, r.speed < 100).integer(2, r.score).integer(3, r.flips).integer(4, id);
        rank = q.step() ? q.column(0) : 0;
        return Added::ADDED;
    }

    std::vector<BoardRow> board(bool reduced, int limit, int offset) override {
        std::lock_guard<std::mutex> lock(mutex_);
        Statement& s = *board_;
        Using u{s};
        s.integer(1, reduced).integer(2, limit).integer(3, offset);
        std::vector<BoardRow> rows;
        while (s.step()) {
            BoardRow row;
            row.rank = offset + static_cast<long long>(rows.size()) + 1;
            row.id = s.column(0);
            row.name = s.columnText(1);
            row.score = static_cast<int>(s.column(2));
            row.flips = static_cast<long>(s.column(3));
            row.speed = static_cast<int>(s.column(4));
            row.submitted = s.columnText(5);
            rows.push_back(std::move(row));
        }
        return rows;
    }

    std::optional<std::string> replay(long long id) override {
        std::lock_guard<std::mutex> lock(mutex_);
        Statement& s = *replay_;
        Using u{s};
        s.integer(1, id);
        if (!s.step()) return std::nullopt;
        return s.columnText(0);
    }

    std::vector<StoredRun> all() override {
        std::lock_guard<std::mutex> lock(mutex_);
        Statement& s = *all_;
        Using u{s};
        std::vector<StoredRun> runs;
        while (s.step())
            runs.push_back({s.column(0), static_cast<int>(s.column(1)),
                            static_cast<long>(s.column(2)), s.columnText(3), s.columnText(4)});
        return runs;
    }

    void setStale(long long id, bool stale) override {
        std::lock_guard<std::mutex> lock(mutex_);
        Statement& s = *stale_;
        Using u{s};
        s.integer(1, id).integer(2, stale);
        s.step();
        ++ownChanges_;
    }

    // SQLite's data version counts what other connections (another server,
    // --reverify) committed; this connection's own changes are counted here.
    long long generation() override {
        std::lock_guard<std::mutex> lock(mutex_);
        Statement& s = *dataVersion_;
        Using u{s};
        const long long others = s.step() ? s.column(0) : 0;
        return (others << 32) + ownChanges_;
    }

  private:
    void run(const char* sql) {
        Statement s(db_, sql);
        while (s.step()) {}
    }

    // Brings the schema up to the last version in one transaction; a second
    // server starting at once waits for it (BEGIN IMMEDIATE).
    void upgrade() {
        run("BEGIN IMMEDIATE");
        try {
            run("CREATE TABLE IF NOT EXISTS schema_version (version INTEGER NOT NULL)");
            long long version = 0;
            {
                Statement s(db_, "SELECT COALESCE(MAX(version), 0) FROM schema_version");
                if (s.step()) version = s.column(0);
            }
            const long long last = static_cast<long long>(std::size(MIGRATIONS));
            if (version > last)
                throw std::runtime_error("the database was made by a newer board (schema " +
                                         std::to_string(version) + ")");
            for (long long v = version; v < last; ++v) run(MIGRATIONS[v]);
            if (version < last) {
                run("DELETE FROM schema_version");
                Statement s(db_, "INSERT INTO schema_version (version) VALUES (?1)");
                s.integer(1, last);
                s.step();
            }
            run("COMMIT");
        } catch (...) {
            try {
                run("ROLLBACK");
            } catch (const std::runtime_error&) {
                // Nothing was begun, or SQLite rolled it back itself.
            }
            throw;
        }
    }

    sqlite3* db_ = nullptr;
    std::mutex mutex_;
    std::unique_ptr<Statement> insert_, rank_, board_, replay_, all_, stale_, dataVersion_;
    long long ownChanges_ = 0;
};

} // namespace

std::unique_ptr<Store> openSqliteStore(const std::string& file) {
    return std::make_unique<SqliteStore>(file);
}

} // namespace board
