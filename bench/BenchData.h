// The assignment data the store benchmarks share: 200 people, due dates two
// years either side of a fixed "today", three in ten concluded.
#pragma once

#include <libpq-fe.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "BenchServer.h"
#include "data/Database.h"
#include "data/Records.h"
#include "data/Tables.h"
#include "platform/Date.h"
#include "platform/store/Filter.h"
#include "platform/store/PgEngine.h"
#include "platform/store/SqliteEngine.h"

namespace tko::bench {

constexpr int kPeople = 200;
constexpr Date kToday = 82000;  // fixed, so that data sets built once stay valid

inline std::string personName(int i) {
    char name[8];
    std::snprintf(name, sizeof name, "P%03d", i);
    return name;
}

// Assignment number `n` of a data set.
inline Assignment generatedAssignment(int n, std::mt19937& random) {
    Assignment a;
    a.ASSIGNNUMBER = n;
    const int person = static_cast<int>(random() % kPeople);
    a.PERSONNUMBER = person + 1;
    a.PERSON = personName(person);
    a.USERNAME = personName(static_cast<int>(random() % kPeople));
    a.NAME = "Assignment number " + std::to_string(n);
    a.DUEDATE = kToday - 700 + static_cast<int>(random() % 1400);
    a.PRIORITY = static_cast<std::uint8_t>(1 + random() % 9);
    a.CLOSEDATE = random() % 10 < 3 ? a.DUEDATE + static_cast<int>(random() % 20) : 0;
    a.REPEATTYPE = "No Repeats";
    a.ASSIGNEDDATE = a.DUEDATE - 30;
    a.GENERALMEMO = "Some general comments about this piece of work.";
    return a;
}

// Fills an empty data set with `rows` generated assignments in one bulk add
// (the server's then gets fresh statistics for the planner); `adjust`, when
// given, changes each one first.
inline Status fillAssignments(Database& db, int rows,
                              const std::function<void(int, Assignment&)>& adjust = {}) {
    std::mt19937 random(static_cast<unsigned>(rows));
    int n = 0;
    const auto next = [&](store::Row& row) {
        if (n == rows) return Status::error(store::kRecordNotAvailable);
        Assignment a = generatedAssignment(++n, random);
        if (adjust) adjust(n, a);
        row = a.toRow();
        return Status::success();
    };
    Status s = db.addAll(Assignment::def(), next, rows);
    if (s.ok() && dynamic_cast<store::PgEngine*>(&db.engine())) db.engine().pack();
    return s;
}

// The due-now selection of one user: open, due by today, given to or by the user.
inline store::Filter dueNowFilter(const std::string& user) {
    return store::allOf({store::eq("CLOSEDATE", 0), store::le("DUEDATE", kToday),
                         store::anyOf({store::eq("PERSON", user), store::eq("USERNAME", user)})});
}

// What an engine has spent so far: SQLite's virtual machine steps (which grow
// with the index entries and rows a read visits) or the server's round trips.
inline std::int64_t engineWork(store::Engine& engine) {
    if (auto* sqlite = dynamic_cast<store::SqliteEngine*>(&engine)) return sqlite->vmSteps();
    if (auto* server = dynamic_cast<store::PgEngine*>(&engine)) return server->roundTrips();
    return 0;
}

// Opens a station on schema `schema` of the server database, creating the
// schema and the tables when they are not there. The users' tables live in a
// schema of their own, shared by every data set of the database: opening
// refuses a schema that lacks only the data tables as a foreign layout, so
// they are created before the station opens. Nullptr and `error` without a
// server or when the tables cannot be made.
inline std::unique_ptr<Database> openServerSchema(const std::string& schema, std::string& error) {
    if (serverBase().empty()) {
        error = kNoServer;
        return nullptr;
    }
    PGconn* conn = PQconnectdb(serverBase().c_str());
    PQclear(PQexec(
        conn,
        ("SET client_min_messages = warning; CREATE SCHEMA IF NOT EXISTS " + schema).c_str()));
    PQfinish(conn);
    const std::string info = serverSchemaInfo(schema);
    store::PgOptions options;
    options.create = true;
    options.tables = allTables();
    Status status;
    auto engine = store::PgEngine::open(info, options, status);
    if (engine) status = engine->createTables(allTables());
    if (!status.ok()) {
        error = "cannot create the tables: " + status.describe();
        return nullptr;
    }
    engine.reset();
    auto db = Database::open({{}, info}, true, status);
    if (!db) error = "cannot open the data set: " + status.describe();
    return db;
}

// Where data sets are kept between runs: $TKO_BENCH_DIR, default /tmp/tko-bench.
inline std::string benchRoot() {
    const char* dir = std::getenv("TKO_BENCH_DIR");
    return dir ? dir : (std::filesystem::temp_directory_path() / "tko-bench").string();
}

// The data set `name`, opened once per run; `fill` builds it the first time.
inline Database& openDataSet(const std::string& name, const std::function<void(Database&)>& fill) {
    static std::map<std::string, std::unique_ptr<Database>> open;
    auto it = open.find(name);
    if (it != open.end()) return *it->second;
    const std::string dir = benchRoot() + "/" + name;
    const bool exists = std::filesystem::exists(dir + "/TKODATA.DB");
    std::filesystem::create_directories(dir);
    Status status;
    auto db = Database::open(DataSource{dir, {}}, !exists, status);
    if (!db) {
        std::fprintf(stderr, "cannot open %s: %s\n", dir.c_str(), status.describe().c_str());
        std::exit(1);
    }
    if (!exists) fill(*db);
    return *(open[name] = std::move(db));
}

// `rows` generated assignments ("assign-<rows>").
inline Database& assignmentSet(int rows) {
    return openDataSet("assign-" + std::to_string(rows), [rows](Database& db) {
        std::mt19937 random(rows);
        int n = 0;
        db.addAll(
            Assignment::def(),
            [&](store::Row& row) {
                if (n == rows) return Status::error(store::kRecordNotAvailable);
                row = generatedAssignment(++n, random).toRow();
                return Status::success();
            },
            rows);
    });
}

}  // namespace tko::bench
