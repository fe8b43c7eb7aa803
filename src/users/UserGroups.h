// User groups: named sets of users that make it quick to grant rights to
// many users at once. "Update User Group" edits a group's name and members in
// memory; saving writes both in one transaction (a rename carries the
// members along). Only System Administrators may change groups.
#pragma once

#include <string>
#include <vector>

#include "data/Database.h"
#include "data/Session.h"
#include "platform/Date.h"
#include "platform/FormRequest.h"
#include "users/UserAccounts.h"

namespace tko {

inline constexpr const char* kDuplicateMember = "Duplicate USERGROUPS/User combination";

// The group every user belongs to. It is stored under this one name whatever
// the language (a translated name would make a second group at every switch)
// and shown translated. Every start completes it, and a new user joins it as
// he is created.
inline constexpr const char* kAllUsersGroup = "All users";
// Whether the stored group name is that group (exactly, trailing blanks aside).
bool isAllUsersGroup(const std::string& storedName);
inline constexpr const char* kAllUsersKeepsName = "The group All users keeps its name";
// The name shown for a stored group name: the translation for "All users",
// the stored name (without its trailing blanks) for every other group.
std::string groupDisplayName(const std::string& storedName);

// The members of the group named `group`, sorted. Group names are compared
// without regard to case, as the members are gathered.
Status groupMembers(Database& db, const std::string& group, std::vector<std::string>& out);

// Adds `user` to the in-memory member list (kept sorted); "" when added, or
// the refusal when he is a member already.
std::string addMember(std::vector<std::string>& members, const std::string& user);
// Removes `user`; false when he was not a member.
bool removeMember(std::vector<std::string>& members, const std::string& user);

// Adds the members of `group` to `names` (or, with `remove`, takes them out):
// "Add User Group" and "Delete User Group" on the user form's rights lists.
Status applyGroup(Database& db, const std::string& group, bool remove,
                  std::vector<std::string>& names);

// Writes the group (insert, or change of the record read as `original`) and
// makes its stored members exactly `members`, in one transaction. A renamed
// group takes its members along. The change stamp is `session.GlobalUser`,
// `today`, `now`.
Outcome saveUserGroup(Database& db, const Session& session, Request request, UserGroup& group,
                      const UserGroup& original, const std::vector<std::string>& members,
                      Date today, Time now);

// Deletes the group and its member rows in one transaction.
Outcome deleteUserGroup(Database& db, const Session& session, const UserGroup& group);

}  // namespace tko
