#include "server/store.h"

namespace board {

std::unique_ptr<Store> openStore(const std::string& url) {
    if (url.rfind("sqlite:", 0) == 0) return openSqliteStore(url.substr(7));
    return openPostgresStore(url);
}

} // namespace board
