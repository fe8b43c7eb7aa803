// The keyed-table interface, run against the engine under test.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <functional>
#include <random>
#include <thread>
#include <tuple>

#include <libpq-fe.h>
#include <sqlite3.h>

#include "data/Database.h"
#include "platform/Date.h"
#include "platform/store/NameCollation.h"
#include "platform/store/SqliteEngine.h"
#include "support/TestStore.h"

namespace tko {
namespace {

using store::Direction;
using store::KeyPosition;
using store::ReadRequest;

class StoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_source = test::freshSource(m_dir);
        m_db = test::openStation(m_source);
        ASSERT_TRUE(m_db);
    }

    Assignment addAssignment(int number, Date due, int priority, Date closed = 0,
                             const std::string& person = "BEN") {
        Assignment a;
        a.ASSIGNNUMBER = number;
        a.DUEDATE = due;
        a.PRIORITY = static_cast<std::uint8_t>(priority);
        a.CLOSEDATE = closed;
        a.PERSON = person;
        a.NAME = "Task " + std::to_string(number);
        EXPECT_TRUE(m_db->add(a).ok());
        return a;
    }

    // Reads the whole key in pages of `pageSize`, continuing after each page's last row.
    std::vector<Assignment> readAllPaged(const std::string& key, Direction dir, int pageSize,
                                         const store::Filter& filter = store::all()) {
        ReadRequest request;
        request.key = Assignment::def().key(key);
        request.direction = dir;
        request.limit = pageSize;
        request.filter = filter;
        std::vector<Assignment> all;
        for (;;) {
            std::vector<Assignment> page;
            const Status s = m_db->read(request, page);
            if (s.endOfRange()) break;
            EXPECT_TRUE(s.ok()) << s.describe();
            if (!s.ok()) break;
            EXPECT_LE(static_cast<int>(page.size()), pageSize);
            all.insert(all.end(), page.begin(), page.end());
            const store::Row last = page.back().toRow();
            request.from =
                KeyPosition::continuing(store::keyValuesOf(*request.key, last), last.pos);
        }
        return all;
    }

    // Runs `sql` on the shared tables behind the program's back, as an older
    // version or a damaged file would leave them.
    void runRaw(const std::string& sql) {
        if (test::usingServer()) {
            PGconn* conn = PQconnectdb(m_source.serverInfo.c_str());
            PGresult* result = PQexec(conn, sql.c_str());
            EXPECT_EQ(PQresultStatus(result), PGRES_COMMAND_OK)
                << sql << ": " << PQerrorMessage(conn);
            PQclear(result);
            PQfinish(conn);
            return;
        }
        sqlite3* raw = nullptr;
        ASSERT_EQ(sqlite3_open(m_dir.file("TKODATA.DB").c_str(), &raw), SQLITE_OK);
        ASSERT_EQ(store::registerNameCollation(raw), SQLITE_OK);
        EXPECT_EQ(sqlite3_exec(raw, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK)
            << sql << ": " << sqlite3_errmsg(raw);
        sqlite3_close(raw);
    }

    test::TempDir m_dir;
    DataSource m_source;
    std::unique_ptr<Database> m_db;
};

TEST_F(StoreTest, PagesAlongAKeyFollowTheKeyOrderBothWays) {
    std::mt19937 random(7);
    for (int i = 1; i <= 60; ++i)
        addAssignment(i, 1000 + static_cast<int>(random() % 6), 1 + static_cast<int>(random() % 3));
    auto forward = readAllPaged("ASS:DUEDATE_KEY", Direction::Forward, 7);
    ASSERT_EQ(forward.size(), 60u);
    auto order = [](const Assignment& a) {
        return std::make_tuple(a.DUEDATE, a.PRIORITY, a.rowPos);
    };
    EXPECT_TRUE(std::is_sorted(forward.begin(), forward.end(),
                               [&](const auto& a, const auto& b) { return order(a) < order(b); }));
    auto backward = readAllPaged("ASS:DUEDATE_KEY", Direction::Backward, 5);
    std::reverse(backward.begin(), backward.end());
    ASSERT_EQ(backward.size(), forward.size());
    for (size_t i = 0; i < forward.size(); ++i) EXPECT_EQ(backward[i].rowPos, forward[i].rowPos);
}

TEST_F(StoreTest, CloseDueDateKeyListsNewestConclusionFirstAndOpenOnesLast) {
    addAssignment(1, 500, 1, 0);
    addAssignment(2, 400, 1, 900);
    addAssignment(3, 300, 1, 950);
    addAssignment(4, 200, 1, 0);
    addAssignment(5, 100, 1, 900);
    const auto rows = readAllPaged("ASS:CLOSEDUEDATE_KEY", Direction::Forward, 2);
    std::vector<int> numbers;
    for (const auto& a : rows) numbers.push_back(a.ASSIGNNUMBER);
    EXPECT_EQ(numbers, (std::vector<int>{3, 5, 2, 4, 1}));
    const auto reversed = readAllPaged("ASS:CLOSEDUEDATE_KEY", Direction::Backward, 3);
    numbers.clear();
    for (const auto& a : reversed) numbers.push_back(a.ASSIGNNUMBER);
    EXPECT_EQ(numbers, (std::vector<int>{1, 4, 2, 5, 3}));
}

// Along a key whose components run opposite ways, a read from any position
// (a first value, both values, or past a given row) starts exactly where the
// whole key order puts that position, in either direction.
TEST_F(StoreTest, ReadingFromAnyPositionOfAMixedOrderKeyStartsWhereTheOrderSays) {
    int number = 0;
    for (Date closed : {0, 900, 950})
        for (Date due : {100, 200})
            for (int twice = 0; twice < 2; ++twice) addAssignment(++number, due, 1, closed);
    const auto whole = readAllPaged("ASS:CLOSEDUEDATE_KEY", Direction::Forward, 50);
    ASSERT_EQ(whole.size(), 12u);
    auto numbersOf = [](const std::vector<Assignment>& rows) {
        std::vector<int> numbers;
        for (const auto& a : rows) numbers.push_back(a.ASSIGNNUMBER);
        return numbers;
    };
    const std::vector<int> order = numbersOf(whole);
    for (Direction dir : {Direction::Forward, Direction::Backward}) {
        const bool forward = dir == Direction::Forward;
        for (size_t i = 0; i < whole.size(); ++i) {
            const store::Row row = whole[i].toRow();
            const auto values =
                store::keyValuesOf(*Assignment::def().key("ASS:CLOSEDUEDATE_KEY"), row);
            // Where each position starts in the whole order, and the rows it yields.
            struct Start {
                KeyPosition from;
                size_t first;  // index in `order` of the first row read
            };
            auto firstWith = [&](auto same) {  // the first (or last) row sharing `same`
                size_t k = i;
                if (forward)
                    while (k > 0 && same(whole[k - 1])) --k;
                else
                    while (k + 1 < whole.size() && same(whole[k + 1])) ++k;
                return k;
            };
            const std::vector<Start> starts = {
                {KeyPosition::at({values[0]}),
                 firstWith([&](const Assignment& a) { return a.CLOSEDATE == whole[i].CLOSEDATE; })},
                {KeyPosition::at(values), firstWith([&](const Assignment& a) {
                     return a.CLOSEDATE == whole[i].CLOSEDATE && a.DUEDATE == whole[i].DUEDATE;
                 })},
                {KeyPosition::continuing(values, row.pos), forward ? i + 1 : i - 1},
            };
            for (const Start& start : starts) {
                ReadRequest request;
                request.key = Assignment::def().key("ASS:CLOSEDUEDATE_KEY");
                request.direction = dir;
                request.from = start.from;
                request.limit = 4;
                std::vector<Assignment> page;
                const Status s = m_db->read(request, page);
                std::vector<int> expected;
                for (size_t k = start.first; k < order.size() && expected.size() < 4;
                     forward ? ++k : --k)
                    expected.push_back(order[k]);
                if (expected.empty()) {
                    EXPECT_EQ(s.code, store::kRecordNotAvailable) << "row " << i;
                } else {
                    ASSERT_TRUE(s.ok()) << s.describe();
                    EXPECT_EQ(numbersOf(page), expected)
                        << "row " << i << (forward ? " forward" : " backward") << ", "
                        << start.from.values.size() << " values"
                        << (start.from.after ? " and a row" : "");
                }
            }
        }
    }
}
TEST_F(StoreTest, DescendingSingleComponentKeyPutsHighestFirst) {
    int n = 0;
    for (int level : {0, 2, 1, 2}) {
        User u;
        u.USERNAME = "USER" + std::to_string(++n);
        u.ACCESSLEVEL = static_cast<std::uint8_t>(level);
        ASSERT_TRUE(m_db->add(u).ok());
    }
    ReadRequest request;
    request.key = User::def().key("USE:ACCESLEVEL_KEY");
    std::vector<User> users;
    ASSERT_TRUE(m_db->read(request, users).ok());
    std::vector<int> levels;
    for (const auto& u : users) levels.push_back(u.ACCESSLEVEL);
    EXPECT_EQ(levels, (std::vector<int>{2, 2, 1, 0}));
}

TEST_F(StoreTest, ReadingFromAKeyValueStartsAtThatValueInEitherDirection) {
    for (int i = 1; i <= 10; ++i) addAssignment(i, 100 + i, 5);
    ReadRequest request;
    request.key = Assignment::def().key("ASS:DUEDATE_KEY");
    request.from = KeyPosition::at({std::int64_t{105}});
    request.limit = 3;
    std::vector<Assignment> page;
    ASSERT_TRUE(m_db->read(request, page).ok());
    ASSERT_EQ(page.size(), 3u);
    EXPECT_EQ(page[0].DUEDATE, 105);
    EXPECT_EQ(page[2].DUEDATE, 107);

    request.direction = Direction::Backward;
    ASSERT_TRUE(m_db->read(request, page).ok());
    ASSERT_EQ(page.size(), 3u);
    EXPECT_EQ(page[0].DUEDATE, 105);  // the prefix itself is included
    EXPECT_EQ(page[2].DUEDATE, 103);

    request.direction = Direction::Forward;
    request.from = KeyPosition::at({std::int64_t{111}});
    EXPECT_EQ(m_db->read(request, page).code, store::kRecordNotAvailable);
    EXPECT_TRUE(page.empty());
}

TEST_F(StoreTest, FiltersRunInsideTheQuery) {
    addAssignment(1, 100, 1, 0, "BEN");
    addAssignment(2, 101, 1, 0, "CARLA");
    addAssignment(3, 102, 1, 50, "BEN");
    addAssignment(4, 103, 1, 0, "ANNA");
    Assignment byBen = addAssignment(5, 104, 1, 0, "ANNA");
    byBen.USERNAME = "BEN";
    ASSERT_TRUE(m_db->change(byBen).ok());

    // The due-now selection of one user: open, and given to or by BEN.
    const auto filter = store::allOf(
        {store::eq("CLOSEDATE", 0), store::anyOf({store::eq("PERSON", std::string("BEN")),
                                                  store::eq("USERNAME", std::string("BEN"))})});
    std::vector<int> numbers;
    for (const auto& a : readAllPaged("ASS:DUEDATE_KEY", Direction::Forward, 1, filter))
        numbers.push_back(a.ASSIGNNUMBER);
    EXPECT_EQ(numbers, (std::vector<int>{1, 5}));

    // EXISTS over another table: assignments that have a reminder.
    Reminder r;
    r.ASSIGNNUMBER = 2;
    r.REMINDNUMBER = 1;
    ASSERT_TRUE(m_db->add(r).ok());
    numbers.clear();
    for (const auto& a :
         readAllPaged("ASS:NUMBER_KEY", Direction::Forward, 10,
                      store::exists(Reminder::def(), {{"ASSIGNNUMBER", "ASSIGNNUMBER"}})))
        numbers.push_back(a.ASSIGNNUMBER);
    EXPECT_EQ(numbers, (std::vector<int>{2}));
    std::int64_t count = 0;
    ASSERT_TRUE(m_db->count<Assignment>(store::negate(store::eq("CLOSEDATE", 0)), count).ok());
    EXPECT_EQ(count, 1);
}

// A filter's texts are compared as data whatever they hold (the server
// writes them into the statement): quotes, a backslash, text that reads like
// SQL, each matches only the rows that hold it.
TEST_F(StoreTest, FilterTextsWithQuotesAndBackslashesMatchOnlyThemselves) {
    const std::vector<std::string> people{"O'BRIEN", "O''BRIEN",     "A\\B",
                                          "A\\",     "X' OR '1'='1", "BEN"};
    for (size_t i = 0; i < people.size(); ++i)
        addAssignment(static_cast<int>(i + 1), 100, 1, 0, people[i]);
    for (size_t i = 0; i < people.size(); ++i) {
        for (const store::Filter& filter :
             {store::eq("PERSON", people[i]), store::same("PERSON", people[i]),
              store::allOf(
                  {store::eq("CLOSEDATE", 0), store::anyOf({store::eq("PERSON", people[i]),
                                                            store::eq("USERNAME", people[i])})})}) {
            const auto found = readAllPaged("ASS:DUEDATE_KEY", Direction::Forward, 3, filter);
            ASSERT_EQ(found.size(), 1u) << people[i];
            EXPECT_EQ(found.front().ASSIGNNUMBER, static_cast<int>(i + 1)) << people[i];
        }
    }
    EXPECT_TRUE(readAllPaged("ASS:DUEDATE_KEY", Direction::Forward, 3,
                             store::eq("PERSON", std::string("X")))
                    .empty());
}

// The values in use along a key: each once (names differing only in case
// are one, the first in key order standing for them), within a filter, in
// the key's order, cut at the number asked for.
TEST_F(StoreTest, DistinctValuesAlongAKeyAreEachListedOnce) {
    const std::vector<std::pair<std::string, int>> rows{
        {"Weekly", 5},  {"No Repeats", 1}, {"no repeats", 12}, {"Daily", 0},
        {"Weekly", 12}, {"Daily", 3},      {"O'Neil's", 200},  {"NO REPEATS", 7}};
    int number = 0;
    for (const auto& [type, priority] : rows) {
        Assignment a = addAssignment(++number, 100, priority);
        a.REPEATTYPE = type;
        ASSERT_TRUE(m_db->change(a).ok());
    }
    store::Engine& engine = m_db->engine();
    const auto& def = Assignment::def();
    auto texts = [](const std::vector<store::Value>& values) {
        std::vector<std::string> out;
        for (const auto& v : values) out.push_back(std::get<std::string>(v));
        return out;
    };
    auto numbers = [](const std::vector<store::Value>& values) {
        std::vector<std::int64_t> out;
        for (const auto& v : values) out.push_back(std::get<std::int64_t>(v));
        return out;
    };
    std::vector<store::Value> found;
    const store::KeyDef& byType = *def.key("ASS:REPEATCONCL_KEY");
    ASSERT_TRUE(engine.distinctValues(def, byType, store::all(), 10, found).ok());
    ASSERT_EQ(found.size(), 4u);
    EXPECT_EQ(texts({found[0], found[2], found[3]}),
              (std::vector<std::string>{"Daily", "O'Neil's", "Weekly"}));
    EXPECT_EQ(store::compareNames(std::get<std::string>(found[1]), "No Repeats"), 0);
    ASSERT_TRUE(engine.distinctValues(def, byType, store::all(), 2, found).ok());
    EXPECT_EQ(found.size(), 2u);
    ASSERT_TRUE(engine.distinctValues(def, byType, store::eq("PRIORITY", 12), 10, found).ok());
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(texts({found[1]}), (std::vector<std::string>{"Weekly"}));

    const store::KeyDef& byPriority = *def.key("ASS:PRIORITY_KEY");
    ASSERT_TRUE(engine.distinctValues(def, byPriority, store::all(), 10, found).ok());
    EXPECT_EQ(numbers(found), (std::vector<std::int64_t>{0, 1, 3, 5, 7, 12, 200}));
    ASSERT_TRUE(engine.distinctValues(def, byPriority, store::gt("PRIORITY", 3), 10, found).ok());
    EXPECT_EQ(numbers(found), (std::vector<std::int64_t>{5, 7, 12, 200}));
    ASSERT_TRUE(engine.distinctValues(def, byPriority, store::gt("PRIORITY", 200), 10, found).ok());
    EXPECT_TRUE(found.empty());
}

TEST_F(StoreTest, AnEitherOrFilterReadsLikeTheSingleScanInBothDirections) {
    // "Given to or by BEN" is read as two index ranges merged; the pages must be
    // exactly those of a plain scan, with self-given rows listed once.
    std::mt19937 random(11);
    const char* names[] = {"BEN", "CARLA", "ANNA"};
    for (int i = 1; i <= 80; ++i) {
        Assignment a = addAssignment(i, 200 + static_cast<int>(random() % 5),
                                     1 + static_cast<int>(random() % 2),
                                     random() % 4 == 0 ? 300 : 0, names[random() % 3]);
        a.USERNAME = names[random() % 3];
        a.PERSONNUMBER = 1 + static_cast<int>(random() % 4);
        ASSERT_TRUE(m_db->change(a).ok());
    }
    const auto filter = store::allOf(
        {store::eq("CLOSEDATE", 0), store::anyOf({store::eq("PERSON", std::string("BEN")),
                                                  store::eq("USERNAME", std::string("BEN"))})});
    // Also a single equality, which reads the longer index (USERNAME, key...).
    const auto byBen =
        store::allOf({store::eq("CLOSEDATE", 0), store::eq("USERNAME", std::string("BEN"))});
    for (const char* key :
         {"ASS:DUEDATE_KEY", "ASS:PRIORITY_KEY", "ASS:PERSONDATE_KEY", "ASS:NAME_KEY",
          // a key holding the alternative's column after another one
          "ASS:NAMENUMBER_KEY"}) {
        std::vector<Assignment> all;
        ASSERT_TRUE(m_db->readAll(key, store::all(), all).ok());
        std::vector<std::int64_t> expected, expectedByBen;
        for (const auto& a : all) {
            if (a.CLOSEDATE == 0 && (a.PERSON == "BEN" || a.USERNAME == "BEN"))
                expected.push_back(a.rowPos);
            if (a.CLOSEDATE == 0 && a.USERNAME == "BEN") expectedByBen.push_back(a.rowPos);
        }
        for (Direction dir : {Direction::Forward, Direction::Backward}) {
            std::vector<std::int64_t> got, gotByBen;
            for (const auto& a : readAllPaged(key, dir, 4, filter)) got.push_back(a.rowPos);
            for (const auto& a : readAllPaged(key, dir, 3, byBen)) gotByBen.push_back(a.rowPos);
            if (dir == Direction::Backward) {
                std::reverse(got.begin(), got.end());
                std::reverse(gotByBen.begin(), gotByBen.end());
            }
            EXPECT_EQ(got, expected) << key;
            EXPECT_EQ(gotByBen, expectedByBen) << key;
        }
    }
}

TEST_F(StoreTest, EachAlternativeKeepsExactlyTheRowsTheWholeFilterKeeps) {
    // An either-or read as index ranges decides, per range, the tests on the
    // alternative's column (here hidden under negations and inner either-ors,
    // and one range that no row can pass); the pages must still be exactly the
    // rows the whole filter keeps, in key order both ways.
    std::mt19937 random(23);
    const char* types[] = {"No Repeats", "Days after Last Due", ""};
    for (int i = 1; i <= 90; ++i) {
        Assignment a = addAssignment(i, 200 + static_cast<int>(random() % 6),
                                     1 + static_cast<int>(random() % 4),
                                     random() % 3 == 0 ? 0 : 100 + static_cast<int>(random() % 8));
        a.REPEATTYPE = types[random() % 3];
        ASSERT_TRUE(m_db->change(a).ok());
    }
    using store::Filter;
    auto either = [](Filter x, Filter y) {
        return store::negate(
            store::allOf({store::negate(std::move(x)), store::negate(std::move(y))}));
    };
    struct Case {
        const char* key;
        Filter filter;
        std::function<bool(const Assignment&)> keeps;
    };
    const std::vector<Case> cases{
        // Concluded within 102..105 when not repeating, open or concluded
        // from 102 on when repeating; priority 2 never.
        {"ASS:CONCLPRIORITY_KEY",
         store::allOf(
             {store::ne("PRIORITY", 2),
              either(store::allOf({store::eq("REPEATTYPE", "No Repeats"),
                                   store::ge("CLOSEDATE", 102), store::le("CLOSEDATE", 105)}),
                     store::allOf(
                         {store::ne("REPEATTYPE", "No Repeats"),
                          store::anyOf({store::eq("CLOSEDATE", 0), store::ge("CLOSEDATE", 102)})})),
              store::anyOf({store::eq("REPEATTYPE", "No Repeats"),
                            store::eq("REPEATTYPE", "Days after Last Due"),
                            store::eq("REPEATTYPE", "")})}),
         [](const Assignment& a) {
             const bool single = a.REPEATTYPE == "No Repeats";
             return a.PRIORITY != 2 && (single ? a.CLOSEDATE >= 102 && a.CLOSEDATE <= 105
                                               : a.CLOSEDATE == 0 || a.CLOSEDATE >= 102);
         }},
        // Priorities 1 and 3 along their own key: priority 3 is excluded by
        // the rest of the filter, priority 1 passes its inner either-or.
        {"ASS:PRIORITY_KEY",
         store::allOf({store::negate(store::eq("PRIORITY", 3)),
                       store::anyOf({store::le("PRIORITY", 1), store::ge("DUEDATE", 204)}),
                       store::anyOf({store::eq("PRIORITY", 1), store::eq("PRIORITY", 3)})}),
         [](const Assignment& a) { return a.PRIORITY == 1; }},
    };
    for (const Case& c : cases) {
        std::vector<Assignment> all;
        ASSERT_TRUE(m_db->readAll(c.key, store::all(), all).ok());
        std::vector<std::int64_t> expected;
        for (const auto& a : all)
            if (c.keeps(a)) expected.push_back(a.rowPos);
        ASSERT_FALSE(expected.empty()) << c.key;
        for (Direction dir : {Direction::Forward, Direction::Backward}) {
            std::vector<std::int64_t> got;
            for (const auto& a : readAllPaged(c.key, dir, 4, c.filter)) got.push_back(a.rowPos);
            if (dir == Direction::Backward) std::reverse(got.begin(), got.end());
            EXPECT_EQ(got, expected) << c.key;
        }
    }
}

// A page that continues inside the key ("due on D, priority above P") under a
// filter that also bounds the due date ("due by today") must read about a
// page of index entries, not every row the bound lets through: the same pages
// over ten times the rows cost about the same. Rows and order are checked
// against a plain evaluation of the filter, both ways.
TEST_F(StoreTest, APageContinuingInsideTheKeyReadsAboutAPageWhateverTheFilterBoundHolds) {
    const Date today = 5000;
    const auto filter = store::allOf({store::eq("CLOSEDATE", 0), store::le("DUEDATE", today),
                                      store::anyOf({store::eq("PERSON", std::string("BEN")),
                                                    store::eq("USERNAME", std::string("BEN"))})});
    auto* sqlite = dynamic_cast<store::SqliteEngine*>(&m_db->engine());
    int number = 0;
    // Due dates 100..139, three priorities each, some concluded, some of
    // CARLA given by BEN; then the same again later in the key.
    auto addRows = [&](int count, Date firstDue) {
        ASSERT_TRUE(m_db->begin({"ASSIGNMENT"}, 2000).ok());
        for (int i = 0; i < count; ++i) {
            ++number;
            Assignment a = addAssignment(number, firstDue + i % 40, 1 + i % 3,
                                         i % 7 == 0 ? today - 1 : 0, i % 4 ? "BEN" : "CARLA");
            a.USERNAME = i % 8 == 0 ? "BEN" : "DORA";
            ASSERT_TRUE(m_db->change(a).ok());
        }
        ASSERT_TRUE(m_db->commit().ok());
    };
    // The largest number of steps of the pages read from the start of the key
    // to the rows due on 110 (unaffected by rows added later in the key).
    auto costliestPage = [&](Direction dir) {
        ReadRequest request;
        request.key = Assignment::def().key("ASS:DUEDATE_KEY");
        request.direction = dir;
        request.limit = 5;
        request.filter = filter;
        if (dir == Direction::Backward) request.from = KeyPosition::at({std::int64_t{110}});
        std::int64_t worst = 0;
        std::vector<std::int64_t> got;
        // Nothing but the page reads runs on the connection between two calls.
        std::int64_t before = sqlite ? sqlite->vmSteps() : 0;
        int pages = 0;
        test::readPageByPage<Assignment>(*m_db, request, [&](const std::vector<Assignment>& page) {
            if (sqlite) {
                worst = std::max(worst, sqlite->vmSteps() - before);
                before = sqlite->vmSteps();
            }
            for (const Assignment& a : page) got.push_back(a.rowPos);
            return ++pages < 6;
        });
        // The same rows a plain evaluation of the filter gives, in key order.
        std::vector<Assignment> all;
        EXPECT_TRUE(m_db->readAll("ASS:DUEDATE_KEY", store::all(), all).ok());
        if (dir == Direction::Backward) std::reverse(all.begin(), all.end());
        std::vector<std::int64_t> expected;
        for (const Assignment& a : all) {
            if (dir == Direction::Backward && a.DUEDATE > 110) continue;
            if (a.CLOSEDATE == 0 && a.DUEDATE <= today &&
                (a.PERSON == "BEN" || a.USERNAME == "BEN"))
                expected.push_back(a.rowPos);
        }
        expected.resize(std::min(expected.size(), got.size()));
        EXPECT_EQ(got, expected);
        EXPECT_GE(got.size(), 20u);
        return worst;
    };
    addRows(240, 100);
    const std::int64_t smallForward = costliestPage(Direction::Forward);
    const std::int64_t smallBackward = costliestPage(Direction::Backward);
    addRows(2400, 100);
    const std::int64_t largeForward = costliestPage(Direction::Forward);
    const std::int64_t largeBackward = costliestPage(Direction::Backward);
    if (!sqlite) GTEST_SKIP() << "steps are counted by the embedded engine only";
    EXPECT_LT(largeForward, 2 * smallForward) << smallForward << " steps before";
    EXPECT_LT(largeBackward, 2 * smallBackward) << smallBackward << " steps before";
}

TEST_F(StoreTest, EndOfRangeAndMissingRecordsHaveTheirCodes) {
    ReadRequest request;
    request.key = Assignment::def().key("ASS:NUMBER_KEY");
    std::vector<Assignment> page;
    EXPECT_EQ(m_db->read(request, page).code, store::kRecordNotAvailable);
    Assignment a;
    EXPECT_EQ(m_db->fetch("ASS:NUMBER_KEY", {std::int64_t{1}}, a).code, store::kRecordNotFound);
    a.rowPos = 12345;
    EXPECT_EQ(m_db->reread(a).code, store::kRecordNotFound);
    EXPECT_EQ(m_db->remove(a).code, store::kRecordNotFound);
    // The end of a range is not an error: the last-error record stays empty.
    EXPECT_NE(m_db->lastError().code, store::kRecordNotAvailable);
}

TEST_F(StoreTest, UniqueKeysRefuseDuplicatesOnlyForTheWholeKey) {
    Person p;
    p.SHORTNAME = "DENTIST";
    p.USER = "BEN";
    p.PERSONNUMBER = 1;
    ASSERT_TRUE(m_db->add(p).ok());
    Person same = p;
    same.PERSONNUMBER = 2;
    const Status dup = m_db->add(same);
    EXPECT_EQ(dup.code, store::kDuplicateKey);
    EXPECT_EQ(m_db->lastError().code, store::kDuplicateKey);
    same.USER = "CARLA";
    EXPECT_TRUE(m_db->add(same).ok());
    // A change into an existing key value is refused as well.
    same.USER = "BEN";
    EXPECT_EQ(m_db->change(same).code, store::kDuplicateKey);
}

TEST_F(StoreTest, TextsLongerThanTheirFieldOrWithANulAreRefusedNotCut) {
    User u;
    u.USERNAME = "ABCDEFGHIJKLMNO";  // 15 characters fit
    ASSERT_TRUE(m_db->add(u).ok());
    User fetched;
    ASSERT_TRUE(m_db->fetch("USE:USERNAME_KEY", {u.USERNAME}, fetched).ok());
    EXPECT_EQ(fetched.USERNAME, "ABCDEFGHIJKLMNO");

    UserPref pref;
    pref.USERNAME = "ABCDEFGHIJKLMNOP";  // a 16th character does not fit
    Status s = m_db->add(pref);
    EXPECT_EQ(s.code, store::kInvalidArgument);
    EXPECT_NE(s.text.find("USP:USERNAME"), std::string::npos) << s.text;
    std::int64_t n = -1;
    ASSERT_TRUE(m_db->count<UserPref>(store::all(), n).ok());
    EXPECT_EQ(n, 0);

    Assignment a;
    a.ASSIGNNUMBER = 1;
    a.NAME = std::string(48, 'x') + "\xc3\xa9" + "y";  // 50 characters, one of them two bytes
    a.LOG = std::string(2000, 'L');
    a.PERSON = "Trailing   ";  // blanks beyond the text are padding, not text
    ASSERT_TRUE(m_db->add(a).ok());
    Assignment stored;
    ASSERT_TRUE(m_db->fetch("ASS:NUMBER_KEY", {std::int64_t{1}}, stored).ok());
    EXPECT_EQ(stored.NAME, a.NAME);
    EXPECT_EQ(stored.LOG.size(), 2000u);
    EXPECT_EQ(stored.PERSON, "Trailing");

    // A change that does not fit writes nothing.
    Assignment longer = stored;
    longer.LOG += "L";
    EXPECT_EQ(m_db->change(longer).code, store::kInvalidArgument);
    Assignment nul = stored;
    nul.GENERALMEMO = std::string("before") + '\0' + "after";
    s = m_db->change(nul);
    EXPECT_EQ(s.code, store::kInvalidArgument);
    EXPECT_NE(s.text.find("NUL"), std::string::npos) << s.text;
    Assignment again = stored;
    ASSERT_TRUE(m_db->reread(again).ok());
    EXPECT_EQ(again.rowVersion, stored.rowVersion);
    EXPECT_EQ(again.LOG.size(), 2000u);
    EXPECT_EQ(again.GENERALMEMO, "");
}

TEST_F(StoreTest, AChangeOverANewerVersionIsRefusedAndWritesNothing) {
    Assignment original = addAssignment(1, 100, 5);
    Assignment mine = original, theirs = original;
    theirs.NAME = "Their change";
    ASSERT_TRUE(m_db->change(theirs).ok());
    mine.NAME = "My change";
    mine.PRIORITY = 1;
    EXPECT_EQ(m_db->change(mine).code, store::kChangedByOther);
    Assignment stored = original;
    ASSERT_TRUE(m_db->reread(stored).ok());
    EXPECT_EQ(stored.NAME, "Their change");
    EXPECT_EQ(stored.PRIORITY, 5);
    // After re-reading, the change goes through.
    stored.PRIORITY = 2;
    EXPECT_TRUE(m_db->change(stored).ok());
}

TEST_F(StoreTest, TransactionsRollBackAndNestAsSavepoints) {
    ASSERT_TRUE(m_db->begin({"ASSIGNMENT"}, 2000).ok());
    addAssignment(1, 100, 1);
    ASSERT_TRUE(m_db->begin({"ASSIGNMENT"}, 2000).ok());
    addAssignment(2, 100, 1);
    ASSERT_TRUE(m_db->rollback().ok());  // only the inner add goes
    ASSERT_TRUE(m_db->commit().ok());
    std::int64_t n = 0;
    ASSERT_TRUE(m_db->count<Assignment>(store::all(), n).ok());
    EXPECT_EQ(n, 1);

    ASSERT_TRUE(m_db->begin({"ASSIGNMENT"}, 2000).ok());
    addAssignment(3, 100, 1);
    ASSERT_TRUE(m_db->rollback().ok());
    ASSERT_TRUE(m_db->count<Assignment>(store::all(), n).ok());
    EXPECT_EQ(n, 1);
    EXPECT_FALSE(m_db->commit().ok());  // nothing to commit
}

TEST_F(StoreTest, PackKeepsEveryRow) {
    for (int i = 1; i <= 30; ++i) addAssignment(i, 100, 1);
    std::vector<Assignment> rows;
    ASSERT_TRUE(m_db->readAll("ASS:NUMBER_KEY", store::all(), rows).ok());
    for (size_t i = 0; i < rows.size(); i += 2) ASSERT_TRUE(m_db->remove(rows[i]).ok());
    ASSERT_TRUE(m_db->engine().pack().ok());
    std::int64_t n = 0;
    ASSERT_TRUE(m_db->count<Assignment>(store::all(), n).ok());
    EXPECT_EQ(n, 15);
}

TEST_F(StoreTest, AddAllKeepsEveryRowAndKeyOrNothing) {
    // Into an empty table (its keys made anew after the rows), into one that
    // holds more rows than come (each row into the keys), and batches that
    // fail part-way: a duplicate number, a control character, the source.
    struct Case {
        const char* what;
        int present, adding, badAt;  // badAt: the row that fails, 0 for none
        int failure;                 // what fails it (a code, 0 for none)
    };
    const Case cases[] = {
        {"empty table", 0, 1500, 0, 0},
        {"more present than added", 1200, 1100, 0, 0},
        {"duplicate number, keys made anew", 0, 1500, 1400, store::kDuplicateKey},
        {"duplicate number, rows into the keys", 1200, 1100, 900, store::kDuplicateKey},
        {"control character", 0, 1500, 700, store::kInvalidArgument},
        {"the source fails", 0, 1500, 1499, store::kFileLocked},
        // Rows enough (about 3 MB) that the 2 MB cache of the making of the keys
        // writes some of them to the file first: the rollback takes them back.
        {"duplicate number after the rows outgrew the cache", 300, 30000, 29990,
         store::kDuplicateKey},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        test::TempDir dir;
        m_db.reset();
        m_source = test::freshSource(dir);
        m_db = test::openStation(m_source);
        ASSERT_TRUE(m_db);
        if (c.present > 0) {
            ASSERT_TRUE(m_db->begin({"ASSIGNMENT"}, 2000).ok());
            for (int i = 1; i <= c.present; ++i) addAssignment(i, 80000 + i % 97, 1 + i % 9);
            ASSERT_TRUE(m_db->commit().ok());
        }
        int n = 0;
        const auto next = [&](store::Row& row) {
            if (n == c.adding) return Status::error(store::kRecordNotAvailable);
            ++n;
            if (n == c.badAt && c.failure == store::kFileLocked)
                return Status::error(store::kFileLocked);
            Assignment a;
            a.ASSIGNNUMBER = n == c.badAt && c.failure == store::kDuplicateKey ? 5001 : 5000 + n;
            a.NAME = n == c.badAt && c.failure == store::kInvalidArgument
                         ? std::string("bad\x01name")
                         : "Bülk " + std::to_string(n);
            a.DUEDATE = 80000 + n % 89;
            a.PRIORITY = static_cast<std::uint8_t>(1 + n % 9);
            a.PERSON = n % 2 ? "ANN" : "BEN";
            row = a.toRow();
            return Status::success();
        };
        const Status added = m_db->addAll(Assignment::def(), next, c.adding);
        std::int64_t count = 0;
        ASSERT_TRUE(m_db->count<Assignment>(store::all(), count).ok());
        if (c.failure) {
            EXPECT_EQ(added.code, c.failure) << added.describe();
            EXPECT_EQ(count, c.present);
        } else {
            ASSERT_TRUE(added.ok()) << added.describe();
            EXPECT_EQ(count, c.present + c.adding);
        }
        std::vector<std::string> problems;
        ASSERT_TRUE(m_db->check(problems).ok());
        EXPECT_TRUE(problems.empty()) << problems.front();
        // The keys hold every row: counted along one, read in order along another.
        std::int64_t ben = 0;
        ASSERT_TRUE(
            m_db->countAlong<Assignment>("ASS:PERSONDATE_KEY", store::eq("PERSON", "BEN"), ben)
                .ok());
        EXPECT_EQ(ben, c.failure ? c.present : c.present + c.adding / 2);
        std::int64_t benScanned = 0;  // the same rows through the table alone
        ASSERT_TRUE(m_db->countByScan<Assignment>(store::eq("PERSON", "BEN"), benScanned).ok());
        EXPECT_EQ(benScanned, ben);
        const auto numbers = readAllPaged("ASS:NUMBER_KEY", Direction::Forward, 700);
        ASSERT_EQ(static_cast<std::int64_t>(numbers.size()), count);
        EXPECT_TRUE(std::is_sorted(
            numbers.begin(), numbers.end(),
            [](const auto& x, const auto& y) { return x.ASSIGNNUMBER < y.ASSIGNNUMBER; }));
        // The word search and the filter box's substring index (which holds
        // folded texts) find the added rows, and a row added singly
        // afterwards: the text indexes are fed by each insert again.
        for (const store::Filter& held :
             {store::matches("ASS:TEXT", "bulk"), store::substring("ASS:LISTTEXT", "bulk ")}) {
            std::vector<Assignment> found;
            ASSERT_TRUE(m_db->readAll("ASS:NUMBER_KEY", held, found).ok());
            EXPECT_EQ(static_cast<int>(found.size()), c.failure ? 0 : c.adding);
        }
        Assignment single;
        single.ASSIGNNUMBER = 9000;
        single.NAME = "Singly wordy";
        ASSERT_TRUE(m_db->add(single).ok());
        for (const store::Filter& held :
             {store::matches("ASS:TEXT", "wordy"), store::substring("ASS:LISTTEXT", "wordy")}) {
            std::vector<Assignment> found;
            ASSERT_TRUE(m_db->readAll("ASS:NUMBER_KEY", held, found).ok());
            EXPECT_EQ(found.size(), 1u);
        }
        m_db.reset();
    }
}

TEST_F(StoreTest, BackupIsACompleteCopyThatOpensOnItsOwn) {
    for (int i = 1; i <= 25; ++i) addAssignment(i, 100 + i, 1);
    User u;
    u.USERNAME = "BEN";
    ASSERT_TRUE(m_db->add(u).ok());
    test::TempDir copy;
    const Status copied = m_db->engine().backup(copy.file("TKODATA.DB"), copy.file("USERS.DB"));
    ASSERT_TRUE(copied.ok()) << copied.describe();
    EXPECT_FALSE(std::filesystem::exists(copy.file("TKODATA.DB.tmp")));
    auto restored = test::openStation(DataSource{copy.path(), {}});
    ASSERT_TRUE(restored);
    std::int64_t n = 0;
    ASSERT_TRUE(restored->count<Assignment>(store::all(), n).ok());
    EXPECT_EQ(n, 25);
    User back;
    EXPECT_TRUE(restored->fetch("USE:USERNAME_KEY", {std::string("BEN")}, back).ok());
    std::vector<std::string> problems;
    ASSERT_TRUE(restored->check(problems).ok());
    EXPECT_TRUE(problems.empty());
}

TEST_F(StoreTest, BackupInSlicesUnderAWriterIsOneMomentOfBothFiles) {
    if (test::usingServer()) GTEST_SKIP() << "the server is copied in one snapshot";
    // Some 90 chunks of file, copied one chunk per slice, while another
    // station commits between the slices: each commit adds an assignment and
    // stamps its number into a person (data file) and a user (users file).
    ASSERT_TRUE(m_db->begin({"ASSIGNMENT"}, 2000).ok());
    for (int i = 1; i <= 1500; ++i) {
        Assignment a;
        a.ASSIGNNUMBER = i;
        a.NAME = "Task " + std::to_string(i);
        a.GENERALMEMO = std::string(2000, static_cast<char>('a' + i % 26));
        ASSERT_TRUE(m_db->add(a).ok());
    }
    Person p;
    p.SHORTNAME = "WRITER";
    p.PERSONNUMBER = 2;
    ASSERT_TRUE(m_db->add(p).ok());
    User u;
    u.USERNAME = "WRITER";
    ASSERT_TRUE(m_db->add(u).ok());
    ASSERT_TRUE(m_db->commit().ok());

    std::atomic<int> commits{0};
    std::atomic<bool> stop{false};
    std::thread writer([&] {
        auto station = test::openStation(m_source);
        for (int n = 1; station && !stop; ++n) {
            ASSERT_TRUE(station->begin({"ASSIGNMENT", "PEOPLE", "USERS"}, 5000).ok());
            Assignment a;
            a.ASSIGNNUMBER = 10000 + n;
            p.DATE = n;
            u.DATECHANGED = n;
            const bool done = station->add(a).ok() && station->change(p).ok() &&
                              station->change(u).ok() && station->commit().ok();
            ASSERT_TRUE(done) << station->lastError().describe();
            commits = n;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    });
    for (int i = 0; i < 5000 && commits < 2; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    store::SqliteOptions options;
    options.backupSliceMs = 0;
    Status status;
    auto engine = store::SqliteEngine::open(m_dir.path(), options, status);
    ASSERT_TRUE(engine) << status.describe();
    test::TempDir copy;
    const int before = commits;
    const Status copied = engine->backup(copy.file("TKODATA.DB"), copy.file("USERS.DB"));
    const int after = commits;
    stop = true;
    writer.join();
    ASSERT_TRUE(copied.ok()) << copied.describe();
    ASSERT_GT(after, before + 1) << "no station committed during the copy";

    auto restored = test::openStation(DataSource{copy.path(), {}});
    ASSERT_TRUE(restored);
    std::vector<std::string> problems;
    ASSERT_TRUE(restored->check(problems).ok());
    EXPECT_TRUE(problems.empty()) << problems.front();
    Person copiedPerson;
    User copiedUser;
    ASSERT_TRUE(restored->fetch("PEO:SHORT_KEY", {std::string("WRITER")}, copiedPerson).ok());
    ASSERT_TRUE(restored->fetch("USE:USERNAME_KEY", {std::string("WRITER")}, copiedUser).ok());
    EXPECT_GE(copiedPerson.DATE, before);
    EXPECT_LE(copiedPerson.DATE, after);
    EXPECT_EQ(copiedUser.DATECHANGED, copiedPerson.DATE);
    std::int64_t n = 0;
    ASSERT_TRUE(restored->count<Assignment>(store::all(), n).ok());
    EXPECT_EQ(n, 1500 + copiedPerson.DATE);
}

TEST_F(StoreTest, CheckReportsAMissingKey) {
    if (test::usingServer()) GTEST_SKIP() << "the damaged file is an SQLite file";
    std::vector<std::string> problems;
    ASSERT_TRUE(m_db->check(problems).ok());
    EXPECT_TRUE(problems.empty());
    m_db.reset();
    sqlite3* raw = nullptr;
    ASSERT_EQ(sqlite3_open(m_dir.file("TKODATA.DB").c_str(), &raw), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(raw, "DROP INDEX ASS_DUEDATE_KEY", nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(raw);
    Status status;
    m_db = Database::open(m_source, false, status, 2000, false);  // as "check" opens
    ASSERT_TRUE(m_db);
    ASSERT_TRUE(m_db->check(problems).ok());
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_EQ(problems[0], "ASSIGNMENT: key ASS:DUEDATE_KEY is missing");

    // A station opening the data set puts the missing key back.
    m_db = test::openStation(m_source);
    ASSERT_TRUE(m_db);
    problems.clear();
    ASSERT_TRUE(m_db->check(problems).ok());
    EXPECT_TRUE(problems.empty());
}

// Both engines judge their catalogue alike: a hidden column of another type
// and a memo compared without regard to letter case are named on either.
TEST_F(StoreTest, CheckNamesColumnsOfAnotherTypeOrCollationOnEitherEngine) {
    struct Damage {
        std::string sqlite, server, problem;
    };
    const std::vector<Damage> damages{
        {"\"ROW_VERSION\" INTEGER|\"ROW_VERSION\" NUMERIC",
         "ALTER TABLE \"ASSIGNMENT\" ALTER COLUMN \"ROW_VERSION\" TYPE bigint",
         "ASSIGNMENT: column ROW_VERSION has type "},
        {"\"ASSIGNMEMO\" TEXT|\"ASSIGNMEMO\" TEXT COLLATE NOCASE",
         "ALTER TABLE \"ASSIGNMENT\" ALTER COLUMN \"ASSIGNMEMO\" TYPE TEXT COLLATE \"POSIX\"",
         "ASSIGNMENT: column ASSIGNMEMO has collation "},
    };
    m_db.reset();
    for (const Damage& d : damages) {
        if (test::usingServer()) {
            runRaw(d.server);
            continue;
        }
        const size_t bar = d.sqlite.find('|');
        runRaw("PRAGMA writable_schema = ON; UPDATE sqlite_master SET sql = replace(sql, '" +
               d.sqlite.substr(0, bar) + "', '" + d.sqlite.substr(bar + 1) +
               "') WHERE name = 'ASSIGNMENT'");
    }
    // Let the next fresh store on the server make the tables again.
    if (test::usingServer()) runRaw("COMMENT ON SCHEMA users IS 'changed by a test'");
    Status status;
    m_db = Database::open(m_source, false, status, 2000, false);  // as "check" opens
    ASSERT_TRUE(m_db) << status.describe();
    std::vector<std::string> problems;
    ASSERT_TRUE(m_db->check(problems).ok());
    for (const Damage& d : damages)
        EXPECT_EQ(std::count_if(problems.begin(), problems.end(),
                                [&](const std::string& p) { return p.rfind(d.problem, 0) == 0; }),
                  1)
            << d.problem;
}

// A data set made before the letter-for-letter key existed gets it from the
// first station that opens it, and one whose index orders the person without
// regard to case (not as the key declares) gets it made again.
TEST_F(StoreTest, OpeningAddsTheLetterForLetterKeyAndMendsItsOrder) {
    addAssignment(1, 300, 1, 0, "ben");
    addAssignment(2, 300, 1, 0, "BEN");
    addAssignment(3, 301, 1, 0, "ben");
    const std::string index = "\"ASS_EXACTPERSNAME_KEY\"";
    // The index as an older version would have made it: case-free, and on
    // the server ending in the row id as every key that allows duplicates.
    const std::string caseFree = "CREATE INDEX " + index +
                                 " ON \"ASSIGNMENT\" (\"PERSON\", \"NAME\", \"DUEDATE\", "
                                 "\"PRIORITY\"" +
                                 (test::usingServer() ? ", \"ROW_ID\")" : ")");
    auto exactBen = [&] {
        std::vector<std::int64_t> numbers;
        for (const Assignment& a :
             readAllPaged("ASS:NAME_KEY", Direction::Forward, 2, store::same("PERSON", "ben")))
            numbers.push_back(a.ASSIGNNUMBER);
        return numbers;
    };
    for (const std::string& damage :
         {"DROP INDEX " + index, "DROP INDEX " + index + "; " + caseFree}) {
        m_db.reset();
        runRaw(damage);
        Status status;
        m_db = Database::open(m_source, false, status, 2000, false);  // as "check" opens
        ASSERT_TRUE(m_db) << status.describe();
        std::vector<std::string> problems;
        ASSERT_TRUE(m_db->check(problems).ok());
        ASSERT_EQ(problems.size(), 1u) << damage;
        EXPECT_EQ(problems[0].rfind("ASSIGNMENT: key ASS:EXACTPERSNAME_KEY ", 0), 0u)
            << problems[0];

        m_db = test::openStation(m_source);
        ASSERT_TRUE(m_db);
        problems.clear();
        ASSERT_TRUE(m_db->check(problems).ok());
        EXPECT_TRUE(problems.empty()) << damage << ": " << problems.front();
        EXPECT_EQ(exactBen(), (std::vector<std::int64_t>{1, 3})) << damage;
    }
}

// Along a key that orders the person letter for letter every spelling is a
// value of its own, in byte order.
TEST_F(StoreTest, DistinctValuesOfALetterForLetterKeyTellSpellingsApart) {
    int number = 0;
    for (const char* person : {"ben", "BEN", "Ben", "ben", "ANNA", "BEN", "anna"})
        addAssignment(++number, 300, 1, 0, person);
    const store::KeyDef& key = *Assignment::def().key("ASS:EXACTPERSNAME_KEY");
    std::vector<store::Value> values;
    ASSERT_TRUE(
        m_db->engine().distinctValues(Assignment::def(), key, store::all(), 10, values).ok());
    EXPECT_EQ(values, (std::vector<store::Value>{std::string("ANNA"), std::string("BEN"),
                                                 std::string("Ben"), std::string("anna"),
                                                 std::string("ben")}));
    ASSERT_TRUE(m_db->engine()
                    .distinctValues(Assignment::def(), key, store::eq("PERSON", "BEN"), 2, values)
                    .ok());
    EXPECT_EQ(values, (std::vector<store::Value>{std::string("BEN"), std::string("Ben")}));
}

}  // namespace
}  // namespace tko
