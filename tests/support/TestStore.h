// Fresh data stores for tests. The engine under test is chosen by the
// environment, so one suite runs on every engine:
//   TKO_TEST_ENGINE=sqlite (default)   files in a temporary directory
//   TKO_TEST_ENGINE=postgres           the server named by TKO_TEST_PG (a libpq
//                                      connection string), emptied for each test
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "data/Database.h"
#include "data/Records.h"

namespace tko::test {

// A temporary directory, removed with everything in it when destroyed.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& path() const { return m_path; }
    std::string file(const std::string& name) const { return m_path + "/" + name; }

private:
    std::string m_path;
};

bool usingServer();
std::string engineUnderTest();  // "sqlite" or "postgres"

// An empty store with every table and key, ready for a test: for SQLite the
// files are created in `dir`; for the server every table is emptied.
DataSource freshSource(const TempDir& dir);

// Opens a station on `source`; fails the calling test (ADD_FAILURE) and returns
// nullptr when that does not work.
std::unique_ptr<Database> openStation(const DataSource& source);

// Adds the person a test needs: number, short name, type and owning user.
// A failed write fails the calling test.
Person addPerson(Database& db, std::int32_t number, const std::string& shortName,
                 const std::string& type, const std::string& owner);

// Reads `request` page by page to the end of its range, each page continuing
// after the last row of the one before, and hands each page to `onPage`
// (which may return false to stop). A failed read fails the test.
template <class Record>
void readPageByPage(Database& db, store::ReadRequest request,
                    const std::function<bool(const std::vector<Record>&)>& onPage) {
    for (;;) {
        std::vector<Record> page;
        const Status s = db.read(request, page);
        if (s.endOfRange()) return;
        EXPECT_TRUE(s.ok()) << s.describe();
        if (!s.ok() || !onPage(page)) return;
        const store::Row last = page.back().toRow();
        request.from =
            store::KeyPosition::continuing(store::keyValuesOf(*request.key, last), last.pos);
    }
}

}  // namespace tko::test
