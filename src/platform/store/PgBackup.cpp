// The server engine's backup: one snapshot of every table written as the
// embedded engine's two database files.
#include "platform/store/PgEngine.h"

#include <libpq-fe.h>

#include <filesystem>

#include "platform/store/PgDetail.h"
#include "platform/store/SqliteEngine.h"
#include "platform/store/TableCopy.h"

namespace tko::store {
using namespace pgdetail;

namespace fs = std::filesystem;

Status PgEngine::backup(const std::string& dataPath, const std::string& usersPath) {
    if (m_depth > 0) return Status::error(kTransactionError, "Cannot back up inside a transaction");
    Status s = ensureConnected();
    if (!s.ok()) return s;

    const fs::path dataTemp = fs::absolute(dataPath + ".tmp");
    const fs::path usersTemp = fs::absolute(usersPath + ".tmp");
    std::error_code ec;
    auto removeTemps = [&] {
        for (const fs::path& p : {dataTemp, usersTemp}) {
            fs::remove(p, ec);
            fs::remove(p.string() + "-journal", ec);
        }
    };
    removeTemps();
    SqliteOptions fileOptions;
    fileOptions.create = true;
    fileOptions.dataName = dataTemp.filename().string();
    fileOptions.usersName = usersTemp.string();
    auto files = SqliteEngine::open(dataTemp.parent_path().string(), fileOptions, s);
    if (!files) return s;
    s = files->createTables(m_options.tables);
    if (s.ok()) s = files->begin({}, m_options.lockTimeoutMs);
    // One snapshot of every table: rows committed by other stations while the
    // copy runs are either all in it or not at all.
    if (s.ok()) s = exec("BEGIN ISOLATION LEVEL REPEATABLE READ READ ONLY");
    if (s.ok()) {
        m_depth = 1;
        for (const TableDef* table : m_options.tables) {
            std::int64_t copied = 0;
            s = copyTableRows(*this, *files, *table, copied);
            if (!s.ok()) break;
        }
        rollback();  // read only: nothing to keep
        if (s.ok()) s = files->commit();
    }
    files.reset();
    if (s.ok()) {
        fs::rename(dataTemp, dataPath, ec);
        if (!ec) fs::rename(usersTemp, usersPath, ec);
        if (ec) s = Status::error(kAccessDenied, "Cannot write the backup: " + ec.message());
    }
    if (!s.ok()) removeTemps();
    return s;
}

}  // namespace tko::store
