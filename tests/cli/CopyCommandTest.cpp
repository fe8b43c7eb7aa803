// Moving an office from its data files onto a server: everything arrives,
// a server that already holds data is never mixed with another office, and
// a failure leaves the server as it was. Needs the test server (TKO_TEST_PG).
#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>

#include "app/DemoOffice.h"
#include "cli/CopyCommand.h"
#include "data/Database.h"
#include "platform/store/SqliteEngine.h"
#include "support/TestServer.h"
#include "support/TestStore.h"

namespace tko {
namespace {

class CopyCommandTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (test::serverInfo().empty())
            GTEST_FAIL() << "TKO_TEST_PG is not set (run scripts/run-tests.sh)";
        setenv("TKO_TEST_ENGINE", "postgres", 1);
        server = test::freshSource(serverDir);  // every server table empty
        Status status;
        files = Database::open(DataSource{filesDir.path(), {}}, true, status);
        ASSERT_TRUE(files) << status.describe();
    }

    int copy(std::string& output, std::string& errors) {
        std::ostringstream out, err;
        const int rc = runCopyCommand(filesDir.path(), server.serverInfo, out, err);
        output = out.str();
        errors = err.str();
        return rc;
    }

    // Every row of every table, in position order.
    static std::vector<std::vector<store::Value>> contents(Database& db,
                                                           const store::TableDef& table) {
        std::vector<std::vector<store::Value>> rows;
        store::ReadRequest request;
        request.limit = 100;
        std::vector<store::Row> page;
        while (db.engine().read(table, request, page).ok()) {
            for (const store::Row& row : page) rows.push_back(row.values);
            request.from = store::KeyPosition{{}, page.back().pos};
        }
        return rows;
    }

    test::TempDir filesDir, serverDir;
    DataSource server;
    std::unique_ptr<Database> files;
};

TEST_F(CopyCommandTest, DemoOfficeArrivesWholeAndChecksClean) {
    const DemoSummary demo = createDemoOffice(*files);
    ASSERT_TRUE(demo.ok) << demo.error;
    // Memo text with the characters a bulk copy must escape.
    Assignment tricky;
    tricky.ASSIGNNUMBER = 9999;
    tricky.NAME = "tab\there";
    tricky.LOG = "Created 10:00\rChanged\\n 11:00\r";
    tricky.GENERALMEMO = "line one\nline two\twith tab";
    // Written past the program's own check, as a version before it stored it.
    store::Row row = tricky.toRow();
    ASSERT_TRUE(files->engine().add(Assignment::def(), row).ok());

    std::string output, errors;
    ASSERT_EQ(copy(output, errors), 0) << errors;
    EXPECT_NE(output.find("every row count matches"), std::string::npos) << output;

    auto station = test::openStation(server);
    ASSERT_TRUE(station);
    for (const store::TableDef* table : allTables())
        EXPECT_EQ(contents(*files, *table), contents(*station, *table)) << table->label;
    std::vector<std::string> problems;
    ASSERT_TRUE(station->check(problems).ok());
    EXPECT_TRUE(problems.empty()) << problems.front();
    // A row copied with its number key is found along it.
    Assignment back;
    ASSERT_TRUE(station->fetch("ASS:NUMBER_KEY", {std::int64_t{9999}}, back).ok());
    EXPECT_EQ(back.LOG, tricky.LOG);
}

TEST_F(CopyCommandTest, RefusesAServerThatAlreadyHoldsAnOffice) {
    Person p;
    p.SHORTNAME = "FIRST";
    p.PERSONNUMBER = 1;
    ASSERT_TRUE(files->add(p).ok());
    std::string output, errors;
    ASSERT_EQ(copy(output, errors), 0) << errors;

    // A second office: refused, and the first one stays as it was.
    p.SHORTNAME = "SECOND";
    p.PERSONNUMBER = 2;
    ASSERT_TRUE(files->add(p).ok());
    EXPECT_EQ(copy(output, errors), 1);
    EXPECT_NE(errors.find("not empty: PEOPLE holds 1 rows"), std::string::npos) << errors;
    auto station = test::openStation(server);
    ASSERT_TRUE(station);
    std::int64_t n = 0;
    ASSERT_TRUE(station->count<Person>(store::all(), n).ok());
    EXPECT_EQ(n, 1);
}

TEST_F(CopyCommandTest, FilesHeldByAnotherStationAreNotCopied) {
    Person p;
    p.SHORTNAME = "HELD";
    p.PERSONNUMBER = 1;
    ASSERT_TRUE(files->add(p).ok());
    ASSERT_TRUE(files->begin({"PEOPLE"}, 1000).ok());  // a station in the middle of a change
    std::string output, errors;
    EXPECT_EQ(copy(output, errors), 1);
    EXPECT_NE(errors.find("in use by another station"), std::string::npos) << errors;
    ASSERT_TRUE(files->rollback().ok());
    auto station = test::openStation(server);
    ASSERT_TRUE(station);
    std::int64_t n = -1;
    ASSERT_TRUE(station->count<Person>(store::all(), n).ok());
    EXPECT_EQ(n, 0);
}

TEST_F(CopyCommandTest, WrongUseIsReportedWithoutTouchingAnything) {
    std::ostringstream out, err;
    EXPECT_EQ(runCopyCommand(filesDir.path(), "", out, err), 64);
    EXPECT_NE(err.str().find("--server"), std::string::npos);
    err.str("");
    EXPECT_EQ(runCopyCommand(filesDir.file("missing"), server.serverInfo, out, err), 1);
    EXPECT_NE(err.str().find("cannot open the data files"), std::string::npos) << err.str();
}

}  // namespace
}  // namespace tko
