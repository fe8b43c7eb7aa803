// One assignment given to every member of a group list in one step: the
// "Assignment Information Group" form fills in one record (the template, added
// at once like any new assignment, with its reminders and project links), and
// "OK" stores one ASSIGNMENT per eligible member, each with its own number and
// copies of the template's reminders and project links, all in one
// transaction. Nothing here shows anything. GUI-free; one thread at a time
// per Database.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "data/Database.h"
#include "data/Messages.h"
#include "data/Session.h"
#include "people/GroupLists.h"
#include "platform/Date.h"
#include "platform/Outcome.h"

namespace tko {

inline constexpr int kGroupAssignTimeoutMs = 2000;
inline constexpr const char* kGroupTransactionError = "Transaction error - Assignment for Group";
inline constexpr const char* kNoEligibleMember =
    "No member of this group can be given assignments by you.";
inline constexpr const char* kGroupOfAnotherUser = "This group list belongs to another user.";

// Whether `member` (whose PEOPLE record is `person`) can be given an
// assignment by the signed-in user: anyone who is not a "User" person; a
// "User" person when it is the signed-in user or a USERASSGN row
// (member, signed-in user) exists.
Status memberEligible(Database& db, const Session& session, const Person& person, bool& eligible);

// A member of the group who is given no assignment, and why.
struct SkippedMember {
    enum Reason {
        NoAssignRight,  // a "User" person who has not let the user give him assignments
        NotInPeople,    // the member's PEOPLE record no longer exists
    };
    std::string shortName;
    Reason reason = NoAssignRight;
};

// The eligible members of group `groupNumber`, in GRP:GROUPNUMBER_KEY order.
// Members whose PEOPLE record no longer exists are left out. `skipped`, when
// given, receives the members left out, in the same order.
Status eligibleMembers(Database& db, const Session& session, std::int32_t groupNumber,
                       std::vector<GroupMember>& out,
                       std::vector<SkippedMember>* skipped = nullptr);

// The lines that tell the user who was skipped and why, one line per reason
// naming the members ("Not given to CARLA, DORA: they take no assignments
// from you."), translated; empty when nobody was skipped. The rule stays as
// it is for everyone, System Administrators included: a "User" person gets
// assignments only from the users his USERASSGN rows name.
std::string skippedMembersText(const std::vector<SkippedMember>& skipped);

// Name, priority, group and due date all filled in: "OK" is offered then.
bool groupEssentialsFilled(const Assignment& a, bool groupChosen);

// "OK": `templ` is the form's record, already stored under its number (with
// its log line set by the caller), holding what the user entered; it goes to
// the first eligible member and a copy with the next free number to every
// further one. The reminders (each with the member as REM:PERSON and a new
// number) and project links of the template are copied to every copy. Either
// every record is written or none: on Failed (kGroupTransactionError) the
// store is as it was, and on success `templ` is the template as stored and
// `created`, when given, holds the stored records, the template's first;
// when members were skipped, the outcome's message (no title of its own)
// says to how many of the members it went and who was skipped and why.
// Refused, with nothing written, with kGroupOfAnotherUser or kNoEligibleMember
// (then also naming the members skipped, in the message).
Outcome giveGroupAssignment(Database& db, const Session& session, Assignment& templ,
                            const GroupName& group, std::vector<Assignment>* created = nullptr);

}  // namespace tko
