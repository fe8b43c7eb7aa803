#include "views/ScheduleView.h"

#include "access/Access.h"
#include "assign/Repetition.h"
#include "data/Keys.h"

#include <QChar>
#include <QList>
#include <QString>

#include <algorithm>

#include "platform/store/NameCollation.h"

namespace tko {

using store::Filter;

Status loadViewScope(Database& db, const Session& session, ViewScope& scope) {
    access::Viewer viewer;
    const Status s = access::loadViewer(db, session, viewer);
    if (!s.ok()) return s;
    scope.user = viewer.user;
    scope.seesAll = viewer.seesAll();
    return s;
}

namespace {

// The rules are the access module's; a scope is the viewer as these screens
// need him (whether he sees all is all that differs between viewers).
access::Viewer viewerFor(const ViewScope& scope) {
    access::Viewer viewer;
    viewer.user = scope.user;
    viewer.viewAll = scope.seesAll;
    return viewer;
}

}  // namespace

bool isVisibleTo(const Assignment& record, const ViewScope& scope) {
    return access::maySeeAssignment(record, viewerFor(scope));
}

bool isVisibleOnPersonScreen(const Assignment& record, const Person* assignee,
                             const ViewScope& scope) {
    return access::mayOpenAssignment(record, assignee, viewerFor(scope));
}

Filter visibilityFilter(const ViewScope& scope) {
    return access::visibleAssignments(viewerFor(scope));
}

Filter personScreenVisibilityFilter(const ViewScope& scope) {
    return access::openableAssignments(viewerFor(scope));
}

Filter residualEither(Filter a, Filter b) {
    return store::negate(store::allOf({store::negate(std::move(a)), store::negate(std::move(b))}));
}

void addTests(std::vector<Filter>& tests, Filter filter) {
    if (filter.kind == Filter::Kind::And) {
        for (Filter& f : filter.children) tests.push_back(std::move(f));
    } else if (!filter.isAll()) {
        tests.push_back(std::move(filter));
    }
}

// ---- names without regard to case ---------------------------------------------

namespace {

using CodePoints = std::vector<char32_t>;

CodePoints codePoints(const std::string& text) {
    const QList<uint> ucs4 = QString::fromStdString(store::rtrim(text)).toUcs4();
    return CodePoints(ucs4.begin(), ucs4.end());
}

std::string utf8(const CodePoints& points) {
    return QString::fromUcs4(points.data(), static_cast<qsizetype>(points.size())).toStdString();
}

}  // namespace

std::string upperName(const std::string& name) {
    CodePoints points = codePoints(name);
    for (char32_t& c : points) c = QChar::toUpper(c);
    return utf8(points);
}

bool sameNameIgnoringCase(const std::string& a, const std::string& b) {
    return store::sameName(store::rtrim(a), store::rtrim(b));
}

Filter personIs(const std::string& person) {
    return store::eq("PERSON", store::rtrim(person));
}

Filter personIsOneOf(const std::vector<std::string>& names) {
    if (names.size() == 1) return store::eq("PERSON", names.front());
    std::vector<Filter> alternatives;
    for (const std::string& n : names) alternatives.push_back(store::eq("PERSON", n));
    return store::anyOf(std::move(alternatives));  // none: no row
}

// ---- priorities -----------------------------------------------------------------

bool tabReadsAlong(const std::vector<ScheduleTab>& tabs, int tab, const char* keyLabel) {
    return tab >= 0 && tab < static_cast<int>(tabs.size()) &&
           std::string(tabs[static_cast<size_t>(tab)].keyLabel) == keyLabel;
}

Status prioritiesInUse(Database& db, std::vector<int>& out) {
    constexpr int kLowest = 1, kHighest = kFormPriorities;
    constexpr size_t kMostPriorities = 24;
    out.clear();
    for (int p = kLowest; p <= kHighest; ++p) out.push_back(p);
    // Below and above apart: each a range of the key's index.
    for (const Filter& bound : {store::lt("PRIORITY", kLowest), store::gt("PRIORITY", kHighest)}) {
        std::vector<store::Value> outside;
        const Status s = db.engine().distinctValues(
            Assignment::def(), *Assignment::def().key(key::ASS_PRIORITY_KEY), bound,
            kMostPriorities - out.size() + 1, outside);
        if (!s.ok()) return s;
        for (const store::Value& value : outside)
            out.push_back(static_cast<int>(std::get<std::int64_t>(value)));
        if (out.size() > kMostPriorities) {
            out.clear();
            return Status::success();
        }
    }
    std::sort(out.begin(), out.end());
    return Status::success();
}

namespace {

// ASS:PRIORITY is one of `priorities`, as range alternatives.
std::vector<Filter> priorityAlternatives(const std::vector<int>& priorities) {
    std::vector<Filter> alternatives;
    for (int p : priorities) alternatives.push_back(store::eq("PRIORITY", p));
    return alternatives;
}

}  // namespace

Filter priorityIsOneOf(const std::vector<int>& priorities) {
    if (priorities.empty()) return store::all();
    return store::anyOf(priorityAlternatives(priorities));
}

std::vector<Filter> repeatTypeAlternatives(const std::vector<std::string>& types,
                                           const std::vector<int>& singlePriorities) {
    std::vector<Filter> alternatives;
    for (const std::string& type : types) {
        if (singlePriorities.empty() || store::rtrim(type) != repeat::NoRepeats) {
            alternatives.push_back(store::eq("REPEATTYPE", type));
            continue;
        }
        for (int p : singlePriorities)
            alternatives.push_back(
                store::allOf({store::eq("REPEATTYPE", type), store::eq("PRIORITY", p)}));
    }
    return alternatives;
}

// ---- preferences ----------------------------------------------------------------

Status loadUserPref(Database& db, const std::string& user, UserPref& out) {
    const Status s = db.fetch(key::USP_USERNAME_KEY, {store::rtrim(user)}, out);
    if (s.code == store::kRecordNotFound || s.endOfRange()) {
        out = UserPref{};
        out.USERNAME = store::rtrim(user);
        return Status::success();
    }
    return s;
}

Status writeBackUserPref(Database& db, const std::string& user,
                         const std::function<void(UserPref&)>& apply) {
    // Two tries: a change by another screen between our read and write is
    // answered by reading again; a second one in the same instant is reported.
    Status s;
    for (int attempt = 0; attempt < 2; ++attempt) {
        UserPref stored;
        s = loadUserPref(db, user, stored);
        if (!s.ok()) return s;
        apply(stored);
        s = stored.rowPos == 0 ? db.add(stored) : db.change(stored);
        if (s.code != store::kChangedByOther && s.code != store::kDuplicateKey) return s;
    }
    return s;
}

bool applyChangedSettings(ScheduleSettings which, const UserPref& opened, const UserPref& chosen,
                          UserPref& stored) {
    bool changed = false;
    auto take = [&](auto UserPref::*field) {
        if (opened.*field == chosen.*field) return;
        stored.*field = chosen.*field;
        changed = true;
    };
    if (which == ScheduleSettings::LookForward) {
        take(&UserPref::SECONDARY);
        take(&UserPref::CURRENTDUE);
    } else {
        take(&UserPref::HISTSECONDARY);
        take(&UserPref::HISTSTARTDATE);
        take(&UserPref::HISTENDDATE);
    }
    return changed;
}

// ---- groups ---------------------------------------------------------------------

namespace {

void addUnique(std::vector<std::string>& names, const std::string& name) {
    const std::string clipped = store::rtrim(name);
    if (!containsName(names, clipped)) names.push_back(clipped);
}

}  // namespace

bool containsName(const std::vector<std::string>& names, const std::string& name) {
    const std::string wanted = store::rtrim(name);
    return std::any_of(names.begin(), names.end(),
                       [&](const std::string& n) { return store::sameName(n, wanted); });
}

Status groupMembersByName(Database& db, const std::string& groupName,
                          std::vector<std::string>& members) {
    members.clear();
    std::vector<GroupPeople> rows;
    const Status s =
        db.readAll(key::GRP_GROUPNAME_KEY, store::eq("GROUPNAME", store::rtrim(groupName)), rows);
    if (!s.ok()) return s;
    for (const GroupPeople& g : rows) addUnique(members, g.SHORTNAME);
    return Status::success();
}

Status groupMembersByNumber(Database& db, std::int32_t groupNumber,
                            std::vector<std::string>& members) {
    members.clear();
    std::vector<GroupPeople> rows;
    const Status s =
        db.readAll(key::GRP_GROUPNUMBER_KEY, store::eq("GROUPNUMBER", groupNumber), rows);
    if (!s.ok()) return s;
    for (const GroupPeople& g : rows) addUnique(members, g.SHORTNAME);
    return Status::success();
}

Status groupNamed(Database& db, const std::string& groupName, GroupName& out) {
    return db.fetch(key::GRO_GROUPNAME_KEY, {store::rtrim(groupName)}, out);
}

Filter visibleMembersFilter(const ViewScope& scope, const std::vector<std::string>& members,
                            Filter membership) {
    // Each member's rows are a range of the index that starts with the person;
    // a large group is dense enough to be tested row by row.
    constexpr size_t kMostRanges = 16;
    if (scope.seesAll)
        return members.size() <= kMostRanges ? personIsOneOf(members) : std::move(membership);
    if (members.empty()) return store::anyOf({});
    // The user's own rows count only when the user is a member. Each pair of
    // "given by the user" and a member is a range of an index that starts
    // with both (as is "given to the user", when the user is a member).
    Filter own = containsName(members, scope.user) ? visibilityFilter(scope)
                                                   : access::fieldIsUser("USERNAME", scope.user);
    return store::allOf({std::move(own), members.size() <= kMostRanges ? personIsOneOf(members)
                                                                       : std::move(membership)});
}

Filter memberOwnRanges(const ViewScope& scope, const std::vector<std::string>& members,
                       const std::vector<Filter>& ownSplit, std::size_t mostRanges) {
    if (scope.seesAll || !containsName(members, scope.user)) return store::all();
    std::vector<Filter> alternatives;
    if (ownSplit.empty()) alternatives.push_back(access::fieldIsUser("PERSON", scope.user));
    for (const Filter& split : ownSplit) {
        std::vector<Filter> equalities;
        addTests(equalities, access::fieldIsUser("PERSON", scope.user));
        addTests(equalities, split);
        alternatives.push_back(store::allOf(std::move(equalities)));
    }
    // Every member's rows that the user gave, also a member named like him
    // (names of members are matched without regard to case, so his own rows
    // may be among them: the store reads a row of several alternatives once).
    for (const std::string& m : members)
        alternatives.push_back(
            store::allOf({access::fieldIsUser("USERNAME", scope.user), store::eq("PERSON", m)}));
    if (alternatives.size() < 2 || alternatives.size() > mostRanges) return store::all();
    return store::anyOf(std::move(alternatives));
}

}  // namespace tko
