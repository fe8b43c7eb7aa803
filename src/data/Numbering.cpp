#include "data/Numbering.h"

namespace tko {

Status highestNumber(Database& db, const store::TableDef& table, const std::string& numberKey,
                     std::int64_t& highest) {
    highest = 0;
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
