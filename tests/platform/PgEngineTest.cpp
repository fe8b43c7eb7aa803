// Behaviour of the server engine that the engine-neutral store tests cannot
// see: key order equal to the embedded engine's, table locks and lock
// time-outs between stations, statement failures inside a transaction, a lost
// connection, bad text, the bulk path, the backup files and the key check.
// Needs a test server: TKO_TEST_PG (scripts/run-tests.sh provides one).
#include <gtest/gtest.h>

#include <libpq-fe.h>
#include <algorithm>
#include <functional>
#include <tuple>

#include <chrono>
#include <cstdlib>
#include <filesystem>

#include "data/Database.h"
#include "platform/BrowsePager.h"
#include "platform/store/PgEngine.h"
#include "platform/store/SqliteEngine.h"
#include "support/TestServer.h"
#include "support/TestStore.h"

namespace tko {
namespace {

using namespace store;

using test::serverInfo;  // this process's test database

// Runs SQL on the test server outside any engine.
void adminExec(const std::string& sql) {
    PGconn* conn = PQconnectdb(serverInfo().c_str());
    PGresult* result = PQexec(conn, sql.c_str());
    const ExecStatusType st = PQresultStatus(result);
    EXPECT_TRUE(st == PGRES_COMMAND_OK || st == PGRES_TUPLES_OK)
        << sql << ": " << PQerrorMessage(conn);
    PQclear(result);
    PQfinish(conn);
}

class PgEngineTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (serverInfo().empty())
            GTEST_FAIL() << "TKO_TEST_PG is not set (run scripts/run-tests.sh)";
        // freshSource empties the server only when the server engine is under test.
        setenv("TKO_TEST_ENGINE", "postgres", 1);
        source = test::freshSource(dir);
        a = openServer();
        b = openServer();
        ASSERT_TRUE(a && b);
    }

    std::unique_ptr<PgEngine> openServer(int lockTimeoutMs = 10000) {
        PgOptions options;
        options.tables = allTables();
        options.lockTimeoutMs = lockTimeoutMs;
        Status status;
        auto engine = PgEngine::open(source.serverInfo, options, status);
        EXPECT_TRUE(engine) << status.describe();
        return engine;
    }

    // An embedded office with every table, to compare the server's lists with.
    std::unique_ptr<SqliteEngine> embeddedTwin() {
        Status status;
        SqliteOptions fileOptions;
        fileOptions.create = true;
        auto files = SqliteEngine::open(dir.path(), fileOptions, status);
        EXPECT_TRUE(files) << status.describe();
        if (files) {
            EXPECT_TRUE(files->createTables(allTables()).ok());
        }
        return files;
    }

    static Row assignment(int number, int due, const std::string& name, int close = 0,
                          int priority = 5) {
        Assignment a;
        a.ASSIGNNUMBER = number;
        a.DUEDATE = due;
        a.NAME = name;
        a.PERSON = name;
        a.CLOSEDATE = close;
        a.PRIORITY = static_cast<std::uint8_t>(priority);
        return a.toRow();
    }

    static std::vector<Row> readAll(Engine& engine, const TableDef& table, const KeyDef* key,
                                    Direction direction = Direction::Forward) {
        std::vector<Row> all, page;
        ReadRequest request;
        request.key = key;
        request.direction = direction;
        request.limit = 7;  // several pages, so that continuing is exercised too
        for (;;) {
            Status s = engine.read(table, request, page);
            if (s.endOfRange()) break;
            EXPECT_TRUE(s.ok()) << s.describe();
            if (!s.ok()) break;
            all.insert(all.end(), page.begin(), page.end());
            request.from =
                key ? KeyPosition::continuing(keyValuesOf(*key, page.back()), page.back().pos)
                    : KeyPosition{{}, page.back().pos};
        }
        return all;
    }

    // Adds assignments 1..count on `a`: person "A", "B", ... (`people` of
    // them), given by "U" every `byU`-th and by "V" otherwise, due over
    // `days` days, priorities 0..`priorities`-1, concluded every
    // `closedEvery`-th (0: none). Returns them with their row positions.
    std::vector<Assignment> addSpread(int count, int people, int byU, int days, int priorities,
                                      int closedEvery = 0) {
        std::vector<Assignment> stored;
        for (int n = 1; n <= count; ++n) {
            Assignment x;
            x.ASSIGNNUMBER = n;
            x.PERSON = std::string(1, static_cast<char>('A' + n % people));
            x.USERNAME = n % byU == 0 ? "U" : "V";
            x.DUEDATE = 100 + n % days;
            x.PRIORITY = static_cast<std::uint8_t>(n % priorities);
            x.CLOSEDATE = closedEvery && n % closedEvery == 0 ? 5 : 0;
            Row row = x.toRow();
            const Status s = a->add(ass, row);
            EXPECT_TRUE(s.ok()) << s.describe();
            if (!s.ok()) break;
            x.rowPos = row.pos;
            stored.push_back(x);
        }
        return stored;
    }

    test::TempDir dir;
    DataSource source;
    std::unique_ptr<PgEngine> a, b;
    const TableDef& ass = Assignment::def();
};

// ---- opening -----------------------------------------------------------------

TEST_F(PgEngineTest, OpenReportsUnreachableServerAndMissingTables) {
    PgOptions options;
    options.tables = allTables();
    Status status;
    EXPECT_FALSE(
        PgEngine::open("host=/nonexistent-socket-dir dbname=x connect_timeout=2", options, status));
    EXPECT_EQ(status.code, kEngineError);
    EXPECT_NE(status.describe().find("Cannot connect to the database server"), std::string::npos)
        << status.describe();

    // A schema without the tables: not silently created when create is off.
    adminExec("CREATE SCHEMA IF NOT EXISTS tko_empty");
    EXPECT_FALSE(
        PgEngine::open(source.serverInfo + " options='-csearch_path=tko_empty'", options, status));
    EXPECT_EQ(status.code, kFileNotFound) << status.describe();
    adminExec("DROP SCHEMA tko_empty CASCADE");
}

// ---- key order equal to the embedded engine's ----------------------------------

TEST_F(PgEngineTest, EveryKeyOrdersRowsAsTheEmbeddedEngineDoes) {
    auto files = embeddedTwin();
    ASSERT_TRUE(files);
    // Case, accents, blanks, equal keys and descending components.
    const std::vector<std::string> names = {"beta", "Beta", "alpha", "Zed",  "élan",
                                            "",     "a b",  "ab",    "alpha"};
    int number = 1;
    for (const std::string& name : names) {
        for (int close : {0, 40000, 39000}) {
            Row r1 = assignment(number, 40000 + number % 3, name, close, number % 4);
            Row r2 = r1;
            ASSERT_TRUE(a->add(ass, r1).ok());
            ASSERT_TRUE(files->add(ass, r2).ok());
            ++number;
        }
    }
    for (const KeyDef& key : ass.keys) {
        for (Direction dir : {Direction::Forward, Direction::Backward}) {
            std::vector<Row> server = readAll(*a, ass, &key, dir);
            std::vector<Row> local = readAll(*files, ass, &key, dir);
            ASSERT_EQ(server.size(), local.size()) << key.label;
            for (size_t i = 0; i < server.size(); ++i)
                EXPECT_EQ(server[i].values, local[i].values) << key.label << " row " << i;
        }
    }
}

// Every page is one statement, however many key ranges it crosses: a page that
// continues inside a three-part key reads from up to four ranges, which used to
// be four round trips. The rows must still come in key order, both ways, with
// a plain filter and with an either-or filter read as merged index ranges.
TEST_F(PgEngineTest, EachPageIsOneRoundTripAcrossTheKeyRanges) {
    struct Case {
        const char* key;
        Filter filter;
        std::function<bool(const Assignment&)> keeps;
        std::function<std::tuple<std::string, int, int>(const Assignment&)> order;
    };
    const std::vector<Case> cases{
        {"ASS:PERSONDATE_KEY", eq("CLOSEDATE", 0),
         [](const Assignment& x) { return x.CLOSEDATE == 0; },
         [](const Assignment& x) { return std::make_tuple(x.PERSON, x.DUEDATE, int{x.PRIORITY}); }},
        {"ASS:DUEDATE_KEY", anyOf({eq("PERSON", "A"), eq("USERNAME", "U")}),
         [](const Assignment& x) { return x.PERSON == "A" || x.USERNAME == "U"; },
         [](const Assignment& x) {
             return std::make_tuple(std::string(), x.DUEDATE, int{x.PRIORITY});
         }},
    };
    const std::vector<Assignment> stored = addSpread(60, 3, 5, 4, 5, 7);
    ASSERT_EQ(stored.size(), 60u);
    for (const Case& c : cases) {
        std::vector<Assignment> expected;
        for (const Assignment& x : stored)
            if (c.keeps(x)) expected.push_back(x);
        // Backward order; the first pass turns it round.
        std::stable_sort(expected.begin(), expected.end(), [&](const auto& l, const auto& r) {
            return std::make_tuple(c.order(l), l.rowPos) > std::make_tuple(c.order(r), r.rowPos);
        });
        // The first pass prepares each statement shape once for the
        // connection (one more round trip the first time it is seen).
        for (int pass = 0; pass < 4; ++pass) {
            const Direction dir = pass % 2 ? Direction::Backward : Direction::Forward;
            std::reverse(expected.begin(), expected.end());
            ReadRequest request;
            request.key = ass.key(c.key);
            request.direction = dir;
            request.filter = c.filter;
            request.limit = 4;
            std::vector<std::int64_t> read;
            std::vector<Row> page;
            for (;;) {
                const std::int64_t before = a->roundTrips();
                const Status s = a->read(ass, request, page);
                if (pass >= 2) {
                    EXPECT_EQ(a->roundTrips() - before, 1) << c.key << " after " << read.size();
                }
                if (s.endOfRange()) break;
                ASSERT_TRUE(s.ok()) << s.describe();
                for (const Row& row : page) read.push_back(row.pos);
                request.from = KeyPosition::continuing(keyValuesOf(*request.key, page.back()),
                                                       page.back().pos);
            }
            std::vector<std::int64_t> wanted;
            for (const Assignment& x : expected) wanted.push_back(x.rowPos);
            EXPECT_EQ(read, wanted)
                << c.key << (dir == Direction::Forward ? " forward" : " backward");
        }
    }
}

// A page of two ranges merged in key order: "person A" along (PERSON,
// DUEDATE, PRIORITY) and "given by U to others". The planner drops a column
// held to one value from the order its index gives; the merge then sorted
// the whole of the first range's page before taking a row of it. The plan
// must read both ranges along their indexes, unsorted, and the rows must be
// those of the filter, in key order.
TEST_F(PgEngineTest, ARangeHeldToOneValueOfTheKeyIsMergedWithoutSorting) {
    const std::vector<Assignment> stored = addSpread(200, 7, 3, 11, 9);
    ASSERT_EQ(stored.size(), 200u);
    ReadRequest request;
    request.key = ass.key("ASS:PERSONDATE_KEY");
    request.filter = anyOf({eq("PERSON", "A"), eq("USERNAME", "U")});
    request.limit = 5;

    const SqlQuery statement = SqlBuilder(postgresDialect()).pageStatement(ass, request);
    ASSERT_TRUE(statement.params.empty()) << statement.sql;
    PGconn* conn = PQconnectdb(source.serverInfo.c_str());
    PQclear(PQexec(
        conn, "SET enable_sort = off; SET enable_incremental_sort = off; SET jit = off; ANALYZE"));
    PGresult* plan = PQexec(conn, ("EXPLAIN " + statement.sql).c_str());
    ASSERT_EQ(PQresultStatus(plan), PGRES_TUPLES_OK) << PQerrorMessage(conn);
    std::string lines;
    bool sorted = false, merged = false;
    for (int r = 0; r < PQntuples(plan); ++r) {
        const std::string line = PQgetvalue(plan, r, 0);
        lines += line + "\n";
        sorted = sorted || line.find("Sort  (") != std::string::npos;
        merged = merged || line.find("Merge Append") != std::string::npos;
    }
    PQclear(plan);
    PQfinish(conn);
    EXPECT_TRUE(merged) << lines;
    EXPECT_FALSE(sorted) << lines;

    std::vector<Assignment> expected;
    for (const Assignment& x : stored)
        if (x.PERSON == "A" || x.USERNAME == "U") expected.push_back(x);
    std::sort(expected.begin(), expected.end(), [](const auto& l, const auto& r) {
        return std::make_tuple(l.PERSON, l.DUEDATE, l.PRIORITY, l.rowPos) <
               std::make_tuple(r.PERSON, r.DUEDATE, r.PRIORITY, r.rowPos);
    });
    std::vector<std::int64_t> wanted, read;
    for (const Assignment& x : expected) wanted.push_back(x.rowPos);
    std::vector<Row> page;
    for (;;) {
        const Status s = a->read(ass, request, page);
        if (s.endOfRange()) break;
        ASSERT_TRUE(s.ok()) << s.describe();
        for (const Row& row : page) read.push_back(row.pos);
        request.from =
            KeyPosition::continuing(keyValuesOf(*request.key, page.back()), page.back().pos);
    }
    EXPECT_EQ(read, wanted);
}

// Each filter value makes a statement of its own on the server; a session
// that reads with more of them than it keeps prepared drops them and goes on
// (inside a transaction it keeps them until the transaction ends).
TEST_F(PgEngineTest, ReadsWithManyDifferentFiltersKeepWorking) {
    for (int n = 1; n <= 30; ++n) {
        Row row = assignment(n, 100 + n, "P" + std::to_string(n));
        ASSERT_TRUE(a->add(ass, row).ok());
    }
    // Person n (one of P1 to P30, or nobody) in a statement of its own.
    auto readPerson = [&](int n) {
        ReadRequest request;
        request.key = ass.key("ASS:DUEDATE_KEY");
        request.limit = 5;
        request.filter = allOf({eq("PERSON", "P" + std::to_string(n)), eq("CLOSEDATE", 0)});
        std::vector<Row> page;
        const Status s = a->read(ass, request, page);
        if (n >= 1 && n <= 30) {
            ASSERT_TRUE(s.ok()) << n << ": " << s.describe();
            ASSERT_EQ(page.size(), 1u) << n;
            Assignment found;
            found.fromRow(page.front());
            EXPECT_EQ(found.ASSIGNNUMBER, n) << n;
        } else {
            EXPECT_TRUE(s.endOfRange()) << n << ": " << s.describe();
        }
    };
    for (int n = 0; n < 300; ++n) readPerson(n);
    ASSERT_TRUE(a->begin({"ASSIGNMENT"}, 1000).ok());
    for (int n = 300; n < 800; ++n) readPerson(n % 2 ? n : n / 100);
    ASSERT_TRUE(a->commit().ok());
    for (int n = 800; n < 1300; ++n) readPerson(n % 3 ? n : n / 100);
}

// A list window's moves on the server: opening, Page Down and Up, a row
// beyond either edge of the page, scrolling, End and Home, each one round trip
// (a move used to read its rows and then probe each end: three). Rows, order,
// selection and both ends must be those of the same list on the embedded
// engine, with an either-or filter read as merged index ranges.
TEST_F(PgEngineTest, EveryListMoveIsOneRoundTripWithTheEmbeddedEnginesRows) {
    auto files = embeddedTwin();
    ASSERT_TRUE(files);
    for (int n = 1; n <= 130; ++n) {
        Assignment x;
        x.ASSIGNNUMBER = n;
        x.NAME = "Task " + std::to_string(n);
        x.PERSON = n % 3 ? "ANNA" : "BEN";
        x.USERNAME = n % 4 ? "CARL" : "ANNA";
        x.DUEDATE = 40000 + n % 9;
        x.PRIORITY = static_cast<std::uint8_t>(1 + n % 5);
        x.CLOSEDATE = n % 6 == 0 ? 39000 : 0;
        Row r1 = x.toRow(), r2 = x.toRow();
        ASSERT_TRUE(a->add(ass, r1).ok());
        ASSERT_TRUE(files->add(ass, r2).ok());
    }
    const Filter filter =
        allOf({eq("CLOSEDATE", 0), anyOf({eq("PERSON", "BEN"), eq("USERNAME", "ANNA")})});
    BrowsePager server(*a, ass), local(*files, ass);
    for (BrowsePager* pager : {&server, &local}) {
        pager->setKey(ass.key("ASS:DUEDATE_KEY"));
        pager->setFilter(filter);
        pager->setPageSize(6);
    }
    using Move = std::function<Status(BrowsePager&)>;
    const std::vector<std::pair<const char*, Move>> moves{
        {"top", [](BrowsePager& p) { return p.top(); }},
        {"page down", [](BrowsePager& p) { return p.pageDown(); }},
        {"page down", [](BrowsePager& p) { return p.pageDown(); }},
        {"row down",
         [](BrowsePager& p) {
             p.select(static_cast<int>(p.rows().size()) - 1);
             return p.rowDown();
         }},
        {"scroll down", [](BrowsePager& p) { return p.scroll(4); }},
        {"page up", [](BrowsePager& p) { return p.pageUp(); }},
        {"row up",
         [](BrowsePager& p) {
             p.select(0);
             return p.rowUp();
         }},
        {"scroll up", [](BrowsePager& p) { return p.scroll(-2); }},
        {"end", [](BrowsePager& p) { return p.bottom(); }},
        {"page up", [](BrowsePager& p) { return p.pageUp(); }},
        {"page down", [](BrowsePager& p) { return p.pageDown(); }},
        {"page down at the end", [](BrowsePager& p) { return p.pageDown(); }},
    };
    // The first pass prepares each statement once for the connection.
    for (int pass = 0; pass < 2; ++pass) {
        for (const auto& [name, move] : moves) {
            const std::int64_t before = a->roundTrips();
            ASSERT_TRUE(move(server).ok()) << name;
            if (pass == 1) {
                EXPECT_EQ(a->roundTrips() - before, 1) << name;
            }
            ASSERT_TRUE(move(local).ok()) << name;
            ASSERT_FALSE(server.rows().empty()) << name;
            ASSERT_EQ(server.rows().size(), local.rows().size()) << name;
            for (size_t i = 0; i < server.rows().size(); ++i)
                EXPECT_EQ(server.rows()[i].values, local.rows()[i].values) << name << " row " << i;
            EXPECT_EQ(server.selectedIndex(), local.selectedIndex()) << name;
            EXPECT_EQ(server.atTop(), local.atTop()) << name;
            EXPECT_EQ(server.atBottom(), local.atBottom()) << name;
        }
    }
    EXPECT_TRUE(server.atBottom());
}

// ---- transactions between stations ----------------------------------------------

TEST_F(PgEngineTest, BeginWaitsForAnotherWriterOfTheSameTableOnly) {
    ASSERT_TRUE(a->begin({"ASSIGNMENT", "REMINDER"}, 2000).ok());
    const auto started = std::chrono::steady_clock::now();
    Status s = b->begin({"REMINDER"}, 300);
    const auto waited = std::chrono::steady_clock::now() - started;
    EXPECT_EQ(s.code, kFileLocked) << s.describe();
    EXPECT_GE(waited, std::chrono::milliseconds(250));
    EXPECT_LT(waited, std::chrono::milliseconds(3000));
    EXPECT_EQ(b->transactionDepth(), 0);

    // Another table can be written; the locked one can still be read.
    ASSERT_TRUE(b->begin({"PEOPLE"}, 300).ok());
    std::int64_t n = -1;
    EXPECT_TRUE(b->count(ass, all(), n).ok());
    EXPECT_TRUE(b->commit().ok());

    // Once the first station is done, the second gets its transaction.
    ASSERT_TRUE(a->commit().ok());
    EXPECT_TRUE(b->begin({"REMINDER"}, 300).ok());
    EXPECT_TRUE(b->rollback().ok());
}

TEST_F(PgEngineTest, WriteOutsideTransactionGivesUpAfterTheLockTimeout) {
    auto impatient = openServer(200);
    Row row = assignment(1, 40000, "x");
    ASSERT_TRUE(a->add(ass, row).ok());
    ASSERT_TRUE(a->begin({"ASSIGNMENT"}, 2000).ok());
    Row theirs;
    ASSERT_TRUE(impatient->reread(ass, row.pos, theirs).ok());
    std::get<std::string>(theirs.values[2]) = "theirs";
    EXPECT_EQ(impatient->change(ass, theirs).code, kFileLocked);
    ASSERT_TRUE(a->rollback().ok());
    EXPECT_TRUE(impatient->change(ass, theirs).ok());
}

TEST_F(PgEngineTest, UnknownTableInBeginIsRefused) {
    Status s = a->begin({"ASSIGNMENT", "NOSUCHTABLE"}, 100);
    EXPECT_EQ(s.code, kInvalidArgument);
    EXPECT_NE(s.text.find("NOSUCHTABLE"), std::string::npos);
    EXPECT_EQ(a->transactionDepth(), 0);
}

TEST_F(PgEngineTest, VersionCheckRefusesAStaleChange) {
    Row row = assignment(1, 40000, "first");
    ASSERT_TRUE(a->add(ass, row).ok());
    Row mine, theirs;
    ASSERT_TRUE(a->reread(ass, row.pos, mine).ok());
    ASSERT_TRUE(b->reread(ass, row.pos, theirs).ok());
    std::get<std::string>(theirs.values[2]) = "theirs";
    ASSERT_TRUE(b->change(ass, theirs).ok());
    EXPECT_EQ(theirs.version, 2);
    std::get<std::string>(mine.values[2]) = "mine";
    EXPECT_EQ(a->change(ass, mine).code, kChangedByOther);
    Row stored;
    ASSERT_TRUE(a->reread(ass, row.pos, stored).ok());
    EXPECT_EQ(std::get<std::string>(stored.values[2]), "theirs");
}

// ---- failures inside a transaction -----------------------------------------------

TEST_F(PgEngineTest, DuplicateInsideTransactionUndoesOnlyThatStatement) {
    ASSERT_TRUE(a->begin({"ASSIGNMENT"}, 2000).ok());
    Row first = assignment(7, 40000, "first");
    ASSERT_TRUE(a->add(ass, first).ok());
    Row duplicate = assignment(7, 40001, "duplicate");
    Status s = a->add(ass, duplicate);
    EXPECT_EQ(s.code, kDuplicateKey);
    EXPECT_EQ(s.engineCode, 23505);
    EXPECT_NE(s.engineText.find("ASS_NUMBER_KEY"), std::string::npos) << s.engineText;
    // The numbering helper's next attempt goes through in the same transaction.
    Row next = assignment(8, 40001, "next");
    ASSERT_TRUE(a->add(ass, next).ok());
    ASSERT_TRUE(a->commit().ok());
    std::int64_t n = 0;
    ASSERT_TRUE(b->count(ass, all(), n).ok());
    EXPECT_EQ(n, 2);
}

TEST_F(PgEngineTest, CommitOfAFailedTransactionIsReportedAsAFailure) {
    // A table the server does not have: the read fails and poisons the
    // transaction on the server side.
    TableDef ghost = ass;
    ghost.label = "NOTCREATED";
    ASSERT_TRUE(a->begin({"ASSIGNMENT"}, 2000).ok());
    Row row = assignment(1, 40000, "lost");
    ASSERT_TRUE(a->add(ass, row).ok());
    Row out;
    EXPECT_FALSE(a->reread(ghost, 1, out).ok());
    Status s = a->commit();
    EXPECT_EQ(s.code, kTransactionError) << s.describe();
    EXPECT_EQ(a->transactionDepth(), 0);
    std::int64_t n = -1;
    ASSERT_TRUE(b->count(ass, all(), n).ok());
    EXPECT_EQ(n, 0);
}

TEST_F(PgEngineTest, InnerRollbackKeepsTheOuterWrites) {
    ASSERT_TRUE(a->begin({"ASSIGNMENT"}, 2000).ok());
    Row outer = assignment(1, 40000, "outer");
    ASSERT_TRUE(a->add(ass, outer).ok());
    ASSERT_TRUE(a->begin({"REMINDER"}, 2000).ok());
    EXPECT_EQ(a->transactionDepth(), 2);
    Row inner = assignment(2, 40000, "inner");
    ASSERT_TRUE(a->add(ass, inner).ok());
    ASSERT_TRUE(a->rollback().ok());
    ASSERT_TRUE(a->commit().ok());
    std::vector<Row> rows = readAll(*b, ass, nullptr);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(std::get<std::string>(rows[0].values[2]), "outer");
}

TEST_F(PgEngineTest, TextTheServerCannotStoreIsRefusedClearly) {
    ASSERT_TRUE(a->begin({"ASSIGNMENT"}, 2000).ok());
    Row cut = assignment(1, 40000, std::string("before\0after", 12));
    Status s = a->add(ass, cut);
    EXPECT_EQ(s.code, kInvalidArgument);
    EXPECT_NE(s.text.find("NUL"), std::string::npos);
    Row invalid = assignment(2, 40000, "bad \xC3( utf8");
    EXPECT_EQ(a->add(ass, invalid).code, kInvalidArgument);
    Row truncatedSequence = assignment(3, 40000, "ends in \xE2\x82");
    EXPECT_EQ(a->add(ass, truncatedSequence).code, kInvalidArgument);
    Row fine = assignment(4, 40000, "fine \xE2\x82\xAC");
    EXPECT_TRUE(a->add(ass, fine).ok());
    EXPECT_TRUE(a->commit().ok());
    std::vector<Row> rows = readAll(*b, ass, nullptr);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(std::get<std::string>(rows[0].values[2]), "fine \xE2\x82\xAC");
}

// ---- a server that goes away --------------------------------------------------------

TEST_F(PgEngineTest, LostConnectionMidTransactionLeavesTheDataAsItWas) {
    Row row = assignment(1, 40000, "before");
    ASSERT_TRUE(a->add(ass, row).ok());
    ASSERT_TRUE(a->begin({"ASSIGNMENT", "REMINDER"}, 2000).ok());
    Row changed = row;
    std::get<std::string>(changed.values[2]) = "after";
    ASSERT_TRUE(a->change(ass, changed).ok());
    Row extra = assignment(2, 40000, "extra");
    ASSERT_TRUE(a->add(ass, extra).ok());

    adminExec("SELECT pg_terminate_backend(" + std::to_string(a->backendPid()) + ", 5000)");

    Row another = assignment(3, 40000, "another");
    Status s = a->add(ass, another);
    EXPECT_EQ(s.code, kEngineError);
    EXPECT_NE(s.describe().find("connection to the database server was lost"), std::string::npos)
        << s.describe();
    // Until the transaction is ended nothing else is attempted on its behalf.
    EXPECT_FALSE(a->commit().ok());
    EXPECT_EQ(a->transactionDepth(), 0);

    Row stored;
    ASSERT_TRUE(b->reread(ass, row.pos, stored).ok());
    EXPECT_EQ(std::get<std::string>(stored.values[2]), "before");
    std::int64_t n = 0;
    ASSERT_TRUE(b->count(ass, all(), n).ok());
    EXPECT_EQ(n, 1);

    // Outside a transaction the station connects again by itself.
    ASSERT_TRUE(a->reread(ass, row.pos, stored).ok()) << "reconnect";
    EXPECT_EQ(std::get<std::string>(stored.values[2]), "before");
}

TEST_F(PgEngineTest, RollbackAfterALostConnectionIsClean) {
    ASSERT_TRUE(a->begin({"ASSIGNMENT"}, 2000).ok());
    ASSERT_TRUE(a->begin({"REMINDER"}, 2000).ok());
    Row row = assignment(1, 40000, "never");
    ASSERT_TRUE(a->add(ass, row).ok());
    adminExec("SELECT pg_terminate_backend(" + std::to_string(a->backendPid()) + ", 5000)");
    Row out;
    EXPECT_EQ(a->reread(ass, row.pos, out).code, kEngineError);
    EXPECT_TRUE(a->rollback().ok());
    EXPECT_TRUE(a->rollback().ok());
    EXPECT_EQ(a->transactionDepth(), 0);
    std::int64_t n = -1;
    ASSERT_TRUE(a->count(ass, all(), n).ok());
    EXPECT_EQ(n, 0);
}

// ---- bulk path, backup, pack, check ----------------------------------------------------

TEST_F(PgEngineTest, BulkAddKeepsControlCharactersAndIsAllOrNothing) {
    const TableDef& people = Person::def();
    Person p;
    p.SHORTNAME = "tab\there";
    p.PERSONNUMBER = 1;
    p.COMMENTS = "line\r\nback\\slash\\n not a newline";
    Person q = p;
    q.SHORTNAME = "other";
    q.PERSONNUMBER = 2;
    ASSERT_TRUE(a->bulkAdd(people, {p.toRow(), q.toRow()}).ok());
    std::vector<Row> rows = readAll(*b, people, people.key("PEO:PERSONNUMBER_KEY"));
    ASSERT_EQ(rows.size(), 2u);
    Person back;
    back.fromRow(rows[0]);
    EXPECT_EQ(back.SHORTNAME, p.SHORTNAME);
    EXPECT_EQ(back.COMMENTS, p.COMMENTS);

    // A duplicate person number in the batch: none of the batch is stored,
    // and the surrounding transaction goes on.
    Person r = p;
    r.SHORTNAME = "third";
    r.PERSONNUMBER = 3;
    ASSERT_TRUE(a->begin({"PEOPLE"}, 2000).ok());
    EXPECT_EQ(a->bulkAdd(people, {r.toRow(), q.toRow()}).code, kDuplicateKey);
    EXPECT_TRUE(a->bulkAdd(people, {r.toRow()}).ok());
    ASSERT_TRUE(a->commit().ok());
    EXPECT_EQ(readAll(*b, people, nullptr).size(), 3u);
}

TEST_F(PgEngineTest, BackupWritesDatabaseFilesTheEmbeddedEngineOpens) {
    Row row = assignment(1, 40000, "kept");
    std::get<std::string>(row.values[ass.fieldIndex("LOG")]) = "Created\r";
    ASSERT_TRUE(a->add(ass, row).ok());
    User u;
    u.USERNAME = "ADMIN";
    Row userRow = u.toRow();
    ASSERT_TRUE(a->add(User::def(), userRow).ok());

    ASSERT_TRUE(a->backup(dir.file("TKODATA.BAK"), dir.file("USERS.BAK")).ok());
    SqliteOptions fileOptions;
    fileOptions.dataName = "TKODATA.BAK";
    fileOptions.usersName = "USERS.BAK";
    Status status;
    auto files = SqliteEngine::open(dir.path(), fileOptions, status);
    ASSERT_TRUE(files) << status.describe();
    std::vector<Row> rows = readAll(*files, ass, nullptr);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].values, row.values);
    EXPECT_EQ(readAll(*files, User::def(), nullptr).size(), 1u);
    EXPECT_FALSE(std::filesystem::exists(dir.file("TKODATA.BAK.tmp")));

    // Inside a transaction a backup is refused and the old one stays.
    ASSERT_TRUE(a->begin({}, 100).ok());
    EXPECT_EQ(a->backup(dir.file("TKODATA.BAK"), dir.file("USERS.BAK")).code, kTransactionError);
    EXPECT_TRUE(a->rollback().ok());
    EXPECT_TRUE(std::filesystem::exists(dir.file("TKODATA.BAK")));
}

TEST_F(PgEngineTest, PackRunsOutsideTransactionsOnly) {
    EXPECT_TRUE(a->pack().ok());
    ASSERT_TRUE(a->begin({}, 100).ok());
    EXPECT_EQ(a->pack().code, kTransactionError);
    EXPECT_TRUE(a->rollback().ok());
}

TEST_F(PgEngineTest, CheckFindsAMissingKeyAndAWrongCollation) {
    std::vector<std::string> problems;
    ASSERT_TRUE(a->verifyTable(ass, problems).ok());
    ASSERT_TRUE(a->verifyStorage(problems).ok());
    EXPECT_TRUE(problems.empty()) << problems.front();

    adminExec(
        "DROP INDEX \"ASS_DUEDATE_KEY\"; "
        "ALTER TABLE \"ASSIGNMENT\" ALTER COLUMN \"PERSON\" TYPE TEXT COLLATE \"POSIX\"");
    // Let the next fresh store rebuild the tables.
    adminExec("COMMENT ON SCHEMA users IS 'changed by a test'");
    ASSERT_TRUE(a->verifyTable(ass, problems).ok());
    ASSERT_GE(problems.size(), 2u);
    EXPECT_NE(problems[0].find("PERSON has collation POSIX"), std::string::npos) << problems[0];
    int missing = 0;
    for (size_t i = 1; i < problems.size(); ++i) {
        if (problems[i].find("ASS:DUEDATE_KEY is missing") != std::string::npos) {
            ++missing;
            continue;
        }
        // The keys over PERSON were rebuilt with the column's bytewise order.
        EXPECT_NE(problems[i].find(" tells names apart by letter case"), std::string::npos)
            << problems[i];
        const std::string label = problems[i].substr(std::string("ASSIGNMENT: key ").size());
        const store::KeyDef* key = ass.key(label.substr(0, label.find(' ')));
        ASSERT_NE(key, nullptr) << problems[i];
        bool overPerson = false;
        for (const store::KeyComponent& c : key->components)
            overPerson |= ass.fields[static_cast<size_t>(c.field)].name == "PERSON";
        EXPECT_TRUE(overPerson) << problems[i];
    }
    EXPECT_EQ(missing, 1);
}

}  // namespace
}  // namespace tko
