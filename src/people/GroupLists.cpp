#include "people/GroupLists.h"

#include <algorithm>

#include "access/Access.h"
#include "data/Keys.h"
#include "data/Numbering.h"
#include "data/Records.h"
#include "data/Tables.h"
#include "people/PeopleRules.h"

namespace tko {
namespace {

constexpr int kUserWidth = GroupName::Width::USER;

std::string groupText(const std::string& name) {
    return store::clipText(name, kGroupNameWidth);
}
std::string userText(const std::string& name) {
    return store::clipText(name, kUserWidth);
}

bool sameGroup(const GroupName& a, const GroupName& b) {
    return a.rowPos != 0 && a.rowPos == b.rowPos;
}

Outcome refused(const char* text) {
    StandardMessage message;
    message.title = translateText("Update Group List");
    message.text = translateText(text);
    Outcome out = Outcome::refused(std::move(message));
    out.text = text;
    return out;
}

// Another group of this name owned by `user` (not `self`).
Status nameTakenBy(Database& db, const std::string& name, const std::string& user,
                   const GroupName& self, bool& taken) {
    taken = false;
    GroupName other;
    const Status s = db.fetch(key::GRO_GROUPUSER_KEY, {groupText(name), userText(user)}, other);
    if (s.code == store::kRecordNotFound) return Status::success();
    if (!s.ok()) return s;
    taken = !sameGroup(other, self);
    return s;
}

// The GROUPNAME record was not written: a name taken already (message 24) is
// refused, naming the entry; anything else failed.
Outcome nameFailed(StandardMessage message) {
    if (message.number != 24) return Outcome::failed(std::move(message));
    Outcome out = Outcome::refused(std::move(message));
    out.field = "name";
    return out;
}

// Step 1 for a new group: the owner is the signed-in user, the number the
// next free one.
Outcome addGroup(Database& db, const Session& session, GroupName& group) {
    group.USER = userText(session.GlobalUser);
    bool taken = false;
    if (!nameTakenBy(db, group.GROUPNAME, group.USER, group, taken).ok())
        return nameFailed(standardMessage(14, db.lastError().describe()));
    if (taken) return nameFailed(standardMessage(24, translateText(kGroupUserKeyName)));
    const Status s = addNumbered(db, group, &GroupName::GROUPNUMBER, key::GRO_AUTONUMBER_KEY);
    if (s.ok()) return {};
    if (s.code == store::kDuplicateKey) {
        // Either another station took the name meanwhile, or every number tried was taken.
        if (nameTakenBy(db, group.GROUPNAME, group.USER, group, taken).ok() && taken)
            return nameFailed(standardMessage(24, translateText(kGroupUserKeyName)));
        return nameFailed(standardMessage(24, kGroupNumberKeyName));
    }
    return nameFailed(standardMessage(14, db.lastError().describe()));
}

// Step 1 for a stored group: the version-checked change, which also renames
// the stored members when the name changed.
Outcome changeGroup(Database& db, GroupName& group, const GroupName& opened) {
    bool taken = false;
    if (!nameTakenBy(db, group.GROUPNAME, group.USER, group, taken).ok())
        return nameFailed(standardMessage(14, db.lastError().describe()));
    if (taken) return nameFailed(standardMessage(24, translateText(kGroupUserKeyName)));
    const Outcome r = changeRecord(db, group, opened, true);
    if (r.ok() || r.kind == Outcome::ChangedElsewhere) return r;
    if (db.lastError().code == store::kDuplicateKey)
        return nameFailed(standardMessage(24, translateText(kGroupUserKeyName)));
    return nameFailed(r.message ? *r.message : standardMessage(14, db.lastError().describe()));
}

// Step 2: the stored members replaced by the working list, in one transaction.
Outcome replaceMembers(Database& db, const GroupName& group, const WorkingList& members) {
    auto fail = [&db] {
        const std::string error = db.lastError().describe();
        if (db.engine().transactionDepth() > 0) db.rollback();
        return Outcome::failed(
            standardMessage(34, error, translateText("Update"), label::GROUPPEOPLE));
    };
    if (!db.begin({label::GROUPPEOPLE}, kGroupTimeoutMs).ok()) return fail();
    std::vector<GroupPeople> stored;
    if (!db.readAll(key::GRP_GROUPNUMBER_KEY,
                    store::eq("GROUPNUMBER", std::int64_t{group.GROUPNUMBER}), stored)
             .ok())
        return fail();
    for (const GroupPeople& row : stored)
        if (!db.remove(row).ok()) return fail();
    for (const GroupMember& member : members.members()) {
        GroupPeople row;
        row.GROUPNAME = groupText(group.GROUPNAME);
        row.GROUPNUMBER = group.GROUPNUMBER;
        row.SHORTNAME = member.SHORTNAME;
        row.PERSONNUMBER = member.PERSONNUMBER;
        if (!db.add(row).ok()) return fail();
    }
    if (!db.commit().ok()) return fail();
    return {};
}

}  // namespace

store::Filter groupListFilter(const Session& session) {
    if (session.isSystemAdministrator()) return store::all();
    return access::fieldIsUser("USER", userText(session.GlobalUser));
}

bool mayUseGroup(const GroupName& group, const Session& session) {
    return session.isSystemAdministrator() || access::isUser(group.USER, session.GlobalUser);
}

Status findGroupByName(Database& db, const Session& session, const std::string& name,
                       std::optional<GroupName>& out) {
    out.reset();
    const std::string wanted = groupText(name);
    if (wanted.empty()) return Status::success();
    GroupName own;
    Status s = db.fetch(key::GRO_GROUPUSER_KEY, {wanted, userText(session.GlobalUser)}, own);
    // The key finds the name in any letter case; the group is the user's only
    // when it names him exactly.
    if (s.ok() && access::isUser(own.USER, session.GlobalUser)) {
        out = own;
        return s;
    }
    if (!s.ok() && s.code != store::kRecordNotFound) return s;
    if (!session.isSystemAdministrator()) return Status::success();
    std::vector<GroupName> named;
    s = db.readAll(key::GRO_GROUPNAME_KEY, store::eq("GROUPNAME", wanted), named);
    if (!s.ok()) return s;
    if (named.size() == 1) out = named.front();
    return Status::success();
}

store::Filter multipleSelectFilter(const Session& session) {
    const std::string user = userText(session.GlobalUser);
    auto ofType = [](const char* type) { return store::eq("TYPE", std::string(type)); };
    return store::anyOf({
        access::fieldIsUser("USER", user),
        ofType(kTypeOpen),
        store::allOf({ofType(kTypeUser),
                      store::anyOf({access::fieldIsUser("SHORTNAME", user),
                                    store::exists(UserAssign::def(), {{"USERNAME", "SHORTNAME"}},
                                                  access::fieldIsUser("USERNAME2", user))})}),
        store::allOf(
            {ofType(kTypeLimited), store::exists(PeoUser::def(), {{"PERSONNUMBER", "PERSONNUMBER"}},
                                                 access::fieldIsUser("USER", user))}),
    });
}

bool WorkingList::contains(const std::string& shortName) const {
    const std::string name = userText(shortName);
    return std::any_of(m_members.begin(), m_members.end(),
                       [&](const GroupMember& m) { return m.SHORTNAME == name; });
}

bool WorkingList::add(GroupMember member) {
    member.SHORTNAME = userText(member.SHORTNAME);
    if (member.SHORTNAME.empty() || contains(member.SHORTNAME)) return false;
    auto at = std::upper_bound(
        m_members.begin(), m_members.end(), member,
        [](const GroupMember& a, const GroupMember& b) { return a.SHORTNAME < b.SHORTNAME; });
    m_members.insert(at, std::move(member));
    return true;
}

int WorkingList::addAll(const std::vector<GroupMember>& tagged) {
    int added = 0;
    for (const GroupMember& member : tagged) added += add(member) ? 1 : 0;
    return added;
}

bool WorkingList::remove(const std::string& shortName) {
    const std::string name = userText(shortName);
    auto it = std::find_if(m_members.begin(), m_members.end(),
                           [&](const GroupMember& m) { return m.SHORTNAME == name; });
    if (it == m_members.end()) return false;
    m_members.erase(it);
    return true;
}

Status loadMembers(Database& db, std::int32_t groupNumber, WorkingList& out) {
    out.clear();
    std::vector<GroupPeople> rows;
    const Status s = db.readAll(key::GRP_GROUPNUMBER_KEY,
                                store::eq("GROUPNUMBER", std::int64_t{groupNumber}), rows);
    if (!s.ok()) return s;
    for (const GroupPeople& row : rows) out.add({row.SHORTNAME, row.PERSONNUMBER});
    return s;
}

Outcome saveGroupList(Database& db, const Session& session, GroupName& group,
                      const GroupName& opened, const WorkingList& members, bool* nameStored) {
    if (nameStored) *nameStored = false;
    const bool isNew = group.rowPos == 0;
    if (!isNew && !mayUseGroup(opened, session))
        return refused("This group list belongs to another user.");
    group.GROUPNAME = groupText(group.GROUPNAME);
    if (group.GROUPNAME.empty()) return refused("Please enter a name for the group list.");
    GroupName written = group;
    const Outcome out = isNew ? addGroup(db, session, written) : changeGroup(db, written, opened);
    if (out.kind == Outcome::ChangedElsewhere) {
        group = written;
        return out;
    }
    if (!out.ok()) return out;
    group = written;
    if (nameStored) *nameStored = true;
    return replaceMembers(db, group, members);
}

Outcome deleteGroupList(Database& db, const Session& session, const GroupName& group) {
    if (!mayUseGroup(group, session)) return refused("This group list belongs to another user.");
    return deleteRecord(db, group);
}

}  // namespace tko
