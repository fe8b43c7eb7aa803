// Pages whose filter holds several either-ors of equalities (group members,
// repeat types, "given to or by the user") are read as one index range per
// combination of alternatives: the pages must be exactly those of the plain
// filter, and each range must be a search of its own index.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <random>
#include <sstream>
#include <stdexcept>
#include <string>

#include <sqlite3.h>

#include "data/Database.h"
#include "platform/Date.h"
#include "platform/store/NameCollation.h"
#include "platform/store/SqliteEngine.h"
#include "support/SqlitePlan.h"
#include "support/TestStore.h"

namespace tko {
namespace {

using store::Direction;
using store::Filter;
using store::KeyPosition;
using store::ReadRequest;

const char* const kSingle = "No Repeats";
const char* const kWeekly = "Specific Weekday";
const char* const kDaily = "Days after Last Due";

bool isName(const std::string& field, const std::string& name) {
    return store::sameName(store::rtrim(field), name);
}

// "Either" written so that the store tests it per row instead of reading a
// range for each side (as the schedule views write it).
Filter either(Filter x, Filter y) {
    return store::negate(store::allOf({store::negate(std::move(x)), store::negate(std::move(y))}));
}

Filter oneOf(const char* field, const std::vector<std::string>& values) {
    std::vector<Filter> alternatives;
    for (const std::string& v : values) alternatives.push_back(store::eq(field, v));
    return store::anyOf(std::move(alternatives));
}

using test::queryPlan;

struct Case {
    const char* what;
    Filter filter;
    std::function<bool(const Assignment&)> keeps;
    std::vector<const char*> keys;
};

// Periods as History tests them: rows that do not repeat within 202..205 by
// date assigned; repeating ones still open or concluded from 103 on.
bool inPeriod(const Assignment& a) {
    if (store::rtrim(a.REPEATTYPE) == kSingle)
        return a.ASSIGNEDDATE >= 202 && a.ASSIGNEDDATE <= 205;
    return a.CLOSEDATE == 0 || a.CLOSEDATE >= 103;
}
Filter periodFilter() {
    return either(store::allOf({store::eq("REPEATTYPE", kSingle), store::ge("ASSIGNEDDATE", 202),
                                store::le("ASSIGNEDDATE", 205)}),
                  store::allOf({store::ne("REPEATTYPE", kSingle),
                                either(store::eq("CLOSEDATE", 0), store::ge("CLOSEDATE", 103))}));
}

std::vector<Case> cases() {
    const std::vector<std::string> types{kSingle, kWeekly, kDaily};
    return {
        {"members by repeat type",
         store::allOf({oneOf("PERSON", {"BEN", "CARLA"}), store::ne("SECONDARY", 1), periodFilter(),
                       oneOf("REPEATTYPE", types)}),
         [](const Assignment& a) {
             return (isName(a.PERSON, "BEN") || isName(a.PERSON, "CARLA")) && a.SECONDARY != 1 &&
                    inPeriod(a) && store::rtrim(a.REPEATTYPE) != "Set Weekdays";
         },
         {"ASS:ASSIGNEDDATE_KEY", "ASS:PRIORASSIGN_KEY", "ASS:CONCLPRIORITY_KEY",
          "ASS:PEOPLEASSIGN_KEY", "ASS:NAMENUMBER_KEY"}},
        {"given by one user to the members",
         store::allOf({store::eq("USERNAME", "BEN"), oneOf("PERSON", {"CARLA", "ANNA", "dora"}),
                       store::eq("CLOSEDATE", 0)}),
         [](const Assignment& a) {
             return isName(a.USERNAME, "BEN") && a.CLOSEDATE == 0 &&
                    (isName(a.PERSON, "CARLA") || isName(a.PERSON, "ANNA") ||
                     isName(a.PERSON, "DORA"));
         },
         {"ASS:DUEDATE_KEY", "ASS:PRIORITY_KEY", "ASS:NAME_KEY", "ASS:PERSONDATE_KEY",
          "ASS:PERSONPRIORITY_KEY", "ASS:ASSIGNEDDATE_KEY", "ASS:PRIORASSIGN_KEY",
          "ASS:CONCLPRIORITY_KEY", "ASS:NAMENUMBER_KEY"}},
        // A row given by BEN to BEN matches two combinations (and "ben" and
        // "BEN" are one name): it is listed once.
        {"given to or by a member, overlapping",
         store::allOf({store::anyOf({store::eq("PERSON", "BEN"), store::eq("USERNAME", "BEN")}),
                       oneOf("PERSON", {"CARLA", "ben", "ANNA", "Ben"})}),
         [](const Assignment& a) {
             return (isName(a.PERSON, "BEN") || isName(a.USERNAME, "BEN")) &&
                    (isName(a.PERSON, "CARLA") || isName(a.PERSON, "BEN") ||
                     isName(a.PERSON, "ANNA"));
         },
         {"ASS:DUEDATE_KEY", "ASS:PERSONDATE_KEY", "ASS:NAME_KEY", "ASS:PEOPLEASSIGN_KEY"}},
        // Alternatives that fix several columns: the rows that do not repeat
        // one range per priority, the repeating ones one per type.
        {"split further for one value",
         store::allOf(
             {store::eq("PERSON", "BEN"), store::ne("SECONDARY", 1), periodFilter(),
              store::anyOf(
                  {store::allOf({store::eq("REPEATTYPE", kSingle), store::eq("PRIORITY", 1)}),
                   store::allOf({store::eq("REPEATTYPE", kSingle), store::eq("PRIORITY", 2)}),
                   store::allOf({store::eq("REPEATTYPE", kSingle), store::eq("PRIORITY", 3)}),
                   store::eq("REPEATTYPE", kWeekly), store::eq("REPEATTYPE", kDaily)})}),
         [](const Assignment& a) {
             return isName(a.PERSON, "BEN") && a.SECONDARY != 1 && inPeriod(a) &&
                    store::rtrim(a.REPEATTYPE) != "Set Weekdays";
         },
         {"ASS:PRIORASSIGN_KEY", "ASS:ASSIGNEDDATE_KEY", "ASS:CONCLPRIORITY_KEY"}},
        // "Given to or by BEN, to a member" with BEN a member, written as one
        // either-or: BEN's own rows by type, the rows he gave each other
        // member; a row he gave himself is read once.
        {"own rows by type, given rows by member",
         store::allOf(
             {store::anyOf(
                  {store::allOf({store::eq("PERSON", "BEN"), store::eq("REPEATTYPE", kSingle)}),
                   store::allOf({store::eq("PERSON", "ben"), store::eq("REPEATTYPE", kDaily)}),
                   store::allOf({store::eq("USERNAME", "BEN"), store::eq("PERSON", "CARLA")}),
                   store::allOf({store::eq("USERNAME", "BEN"), store::eq("PERSON", "BEN")})}),
              periodFilter()}),
         [](const Assignment& a) {
             const std::string type = store::rtrim(a.REPEATTYPE);
             return inPeriod(a) &&
                    ((isName(a.PERSON, "BEN") && (type == kSingle || type == kDaily)) ||
                     (isName(a.USERNAME, "BEN") &&
                      (isName(a.PERSON, "CARLA") || isName(a.PERSON, "BEN"))));
         },
         {"ASS:ASSIGNEDDATE_KEY", "ASS:CONCLPRIORITY_KEY", "ASS:PRIORASSIGN_KEY"}},
        // More combinations than one read takes: the first either-or alone
        // is read as ranges, the second tested on their rows.
        {"too many combinations",
         store::allOf({oneOf("PERSON", {"ANNA", "BEN", "CARLA", "EVA", "FRED", "GUS", "HAL"}),
                       oneOf("REPEATTYPE", {kSingle, kWeekly, kDaily, "A", "B", "C", "D", "E"}),
                       store::eq("CLOSEDATE", 0)}),
         [](const Assignment& a) {
             return a.CLOSEDATE == 0 && !isName(a.PERSON, "DORA") &&
                    store::rtrim(a.REPEATTYPE) != "Set Weekdays";
         },
         {"ASS:ASSIGNEDDATE_KEY", "ASS:DUEDATE_KEY"}},
        // Given to or by BEN, by repeat type (the rows that do not repeat by
        // priority too) and by priority: ranges of one priority each, read
        // one priority after another; a page continued past a priority
        // leaves the ranges of the priorities before it out.
        {"given to or by the user, by type and priority",
         store::allOf(
             {store::anyOf({store::eq("PERSON", "BEN"), store::eq("USERNAME", "ben")}),
              store::anyOf(
                  {store::allOf({store::eq("REPEATTYPE", kSingle), store::eq("PRIORITY", 1)}),
                   store::allOf({store::eq("REPEATTYPE", kSingle), store::eq("PRIORITY", 2)}),
                   store::allOf({store::eq("REPEATTYPE", kSingle), store::eq("PRIORITY", 3)}),
                   store::eq("REPEATTYPE", kWeekly), store::eq("REPEATTYPE", kDaily),
                   store::eq("REPEATTYPE", "Set Weekdays")}),
              store::anyOf(
                  {store::eq("PRIORITY", 1), store::eq("PRIORITY", 2), store::eq("PRIORITY", 3)}),
              periodFilter()}),
         [](const Assignment& a) {
             return (isName(a.PERSON, "BEN") || isName(a.USERNAME, "BEN")) && inPeriod(a);
         },
         {"ASS:PRIORASSIGN_KEY", "ASS:ASSIGNEDDATE_KEY", "ASS:PRIORITY_KEY"}},
        // Given to or by BEN, by repeat type alone, as History (General)
        // reads his rows on "By Date Assigned" (and on "By Priority", with
        // the rows that do not repeat by priority).
        {"given to or by the user, by type",
         store::allOf({store::anyOf({store::eq("PERSON", "BEN"), store::eq("USERNAME", "ben")}),
                       oneOf("REPEATTYPE", {kSingle, kWeekly, kDaily, "Set Weekdays"}),
                       periodFilter()}),
         [](const Assignment& a) {
             return (isName(a.PERSON, "BEN") || isName(a.USERNAME, "BEN")) && inPeriod(a);
         },
         {"ASS:ASSIGNEDDATE_KEY", "ASS:PEOPLEASSIGN_KEY", "ASS:CONCLPRIORITY_KEY"}},
        // Ranges that each hold the key's leading numbers at one value come
        // one after another in key order (the server reads them so, lowest
        // priority number first, or highest going backward, the conclusion
        // date descending); those of one value are merged.
        {"priorities range by range",
         store::allOf({store::anyOf({store::eq("PRIORITY", 3), store::eq("PRIORITY", 1)}),
                       store::eq("CLOSEDATE", 0)}),
         [](const Assignment& a) {
             return a.CLOSEDATE == 0 && (a.PRIORITY == 3 || a.PRIORITY == 1);
         },
         {"ASS:PRIORITY_KEY", "ASS:PRIORASSIGN_KEY", "ASS:CONCLPRIORITY_KEY",
          "ASS:CLOSEDUEDATE_KEY", "ASS:DUEDATE_KEY"}},
        {"members by priority",
         store::allOf({store::anyOf({store::eq("PRIORITY", 2), store::eq("PRIORITY", 1)}),
                       oneOf("PERSON", {"CARLA", "BEN"})}),
         [](const Assignment& a) {
             return (a.PRIORITY == 2 || a.PRIORITY == 1) &&
                    (isName(a.PERSON, "CARLA") || isName(a.PERSON, "BEN"));
         },
         {"ASS:PRIORITY_KEY", "ASS:PERSONPRIORITY_KEY", "ASS:PRIORASSIGN_KEY"}},
        // Letter for letter: an alternative "ben" reads the rows of "BEN" too,
        // which the exact test must still drop.
        {"exact spelling under an alternative",
         store::allOf({oneOf("PERSON", {"ben", "CARLA"}), store::same("PERSON", "ben"),
                       oneOf("REPEATTYPE", types)}),
         [](const Assignment& a) {
             return store::rtrim(a.PERSON) == "ben" && store::rtrim(a.REPEATTYPE) != "Set Weekdays";
         },
         {"ASS:ASSIGNEDDATE_KEY", "ASS:PERSONDATE_KEY"}},
    };
}

const Case& caseNamed(const std::string& what) {
    static const std::vector<Case> all = cases();
    for (const Case& c : all)
        if (what == c.what) return c;
    throw std::invalid_argument("no case " + what);
}

class PageArmsTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_source = test::freshSource(m_dir);
        m_db = test::openStation(m_source);
        ASSERT_TRUE(m_db);
    }

    // A random office: people, users and repeat types in several spellings.
    // Numbered from `first` on.
    void addRandomOffice(int rows, int first = 1) {
        std::mt19937 random(static_cast<unsigned>(40 + first));
        const char* people[] = {"BEN", "ben", "Ben", "CARLA", "ANNA", "DORA", "dora", "EVA"};
        const char* users[] = {"BEN", "ben", "CARLA", "ANNA", "EVA"};
        const char* types[] = {kSingle, kWeekly, kDaily, "Set Weekdays"};
        ASSERT_TRUE(m_db->begin({"ASSIGNMENT"}, 2000).ok());
        for (int i = first; i < first + rows; ++i) {
            Assignment a;
            a.ASSIGNNUMBER = i;
            a.PERSON = people[random() % 8];
            a.USERNAME = users[random() % 5];
            a.PERSONNUMBER = 1 + static_cast<int>(random() % 3);
            a.REPEATTYPE = types[random() % 4];
            a.ASSIGNEDDATE = 200 + static_cast<int>(random() % 8);
            a.DUEDATE = 300 + static_cast<int>(random() % 6);
            a.CLOSEDATE = random() % 3 == 0 ? 0 : 100 + static_cast<int>(random() % 8);
            a.PRIORITY = static_cast<std::uint8_t>(1 + random() % 3);
            a.SECONDARY = static_cast<std::uint8_t>(random() % 3);
            a.NAME = "Task " + std::to_string(random() % 20);
            ASSERT_TRUE(m_db->add(a).ok());
        }
        ASSERT_TRUE(m_db->commit().ok());
    }

    std::vector<std::int64_t> readPaged(const char* key, Direction dir, int pageSize,
                                        const Filter& filter) {
        ReadRequest request;
        request.key = Assignment::def().key(key);
        request.direction = dir;
        request.limit = pageSize;
        request.filter = filter;
        std::vector<std::int64_t> got;
        test::readPageByPage<Assignment>(*m_db, request, [&](const std::vector<Assignment>& page) {
            for (const Assignment& a : page) got.push_back(a.rowPos);
            return true;
        });
        if (dir == Direction::Backward) std::reverse(got.begin(), got.end());
        return got;
    }

    // The row positions of one page of `request`.
    std::vector<std::int64_t> readListed(const ReadRequest& request) {
        std::vector<Assignment> page;
        EXPECT_TRUE(m_db->read(request, page).ok());
        std::vector<std::int64_t> listed;
        for (const Assignment& a : page) listed.push_back(a.rowPos);
        return listed;
    }

    // A connection of its own to the data file, which compares names as the
    // store does, for reading SQLite's query plans; the station closes first.
    sqlite3* openForPlans() {
        m_db.reset();
        sqlite3* raw = nullptr;
        if (sqlite3_open(m_dir.file("TKODATA.DB").c_str(), &raw) != SQLITE_OK ||
            store::registerNameCollation(raw) != SQLITE_OK) {
            ADD_FAILURE() << "cannot read the data file: " << sqlite3_errmsg(raw);
            sqlite3_close(raw);
            return nullptr;
        }
        return raw;
    }

    test::TempDir m_dir;
    DataSource m_source;
    std::unique_ptr<Database> m_db;
};

TEST_F(PageArmsTest, CombinationsReadExactlyTheRowsOfThePlainFilterInKeyOrder) {
    addRandomOffice(400);
    for (const Case& c : cases()) {
        for (const char* key : c.keys) {
            std::vector<Assignment> all;
            ASSERT_TRUE(m_db->readAll(key, store::all(), all).ok());
            std::vector<std::int64_t> expected;
            for (const Assignment& a : all)
                if (c.keeps(a)) expected.push_back(a.rowPos);
            ASSERT_GT(expected.size(), 6u) << c.what << " " << key;
            // Pages of 3 end inside one range and go on in another.
            for (Direction dir : {Direction::Forward, Direction::Backward})
                for (int pageSize : {3, 50})
                    EXPECT_EQ(readPaged(key, dir, pageSize, c.filter), expected)
                        << c.what << " along " << key
                        << (dir == Direction::Forward ? " forward" : " backward") << " in pages of "
                        << pageSize;
        }
    }
}

// The store keeps the queries of a first page of several ranges: read again
// with other values, other ranges or further than before, a first page must
// still list exactly its own filter's rows.
TEST_F(PageArmsTest, AFirstPageReadAgainListsItsOwnFiltersRows) {
    addRandomOffice(300);
    const char* key = "ASS:PERSONDATE_KEY";
    std::vector<Assignment> all;
    ASSERT_TRUE(m_db->readAll(key, store::all(), all).ok());
    struct Read {
        std::vector<std::string> people;
        Direction dir;
        int limit;
    };
    const std::vector<Read> reads{
        {{"BEN", "CARLA", "EVA"}, Direction::Forward, 2},
        {{"BEN", "CARLA", "EVA"}, Direction::Forward, 200},  // beyond the queries run before
        {{"BEN", "CARLA", "EVA"}, Direction::Backward, 3},
        {{"BEN", "ANNA", "EVA"}, Direction::Forward, 200},  // other values, same shape
        {{"BEN", "ANNA", "EVA"}, Direction::Forward, 1},
        {{"BEN", "CARLA", "EVA"}, Direction::Forward, 200},
        {{"DORA", "ANNA"}, Direction::Backward, 200},
        {{"BEN", "CARLA", "EVA"}, Direction::Backward, 200},
    };
    for (const Read& r : reads) {
        std::vector<std::int64_t> expected;
        for (const Assignment& a : all)
            if (std::any_of(r.people.begin(), r.people.end(),
                            [&](const std::string& p) { return isName(a.PERSON, p); }))
                expected.push_back(a.rowPos);
        if (r.dir == Direction::Backward) std::reverse(expected.begin(), expected.end());
        if (static_cast<int>(expected.size()) > r.limit)
            expected.resize(static_cast<size_t>(r.limit));
        ReadRequest request;
        request.key = Assignment::def().key(key);
        request.direction = r.dir;
        request.limit = r.limit;
        request.filter = oneOf("PERSON", r.people);
        EXPECT_EQ(readListed(request), expected)
            << r.people.front() << "... " << r.people.back()
            << (r.dir == Direction::Forward ? " forward" : " backward") << ", " << r.limit
            << " rows";
    }
}

TEST_F(PageArmsTest, AStartingValueBetweenTheRangesStartsThereInEitherDirection) {
    addRandomOffice(200);
    const Filter filter = cases().front().filter;
    const char* key = "ASS:PEOPLEASSIGN_KEY";  // (PERSON, ASSIGNEDDATE, PRIORITY)
    std::vector<Assignment> all;
    ASSERT_TRUE(m_db->readAll(key, store::all(), all).ok());
    ReadRequest request;
    request.key = Assignment::def().key(key);
    request.limit = 4;
    request.filter = filter;
    request.from.values = {std::string("BZ")};  // after BEN's rows, before CARLA's
    std::vector<Assignment> page;
    ASSERT_TRUE(m_db->read(request, page).ok());
    std::vector<std::int64_t> got, expected;
    for (const Assignment& a : page) got.push_back(a.rowPos);
    for (const Assignment& a : all)
        if (cases().front().keeps(a) && store::compareNames(store::rtrim(a.PERSON), "BZ") >= 0 &&
            expected.size() < 4)
            expected.push_back(a.rowPos);
    EXPECT_EQ(got, expected);
    ASSERT_FALSE(page.empty());
    EXPECT_TRUE(isName(page.front().PERSON, "CARLA"));

    request.direction = Direction::Backward;
    ASSERT_TRUE(m_db->read(request, page).ok());
    ASSERT_FALSE(page.empty());
    EXPECT_TRUE(isName(page.front().PERSON, "BEN")) << "the last of BEN's rows comes first";
}

// What SQLite plans for each statement of a page: every arm searches its own
// index by its equalities, nothing is scanned whole or sorted (the arms are
// merged in the order each index yields).
TEST_F(PageArmsTest, EachCombinationSearchesItsOwnIndex) {
    if (test::usingServer()) GTEST_SKIP() << "reads SQLite's query plans";
    sqlite3* raw = openForPlans();
    ASSERT_TRUE(raw);
    const store::SqlBuilder sql(store::sqliteDialect());
    struct Plan {
        const char* key;
        Filter filter;
        std::vector<const char*> indexes;  // each arm's index is one of these
        const char* search;                // how each arm searches it
        size_t arms;                       // in the first query from the start
    };
    const std::vector<std::string> types{kSingle, kWeekly, kDaily};
    const std::vector<Plan> plans{
        {"ASS:ASSIGNEDDATE_KEY",
         cases()[0].filter,
         {"ASS_PERSREPASSIGN_KEY"},
         "(PERSON=? AND REPEATTYPE=?",
         6},
        {"ASS:CONCLPRIORITY_KEY",
         cases()[0].filter,
         {"ASS_PERSREPCONCL_KEY"},
         "(PERSON=? AND REPEATTYPE=?",
         6},
        {"ASS:NAMENUMBER_KEY",
         cases()[0].filter,
         {"ASS_PERSREPNUMBER_KEY"},
         "(PERSON=? AND REPEATTYPE=?",
         6},
        {"ASS:NAME_KEY",
         cases()[1].filter,
         {"ASS_USERPERSNAME_KEY"},
         "(USERNAME=? AND PERSON=?",
         3},
        {"ASS:PRIORASSIGN_KEY",
         cases()[1].filter,
         {"ASS_USERPERSPRASSIGN_KEY"},
         "(USERNAME=? AND PERSON=?",
         3},
        // Three ranges of one priority each, two of a repeat type each.
        {"ASS:PRIORASSIGN_KEY",
         cases()[3].filter,
         {"ASS_PERSREPPRIORITY_KEY"},
         "(PERSON=? AND REPEATTYPE=?",
         5},
        // Two members by two priorities along (person, priority): a run per
        // member and priority, in key order; a page continued past a member
        // leaves that member's out.
        {"ASS:PERSONPRIORITY_KEY",
         caseNamed("members by priority").filter,
         {"ASS_PERSONPRIORITY_KEY"},
         "(PERSON=? AND PRIORITY=?",
         1},
        // Rows given to BEN or by him, per type: eight ranges a priority.
        {"ASS:PRIORASSIGN_KEY",
         caseNamed("given to or by the user, by type and priority").filter,
         {"ASS_PERSREPPRIORITY_KEY", "ASS_USERREPPRIORITY_KEY"},
         "",
         8},
        {"ASS:ASSIGNEDDATE_KEY",
         caseNamed("given to or by the user, by type").filter,
         {"ASS_PERSREPASSIGN_KEY", "ASS_USERREPASSIGN_KEY"},
         "",
         8},
        {"ASS:CONCLPRIORITY_KEY",
         caseNamed("given to or by the user, by type").filter,
         {"ASS_PERSREPCONCL_KEY", "ASS_USERREPCONCL_KEY"},
         "",
         8},
    };
    for (const Plan& p : plans) {
        ReadRequest request;
        request.key = Assignment::def().key(p.key);
        request.limit = 20;
        request.filter = p.filter;
        // The first page, and a page going on from a row in the middle.
        std::vector<store::Value> middle;
        for (const auto& c : request.key->components)
            middle.push_back(Assignment::def().fields[static_cast<size_t>(c.field)].type ==
                                     store::FieldType::String
                                 ? store::Value{std::string("M")}
                                 : store::Value{std::int64_t{3}});
        for (const KeyPosition& from :
             {KeyPosition{}, KeyPosition::continuing(std::move(middle), 7)}) {
            request.from = from;
            size_t query = 0;  // the how-manieth query of the page
            for (const store::SqlQuery& q : sql.pageQueries(Assignment::def(), request)) {
                ++query;
                // Each arm reads its index by the arm's equalities (and the
                // key's starting values) in the key's order: nothing is sorted.
                size_t searches = 0, arms = 0;
                const std::string plan = queryPlan(raw, q.sql);
                std::istringstream steps(plan);
                for (std::string detail; std::getline(steps, detail);) {
                    if (detail.rfind("SEARCH t ", 0) == 0 || detail.rfind("SCAN t", 0) == 0) {
                        ++arms;
                        for (const char* index : p.indexes)
                            if (detail.rfind(std::string("SEARCH t USING INDEX ") + index + " (" +
                                                 (*p.search ? p.search + 1 : ""),
                                             0) == 0)
                                ++searches;
                    }
                    EXPECT_EQ(detail.find("TEMP B-TREE"), std::string::npos) << p.key << "\n"
                                                                             << q.sql << "\n"
                                                                             << plan;
                }
                // No arm can hold rows of this level past the start: a read
                // of the key's own index that a false filter ends at once.
                const std::string ownIndex = "SEARCH t USING INDEX " + request.key->sqlName();
                if (arms == 1 && plan.find(ownIndex) != std::string::npos &&
                    q.sql.find("1=0") != std::string::npos)
                    continue;
                EXPECT_EQ(searches, arms) << p.key << "\n" << plan;
                // From the start the first query reads every combination of
                // the first run (of all when there are no runs), each later
                // one at most twice the runs of the one before; further on
                // the starting values rule some out.
                const size_t most = p.arms << (query - 1);
                if (from.values.empty() && query == 1)
                    EXPECT_EQ(arms, p.arms) << p.key << "\n" << plan;
                else
                    EXPECT_LE(arms, most) << p.key << "\n" << plan;
            }
        }
    }
    sqlite3_close(raw);
}

// A table of thousands of rows is measured for the planner when a station
// opens it: a page along (person, due date) whose filter bounds the due date
// then seeks each person's rows from that bound (a skip-scan) instead of
// reading every person's earlier rows. A small table is left alone.
TEST_F(PageArmsTest, ALargeTableIsMeasuredSoThatAPageSkipsAlongItsFirstColumn) {
    if (test::usingServer()) GTEST_SKIP() << "SQLite's planner statistics";
    ReadRequest request;
    request.key = Assignment::def().key("ASS:PERSONDATE_KEY");
    request.limit = 20;
    request.filter = store::allOf({store::eq("CLOSEDATE", 0), store::gt("DUEDATE", 303)});
    const std::string page = store::SqlBuilder(store::sqliteDialect())
                                 .pageQueries(Assignment::def(), request)
                                 .front()
                                 .sql;
    auto reopenAndPlan = [&](std::string& plan) {
        m_db = test::openStation(m_source);  // where the statistics are made
        ASSERT_TRUE(m_db);
        sqlite3* raw = openForPlans();
        ASSERT_TRUE(raw);
        plan = queryPlan(raw, page);
        plan +=
            "statistics: " + std::to_string(sqlite3_exec(raw, "SELECT 1 FROM sqlite_stat1", nullptr,
                                                         nullptr, nullptr) == SQLITE_OK);
        sqlite3_close(raw);
    };

    addRandomOffice(400);
    std::string plan;
    reopenAndPlan(plan);
    EXPECT_NE(plan.find("statistics: 0"), std::string::npos) << plan;

    m_db = test::openStation(m_source);
    addRandomOffice(5600, 401);
    reopenAndPlan(plan);
    EXPECT_NE(plan.find("statistics: 1"), std::string::npos) << plan;
    EXPECT_NE(plan.find("USING INDEX ASS_PERSONDATE_KEY (ANY(PERSON) AND DUEDATE>?)"),
              std::string::npos)
        << plan;
    EXPECT_EQ(plan.find("TEMP B-TREE"), std::string::npos) << plan;

    // The page is still the rows of the plain filter in key order.
    m_db = test::openStation(m_source);
    std::vector<Assignment> all, got;
    ASSERT_TRUE(m_db->readAll("ASS:PERSONDATE_KEY", store::all(), all).ok());
    ASSERT_TRUE(m_db->read(request, got).ok());
    std::vector<std::int64_t> expected, read;
    for (const Assignment& a : all)
        if (a.CLOSEDATE == 0 && a.DUEDATE > 303 && expected.size() < 20)
            expected.push_back(a.rowPos);
    for (const Assignment& a : got) read.push_back(a.rowPos);
    EXPECT_EQ(read, expected);
}

// ---- one state of the file per page ----------------------------------------

// Catches the next connection SQLite opens in this process (the station's)
// and, when that connection starts its second SELECT after being armed, has
// another connection run `move` on the data file.
struct MidPageMove {
    static MidPageMove* active;
    std::string file;
    std::string move;
    sqlite3* station = nullptr;
    bool armed = false;
    int selects = 0;
    int result = -1;  // the other connection's

    static int onOpen(sqlite3* db, const char**, const sqlite3_api_routines*) {
        if (active && !active->station) {
            active->station = db;
            sqlite3_trace_v2(db, SQLITE_TRACE_STMT, onStatement, active);
        }
        return SQLITE_OK;
    }
    static int onStatement(unsigned, void* self, void* stmt, void*) {
        auto* m = static_cast<MidPageMove*>(self);
        const char* sql = sqlite3_sql(static_cast<sqlite3_stmt*>(stmt));
        if (m->armed && sql && std::string(sql).rfind("SELECT", 0) == 0 && ++m->selects == 2)
            m->result = m->run();
        return 0;
    }
    int run() const {
        sqlite3* other = nullptr;
        int rc = sqlite3_open(file.c_str(), &other);
        if (rc == SQLITE_OK) rc = store::registerNameCollation(other);
        if (rc == SQLITE_OK) rc = sqlite3_exec(other, move.c_str(), nullptr, nullptr, nullptr);
        sqlite3_close(other);
        return rc;
    }
};
MidPageMove* MidPageMove::active = nullptr;

class PageArmsOneStateTest : public PageArmsTest {
protected:
    // Reopens the station so that `m_move` watches its connection, and adds
    // one row per (person, due date) of `rows`, numbered from 1.
    void openWatched(const std::vector<std::pair<const char*, int>>& rows) {
        m_move.file = m_dir.file("TKODATA.DB");
        MidPageMove::active = &m_move;
        sqlite3_auto_extension(reinterpret_cast<void (*)()>(&MidPageMove::onOpen));
        m_db.reset();
        m_db = test::openStation(m_source);
        sqlite3_cancel_auto_extension(reinterpret_cast<void (*)()>(&MidPageMove::onOpen));
        MidPageMove::active = nullptr;
        ASSERT_TRUE(m_db);
        ASSERT_TRUE(m_move.station);
        ASSERT_TRUE(m_db->begin({"ASSIGNMENT"}, 2000).ok());
        for (size_t i = 0; i < rows.size(); ++i) {
            Assignment a;
            a.ASSIGNNUMBER = static_cast<int>(i) + 1;
            a.PERSON = rows[i].first;
            a.DUEDATE = rows[i].second;
            a.PRIORITY = 1;
            ASSERT_TRUE(m_db->add(a).ok());
        }
        ASSERT_TRUE(m_db->commit().ok());
    }

    // The page of `request` with the move made while its second query starts;
    // the move must have run.
    std::vector<std::int64_t> readWhileMoving(const ReadRequest& request) {
        m_move.armed = true;
        std::vector<std::int64_t> listed = readListed(request);
        m_move.armed = false;
        EXPECT_GE(m_move.selects, 2) << "the page took one query";
        return listed;
    }

    MidPageMove m_move;
};

// A page continued past a row reads level by level: the rest of that row's
// (due date, priority), then higher priorities on that date, then later dates.
TEST_F(PageArmsOneStateTest, AContinuedPageSeesNoChangeMadeBetweenItsLevels) {
    if (test::usingServer()) GTEST_SKIP() << "the server reads a page in one statement";
    openWatched({{"A", 300}, {"A", 300}, {"A", 300}, {"A", 301}, {"A", 302}, {"A", 303}});
    m_move.move = "UPDATE ASSIGNMENT SET DUEDATE = 300 WHERE ROW_ID = 5";
    ReadRequest request;
    request.key = Assignment::def().key("ASS:DUEDATE_KEY");  // (DUEDATE, PRIORITY)
    request.from = KeyPosition::continuing({std::int64_t{300}, std::int64_t{1}}, 2);
    request.limit = 10;
    // Row 5 moves into the first level while the second is read: the page
    // holds its shared lock, the move waits, and the page is the list as it was.
    EXPECT_EQ(readWhileMoving(request), (std::vector<std::int64_t>{3, 4, 5, 6}));
    EXPECT_EQ(m_move.result, SQLITE_BUSY);
    // Once the page is read the lock is gone: the move goes through.
    EXPECT_EQ(m_move.run(), SQLITE_OK);
    EXPECT_EQ(readListed(request), (std::vector<std::int64_t>{3, 5, 4, 6}));
}

// A first page of one range per person reads them in runs: the first
// person's range, then the next two merged.
TEST_F(PageArmsOneStateTest, APageOfSeveralRunsSeesNoChangeMadeBetweenThem) {
    if (test::usingServer()) GTEST_SKIP() << "the server reads a page in one statement";
    openWatched({{"ANNA", 300}, {"ANNA", 301}, {"BEN", 300}, {"CARLA", 300}, {"CARLA", 301}});
    m_move.move = "UPDATE ASSIGNMENT SET PERSON = 'ANNA' WHERE ROW_ID = 5";
    ReadRequest request;
    request.key = Assignment::def().key("ASS:PERSONDATE_KEY");  // (PERSON, DUEDATE, PRIORITY)
    request.filter = oneOf("PERSON", {"ANNA", "BEN", "CARLA"});
    request.limit = 10;
    EXPECT_EQ(readWhileMoving(request), (std::vector<std::int64_t>{1, 2, 3, 4, 5}));
    EXPECT_EQ(m_move.result, SQLITE_BUSY);
    EXPECT_EQ(m_move.run(), SQLITE_OK);
    EXPECT_EQ(readListed(request), (std::vector<std::int64_t>{1, 2, 5, 3, 4}));
}

// ---- one person letter for letter -------------------------------------------

// Rows of one person in several spellings ("P017 " is stored as "P017"), with
// names, dates and priorities that tie, and a few other people around them.
class PageArmsExactPersonTest : public PageArmsTest {
protected:
    void SetUp() override {
        PageArmsTest::SetUp();
        std::mt19937 random(17);
        const char* people[] = {"P017", "p017", "P017 ", "P017", "p017x", "P0170", "P01",
                                "Q",    "a",    "P017",  "pö17", "PÖ17",  "p017"};
        ASSERT_TRUE(m_db->begin({"ASSIGNMENT"}, 2000).ok());
        for (int i = 1; i <= 160; ++i) {
            Assignment a;
            a.ASSIGNNUMBER = i;
            a.PERSON = people[random() % std::size(people)];
            a.NAME = (random() % 2 ? "task " : "Task ") + std::to_string(random() % 6);
            a.DUEDATE = 300 + static_cast<int>(random() % 3);
            a.PRIORITY = static_cast<std::uint8_t>(1 + random() % 2);
            a.CLOSEDATE = random() % 4 == 0 ? 100 : 0;
            ASSERT_TRUE(m_db->add(a).ok());
        }
        ASSERT_TRUE(m_db->commit().ok());
    }

    // The rows along `key` (read whole, unfiltered) that `keeps` keeps.
    std::vector<std::int64_t> expectedAlong(const char* key,
                                            const std::function<bool(const Assignment&)>& keeps) {
        std::vector<Assignment> all;
        EXPECT_TRUE(m_db->readAll(key, store::all(), all).ok());
        std::vector<std::int64_t> out;
        for (const Assignment& a : all)
            if (keeps(a)) out.push_back(a.rowPos);
        return out;
    }

    // Every page size and direction lists `expected`.
    void expectPages(const char* key, const Filter& filter,
                     const std::vector<std::int64_t>& expected, const std::string& what) {
        for (Direction dir : {Direction::Forward, Direction::Backward})
            for (int pageSize : {3, 50})
                EXPECT_EQ(readPaged(key, dir, pageSize, filter), expected)
                    << what << " along " << key
                    << (dir == Direction::Forward ? " forward" : " backward") << " in pages of "
                    << pageSize;
    }
};

TEST_F(PageArmsExactPersonTest, AnExactPersonListsThatSpellingOnlyInKeyOrder) {
    auto spelt = [](const char* typed) {
        return [person = store::rtrim(typed)](const Assignment& a) {
            return store::rtrim(a.PERSON) == person && a.CLOSEDATE == 0;
        };
    };
    for (const char* typed : {"p017", "P017", "P017 ", "PÖ17"}) {
        const std::string person = store::rtrim(typed);
        const std::vector<std::int64_t> expected = expectedAlong("ASS:NAME_KEY", spelt(typed));
        ASSERT_GT(expected.size(), 3u) << typed;
        // As Look Forward (Person) writes it, and the exact test alone.
        expectPages("ASS:NAME_KEY",
                    store::allOf({store::eq("PERSON", person), store::same("PERSON", person),
                                  store::eq("CLOSEDATE", 0)}),
                    expected, std::string("exact ") + typed);
        expectPages("ASS:NAME_KEY",
                    store::allOf({store::same("PERSON", typed), store::eq("CLOSEDATE", 0)}),
                    expected, std::string("only exact ") + typed);
    }
    // A spelling that no row has lists nothing, and a case-free test still
    // lists every spelling.
    EXPECT_TRUE(
        readPaged("ASS:NAME_KEY", Direction::Forward, 3,
                  store::allOf({store::eq("PERSON", "P017"), store::same("PERSON", "p017X")}))
            .empty());
    const auto anySpelling = [](const Assignment& a) {
        return store::sameName(store::rtrim(a.PERSON), "p017") && a.CLOSEDATE == 0;
    };
    expectPages("ASS:NAME_KEY",
                store::allOf({store::eq("PERSON", "p017"), store::eq("CLOSEDATE", 0)}),
                expectedAlong("ASS:NAME_KEY", anySpelling), "case-free p017");
}

// Along the letter-for-letter key itself: the person's texts in byte order
// ("P017" < "Q" < "p017"), then names without regard to case, pages going on
// across spellings of one name; a case-free test reads it whole, in that order.
TEST_F(PageArmsExactPersonTest, TheLetterForLetterKeyOrdersPeopleByTheirBytes) {
    const char* key = "ASS:EXACTPERSNAME_KEY";
    std::vector<Assignment> all;
    ASSERT_TRUE(m_db->readAll(key, store::all(), all).ok());
    ASSERT_EQ(all.size(), 160u);
    std::vector<Assignment> sorted = all;
    std::stable_sort(sorted.begin(), sorted.end(), [](const Assignment& x, const Assignment& y) {
        const std::string px = store::rtrim(x.PERSON), py = store::rtrim(y.PERSON);
        if (px != py) return px < py;
        if (const int c = store::compareNames(x.NAME, y.NAME); c != 0) return c < 0;
        if (x.DUEDATE != y.DUEDATE) return x.DUEDATE < y.DUEDATE;
        if (x.PRIORITY != y.PRIORITY) return x.PRIORITY < y.PRIORITY;
        return x.rowPos < y.rowPos;
    });
    std::vector<std::int64_t> expected;
    for (const Assignment& a : sorted) expected.push_back(a.rowPos);
    expectPages(key, store::all(), expected, "every row");

    auto keep = [&](const std::function<bool(const Assignment&)>& keeps) {
        std::vector<std::int64_t> out;
        for (const Assignment& a : sorted)
            if (keeps(a)) out.push_back(a.rowPos);
        return out;
    };
    expectPages(key, store::same("PERSON", "p017"),
                keep([](const Assignment& a) { return store::rtrim(a.PERSON) == "p017"; }),
                "exact p017");
    expectPages(key, store::allOf({store::eq("PERSON", "P017"), store::eq("CLOSEDATE", 0)}),
                keep([](const Assignment& a) {
                    return store::sameName(store::rtrim(a.PERSON), "P017") && a.CLOSEDATE == 0;
                }),
                "case-free P017");
}

// SQLite's plan: the exact person is the search key of the letter-for-letter
// index, on the first page and on one that goes on from a row; a case-free
// person alone does not search that index.
TEST_F(PageArmsExactPersonTest, AnExactPersonSearchesTheLetterForLetterIndex) {
    if (test::usingServer()) GTEST_SKIP() << "reads SQLite's query plans";
    sqlite3* raw = openForPlans();
    ASSERT_TRUE(raw);
    const store::SqlBuilder sql(store::sqliteDialect());
    auto plans = [&](const Filter& filter) {
        ReadRequest request;
        request.key = Assignment::def().key("ASS:NAME_KEY");
        request.limit = 20;
        request.filter = filter;
        std::vector<std::string> out;
        for (const KeyPosition& from :
             {KeyPosition{}, KeyPosition::continuing(
                                 {std::string("Task 3"), std::int64_t{301}, std::int64_t{1}}, 7)}) {
            request.from = from;
            for (const store::SqlQuery& q : sql.pageQueries(Assignment::def(), request)) {
                out.push_back(queryPlan(raw, q.sql));
            }
        }
        return out;
    };
    const std::vector<std::string> exact = plans(store::allOf(
        {store::eq("PERSON", "p017"), store::same("PERSON", "p017"), store::eq("CLOSEDATE", 0)}));
    ASSERT_FALSE(exact.empty());
    for (const std::string& plan : exact) {
        EXPECT_EQ(plan.rfind("SEARCH t USING INDEX ASS_EXACTPERSNAME_KEY (PERSON=?", 0), 0u)
            << plan;
        EXPECT_EQ(plan.find("TEMP B-TREE"), std::string::npos) << plan;
    }
    for (const std::string& plan :
         plans(store::allOf({store::eq("PERSON", "p017"), store::eq("CLOSEDATE", 0)})))
        EXPECT_EQ(plan.find("EXACTPERSNAME"), std::string::npos) << plan;
    sqlite3_close(raw);
}

}  // namespace
}  // namespace tko
