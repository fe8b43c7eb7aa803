#include "data/Tables.h"

#include "data/SyncTables.h"

#include <cstdio>
#include <cstdlib>
#include <initializer_list>

namespace tko {
namespace {

using store::FieldType;
using store::KeyDef;
using store::Row;
using store::TableDef;
using store::Value;

#define TKO_FT_LONG FieldType::Long
#define TKO_FT_SHORT FieldType::Short
#define TKO_FT_BYTE FieldType::Byte
#define TKO_FT_STRING FieldType::String
#define TKO_FT_BYTES FieldType::ByteArray
#define TKO_FT_MEMO FieldType::Memo
#define TKO_FIELD_DEF(name, kind, width) store::FieldDef{#name, TKO_FT_##kind, width},

// A key written as its label, uniqueness and component names; a component
// name may start with marks: '-' descending, '=' ordered letter for letter
// (a text compared bytewise, letter case counting; see KeyComponent), in
// either order ("-=NAME"). A misspelt name stops the program at once: it is a
// fault in this file, found by the first test run.
struct KeyLayout {
    const char* label;
    bool unique;
    std::initializer_list<const char*> components;
    bool auxiliary = false;
};

// The full-text indexes of the word search (views/Search.h): the texts a user
// searches by, the confidential comments in an index of their own, so that a
// search reads them only for those who may. The assignments' list texts also
// get a substring index for the lists' filter box (store::filterBoxFilter()):
// the only table whose lists grow to a million rows.
struct TextIndexLayout {
    const char* label;
    std::vector<const char*> columns;
    bool substrings = false;
};
std::vector<TextIndexLayout> textIndexLayouts(const std::string& label) {
    if (label == "ASSIGNMENT")
        return {{"ASS:TEXT", {"NAME", "GENERALMEMO", "ASSIGNMEMO", "LOG"}},
                {"ASS:CONFTEXT", {"CONFMEMO"}},
                {"ASS:LISTTEXT", {"NAME", "PERSON", "USERNAME"}, true}};
    if (label == "PEOPLE")
        return {{"PEO:TEXT",
                 {"SHORTNAME", "FIRSTNAME", "LASTNAME", "ORGANIZATION", "EMAIL", "PHONENUMBER",
                  "COMMENTS"}}};
    if (label == "PROJECT") return {{"PRO:TEXT", {"NAME", "NOTE"}}};
    return {};
}

TableDef makeTable(const char* label, const char* prefix, const char* storedName,
                   store::TableFile file, std::vector<store::FieldDef> fields,
                   std::initializer_list<KeyLayout> keys) {
    TableDef def{label, prefix, storedName, file, std::move(fields), {}, {}};
    for (const KeyLayout& given : keys) {
        KeyDef key{given.label, {}, given.unique, given.auxiliary};
        for (const char* name : given.components) {
            store::KeyComponent component;
            const char* field = name;
            for (; *field == '-' || *field == '='; ++field)
                (*field == '-' ? component.descending : component.bytewise) = true;
            component.field = def.fieldIndex(field);
            if (component.field < 0) {
                std::fprintf(stderr, "table %s: key %s names unknown field %s\n", label,
                             given.label, name);
                std::abort();
            }
            key.components.push_back(component);
        }
        def.keys.push_back(std::move(key));
    }
    for (const TextIndexLayout& wanted : textIndexLayouts(label)) {
        store::TextIndexDef index{wanted.label, {}, wanted.substrings};
        for (const char* column : wanted.columns) index.fields.push_back(def.fieldIndex(column));
        def.textIndexes.push_back(std::move(index));
    }
    return def;
}

// Conversions between member types and stored values.
Value toValue(std::int32_t v) {
    return std::int64_t{v};
}
Value toValue(std::int16_t v) {
    return std::int64_t{v};
}
Value toValue(std::uint8_t v) {
    return std::int64_t{v};
}
Value toValue(const std::string& v) {
    return v;
}
template <size_t N>
Value toValue(const std::array<std::uint8_t, N>& flags) {
    std::string text(N, '0');
    for (size_t i = 0; i < N; ++i) text[i] = static_cast<char>('0' + (flags[i] > 9 ? 1 : flags[i]));
    return text;
}

std::int64_t asInt(const Value& v) {
    if (const auto* i = std::get_if<std::int64_t>(&v)) return *i;
    return std::atoll(std::get<std::string>(v).c_str());
}
void fromValue(const Value& v, std::int32_t& out) {
    out = static_cast<std::int32_t>(asInt(v));
}
void fromValue(const Value& v, std::int16_t& out) {
    out = static_cast<std::int16_t>(asInt(v));
}
void fromValue(const Value& v, std::uint8_t& out) {
    out = static_cast<std::uint8_t>(asInt(v));
}
void fromValue(const Value& v, std::string& out) {
    if (const auto* s = std::get_if<std::string>(&v))
        out = *s;
    else
        out = std::to_string(std::get<std::int64_t>(v));
}
template <size_t N>
void fromValue(const Value& v, std::array<std::uint8_t, N>& flags) {
    const std::string* text = std::get_if<std::string>(&v);
    for (size_t i = 0; i < N; ++i)
        flags[i] = text && i < text->size() && (*text)[i] >= '0' && (*text)[i] <= '9'
                       ? static_cast<std::uint8_t>((*text)[i] - '0')
                       : 0;
}

namespace {
// A value as the record hands it to the store: numbers forced into their
// type, texts without their trailing blanks (padding, not text) but never cut.
Value bound(const store::FieldDef& field, const Value& value) {
    if (field.type != store::FieldType::String && field.type != store::FieldType::Memo)
        return store::normalise(field, value);
    if (const auto* text = std::get_if<std::string>(&value)) return store::rtrim(*text);
    return store::normalise(field, value);
}
}  // namespace

#define TKO_TO_ROW(name, kind, width) row.values.push_back(toValue(name));
#define TKO_FROM_ROW(name, kind, width) fromValue(row.values.at(i++), name);
#define TKO_SAME(name, kind, width) &&name == other.name

// Binding of a record struct to rows. Numbers are forced into their types;
// texts go as they are, so that the store refuses one too long for its field
// instead of cutting it unseen (callers clip deliberately where that is meant).
#define TKO_DEFINE_BINDING(Struct, FIELDS)                     \
    Row Struct::toRow() const {                                \
        Row row;                                               \
        row.pos = rowPos;                                      \
        row.version = rowVersion;                              \
        FIELDS(TKO_TO_ROW)                                     \
        const TableDef& d = def();                             \
        for (size_t f = 0; f < row.values.size(); ++f)         \
            row.values[f] = bound(d.fields[f], row.values[f]); \
        return row;                                            \
    }                                                          \
    void Struct::fromRow(const Row& row) {                     \
        size_t i = 0;                                          \
        FIELDS(TKO_FROM_ROW)                                   \
        rowPos = row.pos;                                      \
        rowVersion = row.version;                              \
    }                                                          \
    bool Struct::sameValues(const Struct& other) const {       \
        return true FIELDS(TKO_SAME);                          \
    }

#define TKO_DEFINE_TABLE(Struct, FIELDS, label, prefix, stored, file, ...)                     \
    const TableDef& Struct::def() {                                                            \
        static const TableDef table = makeTable(label, prefix, stored, store::TableFile::file, \
                                                {FIELDS(TKO_FIELD_DEF)}, __VA_ARGS__);         \
        return table;                                                                          \
    }                                                                                          \
    TKO_DEFINE_BINDING(Struct, FIELDS)

}  // namespace

TKO_DEFINE_TABLE(
    Assignment, TKO_ASSIGNMENT_FIELDS, "ASSIGNMENT", "ASS", "ASSIGNME", Data,
    {{"ASS:NUMBER_KEY", true, {"ASSIGNNUMBER"}},
     {"ASS:PERSONNUMBER_KEY", false, {"PERSONNUMBER"}},
     {"ASS:NAMENUMBER_KEY", false, {"PERSONNUMBER", "PERSON"}},
     {"ASS:NAME_KEY", false, {"NAME", "DUEDATE", "PRIORITY"}},
     {"ASS:DUEDATE_KEY", false, {"DUEDATE", "PRIORITY"}},
     {"ASS:PRIORITY_KEY", false, {"PRIORITY", "DUEDATE"}},
     {"ASS:PERSONDATE_KEY", false, {"PERSON", "DUEDATE", "PRIORITY"}},
     {"ASS:PERSONPRIORITY_KEY", false, {"PERSON", "PRIORITY", "DUEDATE"}},
     {"ASS:CLOSEDUEDATE_KEY", false, {"-CLOSEDATE", "DUEDATE"}},
     {"ASS:SEENPERSON_KEY", false, {"SEEN", "PERSON"}},
     {"ASS:CLOSE_KEY", false, {"CLOSEDATE", "PRIORITY", "DUEDATE"}},
     {"ASS:ASSIGNEDDATE_KEY", false, {"ASSIGNEDDATE", "PRIORITY"}},
     {"ASS:PRIORASSIGN_KEY", false, {"PRIORITY", "ASSIGNEDDATE"}},
     {"ASS:PEOPLEASSIGN_KEY", false, {"PERSON", "ASSIGNEDDATE", "PRIORITY"}},
     {"ASS:PERSPRASSIGN_KEY", false, {"PERSON", "PRIORITY", "ASSIGNEDDATE"}},
     {"ASS:CONCLPRIORITY_KEY", false, {"CLOSEDATE", "PRIORITY"}},
     {"ASS:PERSCONCLPRIORITY_KEY", false, {"PERSON", "CLOSEDATE", "PRIORITY"}},
     {"ASS:PERSNUMDUEDATE_KEY", false, {"PERSONNUMBER", "DUEDATE", "PRIORITY"}},
     // Auxiliary: with PERSONDATE_KEY and PERSONPRIORITY_KEY these let
     // "given to or by a user" lists read just that user's rows, in
     // due-date, priority or person order.
     {"ASS:USERDATE_KEY", false, {"USERNAME", "DUEDATE", "PRIORITY"}, true},
     {"ASS:USERPRIORITY_KEY", false, {"USERNAME", "PRIORITY", "DUEDATE"}, true},
     {"ASS:USERPERSON_KEY", false, {"USERNAME", "PERSON", "DUEDATE", "PRIORITY"}, true},
     // Auxiliary: the schedule views read one person's, one user's or one
     // group member's rows in name, person/priority, date-assigned, priority
     // or date-concluded order as index ranges.
     {"ASS:PERSONNAME_KEY", false, {"PERSON", "NAME", "DUEDATE", "PRIORITY"}, true},
     {"ASS:USERNAMENAME_KEY", false, {"USERNAME", "NAME", "DUEDATE", "PRIORITY"}, true},
     {"ASS:USERPERSPRIORITY_KEY", false, {"USERNAME", "PERSON", "PRIORITY", "DUEDATE"}, true},
     {"ASS:USERASSIGN_KEY", false, {"USERNAME", "ASSIGNEDDATE", "PRIORITY"}, true},
     {"ASS:USERPRASSIGN_KEY", false, {"USERNAME", "PRIORITY", "ASSIGNEDDATE"}, true},
     {"ASS:USERPEOPLEASSIGN_KEY", false, {"USERNAME", "PERSON", "ASSIGNEDDATE", "PRIORITY"}, true},
     {"ASS:USERCONCL_KEY", false, {"USERNAME", "CLOSEDATE", "PRIORITY"}, true},
     // The group screens' name tab reads along NAMENUMBER_KEY: one user's
     // rows in that order.
     {"ASS:USERNAMENUMBER_KEY", false, {"USERNAME", "PERSONNUMBER", "PERSON"}, true},
     // History's date-concluded tab reads each repeat type's rows in
     // date-concluded order: the rows that do not repeat as the range of
     // their period alone.
     {"ASS:REPEATCONCL_KEY", false, {"REPEATTYPE", "CLOSEDATE", "PRIORITY"}, true},
     // One person's rows in NAMENUMBER_KEY order (the group screens' name tab).
     {"ASS:PERSONPERSNUM_KEY", false, {"PERSON", "PERSONNUMBER"}, true},
     // History's group tabs read each member's rows of each repeat type as a
     // range in the tab's order, so that the rows that do not repeat are read
     // only within the period.
     {"ASS:PERSREPASSIGN_KEY", false, {"PERSON", "REPEATTYPE", "ASSIGNEDDATE", "PRIORITY"}, true},
     {"ASS:PERSREPPRIORITY_KEY", false, {"PERSON", "REPEATTYPE", "PRIORITY", "ASSIGNEDDATE"}, true},
     {"ASS:PERSREPCONCL_KEY", false, {"PERSON", "REPEATTYPE", "CLOSEDATE", "PRIORITY"}, true},
     {"ASS:PERSREPNUMBER_KEY", false, {"PERSON", "REPEATTYPE", "PERSONNUMBER"}, true},
     // The group screens of a user who does not see everybody's work read the
     // rows given by the user to each member as a range in the tab's order.
     {"ASS:USERPERSPRASSIGN_KEY", false, {"USERNAME", "PERSON", "PRIORITY", "ASSIGNEDDATE"}, true},
     {"ASS:USERPERSCONCL_KEY", false, {"USERNAME", "PERSON", "CLOSEDATE", "PRIORITY"}, true},
     {"ASS:USERPERSNUMBER_KEY", false, {"USERNAME", "PERSON", "PERSONNUMBER"}, true},
     {"ASS:USERPERSNAME_KEY", false, {"USERNAME", "PERSON", "NAME", "DUEDATE", "PRIORITY"}, true},
     // History (General) of a user who sees only his own rows reads the rows
     // he gave of each repeat type as a range in date-assigned, priority or
     // date-concluded order (PERSREPASSIGN_KEY, PERSREPPRIORITY_KEY and
     // PERSREPCONCL_KEY those given to him).
     {"ASS:USERREPASSIGN_KEY", false, {"USERNAME", "REPEATTYPE", "ASSIGNEDDATE", "PRIORITY"}, true},
     {"ASS:USERREPPRIORITY_KEY",
      false,
      {"USERNAME", "REPEATTYPE", "PRIORITY", "ASSIGNEDDATE"},
      true},
     {"ASS:USERREPCONCL_KEY", false, {"USERNAME", "REPEATTYPE", "CLOSEDATE", "PRIORITY"}, true},
     // Look Forward (Person) lists a person's rows by name matching the
     // person letter for letter: that spelling's rows as one range, in name
     // order, rather than every spelling's rows tested one by one.
     {"ASS:EXACTPERSNAME_KEY", false, {"=PERSON", "NAME", "DUEDATE", "PRIORITY"}, true}})

TKO_DEFINE_TABLE(Person, TKO_PEOPLE_FIELDS, "PEOPLE", "PEO", "PEOPLE", Data,
                 {{"PEO:SHORT_KEY", false, {"SHORTNAME"}},
                  {"PEO:SHORTTYPE_KEY", false, {"SHORTNAME", "TYPE"}},
                  {"PEO:PRIMARY_KEY", true, {"SHORTNAME", "USER"}},
                  {"PEO:LASTNAME_KEY", false, {"LASTNAME", "FIRSTNAME", "SHORTNAME"}},
                  {"PEO:DATE_KEY", false, {"DATE"}},
                  {"PEO:ORGANIZATION_KEY", false, {"ORGANIZATION", "SHORTNAME"}},
                  {"PEO:PERSONNUMBER_KEY", true, {"PERSONNUMBER"}},
                  {"PEO:NUMBERNAME_KEY", false, {"PERSONNUMBER", "SHORTNAME"}}})

TKO_DEFINE_TABLE(User, TKO_USERS_FIELDS, "USERS", "USE", "USERS", Users,
                 {{"USE:USERNAME_KEY", true, {"USERNAME"}},
                  {"USE:DATE_KEY", false, {"DATECHANGED"}},
                  {"USE:LASTNAME_KEY", false, {"LASTNAME", "FIRSTNAME"}},
                  {"USE:DEPARTMENT_KEY", false, {"DEPARTMENT", "LASTNAME", "FIRSTNAME"}},
                  {"USE:ACCESLEVEL_KEY", false, {"-ACCESSLEVEL"}},
                  {"USE:ACCESSLEVEL2_KEY", false, {"ACCESSLEVEL"}}})

TKO_DEFINE_TABLE(UserPref, TKO_USERPREF_FIELDS, "USERPREF", "USP", "USERPREF", Data,
                 {{"USP:USERNAME_KEY", true, {"USERNAME"}}})

TKO_DEFINE_TABLE(SystemPref, TKO_SYSTEMPREF_FIELDS, "SYSTEMPREF", "SYP", "SYSTEMPR", Data, {})

TKO_DEFINE_TABLE(Reminder, TKO_REMINDER_FIELDS, "REMINDER", "REM", "REMINDER", Data,
                 {{"REM:DATE_KEY", false, {"DATE", "ASSIGNNUMBER"}},
                  {"REM:REMINDERNUMBER_KEY", true, {"REMINDNUMBER"}},
                  {"REM:USER_KEY", false, {"USER"}},
                  {"REM:ASSIGNNUMBER_KEY", false, {"ASSIGNNUMBER"}},
                  // Auxiliary: one user's reminders in date order.
                  {"REM:USERDATE_KEY", false, {"USER", "DATE", "ASSIGNNUMBER"}, true}})

TKO_DEFINE_TABLE(Anniversary, TKO_ANNIVERS_FIELDS, "ANNIVERS", "ANN", "ANNIVERS", Data,
                 {{"ANN:DATEKEY", true, {"DAYOFYEAR", "NUMBER"}},
                  {"ANN:PERSON_KEY", false, {"SHORTNAME", "DAYOFYEAR"}},
                  {"ANN:NUMBER_KEY", false, {"NUMBER", "DAYOFYEAR"}},
                  {"ANN:NAMENUMBER_KEY", false, {"NUMBER", "SHORTNAME"}}})

TKO_DEFINE_TABLE(Project, TKO_PROJECT_FIELDS, "PROJECT", "PRO", "PROJECT", Data,
                 {{"PRO:NAME_KEY", false, {"NAME"}},
                  {"PRO:NAMEUSER_KEY", true, {"NAME", "USER"}},
                  {"PRO:AUTONUMBER_KEY", true, {"PROJNUMBER"}},
                  {"PRO:NUMBERNAME_KEY", true, {"PROJNUMBER", "NAME"}}})

TKO_DEFINE_TABLE(ProjAssign, TKO_PROJASSGN_FIELDS, "PROJASSGN", "PRA", "PROJASSG", Data,
                 {{"PRA:PROJECT_KEY", false, {"NAME"}},
                  {"PRA:NUMBERNAME_KEY", false, {"PROJNUMBER", "NAME"}},
                  {"PRA:PROJNUMBER_KEY", false, {"PROJNUMBER"}},
                  {"PRA:PRIMARY_KEY", false, {"PROJNUMBER", "ASSIGNNUMBER"}},
                  {"PRA:ASSIGNMENT_KEY", false, {"ASSIGNNUMBER"}}})

TKO_DEFINE_TABLE(ProjUser, TKO_PROJUSER_FIELDS, "PROJUSER", "PRU", "PROJUSER", Data,
                 {{"PRU:PROJECT_KEY", false, {"NAME"}},
                  {"PRU:NUMBER_KEY", false, {"PROJNUMBER"}},
                  {"PRU:USER_KEY", false, {"USER", "PROJNUMBER"}},
                  {"PRU:NUMBERUSER_KEY", true, {"PROJNUMBER", "USER"}}})

TKO_DEFINE_TABLE(PeoUser, TKO_PEOUSER_FIELDS, "PEOUSER", "PEU", "PEOUSER", Data,
                 {{"PEU:PERSONNUMBER_KEY", true, {"PERSONNUMBER", "USER"}}})

TKO_DEFINE_TABLE(GroupName, TKO_GROUPNAME_FIELDS, "GROUPNAME", "GRO", "GROUPNAM", Data,
                 {{"GRO:GROUPNAME_KEY", false, {"GROUPNAME"}},
                  {"GRO:GROUPUSER_KEY", true, {"GROUPNAME", "USER"}},
                  {"GRO:AUTONUMBER_KEY", true, {"GROUPNUMBER"}}})

TKO_DEFINE_TABLE(GroupPeople, TKO_GROUPPEOPLE_FIELDS, "GROUPPEOPLE", "GRP", "GROUPPEO", Data,
                 {{"GRP:GROUPNAME_KEY", false, {"GROUPNAME", "SHORTNAME"}},
                  {"GRP:PEOPLE_KEY", false, {"SHORTNAME"}},
                  {"GRP:GROUPNUMBER_KEY", false, {"GROUPNUMBER"}},
                  {"GRP:PERSONNUMBER_KEY", false, {"PERSONNUMBER"}},
                  {"GRP:NAMENUMBER_KEY", false, {"PERSONNUMBER", "SHORTNAME"}}})

TKO_DEFINE_TABLE(UserAssign, TKO_USERASSGN_FIELDS, "USERASSGN", "USA", "USERASSG", Data,
                 {{"USA:USERNAME_KEY", false, {"USERNAME"}},
                  {"USA:PRIMARY_KEY", true, {"USERNAME", "USERNAME2"}}})

TKO_DEFINE_TABLE(UserView, TKO_USERVIEW_FIELDS, "USERVIEW", "USV", "USERVIEW", Data,
                 {{"USV:USERNAME_KEY", false, {"USERNAME"}},
                  {"USV:PRIMARY_KEY", false, {"USERNAME", "USERNAME2"}}})

TKO_DEFINE_TABLE(UserGroup, TKO_USERGROUPS_FIELDS, "USERGROUPS", "USG", "USERGROU", Data,
                 {{"USG:GROUP_KEY", true, {"GROUP"}}})

TKO_DEFINE_TABLE(UserGroupUser, TKO_USGRPUSERS_FIELDS, "USGRPUSERS", "UGU", "USGRPUSE", Data,
                 {{"UGU:GROUP_KEY", true, {"GROUP", "USERNAME"}},
                  {"UGU:USERNAME_KEY", true, {"USERNAME", "GROUP"}}})

// Added after the first offices were made: opening creates it in a store
// that lacks it.
TKO_DEFINE_TABLE(Security, TKO_SECURITY_FIELDS, "SECURITY", "SEC", "SECURITY", Users,
                 {{"SEC:KIND_KEY", true, {"KIND", "USERNAME"}}})

// Added for calendar sync; opening creates them in a store that lacks them.
TKO_DEFINE_TABLE(CaldavUser, TKO_CALDAVUSER_FIELDS, "CALDAVUSER", "CDU", "CALDAVUS", Data,
                 {{"CDU:USER_KEY", true, {"USERNAME"}}})
TKO_DEFINE_TABLE(CaldavPref, TKO_CALDAVPREF_FIELDS, "CALDAVPREF", "CDP", "CALDAVPR", Data,
                 {{"CDP:USER_KEY", true, {"USERNAME"}}})
TKO_DEFINE_TABLE(CaldavSync, TKO_CALDAVSYNC_FIELDS, "CALDAVSYNC", "CDS", "CALDAVSY", Data,
                 {{"CDS:USERASSIGN_KEY", true, {"USERNAME", "ASSIGNNUMBER"}}})

// The mail notices' tables, added later like SECURITY.
TKO_DEFINE_TABLE(MailSetup, TKO_MAILSETUP_FIELDS, "MAILSETUP", "MLS", "MAILSETU", Data, {})
TKO_DEFINE_TABLE(NoticePref, TKO_NOTICEPREF_FIELDS, "NOTICEPREF", "NTP", "NOTICEPR", Data,
                 {{"NTP:USERNAME_KEY", true, {"USERNAME"}}})
TKO_DEFINE_TABLE(Outbox, TKO_OUTBOX_FIELDS, "OUTBOX", "OUT", "OUTBOX", Data,
                 {{"OUT:STATE_KEY", false, {"STATE", "NEXTDATE", "NEXTTIME"}},
                  {"OUT:RECIPIENT_KEY", false, {"RECIPIENT", "CREATEDDATE", "CREATEDTIME"}}})

const std::vector<const TableDef*>& allTables() {
    static const std::vector<const TableDef*> tables{
        &Assignment::def(), &Person::def(),      &UserPref::def(),   &SystemPref::def(),
        &Reminder::def(),   &Anniversary::def(), &Project::def(),    &ProjAssign::def(),
        &ProjUser::def(),   &PeoUser::def(),     &GroupName::def(),  &GroupPeople::def(),
        &UserAssign::def(), &UserView::def(),    &UserGroup::def(),  &UserGroupUser::def(),
        &CaldavUser::def(), &CaldavPref::def(),  &CaldavSync::def(), &Security::def(),
        &MailSetup::def(),  &NoticePref::def(),  &Outbox::def(),     &User::def()};
    return tables;
}

bool isLaterTable(const TableDef& table) {
    return &table == &Security::def() || &table == &CaldavUser::def() ||
           &table == &CaldavPref::def() || &table == &CaldavSync::def() ||
           &table == &MailSetup::def() || &table == &NoticePref::def() || &table == &Outbox::def();
}

const TableDef* tableByLabel(const std::string& label) {
    for (const TableDef* t : allTables())
        if (t->label == label) return t;
    return nullptr;
}

}  // namespace tko
