#include "data/Integrity.h"

#include "data/FieldWidth.h"

#include "data/Keys.h"
#include "data/SyncTables.h"

#include <algorithm>
#include <functional>

namespace tko {
namespace {

using store::Filter;
using store::Row;
using store::TableDef;
using store::Value;
using FieldPairs = std::vector<std::pair<const char*, const char*>>;  // {parent field, child field}

// One child table of a parent, as a delete or a change reaches it.
struct Link {
    const char* child;
    const char* key;                // the child key the children are read along
    FieldPairs match;               // children carry these parent values
    FieldPairs alsoSet;             // further parent values copied into rewritten children
    std::vector<const char*> when;  // parent fields whose change makes a rewrite (default: match)
    // Children that stay although they match (e.g. another user's private person).
    std::function<Filter(const TableDef& parentDef, const Row& parent)> spare;
};

struct Cascade {
    const char* parent;
    std::vector<Link> onDelete;
    std::vector<Link> onChange;
};

Value field(const TableDef& def, const Row& row, const char* name) {
    return row.values.at(static_cast<size_t>(def.fieldIndex(name)));
}

// Only the user's own entry (type "User", owned by the user, short name his
// name) goes with a user or follows his rename. Any other person who shares
// the name, in particular another user's Private person, is somebody else's
// and stays as he is.
Filter notTheUsersOwnPerson(const TableDef& users, const Row& user) {
    const Value name = field(users, user, "USERNAME");
    return store::negate(store::allOf({store::eq("TYPE", std::string("User")),
                                       store::same("USER", name), store::same("SHORTNAME", name)}));
}

// Group memberships of such another person stay as well.
Filter othersMemberships(const TableDef& users, const Row& user) {
    return store::exists(Person::def(), {{"PERSONNUMBER", "PERSONNUMBER"}},
                         notTheUsersOwnPerson(users, user));
}

// A link from USERS to a column that names a user: the rows that name the
// user follow his rename.
Link namesUser(const char* child, const char* key, const char* column) {
    return {child, key, {{"USERNAME", column}}, {}, {}, nullptr};
}

const std::vector<Cascade>& cascades() {
    static const std::vector<Cascade> table{
        {"USERS",
         {{"GROUPPEOPLE",
           key::GRP_PEOPLE_KEY,
           {{"USERNAME", "SHORTNAME"}},
           {},
           {},
           othersMemberships},
          {"PEOPLE", key::PEO_SHORT_KEY, {{"USERNAME", "SHORTNAME"}}, {}, {}, notTheUsersOwnPerson},
          {"USERASSGN", key::USA_USERNAME_KEY, {{"USERNAME", "USERNAME"}}, {}, {}, nullptr},
          {"USERPREF", key::USP_USERNAME_KEY, {{"USERNAME", "USERNAME"}}, {}, {}, nullptr},
          {"USERVIEW", key::USV_USERNAME_KEY, {{"USERNAME", "USERNAME"}}, {}, {}, nullptr},
          {"USGRPUSERS", key::UGU_USERNAME_KEY, {{"USERNAME", "USERNAME"}}, {}, {}, nullptr},
          namesUser("SECURITY", key::SEC_KIND_KEY, "USERNAME"),
          // His calendar account and what his calendar was last sent.
          namesUser("CALDAVUSER", key::CDU_USER_KEY, "USERNAME"),
          namesUser("CALDAVPREF", key::CDP_USER_KEY, "USERNAME"),
          namesUser("CALDAVSYNC", key::CDS_USERASSIGN_KEY, "USERNAME"),
          // His choice of notices by mail and the notices still for him.
          namesUser("NOTICEPREF", key::NTP_USERNAME_KEY, "USERNAME"),
          namesUser("OUTBOX", key::OUT_RECIPIENT_KEY, "RECIPIENT")},
         {{"GROUPPEOPLE",
           key::GRP_PEOPLE_KEY,
           {{"USERNAME", "SHORTNAME"}},
           {},
           {},
           othersMemberships},
          {"PEOPLE", key::PEO_SHORT_KEY, {{"USERNAME", "SHORTNAME"}}, {}, {}, notTheUsersOwnPerson},
          {"USERASSGN", key::USA_USERNAME_KEY, {{"USERNAME", "USERNAME"}}, {}, {}, nullptr},
          {"USERVIEW", key::USV_USERNAME_KEY, {{"USERNAME", "USERNAME"}}, {}, {}, nullptr},
          {"USGRPUSERS", key::UGU_USERNAME_KEY, {{"USERNAME", "USERNAME"}}, {}, {}, nullptr},
          {"USERPREF", key::USP_USERNAME_KEY, {{"USERNAME", "USERNAME"}}, {}, {}, nullptr},
          // Every other record that names the user: the work he gave, his
          // reminders (and those about work given to him), the people, group
          // lists and projects he owns, the project links he made and the
          // limited people and projects he is listed for.
          namesUser("ASSIGNMENT", key::ASS_USERDATE_KEY, "USERNAME"),
          namesUser("REMINDER", key::REM_USER_KEY, "USER"),
          namesUser("REMINDER", key::REM_REMINDERNUMBER_KEY, "PERSON"),
          namesUser("PEOPLE", key::PEO_PERSONNUMBER_KEY, "USER"),
          namesUser("GROUPNAME", key::GRO_AUTONUMBER_KEY, "USER"),
          namesUser("PROJECT", key::PRO_AUTONUMBER_KEY, "USER"),
          namesUser("PROJASSGN", key::PRA_PRIMARY_KEY, "USER"),
          namesUser("PROJUSER", key::PRU_USER_KEY, "USER"),
          namesUser("PEOUSER", key::PEU_PERSONNUMBER_KEY, "USER"),
          // His count of wrong passwords, his calendar account and sync rows.
          namesUser("SECURITY", key::SEC_KIND_KEY, "USERNAME"),
          namesUser("CALDAVUSER", key::CDU_USER_KEY, "USERNAME"),
          namesUser("CALDAVPREF", key::CDP_USER_KEY, "USERNAME"),
          namesUser("CALDAVSYNC", key::CDS_USERASSIGN_KEY, "USERNAME"),
          // His choice of notices by mail, the notices for him and those he caused.
          namesUser("NOTICEPREF", key::NTP_USERNAME_KEY, "USERNAME"),
          namesUser("OUTBOX", key::OUT_RECIPIENT_KEY, "RECIPIENT"),
          namesUser("OUTBOX", key::OUT_STATE_KEY, "CREATEDBY")}},
        {"USERGROUPS",
         {{"USGRPUSERS", key::UGU_GROUP_KEY, {{"GROUP", "GROUP"}}, {}, {}, nullptr}},
         {{"USGRPUSERS", key::UGU_GROUP_KEY, {{"GROUP", "GROUP"}}, {}, {}, nullptr}}},
        {"PEOPLE",
         {{"ANNIVERS",
           key::ANN_NAMENUMBER_KEY,
           {{"PERSONNUMBER", "NUMBER"}, {"SHORTNAME", "SHORTNAME"}},
           {},
           {},
           nullptr},
          {"GROUPPEOPLE",
           key::GRP_NAMENUMBER_KEY,
           {{"PERSONNUMBER", "PERSONNUMBER"}, {"SHORTNAME", "SHORTNAME"}},
           {},
           {},
           nullptr},
          {"PEOUSER",
           key::PEU_PERSONNUMBER_KEY,
           {{"PERSONNUMBER", "PERSONNUMBER"}},
           {},
           {},
           nullptr}},
         {{"ANNIVERS",
           key::ANN_NAMENUMBER_KEY,
           {{"PERSONNUMBER", "NUMBER"}, {"SHORTNAME", "SHORTNAME"}},
           {},
           {},
           nullptr},
          {"ASSIGNMENT",
           key::ASS_NAMENUMBER_KEY,
           {{"PERSONNUMBER", "PERSONNUMBER"}, {"SHORTNAME", "PERSON"}},
           {},
           {},
           nullptr},
          {"GROUPPEOPLE",
           key::GRP_NAMENUMBER_KEY,
           {{"PERSONNUMBER", "PERSONNUMBER"}, {"SHORTNAME", "SHORTNAME"}},
           {},
           {},
           nullptr},
          {"PEOUSER",
           key::PEU_PERSONNUMBER_KEY,
           {{"PERSONNUMBER", "PERSONNUMBER"}},
           {},
           {"PERSONNUMBER"},
           nullptr}}},
        {"PROJECT",
         {{"PROJASSGN",
           key::PRA_NUMBERNAME_KEY,
           {{"PROJNUMBER", "PROJNUMBER"}, {"NAME", "NAME"}},
           {},
           {},
           nullptr},
          {"PROJUSER", key::PRU_NUMBER_KEY, {{"PROJNUMBER", "PROJNUMBER"}}, {}, {}, nullptr}},
         {{"PROJASSGN",
           key::PRA_NUMBERNAME_KEY,
           {{"PROJNUMBER", "PROJNUMBER"}, {"NAME", "NAME"}},
           {},
           {},
           nullptr},
          // The project name is copied too, so that the users list never shows
          // a name the project no longer has.
          {"PROJUSER",
           key::PRU_NUMBER_KEY,
           {{"PROJNUMBER", "PROJNUMBER"}},
           {{"NAME", "NAME"}},
           {"PROJNUMBER", "NAME"},
           nullptr}}},
        {"GROUPNAME",
         {{"GROUPPEOPLE",
           key::GRP_GROUPNUMBER_KEY,
           {{"GROUPNUMBER", "GROUPNUMBER"}},
           {},
           {},
           nullptr}},
         // Members carry the group's name as well as its number; both follow.
         {{"GROUPPEOPLE",
           key::GRP_GROUPNUMBER_KEY,
           {{"GROUPNUMBER", "GROUPNUMBER"}},
           {{"GROUPNAME", "GROUPNAME"}},
           {"GROUPNUMBER", "GROUPNAME"},
           nullptr}}},
        {"ASSIGNMENT",
         {{"PROJASSGN",
           key::PRA_ASSIGNMENT_KEY,
           {{"ASSIGNNUMBER", "ASSIGNNUMBER"}},
           {},
           {},
           nullptr},
          {"REMINDER",
           key::REM_ASSIGNNUMBER_KEY,
           {{"ASSIGNNUMBER", "ASSIGNNUMBER"}},
           {},
           {},
           nullptr}},
         {{"PROJASSGN",
           key::PRA_ASSIGNMENT_KEY,
           {{"ASSIGNNUMBER", "ASSIGNNUMBER"}},
           {},
           {},
           nullptr},
          {"REMINDER",
           key::REM_ASSIGNNUMBER_KEY,
           {{"ASSIGNNUMBER", "ASSIGNNUMBER"}},
           {},
           {},
           nullptr}}},
    };
    return table;
}

const Cascade* cascadeOf(const TableDef& table) {
    for (const Cascade& c : cascades())
        if (table.label == c.parent) return &c;
    return nullptr;
}

void collectTables(const TableDef& table, bool forDelete, std::vector<std::string>& out) {
    if (std::find(out.begin(), out.end(), table.label) != out.end()) return;
    out.push_back(table.label);
    if (const Cascade* c = cascadeOf(table))
        for (const Link& link : forDelete ? c->onDelete : c->onChange)
            collectTables(*tableByLabel(link.child), forDelete, out);
}

// Children of `parent` along the link, selected by the parent's values in `values`.
store::Status readChildren(Database& db, const TableDef& parentDef, const Row& values,
                           const Link& link, std::vector<Row>& out) {
    const TableDef& child = *tableByLabel(link.child);
    std::vector<Filter> conditions;
    store::ReadRequest request;
    request.key = child.key(link.key);
    // A user name is an identity: the rows of a user are those that name him
    // letter for letter. The case-free equality keeps the read on the key's
    // range.
    const bool exact = parentDef.label == User::def().label;
    for (const auto& [parentField, childField] : link.match) {
        const Value value = field(parentDef, values, parentField);
        conditions.push_back(store::eq(childField, value));
        if (exact) conditions.push_back(store::same(childField, value));
    }
    if (link.spare) conditions.push_back(store::negate(link.spare(parentDef, values)));
    request.filter = store::allOf(std::move(conditions));
    request.limit = 500;
    out.clear();
    for (;;) {
        std::vector<Row> page;
        store::Status s = db.engine().read(child, request, page);
        if (s.endOfRange()) return store::Status::success();
        if (!s.ok()) return db.track(s);
        out.insert(out.end(), page.begin(), page.end());
        if (static_cast<int>(page.size()) < request.limit) return store::Status::success();
        request.from = store::KeyPosition::continuing(store::keyValuesOf(*request.key, page.back()),
                                                      page.back().pos);
    }
}

class OpenTables {
public:
    OpenTables(Database& db, std::vector<std::string> labels)
        : m_db(db), m_labels(std::move(labels)) {
        for (const std::string& l : m_labels) m_db.openTable(l);
    }
    ~OpenTables() {
        for (const std::string& l : m_labels) m_db.closeTable(l);
    }

private:
    Database& m_db;
    std::vector<std::string> m_labels;
};

// Rolls back the transaction this operation began and reports `message`.
Outcome fail(Database& db, StandardMessage message, bool begun = true) {
    // A failed outermost commit has already rolled back by itself.
    if (begun && db.engine().transactionDepth() > 0) db.rollback();
    Outcome outcome;
    outcome.kind = Outcome::Failed;
    outcome.message = std::move(message);
    return outcome;
}

std::optional<StandardMessage> deleteChildren(Database& db, const TableDef& parentDef,
                                              const Row& parent) {
    const Cascade* cascade = cascadeOf(parentDef);
    if (!cascade) return std::nullopt;
    for (const Link& link : cascade->onDelete) {
        const TableDef& child = *tableByLabel(link.child);
        std::vector<Row> rows;
        if (!readChildren(db, parentDef, parent, link, rows).ok())
            return standardMessage(35, db.lastError().describe(), child.label, {}, kReadErrorStays);
        for (const Row& row : rows) {
            if (auto message = deleteChildren(db, child, row)) return message;
            if (!db.track(db.engine().remove(child, row.pos)).ok())
                return standardMessage(17, db.lastError().describe(), child.label);
        }
    }
    return std::nullopt;
}

// Byte for byte: a name changed only in letter case is still rewritten into
// the children, so that they show the new spelling.
bool differs(const TableDef& def, const Row& a, const Row& b, const char* name) {
    return field(def, a, name) != field(def, b, name);
}

std::optional<StandardMessage> rewriteChildren(Database& db, const TableDef& parentDef,
                                               const Row& changed, const Row& original) {
    const Cascade* cascade = cascadeOf(parentDef);
    if (!cascade) return std::nullopt;
    for (const Link& link : cascade->onChange) {
        bool triggered = false;
        if (link.when.empty()) {
            for (const auto& pair : link.match)
                triggered |= differs(parentDef, changed, original, pair.first);
        } else {
            for (const char* name : link.when)
                triggered |= differs(parentDef, changed, original, name);
        }
        if (!triggered) continue;
        const TableDef& child = *tableByLabel(link.child);
        std::vector<Row> rows;
        if (!readChildren(db, parentDef, original, link, rows).ok())
            return standardMessage(35, db.lastError().describe(), child.label, {}, kReadErrorStays);
        for (const Row& before : rows) {
            Row after = before;
            for (const auto& pairs : {link.match, link.alsoSet})
                for (const auto& [parentField, childField] : pairs)
                    after.values[static_cast<size_t>(child.fieldIndex(childField))] =
                        field(parentDef, changed, parentField);
            if (!db.track(db.engine().change(child, after)).ok())
                return standardMessage(15, db.lastError().describe(), child.label);
            if (auto message = rewriteChildren(db, child, after, before)) return message;
        }
    }
    return std::nullopt;
}

}  // namespace

std::vector<std::string> transactionTables(const TableDef& table, bool forDelete) {
    std::vector<std::string> labels;
    collectTables(table, forDelete, labels);
    return labels;
}

Outcome deleteCascade(Database& db, const TableDef& table, std::int64_t pos) {
    const std::vector<std::string> tables = transactionTables(table, true);
    OpenTables open(db, tables);
    if (!db.begin(tables, kIntegrityTimeoutMs).ok())
        return fail(
            db,
            standardMessage(34, db.lastError().describe(), translateText("Delete"), table.label),
            false);
    Row parent;
    if (!db.track(db.engine().reread(table, pos, parent)).ok())
        return fail(
            db, standardMessage(35, db.lastError().describe(), table.label, {}, kReadErrorStays));
    if (auto message = deleteChildren(db, table, parent)) return fail(db, std::move(*message));
    if (!db.track(db.engine().remove(table, pos)).ok())
        return fail(db, standardMessage(17, db.lastError().describe(), table.label));
    if (!db.commit().ok())
        return fail(db, standardMessage(17, db.lastError().describe(), table.label));
    return {};
}

Outcome changeCascade(Database& db, const TableDef& table, Row& changed, const Row& original,
                      bool showChanges) {
    // A text field may not take a control or text-direction character.
    if (const store::Status refused = checkRowText(table, changed, &original); !refused.ok()) {
        db.track(refused);
        StandardMessage shown;  // no title of its own: shown under the form's
        shown.text = refused.text;
        return fail(db, std::move(shown), false);
    }
    const std::vector<std::string> tables = transactionTables(table, false);
    OpenTables open(db, tables);
    if (!db.begin(tables, kIntegrityTimeoutMs).ok())
        return fail(
            db,
            standardMessage(34, db.lastError().describe(), translateText("Update"), table.label),
            false);
    Row written = changed;
    const store::Status s = db.track(db.engine().change(table, written));
    if (s.code == store::kChangedByOther) {
        db.rollback();
        // Show the other station's version: re-read the record where it stands.
        Row theirs;
        if (!db.track(db.engine().reread(table, changed.pos, theirs)).ok())
            return fail(
                db,
                standardMessage(35, db.lastError().describe(), table.label, {}, kReadErrorStays),
                false);
        changed = theirs;
        Outcome outcome;
        outcome.kind = Outcome::ChangedElsewhere;
        outcome.message = showChanges ? standardMessage(38) : standardMessage(15, {}, {}, {}, 1);
        return outcome;
    }
    if (!s.ok()) return fail(db, standardMessage(15, db.lastError().describe(), table.label));
    if (auto message = rewriteChildren(db, table, written, original))
        return fail(db, std::move(*message));
    if (!db.commit().ok())
        return fail(db, standardMessage(15, db.lastError().describe(), table.label));
    changed = written;
    return {};
}

}  // namespace tko
