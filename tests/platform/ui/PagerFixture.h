// A store of numbered assignments for the paged-list tests: assignment i
// (1..count) is named "<letter> task <i, 5 digits>" with the letter 'A' +
// (7i mod 26), due on day kFirstDue + (i mod 400), priority 1 + (i mod 9).
#pragma once

#include "data/Database.h"
#include "platform/Date.h"
#include "support/TestStore.h"

#include <memory>
#include <string>

namespace tko::test {

class PagerStore {
public:
    static constexpr Date kFirstDue = 80000;

    // Fills a fresh store with `count` assignments in one transaction.
    explicit PagerStore(int count);

    Database& db() { return *m_db; }
    store::Engine& engine() { return m_db->engine(); }
    bool ok() const { return m_db != nullptr && m_filled; }

    static std::string nameOf(int i);
    // Assignment number of a row read from the store.
    static int numberOf(const store::Row& row);
    static std::string nameOf(const store::Row& row);

    // Deletes assignment `number`; false when it is not there.
    bool remove(int number);

private:
    TempDir m_dir;
    std::unique_ptr<Database> m_db;
    bool m_filled = false;
};

}  // namespace tko::test
