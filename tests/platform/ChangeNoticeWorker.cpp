// One station process for the change-notice tests. It writes, in this order:
// a committed assignment, a person whose transaction is rolled back, and a
// reminder written outside any transaction; then it ends.
//
// usage: change_notice_worker DIR SERVER(- for none)
#include <cstdio>
#include <string>

#include "data/Database.h"

int main(int argc, char** argv) {
    using namespace tko;
    if (argc != 3) return 2;
    DataSource source;
    source.directory = argv[1];
    if (std::string(argv[2]) != "-") source.serverInfo = argv[2];
    Status status;
    auto db = Database::open(source, false, status);
    if (!db) {
        std::fprintf(stderr, "open: %s\n", status.describe().c_str());
        return 1;
    }
    auto fail = [](const char* step, const Status& s) {
        std::fprintf(stderr, "%s: %s\n", step, s.describe().c_str());
        return 1;
    };
    Status s = db->begin({"ASSIGNMENT"}, 2000);
    if (!s.ok()) return fail("begin", s);
    Assignment a;
    a.ASSIGNNUMBER = 77;
    a.NAME = "from the other station";
    s = db->add(a);
    if (!s.ok()) return fail("add assignment", s);
    s = db->commit();
    if (!s.ok()) return fail("commit", s);

    s = db->begin({"PEOPLE"}, 2000);
    if (!s.ok()) return fail("begin people", s);
    Person p;
    p.PERSONNUMBER = 5;
    p.SHORTNAME = "NEVER";
    s = db->add(p);
    if (!s.ok()) return fail("add person", s);
    s = db->rollback();
    if (!s.ok()) return fail("rollback", s);

    Reminder r;
    r.REMINDNUMBER = 9;
    r.USER = "BEN";
    s = db->add(r);
    if (!s.ok()) return fail("add reminder", s);
    return 0;
}
