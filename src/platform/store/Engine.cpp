#include "platform/store/Engine.h"

namespace tko::store {

Status Engine::countAlong(const TableDef& table, const KeyDef& /*key*/, const Filter& filter,
                          std::int64_t& out) {
    return count(table, filter, out);
}

Status Engine::countByScan(const TableDef& table, const Filter& filter, std::int64_t& out) {
    return count(table, filter, out);
}

Status Engine::addAll(const TableDef& table, const RowSource& next, std::int64_t /*expected*/) {
    Status s = begin({table.label}, 10000);
    if (!s.ok()) return s;
    Row row;
    while (s.ok()) {
        s = next(row);
        if (s.ok()) s = add(table, row);
    }
    if (!s.endOfRange()) {
        rollback();
        return s;
    }
    return commit();
}

Status Engine::distinctValues(const TableDef& table, const KeyDef& key, const Filter& filter,
                              std::size_t most, std::vector<Value>& out) {
    out.clear();
    const KeyComponent& first = key.components.front();
    const std::string& name = table.fields[static_cast<size_t>(first.field)].name;
    ReadRequest seek;
    seek.key = &key;
    seek.limit = 1;
    seek.withMemos = false;
    seek.filter = filter;
    std::vector<Row> found;
    while (out.size() < most) {
        const Status s = read(table, seek, found);
        if (s.endOfRange()) break;
        if (!s.ok()) return s;
        const Value& value = found.front().values[static_cast<size_t>(first.field)];
        out.push_back(value);
        if (table.ordersBytewise(first)) {
            // Ordered letter for letter, where no filter compares so: read on
            // from the value along the key, leaving out the value itself.
            seek.from.values = {value};
            seek.filter = allOf({filter, negate(same(name, value))});
        } else {
            seek.filter = allOf({filter, first.descending ? lt(name, value) : gt(name, value)});
        }
    }
    return Status::success();
}

}  // namespace tko::store
