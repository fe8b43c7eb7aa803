#include "users/UserGroups.h"

#include <algorithm>
#include <set>

#include "data/FieldWidth.h"
#include "data/Integrity.h"
#include "data/Keys.h"
#include "data/Records.h"
#include "data/Tables.h"
#include "platform/Translate.h"
#include "platform/store/NameCollation.h"

namespace tko {

namespace {

// Makes the member rows of `group` (exact name) those of `members`.
// The refusal of a member listed twice, his name after the text as the form
// shows it when he is added ("Duplicate USERGROUPS/User combination: BEN").
Outcome duplicateMember(const std::string& user) {
    StandardMessage refusal;
    refusal.text = translateText(kDuplicateMember) + ": " + store::rtrim(user);
    Outcome outcome = Outcome::refused(kDuplicateMember, "members");
    outcome.message = refusal;
    return outcome;
}

// `clash`, when given, is the member whose row collided on a duplicate key.
Status replaceMembers(Database& db, const std::string& group,
                      const std::vector<std::string>& members, std::string* clash = nullptr) {
    std::vector<UserGroupUser> stored;
    Status s = db.readAll(key::UGU_GROUP_KEY, store::eq("GROUP", group), stored);
    if (!s.ok()) return s;
    const std::set<std::string> wanted(members.begin(), members.end());
    std::set<std::string> present;
    for (const UserGroupUser& row : stored) {
        const std::string name = store::rtrim(row.USERNAME);
        if (wanted.count(name) && present.insert(name).second) continue;
        s = db.remove(row);
        if (!s.ok()) return s;
    }
    for (const std::string& name : wanted) {
        if (present.count(name)) continue;
        UserGroupUser row{group, name};
        s = db.add(row);
        if (s.code == store::kDuplicateKey && clash) *clash = name;
        if (!s.ok()) return s;
    }
    return Status::success();
}

}  // namespace

bool isAllUsersGroup(const std::string& storedName) {
    return store::rtrim(storedName) == kAllUsersGroup;
}

std::string groupDisplayName(const std::string& storedName) {
    return isAllUsersGroup(storedName) ? translateText(kAllUsersGroup) : store::rtrim(storedName);
}

Status groupMembers(Database& db, const std::string& group, std::vector<std::string>& out) {
    out.clear();
    const std::string wanted = store::rtrim(group);
    if (wanted.empty()) return Status::success();
    // The store compares group names without regard to case.
    std::vector<UserGroupUser> rows;
    Status s = db.readAll(key::UGU_GROUP_KEY, store::eq("GROUP", wanted), rows);
    if (!s.ok()) return s;
    for (const UserGroupUser& row : rows) out.push_back(store::rtrim(row.USERNAME));
    out = normalisedNames(out);
    return s;
}

std::string addMember(std::vector<std::string>& members, const std::string& user) {
    const std::string name = store::rtrim(user);
    if (name.empty()) return {};
    // Members are told apart and sorted as the store's keys do.
    if (std::any_of(members.begin(), members.end(),
                    [&](const std::string& m) { return store::sameName(m, name); }))
        return kDuplicateMember;
    members.insert(std::upper_bound(members.begin(), members.end(), name, store::NameLess{}), name);
    return {};
}

bool removeMember(std::vector<std::string>& members, const std::string& user) {
    const std::string name = store::rtrim(user);
    const auto it = std::find_if(members.begin(), members.end(),
                                 [&](const std::string& m) { return store::sameName(m, name); });
    if (it == members.end()) return false;
    members.erase(it);
    return true;
}

Status applyGroup(Database& db, const std::string& group, bool remove,
                  std::vector<std::string>& names) {
    std::vector<std::string> members;
    Status s = groupMembers(db, group, members);
    if (!s.ok()) return s;
    if (remove) {
        const std::set<std::string> gone(members.begin(), members.end());
        names.erase(
            std::remove_if(names.begin(), names.end(),
                           [&](const std::string& n) { return gone.count(store::rtrim(n)); }),
            names.end());
    } else {
        names.insert(names.end(), members.begin(), members.end());
        names = normalisedNames(names);
    }
    return s;
}

Outcome saveUserGroup(Database& db, const Session& session, Request request, UserGroup& group,
                      const UserGroup& original, const std::vector<std::string>& members,
                      Date today, Time now) {
    if (Outcome refusal = administratorOnly(session); !refusal.ok()) return refusal;
    const bool inserting = request == Request::Insert;
    if (!inserting && request != Request::Change) return Outcome::refused(kNotAdministrator);
    const std::string name = store::rtrim(group.GROUP);
    if (name.empty()) return Outcome::refused("Please enter a Group name", "group");
    if (!inserting && isAllUsersGroup(original.GROUP) && !isAllUsersGroup(name))
        return Outcome::refused(kAllUsersKeepsName, "group");
    if (store::utf8Length(name) > UserGroup::Width::GROUP)
        return Outcome::refused(fieldTooLongText("Group", UserGroup::Width::GROUP), "group");
    std::set<std::string> seen;
    for (const std::string& m : members)
        if (!seen.insert(store::rtrim(m)).second) return duplicateMember(m);

    group.GROUP = name;
    group.LASTCHANGEDBY = store::clipText(session.GlobalUser, UserGroup::Width::LASTCHANGEDBY);
    group.DATECHANGED = today;
    group.TIMECHANGED = now;
    if (!db.begin({label::USERGROUPS, label::USGRPUSERS}, kIntegrityTimeoutMs).ok())
        return transactionCancelled(db, standardMessage(34, db.lastError().describe(),
                                                        translateText("Update"), "USERGROUPS")
                                            .text);
    if (inserting) {
        const Status s = db.add(group);
        if (s.code == store::kDuplicateKey) {
            while (db.engine().transactionDepth() > 0) db.rollback();
            return Outcome::refused(standardMessage(24, "USG:Group_key").text, "group");
        }
        if (!s.ok())
            return transactionCancelled(db, standardMessage(14, db.lastError().describe()).text);
    } else {
        store::Row row = group.toRow();
        const Outcome written = changeCascade(db, UserGroup::def(), row, original.toRow(), false);
        if (written.kind == Outcome::ChangedElsewhere) {
            while (db.engine().transactionDepth() > 0) db.rollback();
            group.fromRow(row);
            Outcome outcome;
            outcome.kind = Outcome::ChangedElsewhere;
            outcome.text = written.message ? written.message->text : "";
            return outcome;
        }
        if (!written.ok()) {
            if (db.lastError().code == store::kDuplicateKey) {
                while (db.engine().transactionDepth() > 0) db.rollback();
                return Outcome::refused(standardMessage(24, "USG:Group_key").text, "group");
            }
            return transactionCancelled(db, written.message ? written.message->text : "");
        }
        group.fromRow(row);
    }
    std::string clash;
    const Status s = replaceMembers(db, name, normalisedNames(members), &clash);
    if (s.code == store::kDuplicateKey) {
        while (db.engine().transactionDepth() > 0) db.rollback();
        return duplicateMember(clash);
    }
    if (!s.ok())
        return transactionCancelled(
            db, standardMessage(15, db.lastError().describe(), "USGRPUSERS").text);
    if (!db.commit().ok())
        return transactionCancelled(
            db, standardMessage(15, db.lastError().describe(), "USERGROUPS").text);
    if (inserting) db.reread(group);
    return {};
}

Outcome deleteUserGroup(Database& db, const Session& session, const UserGroup& group) {
    if (Outcome refusal = administratorOnly(session); !refusal.ok()) return refusal;
    const Outcome removed = deleteRecord(db, group);
    if (!removed.ok())
        return transactionCancelled(db, removed.message ? removed.message->text : "");
    return {};
}

}  // namespace tko
