// Copying the rows of a table from one engine to another: moving an office's
// files onto a server, and the server engine's backup into database files.
#pragma once

#include <cstdint>

#include "platform/store/Engine.h"

namespace tko::store {

// Appends every row of `table` in `from` (memos included, in position order)
// to the same table in `to`, page by page; `copied` counts the rows written.
// Both engines should be inside a transaction so that the copy is consistent
// and all or nothing; this function begins none. A server target is filled
// through its bulk path.
Status copyTableRows(Engine& from, Engine& to, const TableDef& table, std::int64_t& copied);

}  // namespace tko::store
