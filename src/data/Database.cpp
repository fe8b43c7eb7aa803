#include "data/Database.h"

#include "platform/store/EngineLog.h"
#include "platform/store/PgEngine.h"
#include "platform/store/SqliteEngine.h"

namespace tko {

std::unique_ptr<store::Engine> Database::openEngine(const DataSource& source, bool create,
                                                    Status& status, int lockTimeoutMs) {
    if (!source.serverInfo.empty()) {
        // A server named in the settings: the tables live there, the data
        // directory keeps only the settings.
        store::PgOptions options;
        options.create = create;
        options.tables = allTables();
        options.lockTimeoutMs = lockTimeoutMs;
        return store::PgEngine::open(source.serverInfo, options, status);
    }
    store::SqliteOptions options;
    options.create = create;
    options.busyTimeoutMs = lockTimeoutMs;
    return store::SqliteEngine::open(source.directory, options, status);
}

std::unique_ptr<Database> Database::open(const DataSource& source, bool create, Status& status,
                                         int lockTimeoutMs, bool addMissing) {
    auto engine = openEngine(source, create, status, lockTimeoutMs);
    if (!engine) {
        store::logEngineFailure(
            status, "opening " + (source.serverInfo.empty() ? source.directory
                                                            : std::string("the database server")));
        return nullptr;
    }
    auto db = std::make_unique<Database>(std::move(engine));
    // A data set made by an earlier version may lack a table or a key added
    // since (CREATE ... IF NOT EXISTS adds just those); the files are only
    // written to when something is missing.
    if (create || (addMissing && db->missesTablesOrKeys())) {
        status = db->createTables();
        if (!status.ok()) {
            store::logEngineFailure(status, "creating the tables");
            return nullptr;
        }
    }
    // Data sets made before names compared without regard to letter case are
    // converted once; values that would now collide keep their key's old order
    // and are reported by check().
    if (create || addMissing) {
        status = db->track(db->engine().adoptNameCollation(allTables()));
        if (!status.ok()) return nullptr;
    }
    return db;
}

Database::Database(std::unique_ptr<store::Engine> engine) : m_engine(std::move(engine)) {}

Database::~Database() = default;

bool Database::missesTablesOrKeys() {
    for (const store::TableDef* table : allTables()) {
        std::vector<std::string> problems;
        if (!m_engine->verifyTable(*table, problems).ok()) return false;
        for (const std::string& line : problems)
            if (line.find(": table is missing") != std::string::npos ||
                (line.find(": key ") != std::string::npos &&
                 line.compare(line.size() - 11, 11, " is missing") == 0))
                return true;
    }
    return false;
}

Status Database::createTables() {
    return track(m_engine->createTables(allTables()));
}

Status Database::check(std::vector<std::string>& problems) {
    Status s = track(m_engine->verifyStorage(problems));
    if (!s.ok()) return s;
    for (const store::TableDef* table : allTables()) {
        s = track(m_engine->verifyTable(*table, problems));
        if (!s.ok()) return s;
    }
    return s;
}

Status Database::probeLock(int timeoutMs) {
    if (m_engine->transactionDepth() > 0) return Status::success();
    Status s = begin({}, timeoutMs);
    if (!s.ok()) return s;
    return rollback();
}

Status Database::begin(const std::vector<std::string>& tables, int timeoutMs) {
    return track(m_engine->begin(tables, timeoutMs));
}

Status Database::commit() {
    return track(m_engine->commit());
}

Status Database::rollback() {
    return track(m_engine->rollback());
}

bool Database::openTable(const std::string& label) {
    return m_openCounts[label]++ == 0;
}

bool Database::closeTable(const std::string& label) {
    auto it = m_openCounts.find(label);
    if (it == m_openCounts.end() || it->second == 0) return false;
    return --it->second == 0;
}

int Database::openCount(const std::string& label) const {
    auto it = m_openCounts.find(label);
    return it == m_openCounts.end() ? 0 : it->second;
}

Status Database::track(Status status) {
    if (!status.ok() && !status.endOfRange()) {
        m_lastError = status;
        store::logEngineFailure(status);
    }
    return status;
}

}  // namespace tko
