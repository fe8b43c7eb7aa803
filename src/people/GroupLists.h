// Group lists: named sets of people that a user keeps, to hand one assignment
// to several people at once and to narrow the schedule views to a group.
//
// This file holds every rule of the "Group Lists" screen, the "Update Group
// List" form and the multiple-select people list: which groups a user sees,
// which people the user may tag, the working list of members that the form
// edits in memory, and saving and deleting a group. Nothing here shows
// anything; failures come back as standard messages for the window layer.
// GUI-free; one thread at a time per Database.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "data/Database.h"
#include "data/Integrity.h"
#include "data/Messages.h"
#include "data/Records.h"
#include "data/Session.h"
#include "platform/Outcome.h"
#include "platform/store/Filter.h"

namespace tko {

inline constexpr int kGroupNameWidth = GroupName::Width::GROUPNAME;
static_assert(kGroupNameWidth == GroupPeople::Width::GROUPNAME);
inline constexpr int kGroupTimeoutMs = 2000;

// The key that message 24 names for a second group of one name and user, and
// for a group number another station took first.
inline constexpr const char* kGroupUserKeyName = "Duplicate GroupName/User combination";
inline constexpr const char* kGroupNumberKeyName = "GRO:AutoNumber_key";

// ---- which groups a user sees -------------------------------------------------
// The "Group Lists" selection over GROUPNAME: the user's own groups, every
// group for a System Administrator.
store::Filter groupListFilter(const Session& session);
// The same rule for one group: may the user open, change, delete or use it.
bool mayUseGroup(const GroupName& group, const Session& session);

// A group named by typing: the user's own group of that name (names compare
// as 20-character fields); for a System Administrator, when the user owns
// none of that name, the one group of that name whoever owns it. Nothing when
// no group or, for an administrator, several other users' groups carry the
// name (the caller then offers the list). kRecordNotFound is not an error.
Status findGroupByName(Database& db, const Session& session, const std::string& name,
                       std::optional<GroupName>& out);

// ---- the multiple-select people list ------------------------------------------
// "Browse People - Mulitple Select" offers: people the user owns (PEO:USER);
// otherwise Open people; User people when they are the user or the user may
// give them assignments (USERASSGN); Limited people the user is listed for
// (PEOUSER); never another user's Private people. No access level lifts it.
store::Filter multipleSelectFilter(const Session& session);

// ---- the working list -----------------------------------------------------------
struct GroupMember {
    std::string SHORTNAME;
    std::int32_t PERSONNUMBER = 0;
    friend bool operator==(const GroupMember&, const GroupMember&) = default;
};

// The members while the form is open, sorted by short name, one entry per
// short name. Nothing is written before the form saves.
class WorkingList {
public:
    const std::vector<GroupMember>& members() const { return m_members; }
    int size() const { return static_cast<int>(m_members.size()); }
    bool contains(const std::string& shortName) const;
    // Adds the member in its sorted place; false (nothing added) when a member
    // of that short name is in the list already.
    bool add(GroupMember member);
    // Adds each tagged person not yet in the list; returns how many were added.
    int addAll(const std::vector<GroupMember>& tagged);
    // Removes the member of that short name; false when there was none.
    bool remove(const std::string& shortName);
    void clear() { m_members.clear(); }

private:
    std::vector<GroupMember> m_members;
};

// The stored members of group `groupNumber` (along GRP:GROUPNUMBER_KEY) into `out`.
Status loadMembers(Database& db, std::int32_t groupNumber, WorkingList& out);

// ---- saving and deleting ----------------------------------------------------------
// Saves the form, in this order: the GROUPNAME record (a new one, with
// rowPos 0, gets GRO:USER = the signed-in user and the next group number; a
// changed name also renames the stored members), then inside one transaction
// the group's stored members are replaced by `members`. `opened` is the group
// as the form read it.
//
// Refused when the user may not change this group, the name is missing, or it
// is taken (message 24, field "name"); ChangedElsewhere when another station
// changed the group (`group` then holds theirs); Failed when a write failed.
// `nameStored`, when given, tells whether the GROUPNAME record was written:
// `group` is then the record as stored, also when writing the members failed
// (34), so that a second "OK" changes rather than adds it.
Outcome saveGroupList(Database& db, const Session& session, GroupName& group,
                      const GroupName& opened, const WorkingList& members,
                      bool* nameStored = nullptr);

// Deletes the group and its members in one transaction.
Outcome deleteGroupList(Database& db, const Session& session, const GroupName& group);

}  // namespace tko
