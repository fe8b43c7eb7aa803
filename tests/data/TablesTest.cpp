#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>

#include "data/FieldWidth.h"
#include "data/Keys.h"
#include "data/SyncTables.h"
#include "data/Tables.h"

namespace tko {
namespace {

TEST(TablesTest, EveryTableHasItsDocumentedRecordLengthAndKeys) {
    // The packed record lengths of the data model; USERS is wider than the
    // historical 130 bytes because its password field holds a hash.
    const std::map<std::string, std::pair<int, int>> expected{
        {"ASSIGNMENT", {158, 18}}, {"PEOPLE", {326, 8}},     {"USERS", {130 - 10 + 128, 6}},
        {"USERPREF", {57, 1}},     {"SYSTEMPREF", {76, 0}},  {"REMINDER", {93, 4}},
        {"ANNIVERS", {75, 4}},     {"PROJECT", {56, 4}},     {"PROJASSGN", {53, 5}},
        {"PROJUSER", {49, 4}},     {"PEOUSER", {19, 1}},     {"GROUPNAME", {39, 3}},
        {"GROUPPEOPLE", {43, 5}},  {"USERASSGN", {30, 2}},   {"USERVIEW", {30, 2}},
        {"USERGROUPS", {38, 1}},   {"USGRPUSERS", {30, 2}},  {"SECURITY", {157, 1}},
        {"CALDAVUSER", {569, 1}},  {"CALDAVSYNC", {423, 1}}, {"MAILSETUP", {560, 0}},
        {"NOTICEPREF", {31, 1}},   {"OUTBOX", {422, 2}},     {"CALDAVPREF", {16, 1}},
    };
    ASSERT_EQ(allTables().size(), 24u);
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
    // '=' marks a text ordered letter for letter, and only that component.
    const store::KeyDef* exact = Assignment::def().key("ASS:EXACTPERSNAME_KEY");
    ASSERT_TRUE(exact);
    ASSERT_EQ(exact->components.size(), 4u);
    EXPECT_EQ(Assignment::def().fields[static_cast<size_t>(exact->components[0].field)].name,
              "PERSON");
    EXPECT_TRUE(exact->components[0].bytewise);
    EXPECT_FALSE(exact->components[0].descending);
    EXPECT_FALSE(exact->components[1].bytewise);
    EXPECT_FALSE(close->components[0].bytewise);
}

// Every key of the data model with its components in order ('-' marks a
// descending one) and its uniqueness, as the data model lists them; the
// program's auxiliary keys are checked apart.
TEST(TablesTest, EveryModelKeyHasItsComponentsInOrderAndItsUniqueness) {
    struct Expected {
        std::string components;
        bool unique;
    };
    const std::map<std::string, Expected> model{
        {"ASS:NUMBER_KEY", {"ASSIGNNUMBER", true}},
        {"ASS:PERSONNUMBER_KEY", {"PERSONNUMBER", false}},
        {"ASS:NAMENUMBER_KEY", {"PERSONNUMBER,PERSON", false}},
        {"ASS:NAME_KEY", {"NAME,DUEDATE,PRIORITY", false}},
        {"ASS:DUEDATE_KEY", {"DUEDATE,PRIORITY", false}},
        {"ASS:PRIORITY_KEY", {"PRIORITY,DUEDATE", false}},
        {"ASS:PERSONDATE_KEY", {"PERSON,DUEDATE,PRIORITY", false}},
        {"ASS:PERSONPRIORITY_KEY", {"PERSON,PRIORITY,DUEDATE", false}},
        {"ASS:CLOSEDUEDATE_KEY", {"-CLOSEDATE,DUEDATE", false}},
        {"ASS:SEENPERSON_KEY", {"SEEN,PERSON", false}},
        {"ASS:CLOSE_KEY", {"CLOSEDATE,PRIORITY,DUEDATE", false}},
        {"ASS:ASSIGNEDDATE_KEY", {"ASSIGNEDDATE,PRIORITY", false}},
        {"ASS:PRIORASSIGN_KEY", {"PRIORITY,ASSIGNEDDATE", false}},
        {"ASS:PEOPLEASSIGN_KEY", {"PERSON,ASSIGNEDDATE,PRIORITY", false}},
        {"ASS:PERSPRASSIGN_KEY", {"PERSON,PRIORITY,ASSIGNEDDATE", false}},
        {"ASS:CONCLPRIORITY_KEY", {"CLOSEDATE,PRIORITY", false}},
        {"ASS:PERSCONCLPRIORITY_KEY", {"PERSON,CLOSEDATE,PRIORITY", false}},
        {"ASS:PERSNUMDUEDATE_KEY", {"PERSONNUMBER,DUEDATE,PRIORITY", false}},
        {"PEO:SHORT_KEY", {"SHORTNAME", false}},
        {"PEO:SHORTTYPE_KEY", {"SHORTNAME,TYPE", false}},
        {"PEO:PRIMARY_KEY", {"SHORTNAME,USER", true}},
        {"PEO:LASTNAME_KEY", {"LASTNAME,FIRSTNAME,SHORTNAME", false}},
        {"PEO:DATE_KEY", {"DATE", false}},
        {"PEO:ORGANIZATION_KEY", {"ORGANIZATION,SHORTNAME", false}},
        {"PEO:PERSONNUMBER_KEY", {"PERSONNUMBER", true}},
        {"PEO:NUMBERNAME_KEY", {"PERSONNUMBER,SHORTNAME", false}},
        {"USE:USERNAME_KEY", {"USERNAME", true}},
        {"USE:DATE_KEY", {"DATECHANGED", false}},
        {"USE:LASTNAME_KEY", {"LASTNAME,FIRSTNAME", false}},
        {"USE:DEPARTMENT_KEY", {"DEPARTMENT,LASTNAME,FIRSTNAME", false}},
        {"USE:ACCESLEVEL_KEY", {"-ACCESSLEVEL", false}},
        {"USE:ACCESSLEVEL2_KEY", {"ACCESSLEVEL", false}},
        {"USP:USERNAME_KEY", {"USERNAME", true}},
        {"REM:DATE_KEY", {"DATE,ASSIGNNUMBER", false}},
        {"REM:REMINDERNUMBER_KEY", {"REMINDNUMBER", true}},
        {"REM:USER_KEY", {"USER", false}},
        {"REM:ASSIGNNUMBER_KEY", {"ASSIGNNUMBER", false}},
        {"ANN:DATEKEY", {"DAYOFYEAR,NUMBER", true}},
        {"ANN:PERSON_KEY", {"SHORTNAME,DAYOFYEAR", false}},
        {"ANN:NUMBER_KEY", {"NUMBER,DAYOFYEAR", false}},
        {"ANN:NAMENUMBER_KEY", {"NUMBER,SHORTNAME", false}},
        {"PRO:NAME_KEY", {"NAME", false}},
        {"PRO:NAMEUSER_KEY", {"NAME,USER", true}},
        {"PRO:AUTONUMBER_KEY", {"PROJNUMBER", true}},
        {"PRO:NUMBERNAME_KEY", {"PROJNUMBER,NAME", true}},
        {"PRA:PROJECT_KEY", {"NAME", false}},
        {"PRA:NUMBERNAME_KEY", {"PROJNUMBER,NAME", false}},
        {"PRA:PROJNUMBER_KEY", {"PROJNUMBER", false}},
        {"PRA:PRIMARY_KEY", {"PROJNUMBER,ASSIGNNUMBER", false}},
        {"PRA:ASSIGNMENT_KEY", {"ASSIGNNUMBER", false}},
        {"PRU:PROJECT_KEY", {"NAME", false}},
        {"PRU:NUMBER_KEY", {"PROJNUMBER", false}},
        {"PRU:USER_KEY", {"USER,PROJNUMBER", false}},
        {"PRU:NUMBERUSER_KEY", {"PROJNUMBER,USER", true}},
        {"PEU:PERSONNUMBER_KEY", {"PERSONNUMBER,USER", true}},
        {"GRO:GROUPNAME_KEY", {"GROUPNAME", false}},
        {"GRO:GROUPUSER_KEY", {"GROUPNAME,USER", true}},
        {"GRO:AUTONUMBER_KEY", {"GROUPNUMBER", true}},
        {"GRP:GROUPNAME_KEY", {"GROUPNAME,SHORTNAME", false}},
        {"GRP:PEOPLE_KEY", {"SHORTNAME", false}},
        {"GRP:GROUPNUMBER_KEY", {"GROUPNUMBER", false}},
        {"GRP:PERSONNUMBER_KEY", {"PERSONNUMBER", false}},
        {"GRP:NAMENUMBER_KEY", {"PERSONNUMBER,SHORTNAME", false}},
        {"USA:USERNAME_KEY", {"USERNAME", false}},
        {"USA:PRIMARY_KEY", {"USERNAME,USERNAME2", true}},
        {"USV:USERNAME_KEY", {"USERNAME", false}},
        {"USV:PRIMARY_KEY", {"USERNAME,USERNAME2", false}},
        {"USG:GROUP_KEY", {"GROUP", true}},
        {"UGU:GROUP_KEY", {"GROUP,USERNAME", true}},
        {"UGU:USERNAME_KEY", {"USERNAME,GROUP", true}},
        {"SEC:KIND_KEY", {"KIND,USERNAME", true}},
        {"CDU:USER_KEY", {"USERNAME", true}},
        {"CDP:USER_KEY", {"USERNAME", true}},
        {"CDS:USERASSIGN_KEY", {"USERNAME,ASSIGNNUMBER", true}},
        {"NTP:USERNAME_KEY", {"USERNAME", true}},
        {"OUT:STATE_KEY", {"STATE,NEXTDATE,NEXTTIME", false}},
        {"OUT:RECIPIENT_KEY", {"RECIPIENT,CREATEDDATE,CREATEDTIME", false}},
    };
    std::set<std::string> seen;
    for (const store::TableDef* table : allTables()) {
        for (const store::KeyDef& key : table->keys) {
            std::string components;
            for (const store::KeyComponent& c : key.components) {
                if (!components.empty()) components += ",";
                components +=
                    (c.descending ? "-" : "") + table->fields[static_cast<size_t>(c.field)].name;
            }
            auto it = model.find(key.label);
            if (key.auxiliary) {
                // An index of the program's own may not pose as a model key.
                EXPECT_EQ(it, model.end()) << key.label << " is a key of the data model";
                EXPECT_FALSE(key.unique) << key.label;
                continue;
            }
            ASSERT_NE(it, model.end()) << key.label << " is not a key of the data model";
            EXPECT_EQ(components, it->second.components) << key.label;
            EXPECT_EQ(key.unique, it->second.unique) << key.label;
            seen.insert(key.label);
        }
    }
    for (const auto& [label, expected] : model)
        EXPECT_TRUE(seen.count(label)) << label << " is missing";
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

// The key constants the code reads by and the keys the tables define must name
// the same keys: a constant without a key would fail every read along it, a
// key without a constant could only be reached by a literal again.
TEST(TablesTest, KeyConstantsNameExactlyTheDefinedKeys) {
    std::set<std::string> defined;
    for (const store::TableDef* table : allTables())
        for (const store::KeyDef& key : table->keys) defined.insert(key.label);
    std::set<std::string> constants;
    std::vector<const char*> labels(key::all.begin(), key::all.end());
    labels.insert(labels.end(), key::syncKeys.begin(), key::syncKeys.end());
    for (const char* label : labels) {
        EXPECT_TRUE(constants.insert(label).second) << "listed twice: " << label;
        EXPECT_TRUE(defined.count(label)) << "no such key: " << label;
    }
    for (const std::string& label : defined)
        EXPECT_TRUE(constants.count(label)) << "no constant for " << label;
    EXPECT_STREQ(key::ASS_CLOSEDUEDATE_KEY, "ASS:CLOSEDUEDATE_KEY");
    EXPECT_STREQ(key::ANN_DATEKEY, "ANN:DATEKEY");
}

// The widths the windows size their entries by come from the same field lists
// as the table definitions.
TEST(TablesTest, WidthConstantsAgreeWithTheTableDefinitions) {
    auto width = [](const store::TableDef& def, const char* field) {
        return def.fields.at(static_cast<size_t>(def.fieldIndex(field))).width;
    };
    EXPECT_EQ(Assignment::Width::NAME, 50);
    EXPECT_EQ(Assignment::Width::NAME, width(Assignment::def(), "NAME"));
    EXPECT_EQ(Assignment::Width::CONFMEMO, 1000);
    EXPECT_EQ(Assignment::Width::CONFMEMO, width(Assignment::def(), "CONFMEMO"));
    EXPECT_EQ(Assignment::Width::SETDAYREPT, 7);
    EXPECT_EQ(Person::Width::LASTNAME, 25);
    EXPECT_EQ(Person::Width::PHONENUMBER, width(Person::def(), "PHONENUMBER"));
    EXPECT_EQ(Reminder::Width::NOTE, 50);
    EXPECT_EQ(User::Width::USERNAME, 15);
    EXPECT_EQ(SystemPref::Width::TCF, width(SystemPref::def(), "TCF"));
}

// A text that does not fit is refused with its field's name; nothing is cut.
TEST(TablesTest, FieldWidthRefusalNamesTheField) {
    EXPECT_FALSE(checkFieldWidth("Comments", std::string(2000, 'x'), 2000));
    // Trailing blanks are padding, not content.
    EXPECT_FALSE(checkFieldWidth("Comments", std::string(2000, 'x') + "   ", 2000));
    const auto refused = checkFieldWidth("Comments", std::string(2001, 'x'), 2000);
    ASSERT_TRUE(refused);
    EXPECT_EQ(*refused, "Comments can hold at most 2000 characters.");
    // Characters, not bytes: 50 accented letters fit a 50-character field.
    std::string accented;
    for (int i = 0; i < 50; ++i) accented += "\xc3\xa9";
    EXPECT_FALSE(checkFieldWidth("Assignment", accented, 50));
    EXPECT_TRUE(checkFieldWidth("Assignment", accented + "\xc3\xa9", 50));
}

// One-line texts refuse control and text-direction characters, named; other
// scripts, accents and right-to-left letters themselves pass.
TEST(TablesTest, LineTextRefusesControlAndDirectionCharacters) {
    const std::pair<std::string, const char*> cases[] = {
        {"Anna", nullptr},
        {"J\xc3\xb6rg \xd7\xa9\xd7\x9c\xd7\x95\xd7\x9d", nullptr},  // Hebrew letters pass
        {"Anna\xe2\x80\xae", "U+202E"},                             // right-to-left override
        {"\xe2\x81\xa6x", "U+2066"},                                // left-to-right isolate
        {"a\xe2\x80\x8f", "U+200F"},                                // right-to-left mark
        {"Tab\there", "U+0009"},
        {"line\r\nbreak", "U+000D"},
        {"c1\xc2\x85", "U+0085"},
        {"del\x7f", "U+007F"},
        {"para\xe2\x80\xa9", "U+2029"},
        {"bad\xff utf8", nullptr},  // not UTF-8: left to the store
    };
    for (const auto& [text, named] : cases) {
        const auto refused = checkLineText("Name", text);
        EXPECT_EQ(refused.has_value(), named != nullptr) << text;
        if (refused && named) {
            EXPECT_EQ(*refused, "Name may not hold control or direction characters (" +
                                    std::string(named) + ").");
        }
    }
    // The store's guard: a field that brings one in is refused by its label;
    // one that keeps what it held passes.
    Assignment a;
    a.NAME = "Budget\xe2\x80\xae";
    const store::Status refused = checkRowText(Assignment::def(), a.toRow());
    EXPECT_EQ(refused.code, store::kInvalidArgument);
    EXPECT_EQ(refused.text, "ASS:NAME may not hold control or direction characters (U+202E).");
    const store::Row stored = a.toRow();
    a.PRIORITY = 3;
    EXPECT_TRUE(checkRowText(Assignment::def(), a.toRow(), &stored).ok());
    a.GENERALMEMO = "Memos\r\nkeep their lines";
    a.NAME = "Budget";
    EXPECT_TRUE(checkRowText(Assignment::def(), a.toRow()).ok());
}

}  // namespace
}  // namespace tko
