#include "support/TestStore.h"

#include <gtest/gtest.h>
#include <libpq-fe.h>

#include <cstdlib>
#include <filesystem>
#include <functional>

#include "platform/store/PgEngine.h"
#include "support/TestServer.h"

namespace tko::test {
namespace fs = std::filesystem;

TempDir::TempDir() {
    std::string pattern = (fs::temp_directory_path() / "tko-test-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot create a temporary directory");
    m_path = pattern;
}

TempDir::~TempDir() {
    std::error_code ec;
    fs::remove_all(m_path, ec);
}

std::string engineUnderTest() {
    const char* engine = std::getenv("TKO_TEST_ENGINE");
    return engine && std::string(engine) == "postgres" ? "postgres" : "sqlite";
}

bool usingServer() {
    return engineUnderTest() == "postgres";
}

namespace {

// Runs `sql` on `conn`; on failure returns the server's message.
std::string run(PGconn* conn, const std::string& sql, std::string* firstValue = nullptr) {
    PGresult* result = PQexec(conn, sql.c_str());
    const ExecStatusType st = PQresultStatus(result);
    std::string error;
    if (st != PGRES_COMMAND_OK && st != PGRES_TUPLES_OK)
        error = PQerrorMessage(conn);
    else if (firstValue && PQntuples(result) > 0)
        *firstValue = PQgetvalue(result, 0, 0);
    PQclear(result);
    return error;
}

// A fingerprint of the tables' SQL: when the table definitions change, the
// tables on the test server are dropped and made again.
std::string schemaFingerprint() {
    const store::SqlBuilder sql(store::postgresDialect());
    std::string all;
    for (const store::TableDef* table : allTables())
        for (const std::string& statement : sql.createTable(*table)) all += statement + ";";
    return "tko-test " + std::to_string(std::hash<std::string>{}(all));
}

// Drops the roles of the test database's office (its users' and its own).
std::string dropOfficeRoles(PGconn* conn) {
    const std::string list =
        "SELECT string_agg(quote_ident(rolname), ', ') FROM pg_roles WHERE "
        "starts_with(rolname, current_database() || '.') OR "
        "starts_with(rolname, current_database() || '#')";
    std::string roles;
    std::string error = run(conn, list, &roles);
    if (error.empty() && !roles.empty())
        error = run(conn, "DROP OWNED BY " + roles + "; DROP ROLE " + roles);
    return error;
}

// Brings the test server database to "every table, no rows". Emptying is a
// single TRUNCATE, so each test starts fresh in a few milliseconds.
void prepareServer(const std::string& connInfo) {
    PGconn* conn = PQconnectdb(connInfo.c_str());
    if (PQstatus(conn) != CONNECTION_OK) {
        ADD_FAILURE() << "cannot reach the test server (TKO_TEST_PG): " << PQerrorMessage(conn);
        PQfinish(conn);
        return;
    }
    std::string error = run(conn, "SET client_min_messages = warning; SET lock_timeout = '20s'");
    const store::SqlBuilder sql(store::postgresDialect());
    std::string stored;
    if (error.empty())
        error = run(
            conn, "SELECT COALESCE(obj_description(to_regnamespace('users'), 'pg_namespace'), '')",
            &stored);
    const std::string fingerprint = schemaFingerprint();
    // A test that let the server enforce the rights (PgRoles.h) leaves roles,
    // policies and functions behind: the next test starts from plain tables.
    std::string secured;
    if (error.empty())
        error = run(conn, "SELECT to_regprocedure('users.tko_user()') IS NOT NULL", &secured);
    if (error.empty() && (stored != fingerprint || secured == "t")) {
        std::string drop = "DROP SCHEMA IF EXISTS users CASCADE";
        for (const store::TableDef* table : allTables())
            if (table->file == store::TableFile::Data)
                drop += "; DROP TABLE IF EXISTS " + sql.tableName(*table) + " CASCADE";
        error = run(conn, drop);
        if (error.empty()) {
            Status status;
            DataSource source{fs::temp_directory_path().string(), connInfo};
            if (!Database::open(source, true, status))
                error = "cannot create the tables: " + status.describe();
        }
        if (error.empty()) error = dropOfficeRoles(conn);
        if (error.empty()) error = run(conn, "COMMENT ON SCHEMA users IS '" + fingerprint + "'");
    }
    if (error.empty()) {
        std::string truncate = "TRUNCATE ";
        bool first = true;
        for (const store::TableDef* table : allTables()) {
            truncate += (first ? "" : ", ") + sql.tableName(*table);
            first = false;
        }
        error = run(conn, truncate + " RESTART IDENTITY");
    }
    if (!error.empty()) ADD_FAILURE() << "cannot prepare the test server database: " << error;
    PQfinish(conn);
}

}  // namespace

DataSource freshSource(const TempDir& dir) {
    DataSource source;
    source.directory = dir.path();
    if (usingServer()) {
        const std::string& info = serverInfo();
        if (info.empty()) {
            ADD_FAILURE()
                << "TKO_TEST_ENGINE=postgres needs TKO_TEST_PG, a connection string of a "
                   "test database (scripts/run-tests.sh sets both; or run ctest -LE postgres)";
            return source;
        }
        source.serverInfo = info;
        prepareServer(source.serverInfo);
        return source;
    }
    Status status;
    auto db = Database::open(source, true, status);
    if (!db) ADD_FAILURE() << "cannot create a test store: " << status.describe();
    return source;
}

std::unique_ptr<Database> openStation(const DataSource& source) {
    Status status;
    auto db = Database::open(source, false, status);
    if (!db) ADD_FAILURE() << "cannot open the test store: " << status.describe();
    return db;
}

Person addPerson(Database& db, std::int32_t number, const std::string& shortName,
                 const std::string& type, const std::string& owner) {
    Person p;
    p.PERSONNUMBER = number;
    p.SHORTNAME = shortName;
    p.TYPE = type;
    p.USER = owner;
    EXPECT_TRUE(db.add(p).ok()) << shortName;
    return p;
}

}  // namespace tko::test
