#include "data/Numbering.h"

#include <algorithm>
#include <chrono>
#include <random>
#include <thread>

#include "platform/store/PgEngine.h"
#include "platform/store/PgRoles.h"

namespace tko {

void numberingBackOff(int attempt) {
    // 2..10 ms on the first retry, up to 2..40 ms on later ones: short next to
    // an add, long enough for the station that took the number to commit.
    thread_local std::minstd_rand jitter(std::random_device{}());
    const int ceiling = 10 * std::min(attempt, 4);
    std::uniform_int_distribution<int> pause(2, std::max(2, ceiling));
    std::this_thread::sleep_for(std::chrono::milliseconds(pause(jitter)));
}

Status highestNumber(Database& db, const store::TableDef& table, const std::string& numberKey,
                     std::int64_t& highest) {
    highest = 0;
    // A user's own role on a secured server reads only the rows he may see;
    // the server tells the highest number of them all. (An office secured by
    // an earlier version has no such function until its owner runs init
    // again; it is looked for first, since a failed call would spoil the
    // caller's transaction.)
    if (auto* server = dynamic_cast<store::PgEngine*>(&db.engine());
        server && store::isUserRole(server->databaseName(), server->sessionRole())) {
        std::vector<std::vector<std::string>> rows;
        Status s = server->execute(
            "SELECT to_regprocedure('users.tko_highest_number(text)') IS NOT NULL", {}, &rows);
        if (!s.ok()) return db.track(s);
        if (!rows.empty() && !rows[0].empty() && rows[0][0] == "t") {
            s = server->execute("SELECT users.tko_highest_number($1)", {table.label}, &rows);
            if (!s.ok()) return db.track(s);
            if (!rows.empty() && !rows[0].empty()) highest = std::stoll(rows[0][0]);
            return s;
        }
    }
    store::ReadRequest request;
    request.key = table.key(numberKey);
    if (!request.key)
        return db.track(Status::error(store::kInvalidArgument, "Unknown key " + numberKey));
    request.direction = store::Direction::Backward;
    request.limit = 1;
    request.withMemos = false;
    std::vector<store::Row> rows;
    Status s = db.engine().read(table, request, rows);
    if (s.endOfRange()) return Status::success();
    if (!s.ok()) return db.track(s);
    highest = std::get<std::int64_t>(
        rows.front().values.at(static_cast<size_t>(request.key->components.front().field)));
    return s;
}

}  // namespace tko
