#include "PagerFixture.h"

#include <cstdio>

namespace tko::test {

PagerStore::PagerStore(int count) {
    m_db = openStation(freshSource(m_dir));
    if (!m_db) return;
    if (!m_db->begin({"ASSIGNMENT"}, 2000).ok()) return;
    for (int i = 1; i <= count; ++i) {
        Assignment a;
        a.ASSIGNNUMBER = i;
        a.NAME = nameOf(i);
        a.DUEDATE = kFirstDue + i % 400;
        a.PRIORITY = static_cast<std::uint8_t>(1 + i % 9);
        a.PERSON = "BEN";
        if (!m_db->add(a).ok()) {
            m_db->rollback();
            return;
        }
    }
    m_filled = m_db->commit().ok();
}

std::string PagerStore::nameOf(int i) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%c task %05d", 'A' + (7 * i) % 26, i);
    return buffer;
}

int PagerStore::numberOf(const store::Row& row) {
    Assignment a;
    a.fromRow(row);
    return a.ASSIGNNUMBER;
}

std::string PagerStore::nameOf(const store::Row& row) {
    Assignment a;
    a.fromRow(row);
    return a.NAME;
}

bool PagerStore::remove(int number) {
    Assignment a;
    if (!m_db->fetch("ASS:NUMBER_KEY", {store::Value{std::int64_t{number}}}, a).ok()) return false;
    return m_db->remove(a).ok();
}

}  // namespace tko::test
