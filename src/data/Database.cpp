#include "data/Database.h"

#include "data/FieldWidth.h"

#include "platform/store/EngineLog.h"
#include "platform/store/NameCollation.h"
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
    LayoutCheck layout;
    status = db->checkLayout(layout);
    if (!status.ok()) return nullptr;
    if (layout.newStore()) {
        if (!create) {
            status = Status::error(store::kFileNotFound, "The data holds no TASKORBIT tables");
            return nullptr;
        }
        status = db->createTables();
        if (status.ok()) status = db->refreshTextIndexes(false);
        if (!status.ok()) return nullptr;
        return db;
    }
    if (!addMissing) return db;
    // Nothing is written into a store that is not laid out as ours.
    if (layout.presentTables == 0 || !layout.layout.empty()) {
        status =
            Status::error(store::kInvalidRecordLayout,
                          layout.layout.empty() ? std::string("The data holds no TASKORBIT tables")
                                                : layout.layout.front());
        return nullptr;
    }
    // Keys that a later version added are built (CREATE INDEX IF NOT EXISTS);
    // the files are only written to when one is missing.
    if ((!layout.keys.empty() && db->missesTablesOrKeys()) || !layout.laterTables.empty()) {
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
    // The word search's indexes are made and filled once for a data set
    // made before them.
    status = db->refreshTextIndexes(false);
    if (!status.ok()) {
        store::logEngineFailure(status, "creating the text indexes");
        return nullptr;
    }
    return db;
}

namespace {

bool isLetterCaseNote(const std::string& line) {
    return line.find(" instead of " + std::string(store::kNameCollation)) != std::string::npos ||
           line.find(" tells names apart by letter case") != std::string::npos ||
           line.find(" differ only in letter case") != std::string::npos;
}

}  // namespace

Status Database::checkLayout(LayoutCheck& out) {
    out = LayoutCheck{};
    for (const store::TableDef* table : allTables()) {
        std::vector<std::string> problems;
        Status s = track(m_engine->verifyTable(*table, problems));
        if (!s.ok()) return s;
        bool missing = false, keyProblem = false;
        for (const std::string& line : problems) {
            // Columns and keys that still order names bytewise are converted on
            // opening (adoptNameCollation), or kept while names that differ only
            // in letter case remain, which check() reports: neither makes the
            // layout foreign nor a key damaged.
            if (isLetterCaseNote(line)) continue;
            if (line == table->label + ": table is missing")
                missing = true;
            else if (line.rfind(table->label + ": key ", 0) == 0) {
                out.keys.push_back(line);
                keyProblem = true;
            } else
                out.layout.push_back(line);
        }
        if (missing && isLaterTable(*table)) {
            out.laterTables.push_back(table->label);
            continue;
        }
        if (missing) {
            out.layout.push_back(table->label + ": table is missing");
            continue;  // a missing table's keys are missing too
        }
        ++out.presentTables;
        if (keyProblem) out.keyTables.push_back(table->label);
    }
    if (out.presentTables == 0) out.layout.clear();
    if (auto* files = dynamic_cast<store::SqliteEngine*>(m_engine.get())) {
        std::vector<std::string> names;
        Status s = track(files->tableNames(names));
        if (!s.ok()) return s;
        for (const std::string& name : names) {
            const std::string label = name.rfind("users.", 0) == 0 ? name.substr(6) : name;
            if (!tableByLabel(label)) out.foreignTables = true;
        }
    }
    return Status::success();
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

Status Database::refreshTextIndexes(bool rebuild) {
    std::vector<std::string> made;
    return track(m_engine->refreshTextIndexes(allTables(), rebuild, made));
}

Status Database::check(std::vector<std::string>& problems) {
    Status s = track(m_engine->verifyStorage(problems));
    if (!s.ok()) return s;
    for (const store::TableDef* table : allTables()) {
        std::vector<std::string> found;
        s = track(m_engine->verifyTable(*table, found));
        if (!s.ok()) return s;
        // A store made before a later table existed gets it at its next opening.
        for (const std::string& line : found)
            if (!isLaterTable(*table) || line != table->label + ": table is missing")
                problems.push_back(line);
    }
    return s;
}

Status Database::addAll(const store::TableDef& table, const store::RowSource& next,
                        std::int64_t expected) {
    const auto checked = [&](store::Row& row) {
        Status s = next(row);
        if (s.ok()) s = checkRowText(table, row);
        return s;
    };
    return track(m_engine->addAll(table, checked, expected));
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

Status Database::textGuard(const store::TableDef& table, const store::Row& row, bool changing) {
    Status refused = checkRowText(table, row);
    if (refused.ok() || !changing) return refused.ok() ? refused : track(refused);
    // Only what this write brings in is refused.
    store::Row stored;
    if (m_engine->reread(table, row.pos, stored).ok()) refused = checkRowText(table, row, &stored);
    return refused.ok() ? refused : track(refused);
}

Status Database::track(Status status) {
    if (!status.ok() && !status.endOfRange()) {
        m_lastError = status;
        store::logEngineFailure(status);
    }
    return status;
}

}  // namespace tko
