#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>

#include "data/Tables.h"

namespace tko {
namespace {

TEST(TablesTest, EveryTableHasItsDocumentedRecordLengthAndKeys) {
    // The packed record lengths of the data model; USERS is wider than the
    // historical 130 bytes because its password field holds a hash.
    const std::map<std::string, std::pair<int, int>> expected{
        {"ASSIGNMENT", {158, 18}}, {"PEOPLE", {326, 8}},    {"USERS", {130 - 10 + 128, 6}},
        {"USERPREF", {57, 1}},     {"SYSTEMPREF", {76, 0}}, {"REMINDER", {93, 4}},
        {"ANNIVERS", {75, 4}},     {"PROJECT", {56, 4}},    {"PROJASSGN", {53, 5}},
        {"PROJUSER", {49, 4}},     {"PEOUSER", {19, 1}},    {"GROUPNAME", {39, 3}},
        {"GROUPPEOPLE", {43, 5}},  {"USERASSGN", {30, 2}},  {"USERVIEW", {30, 2}},
        {"USERGROUPS", {38, 1}},   {"USGRPUSERS", {30, 2}},
    };
    ASSERT_EQ(allTables().size(), 17u);
    for (const store::TableDef* table : allTables()) {
        auto it = expected.find(table->label);
        ASSERT_NE(it, expected.end()) << table->label;
        EXPECT_EQ(table->recordLength(), it->second.first) << table->label;
        const auto modelKeys = std::count_if(table->keys.begin(), table->keys.end(),
                                             [](const store::KeyDef& k) { return !k.auxiliary; });
        EXPECT_EQ(static_cast<int>(modelKeys), it->second.second) << table->label;
        EXPECT_EQ(tableByLabel(table->label), table);
    }
    EXPECT_EQ(User::def().file, store::TableFile::Users);
}

TEST(TablesTest, MemosHaveTheirLimits) {
    std::map<std::string, int> memos;
    for (const store::TableDef* table : allTables())
        for (const store::FieldDef& f : table->fields)
            if (f.type == store::FieldType::Memo) memos[table->prefix + ":" + f.name] = f.width;
    EXPECT_EQ(memos, (std::map<std::string, int>{{"ASS:GENERALMEMO", 2000},
                                                 {"ASS:CONFMEMO", 1000},
                                                 {"ASS:ASSIGNMEMO", 2000},
                                                 {"ASS:LOG", 2000},
                                                 {"PEO:MAILADDRESS", 200},
                                                 {"PEO:COMMENTS", 2000},
                                                 {"PEO:CONFCOMMENTS", 2000},
                                                 {"USE:NOTES", 1000},
                                                 {"PRO:NOTE", 1000}}));
}

TEST(TablesTest, KeyNamesAreUniqueAcrossTheDataFile) {
    std::set<std::string> names;
    for (const store::TableDef* table : allTables())
        for (const store::KeyDef& key : table->keys) {
            EXPECT_TRUE(names.insert(key.sqlName()).second) << key.label;
            EXPECT_EQ(key.label.substr(0, table->prefix.size() + 1), table->prefix + ":")
                << key.label;
        }
}

TEST(TablesTest, DescendingAndUniqueFlagsFollowTheModel) {
    const store::KeyDef* close = Assignment::def().key("ASS:CLOSEDUEDATE_KEY");
    ASSERT_TRUE(close);
    ASSERT_EQ(close->components.size(), 2u);
    EXPECT_TRUE(close->components[0].descending);
    EXPECT_FALSE(close->components[1].descending);
    EXPECT_TRUE(Person::def().key("PEO:PRIMARY_KEY")->unique);
    EXPECT_FALSE(Person::def().key("PEO:SHORT_KEY")->unique);
    EXPECT_TRUE(UserAssign::def().key("USA:PRIMARY_KEY")->unique);
    EXPECT_FALSE(UserView::def().key("USV:PRIMARY_KEY")->unique);
    EXPECT_TRUE(User::def().key("USE:ACCESLEVEL_KEY")->components[0].descending);
}

TEST(TablesTest, RecordsRoundTripThroughRowsWithTextsUncut) {
    Assignment a;
    a.ASSIGNNUMBER = 42;
    a.NAME = "Name   ";
    a.SETDAYREPT = {1, 0, 1, 0, 0, 0, 1};
    a.PERSON = "ABCDEFGHIJKLMNOPQ";
    a.PRIORITY = 9;
    a.REPNUMBER = -3;
    a.LOG = "line\rline";
    Assignment back;
    back.fromRow(a.toRow());
    EXPECT_EQ(back.ASSIGNNUMBER, 42);
    EXPECT_EQ(back.NAME, "Name");  // trailing blanks are padding
    EXPECT_EQ(back.SETDAYREPT, a.SETDAYREPT);
    // Too long for its field, but not cut here: the store refuses it with a message.
    EXPECT_EQ(back.PERSON, "ABCDEFGHIJKLMNOPQ");
    EXPECT_EQ(back.REPNUMBER, -3);
    EXPECT_EQ(back.LOG, "line\rline");
    EXPECT_FALSE(back.sameValues(a));  // the blanks of NAME are gone
    a.NAME = "Name";
    EXPECT_TRUE(back.sameValues(a));
}

}  // namespace
}  // namespace tko
