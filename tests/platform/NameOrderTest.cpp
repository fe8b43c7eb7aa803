// Names compare and order without regard to letter case on every engine: in
// unique keys, in key order and keyset paging, in look-ups and filters; and a
// data set made while they did not is converted when a station opens it.
#include <gtest/gtest.h>
#include <libpq-fe.h>
#include <sqlite3.h>

#include <algorithm>
#include <cstdlib>

#include "data/Database.h"
#include "platform/store/FilterBox.h"
#include "platform/store/PgEngine.h"
#include "support/TestStore.h"

namespace tko {
namespace {

using store::Direction;
using store::KeyPosition;
using store::ReadRequest;

Status addPersonTo(Database& db, const std::string& shortName, const std::string& owner,
                   int number) {
    Person p;
    p.SHORTNAME = shortName;
    p.USER = owner;
    p.TYPE = "Open";
    p.PERSONNUMBER = number;
    return db.add(p);
}

class NameOrderTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_source = test::freshSource(m_dir);
        m_db = test::openStation(m_source);
        ASSERT_TRUE(m_db);
    }

    Status addPerson(const std::string& shortName, const std::string& owner, int number) {
        return addPersonTo(*m_db, shortName, owner, number);
    }

    // Short names along PEO:SHORT_KEY, read in pages of `pageSize` rows.
    std::vector<std::string> shortNames(Direction direction, int pageSize) {
        ReadRequest request;
        request.key = Person::def().key("PEO:SHORT_KEY");
        request.direction = direction;
        request.limit = pageSize;
        std::vector<std::string> names;
        for (;;) {
            std::vector<Person> page;
            const Status s = m_db->read(request, page);
            if (s.endOfRange()) break;
            EXPECT_TRUE(s.ok()) << s.describe();
            if (!s.ok() || names.size() > 100) break;
            for (const Person& p : page) names.push_back(p.SHORTNAME);
            const store::Row last = page.back().toRow();
            request.from =
                KeyPosition::continuing(store::keyValuesOf(*request.key, last), last.pos);
        }
        return names;
    }

    test::TempDir m_dir;
    DataSource m_source;
    std::unique_ptr<Database> m_db;
};

TEST_F(NameOrderTest, UniqueKeysRefuseANameThatDiffersOnlyInCase) {
    ASSERT_TRUE(addPerson("BEN", "BEN", 1).ok());
    EXPECT_EQ(addPerson("Ben", "BEN", 2).code, store::kDuplicateKey);
    EXPECT_EQ(addPerson("ben", "ben", 3).code, store::kDuplicateKey);  // both components
    EXPECT_TRUE(addPerson("Ben", "ANNA", 4).ok());                     // another owner
    ASSERT_TRUE(addPerson("JÖRG", "BEN", 5).ok());
    EXPECT_EQ(addPerson("jörg", "BEN", 6).code, store::kDuplicateKey);
    EXPECT_TRUE(addPerson("JORG", "BEN", 7).ok());  // an accent makes another name

    User carla;
    carla.USERNAME = "CARLA";
    ASSERT_TRUE(m_db->add(carla).ok());
    User again;
    again.USERNAME = "Carla";
    EXPECT_EQ(m_db->add(again).code, store::kDuplicateKey);

    // Renaming onto another spelling of an existing name is refused as well.
    Person ben4;
    ASSERT_TRUE(
        m_db->fetch("PEO:PRIMARY_KEY", {std::string("BEN"), std::string("ANNA")}, ben4).ok());
    ben4.USER = "Ben";
    EXPECT_EQ(m_db->change(ben4).code, store::kDuplicateKey);
    std::int64_t n = 0;
    ASSERT_TRUE(m_db->count<Person>(store::all(), n).ok());
    EXPECT_EQ(n, 4);
}

TEST_F(NameOrderTest, NamesAreStoredAsTypedAndFoundInAnyCase) {
    User carla;
    carla.USERNAME = "CARLA";
    ASSERT_TRUE(m_db->add(carla).ok());
    User found;
    ASSERT_TRUE(m_db->fetch("USE:USERNAME_KEY", {std::string("carla")}, found).ok());
    EXPECT_EQ(found.USERNAME, "CARLA");
    ASSERT_TRUE(addPerson("Émile", "CARLA", 1).ok());
    Person person;
    ASSERT_TRUE(
        m_db->fetch("PEO:PRIMARY_KEY", {std::string("éMILE"), std::string("carla")}, person).ok());
    EXPECT_EQ(person.SHORTNAME, "Émile");
    EXPECT_EQ(m_db->fetch("PEO:SHORT_KEY", {std::string("EMILE")}, person).code,
              store::kRecordNotFound);

    // Filters compare the same way: one equality stands for every spelling.
    std::int32_t number = 0;
    for (const char* spelling : {"BEN", "Ben", "ben", "BENNY", "BEM"}) {
        Assignment a;
        a.ASSIGNNUMBER = ++number;
        a.PERSON = spelling;
        ASSERT_TRUE(m_db->add(a).ok()) << spelling;
    }
    std::int64_t n = 0;
    ASSERT_TRUE(m_db->count<Assignment>(store::eq("PERSON", std::string("bEn")), n).ok());
    EXPECT_EQ(n, 3);
    ASSERT_TRUE(m_db->count<Assignment>(store::gt("PERSON", std::string("ben")), n).ok());
    EXPECT_EQ(n, 1);  // BENNY; BEM sorts before
}

TEST_F(NameOrderTest, KeysOrderNamesAlphabeticallyAndPageThroughEqualSpellings) {
    int number = 0;
    for (const char* name :
         {"ZOE", "ben", "Anna", "émile", "BEN", "Zack", "Ben", "anna", "Émile", "_x", "b", "Bé"}) {
        ++number;
        ASSERT_TRUE(addPerson(name, "U" + std::to_string(number), number).ok()) << name;
    }
    const std::vector<std::string> forward = shortNames(Direction::Forward, 100);
    ASSERT_EQ(forward.size(), 12u);
    // Spellings of one name are equal: they follow each other in any order.
    auto rank = [](const std::string& name) {
        static const std::vector<std::vector<std::string>> order{
            {"_x"},   {"Anna", "anna"}, {"b"}, {"Bé"}, {"ben", "BEN", "Ben"}, {"émile", "Émile"},
            {"Zack"}, {"ZOE"}};
        for (size_t i = 0; i < order.size(); ++i)
            if (std::find(order[i].begin(), order[i].end(), name) != order[i].end())
                return static_cast<int>(i);
        return -1;
    };
    for (size_t i = 1; i < forward.size(); ++i)
        EXPECT_LE(rank(forward[i - 1]), rank(forward[i])) << forward[i - 1] << " / " << forward[i];

    // Page by page, in both directions, every row exactly once and in the same order.
    for (int pageSize : {1, 2, 5}) {
        SCOPED_TRACE(pageSize);
        EXPECT_EQ(shortNames(Direction::Forward, pageSize), forward);
        std::vector<std::string> backward = shortNames(Direction::Backward, pageSize);
        std::reverse(backward.begin(), backward.end());
        EXPECT_EQ(backward, forward);
    }

    // Starting at a value in another spelling starts at all its spellings.
    ReadRequest request;
    request.key = Person::def().key("PEO:SHORT_KEY");
    request.from = KeyPosition::at({std::string("BEN")});
    request.limit = 3;
    std::vector<Person> page;
    ASSERT_TRUE(m_db->read(request, page).ok());
    ASSERT_EQ(page.size(), 3u);
    for (const Person& p : page) EXPECT_EQ(rank(p.SHORTNAME), 4) << p.SHORTNAME;
}

// The words of a list's filter box, on the rows of both engines: each word
// somewhere in the shown text columns, letter case and accents aside; the
// pattern characters of LIKE and quotes are plain text.
TEST_F(NameOrderTest, FilterWordsNarrowTheListWithoutRegardToCaseOrAccents) {
    struct Entry {
        const char* shortName;
        const char* lastName;
        const char* organisation;
        const char* comments;
    };
    const Entry people[] = {{"MUELLER", "Müller", "Lease & Co", "the Miller lease"},
                            {"mill", "Mill", "100% Ölwerke", "o'Brien's friend"},
                            {"SOREN", "Søren", "Straße_7", ""},
                            {"ZED", "Zedd", "ACME", "müller knows"}};
    int number = 0;
    for (const Entry& e : people) {
        Person p;
        p.SHORTNAME = e.shortName;
        p.USER = "OWNER";
        p.TYPE = "Open";
        p.LASTNAME = e.lastName;
        p.ORGANIZATION = e.organisation;
        p.COMMENTS = e.comments;
        p.PERSONNUMBER = ++number;
        ASSERT_TRUE(m_db->add(p).ok()) << e.shortName;
    }
    const std::vector<std::string> shown{"SHORTNAME", "PEO:LASTNAME", "ORGANIZATION", "DATE"};
    const struct {
        const char* typed;
        std::vector<std::string> expected;  // short names in key order
    } cases[] = {
        {"", {"mill", "MUELLER", "SOREN", "ZED"}},
        {"   ", {"mill", "MUELLER", "SOREN", "ZED"}},
        {"mül", {"MUELLER"}},  // the comments are not a shown column
        {"MULLER", {"MUELLER"}},
        {"mill", {"mill"}},
        {"lease co", {"MUELLER"}},
        {"lease zedd", {}},
        {"100%", {"mill"}},
        {"0%", {"mill"}},
        {"%", {"mill"}},
        {"e_", {"SOREN"}},
        {"strasse", {"SOREN"}},
        {"soren", {"SOREN"}},
        {"oLWERKE", {"mill"}},
        {"\"Lease &\"", {"MUELLER"}},
        {"\"lease co\"", {}},
        {"e", {"mill", "MUELLER", "SOREN", "ZED"}},
        {"zed", {"ZED"}},
    };
    const store::TableDef& table = Person::def();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        ReadRequest request;
        request.key = table.key("PEO:SHORT_KEY");
        request.filter = store::wordsFilter(table, shown, c.typed);
        request.limit = 10;
        std::vector<Person> page;
        const Status s = m_db->read(request, page);
        ASSERT_TRUE(s.ok() || s.endOfRange()) << s.describe();
        std::vector<std::string> names;
        for (const Person& p : page) names.push_back(p.SHORTNAME);
        EXPECT_EQ(names, c.expected);
    }
    // A memo column shown is searched too, on the same rows.
    ReadRequest request;
    request.key = table.key("PEO:SHORT_KEY");
    request.filter = store::wordsFilter(table, {"SHORTNAME", "COMMENTS"}, "O'BRIEN");
    request.limit = 10;
    std::vector<Person> page;
    ASSERT_TRUE(m_db->read(request, page).ok());
    ASSERT_EQ(page.size(), 1u);
    EXPECT_EQ(page.front().SHORTNAME, "mill");
}

// The filter box of the assignment lists reads a rare word's rows through the
// substring index: the same rows as testing every row along the key, through
// adds, changes of each indexed column, deletes and a rebuild of the index;
// and the index alone holds exactly the rows a single word is in.
TEST_F(NameOrderTest, TheFilterBoxIndexFindsTheRowsEveryRowTestFinds) {
    const store::TableDef& table = Assignment::def();
    const std::vector<std::string> shown{"NAME", "PERSON", "USERNAME", "DUEDATE"};
    const struct {
        const char* name;
        const char* person;
        const char* user;
    } rows[] = {{"Müller lease & Co", "MUELLER", "ANNA"},
                {"100% Ölwerke", "MILL", "BEN"},
                {"Straße_7 survey", "SOREN", "ANNA"},
                {"Zedd's \"quote\" review", "ZED", "CARLA"}};
    int number = 0;
    for (const auto& r : rows) {
        Assignment a;
        a.ASSIGNNUMBER = ++number;
        a.NAME = r.name;
        a.PERSON = r.person;
        a.USERNAME = r.user;
        ASSERT_TRUE(m_db->add(a).ok()) << r.name;
    }
    auto numbers = [&](const store::Filter& filter) {
        ReadRequest request;
        request.key = table.key("ASS:NUMBER_KEY");
        request.filter = filter;
        request.limit = 50;
        std::vector<Assignment> page;
        const Status s = m_db->read(request, page);
        EXPECT_TRUE(s.ok() || s.endOfRange()) << s.describe();
        std::vector<int> found;
        for (const Assignment& a : page) found.push_back(a.ASSIGNNUMBER);
        return found;
    };
    struct Case {
        const char* typed;
        std::vector<int> expected;
        bool oneWord;  // a single word within one column: the index alone finds it
    };
    auto check = [&](const std::vector<Case>& cases) {
        for (const Case& c : cases) {
            SCOPED_TRACE(c.typed);
            const store::Filter boxed =
                store::filterBoxFilter(m_db->engine(), table, shown, c.typed);
            EXPECT_EQ(numbers(boxed), c.expected);
            EXPECT_EQ(numbers(store::wordsFilter(table, shown, c.typed)), c.expected);
            if (c.oneWord) {
                EXPECT_EQ(numbers(store::substring("ASS:LISTTEXT", store::splitWords(c.typed)[0])),
                          c.expected);
            }
        }
    };
    check({{"MULLER", {1}, true},
           {"mül", {1}, true},
           {"ller", {1}, true},
           {"100%", {2}, true},
           {"0%", {2}, false},  // too short for the index: every row tested
           {"_7 s", {3}, false},
           {"strasse", {3}, true},
           {"\"lease &\"", {1}, true},
           {"anna lease", {1}, false},
           {"\"quote\"", {4}, true},
           {"s \"q", {4}, false},  // an unclosed quote ends with the text
           {"qqq", {}, true},
           {"ann", {1, 3}, true}});
    // Each indexed column changed, a row deleted, one added: the index follows.
    std::vector<Assignment> all;
    ReadRequest request;
    request.key = table.key("ASS:NUMBER_KEY");
    request.limit = 10;
    ASSERT_TRUE(m_db->read(request, all).ok());
    ASSERT_EQ(all.size(), 4u);
    all[0].NAME = "Miller lease";
    all[1].PERSON = "MÜLLER";
    all[2].USERNAME = "ANNELIE";
    for (int i = 0; i < 3; ++i) ASSERT_TRUE(m_db->change(all[static_cast<size_t>(i)]).ok());
    ASSERT_TRUE(m_db->remove(all[3]).ok());
    Assignment added;
    added.ASSIGNNUMBER = 5;
    added.NAME = "Quarterly review";
    added.PERSON = "ZED";
    added.USERNAME = "CARLA";
    ASSERT_TRUE(m_db->add(added).ok());
    const std::vector<Case> afterChanges{{"muller", {2}, true},  {"miller", {1}, true},
                                         {"ölwerke", {2}, true}, {"annelie", {3}, true},
                                         {"anna", {1}, true},    {"quote", {}, true},
                                         {"review", {5}, true},  {"zed", {5}, true}};
    check(afterChanges);
    // Filled anew (as the data check does), it holds the same.
    ASSERT_TRUE(m_db->refreshTextIndexes(true).ok());
    check(afterChanges);
}

// ---- data sets made while names compared with regard to case -----------------

// Creates every table as an earlier version did: texts compared bytewise.
void createBytewiseTables(const DataSource& source) {
    if (test::usingServer()) {
        store::SqlDialect dialect = store::postgresDialect();
        dialect.nameType = dialect.textType;
        const store::SqlBuilder sql(dialect);
        PGconn* conn = PQconnectdb(source.serverInfo.c_str());
        ASSERT_EQ(PQstatus(conn), CONNECTION_OK) << PQerrorMessage(conn);
        std::string script =
            "SET client_min_messages = warning; DROP SCHEMA IF EXISTS users CASCADE";
        for (const store::TableDef* table : allTables())
            if (table->file == store::TableFile::Data)
                script += "; DROP TABLE IF EXISTS " + sql.tableName(*table) + " CASCADE";
        script += "; CREATE SCHEMA users";
        for (const store::TableDef* table : allTables())
            for (const std::string& statement : sql.createTable(*table)) script += "; " + statement;
        PGresult* result = PQexec(conn, script.c_str());
        EXPECT_EQ(PQresultStatus(result), PGRES_COMMAND_OK) << PQerrorMessage(conn);
        PQclear(result);
        PQfinish(conn);
        return;
    }
    store::SqlDialect dialect;
    dialect.usersSchema = "users";
    const store::SqlBuilder sql(dialect);
    for (const char* file : {"TKODATA.DB", "USERS.DB"})
        std::remove((source.directory + "/" + file).c_str());
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open((source.directory + "/TKODATA.DB").c_str(), &db), SQLITE_OK);
    const std::string attach = "ATTACH DATABASE '" + source.directory + "/USERS.DB' AS users";
    ASSERT_EQ(sqlite3_exec(db, attach.c_str(), nullptr, nullptr, nullptr), SQLITE_OK);
    for (const store::TableDef* table : allTables())
        for (const std::string& statement : sql.createTable(*table))
            ASSERT_EQ(sqlite3_exec(db, statement.c_str(), nullptr, nullptr, nullptr), SQLITE_OK)
                << statement << ": " << sqlite3_errmsg(db);
    sqlite3_close(db);
}

TEST_F(NameOrderTest, AnEarlierDataSetIsConvertedAndNamesThatNowCollideAreReported) {
    m_db.reset();
    createBytewiseTables(m_source);
    {
        // As the earlier version stored them: "Ben" and "BEN" of one owner,
        // "ZOE" before "ben".
        Status status;
        auto old = Database::open(m_source, false, status, 10000, false);
        ASSERT_TRUE(old) << status.describe();
        ASSERT_TRUE(addPersonTo(*old, "BEN", "BEN", 1).ok());
        ASSERT_TRUE(addPersonTo(*old, "Ben", "BEN", 2).ok());
        ASSERT_TRUE(addPersonTo(*old, "ZOE", "ANNA", 3).ok());
        User carla;
        carla.USERNAME = "CARLA";
        ASSERT_TRUE(old->add(carla).ok());
        for (const char* person : {"ZOE", "ben"}) {
            Assignment a;
            a.ASSIGNNUMBER = static_cast<unsigned char>(person[0]);
            a.PERSON = person;
            ASSERT_TRUE(old->add(a).ok());
        }
        std::vector<std::string> problems;
        const Status checked = old->check(problems);
        ASSERT_TRUE(checked.ok()) << checked.describe();
        EXPECT_FALSE(problems.empty());  // not yet converted: "check" reports, never repairs
        // The opening check takes the bytewise columns for this program's own
        // earlier layout, to be converted, not for a foreign one.
        LayoutCheck layout;
        ASSERT_TRUE(old->checkLayout(layout).ok());
        EXPECT_TRUE(layout.layout.empty()) << layout.layout.front();
        EXPECT_TRUE(layout.keyTables.empty()) << layout.keys.front();
    }

    // A station opens it: converted, nothing lost, the colliding key kept as it was.
    m_db = test::openStation(m_source);
    ASSERT_TRUE(m_db);
    std::int64_t n = 0;
    ASSERT_TRUE(m_db->count<Person>(store::all(), n).ok());
    EXPECT_EQ(n, 3);
    std::vector<std::string> problems;
    const Status checked = m_db->check(problems);
    ASSERT_TRUE(checked.ok()) << checked.describe();
    ASSERT_EQ(problems.size(), 2u) << ::testing::PrintToString(problems);
    EXPECT_EQ(problems[0], "PEOPLE: key PEO:PRIMARY_KEY tells names apart by letter case");
    // A key kept bytewise for its colliding names is no damaged key: opening
    // must not offer to rebuild it at every start.
    LayoutCheck layout;
    ASSERT_TRUE(m_db->checkLayout(layout).ok());
    EXPECT_TRUE(layout.layout.empty()) << layout.layout.front();
    EXPECT_TRUE(layout.keyTables.empty()) << layout.keys.front();
    EXPECT_EQ(problems[1],
              "PEOPLE: key PEO:PRIMARY_KEY: \"BEN, BEN\" and \"Ben, BEN\" differ only in letter "
              "case; rename all but one");
    User carla;
    ASSERT_TRUE(m_db->fetch("USE:USERNAME_KEY", {std::string("carla")}, carla).ok());
    EXPECT_EQ(carla.USERNAME, "CARLA");
    std::vector<Assignment> byPerson;
    ASSERT_TRUE(m_db->readAll("ASS:PERSONDATE_KEY", store::all(), byPerson).ok());
    ASSERT_EQ(byPerson.size(), 2u);
    EXPECT_EQ(byPerson[0].PERSON, "ben");
    EXPECT_EQ(byPerson[1].PERSON, "ZOE");
    User again;
    again.USERNAME = "Carla";
    EXPECT_EQ(m_db->add(again).code, store::kDuplicateKey);

    // Once one of them is renamed, the next opening converts that key too.
    Person second;
    ASSERT_TRUE(m_db->fetch("PEO:PERSONNUMBER_KEY", {std::int64_t{2}}, second).ok());
    second.SHORTNAME = "Benedict";
    ASSERT_TRUE(m_db->change(second).ok());
    m_db = test::openStation(m_source);
    ASSERT_TRUE(m_db);
    problems.clear();
    const Status rechecked = m_db->check(problems);
    ASSERT_TRUE(rechecked.ok()) << rechecked.describe();
    EXPECT_TRUE(problems.empty()) << ::testing::PrintToString(problems);
    EXPECT_EQ(addPerson("benedict", "BEN", 4).code, store::kDuplicateKey);
}

}  // namespace
}  // namespace tko
