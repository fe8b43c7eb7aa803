#include "access/Access.h"

#include <string_view>

#include "data/Keys.h"
#include "data/RecordTypes.h"

namespace tko::access {

using store::Filter;

namespace {

constexpr int kUserNameWidth = User::Width::USERNAME;

Filter ofType(const char* type) {
    return store::eq("TYPE", std::string(type));
}

bool hasType(const std::string& stored, const char* type) {
    return store::rtrim(stored) == type;
}

// People and projects share one rule: a Private record is its owner's, a
// Limited one its owner's and the listed users', any other type everybody's;
// System Administrators see all. `owner` is the record's USER.
bool ownedRecordVisible(const std::string& type, const std::string& owner, const Viewer& viewer,
                        bool listed) {
    if (viewer.isSystemAdministrator()) return true;
    if (hasType(type, kTypePrivate)) return isUser(owner, viewer.user);
    if (hasType(type, kTypeLimited)) return isUser(owner, viewer.user) || listed;
    return true;
}

// The same as a store filter; `listing` is the table whose rows list users
// for a record, linked by `linkField`.
Filter ownedRecordsVisible(const Viewer& viewer, const store::TableDef& listing,
                           const char* linkField) {
    if (viewer.isSystemAdministrator()) return store::all();
    // The owner of a Limited record keeps seeing it without listing himself.
    const Filter listed =
        store::exists(listing, {{linkField, linkField}}, fieldIsUser("USER", viewer.user));
    return store::anyOf({
        store::allOf({store::ne("TYPE", std::string(kTypePrivate)),
                      store::ne("TYPE", std::string(kTypeLimited))}),
        store::allOf({ofType(kTypePrivate), fieldIsUser("USER", viewer.user)}),
        store::allOf(
            {ofType(kTypeLimited), store::anyOf({fieldIsUser("USER", viewer.user), listed})}),
    });
}

// Projects name their types as people do.
static_assert(std::string_view(kProjectPrivate) == kTypePrivate &&
              std::string_view(kProjectLimited) == kTypeLimited);

}  // namespace

// ---- identity -------------------------------------------------------------------

bool isUser(const std::string& field, const std::string& user) {
    const std::string f = store::rtrim(field), u = store::rtrim(user);
    // A stored name is at most a user name wide; a longer text names no user.
    return !f.empty() && store::utf8Length(u) <= kUserNameWidth && f == u;
}

Filter fieldIsUser(const std::string& field, const std::string& user) {
    const std::string u = store::rtrim(user);
    if (u.empty() || store::utf8Length(u) > kUserNameWidth) return store::anyOf({});
    // The case-free equality selects the name's index range; the exact one
    // keeps only the user's own spelling of it.
    return store::allOf({store::eq(field, u), store::same(field, u)});
}

Filter fieldIsNotUser(const std::string& field, const std::string& user) {
    const std::string u = store::rtrim(user);
    if (u.empty() || store::utf8Length(u) > kUserNameWidth) return store::all();
    return store::negate(store::same(field, u));
}

// ---- who is asking ----------------------------------------------------------------

Viewer viewerOf(const Session& session, const SystemPref& settings) {
    Viewer v;
    v.user = store::rtrim(session.GlobalUser);
    v.level = session.GlobalUserAccess;
    v.viewAll = settings.VIEWALL != 0;
    return v;
}

Status loadViewer(Database& db, const Session& session, Viewer& viewer) {
    std::vector<SystemPref> settings;
    store::ReadRequest first;
    first.limit = 1;
    first.withMemos = false;
    const Status s = db.read(first, settings);
    if (!s.ok() && !s.endOfRange()) return s;
    viewer = viewerOf(session, settings.empty() ? SystemPref{} : settings.front());
    return Status::success();
}

// ---- assignments -------------------------------------------------------------------

bool isOwnAssignment(const Assignment& a, const std::string& user) {
    return isUser(a.PERSON, user) || isUser(a.USERNAME, user);
}

Filter ownAssignments(const std::string& user) {
    return store::anyOf({fieldIsUser("PERSON", user), fieldIsUser("USERNAME", user)});
}

bool maySeeAssignment(const Assignment& a, const Viewer& viewer) {
    return viewer.seesAll() || isOwnAssignment(a, viewer.user);
}

Filter visibleAssignments(const Viewer& viewer) {
    if (viewer.seesAll()) return store::all();
    return ownAssignments(viewer.user);
}

bool isPrivateOfOther(const Person* assignee, const std::string& user) {
    return assignee && hasType(assignee->TYPE, kTypePrivate) && !isUser(assignee->USER, user);
}

bool mayOpenAssignment(const Assignment& a, const Person* assignee, const Viewer& viewer) {
    return maySeeAssignment(a, viewer) || !isPrivateOfOther(assignee, viewer.user);
}

Filter openableAssignments(const Viewer& viewer) {
    if (viewer.seesAll()) return store::all();
    // Hidden only when neither given to nor by the user and the assignee is a
    // Private person of somebody else.
    Filter privateOfOther =
        store::exists(Person::def(), {{"PERSONNUMBER", "PERSONNUMBER"}},
                      store::allOf({ofType(kTypePrivate), fieldIsNotUser("USER", viewer.user)}));
    return store::negate(
        store::allOf({fieldIsNotUser("PERSON", viewer.user),
                      fieldIsNotUser("USERNAME", viewer.user), std::move(privateOfOther)}));
}

bool mayChangeAssignment(const Assignment& a, const Viewer& viewer) {
    return viewer.isSystemAdministrator() || isUser(a.USERNAME, viewer.user);
}

bool mayConcludeAssignment(const Assignment& a, const Viewer& viewer) {
    return mayChangeAssignment(a, viewer) ||
           (isUser(a.PERSON, viewer.user) && a.ASSIGNEECONCLUDE == 1);
}

bool mayDeleteAssignment(const Assignment& a, const Viewer& viewer) {
    return mayChangeAssignment(a, viewer);
}

Filter deletableAssignments(const Viewer& viewer) {
    if (viewer.isSystemAdministrator()) return store::all();
    return fieldIsUser("USERNAME", viewer.user);
}

bool mayReadConfidential(const Assignment& a, const Viewer& viewer) {
    return mayChangeAssignment(a, viewer);
}

Filter confidentialReadable(const Viewer& viewer) {
    if (viewer.isSystemAdministrator()) return store::all();
    return fieldIsUser("USERNAME", viewer.user);
}

// ---- people --------------------------------------------------------------------------

bool maySeePerson(const Person& p, const Viewer& viewer, bool listed) {
    return ownedRecordVisible(p.TYPE, p.USER, viewer, listed);
}

Filter visiblePeople(const Viewer& viewer) {
    return ownedRecordsVisible(viewer, PeoUser::def(), "PERSONNUMBER");
}

bool mayEditPerson(const Person& p, const Viewer& viewer, bool listed) {
    return maySeePerson(p, viewer, listed);
}

bool isOwnUserPerson(const Person& p, const std::string& user) {
    return hasType(p.TYPE, kTypeUser) && isUser(p.SHORTNAME, user) && isUser(p.USER, user);
}

Filter ownUserPerson(const std::string& user) {
    return store::allOf(
        {ofType(kTypeUser), fieldIsUser("SHORTNAME", user), fieldIsUser("USER", user)});
}

bool mayRenamePerson(const Person& p) {
    return !hasType(p.TYPE, kTypeUser);
}

Status userNameClash(Database& db, const std::string& shortName, const Person& person,
                     std::string& clash) {
    clash.clear();
    const std::string name = store::rtrim(shortName);
    if (name.empty() || store::utf8Length(name) > kUserNameWidth) return Status::success();
    User user;
    const Status s = db.fetch(key::USE_USERNAME_KEY, {name}, user);  // case-free
    if (s.code == store::kRecordNotFound) return Status::success();
    if (!s.ok()) return s;
    Person named = person;
    named.SHORTNAME = name;
    if (!isOwnUserPerson(named, user.USERNAME)) clash = store::rtrim(user.USERNAME);
    return Status::success();
}

// ---- projects ------------------------------------------------------------------------

bool maySeeProject(const Project& p, const Viewer& viewer, bool listed) {
    return ownedRecordVisible(p.TYPE, p.USER, viewer, listed);
}

Filter visibleProjects(const Viewer& viewer) {
    return ownedRecordsVisible(viewer, ProjUser::def(), "PROJNUMBER");
}

Status projectVisible(Database& db, const Viewer& viewer, std::int32_t projNumber, bool& visible) {
    visible = false;
    std::int64_t count = 0;
    const Status s = db.count<Project>(
        store::allOf({store::eq("PROJNUMBER", std::int64_t{projNumber}), visibleProjects(viewer)}),
        count);
    visible = s.ok() && count > 0;
    return s;
}

bool mayChangeProject(const Project& p, const Viewer& viewer) {
    return viewer.isSystemAdministrator() || isUser(p.USER, viewer.user);
}

}  // namespace tko::access
