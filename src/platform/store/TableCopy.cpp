#include "platform/store/TableCopy.h"

#include "platform/store/PgEngine.h"

namespace tko::store {

Status copyTableRows(Engine& from, Engine& to, const TableDef& table, std::int64_t& copied) {
    copied = 0;
    auto* server = dynamic_cast<PgEngine*>(&to);
    ReadRequest request;
    request.key = nullptr;  // position order: every row exactly once
    request.limit = 1000;
    request.withMemos = true;
    std::vector<Row> page;
    for (;;) {
        Status s = from.read(table, request, page);
        if (s.endOfRange()) return Status::success();
        if (!s.ok()) return s;
        if (server) {
            s = server->bulkAdd(table, page);
            if (!s.ok()) return s;
        } else {
            for (Row row : page) {
                s = to.add(table, row);
                if (!s.ok()) return s;
            }
        }
        copied += static_cast<std::int64_t>(page.size());
        if (static_cast<int>(page.size()) < request.limit) return Status::success();
        request.from = KeyPosition{{}, page.back().pos};
    }
}

}  // namespace tko::store
