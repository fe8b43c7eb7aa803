// SQLite's query plan of a statement, for tests that check which index a
// statement reads.
#pragma once

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <string>

namespace tko::test {

// The plan of `sql` on the connection `raw`, one step a line.
inline std::string queryPlan(sqlite3* raw, const std::string& sql) {
    sqlite3_stmt* stmt = nullptr;
    EXPECT_EQ(sqlite3_prepare_v2(raw, ("EXPLAIN QUERY PLAN " + sql).c_str(), -1, &stmt, nullptr),
              SQLITE_OK)
        << sqlite3_errmsg(raw);
    std::string plan;
    while (stmt && sqlite3_step(stmt) == SQLITE_ROW)
        plan += reinterpret_cast<const char*>(sqlite3_column_text(stmt, 3)) + std::string("\n");
    sqlite3_finalize(stmt);
    return plan;
}

}  // namespace tko::test
