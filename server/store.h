// The runs on the board, kept in SQLite or PostgreSQL behind one interface.
// Every statement is prepared; a run answered 201 is committed first.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace board {

struct NewRun {
    std::string name;
    int score = 0;
    long flips = 0;
    long calls = 0;
    std::string digest; // the whole run's, unique on the board
    int speed = 100;    // percent; below 100 goes on the reduced board
    std::string replay;
    std::string submitted; // UTC, ISO 8601
    std::string address;
};

struct BoardRow {
    long long rank = 0, id = 0;
    std::string name;
    int score = 0;
    long flips = 0;
    int speed = 100;
    std::string submitted;
};

struct StoredRun {
    long long id = 0;
    int score = 0;
    long flips = 0;
    std::string digest, replay;
};

class Store {
  public:
    virtual ~Store() = default;
    enum class Added { ADDED, DUPLICATE };
    // Adds a run and says its id and rank; throws on a database failure.
    virtual Added add(const NewRun& run, long long& id, long long& rank) = 0;
    // The runs that verify, best first, on the full-speed or reduced board.
    virtual std::vector<BoardRow> board(bool reduced, int limit, int offset) = 0;
    virtual std::optional<std::string> replay(long long id) = 0;
    // Every stored run, for checking them again.
    virtual std::vector<StoredRun> all() = 0;
    // Marks a run as no longer verifying (kept, off the board), or again as
    // verifying.
    virtual void setStale(long long id, bool stale) = 0;
    // A number that changes whenever the board may have changed, by this
    // server or any other; -1 when the store cannot tell cheaply (the board
    // is then read afresh each time).
    virtual long long generation() = 0;
};

// "sqlite:FILE" or "postgresql://...". Creates or upgrades the schema;
// throws std::runtime_error with a line saying why it cannot.
std::unique_ptr<Store> openStore(const std::string& url);
std::unique_ptr<Store> openSqliteStore(const std::string& file);
std::unique_ptr<Store> openPostgresStore(const std::string& url);

} // namespace board
