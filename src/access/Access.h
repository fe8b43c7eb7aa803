// Who may see and change what: the one place the rights are decided.
//
// Each question has a per-record rule (for a record in hand) and, where lists
// and reports select rows in the store, the equivalent store filter. Every
// screen filter, report, picker, typed look-up, export and command asks here;
// none restates a rule.
//
// Identity is exact: a field that names a user (ASS:PERSON, ASS:USERNAME,
// PEO:USER, PRO:USER, PEU:USER, PRU:USER, REM:USER ...) is the user's only
// when it holds the user name letter for letter, trailing blanks ignored.
// "ben" is not BEN. Keys, sorting, look-ups and typed names stay case-free;
// only the "is this his own?" tests are exact.
//
// GUI-free. The store filters keep a case-free equality beside the exact one,
// so that the store still reads the name's rows as one index range and tests
// the spelling on the rows that range yields.
#pragma once

#include <cstdint>
#include <string>

#include "data/Database.h"
#include "data/Records.h"
#include "data/Session.h"
#include "platform/store/Filter.h"

namespace tko::access {

// ---- identity -------------------------------------------------------------------

// `field` (a stored name) names `user`: equal letter for letter, trailing
// blanks ignored; a blank field names nobody.
bool isUser(const std::string& field, const std::string& user);

// The store filter of isUser() on the column `field`.
store::Filter fieldIsUser(const std::string& field, const std::string& user);
// Its negation: the column does not name `user` exactly.
store::Filter fieldIsNotUser(const std::string& field, const std::string& user);

// ---- who is asking ----------------------------------------------------------------

struct Viewer {
    std::string user;      // GlobalUser, clipped
    int level = 0;         // GlobalUserAccess
    bool viewAll = false;  // SYP:VIEWALL

    bool isSystemAdministrator() const { return atLeast(level, AccessLevel::SystemAdministrator); }
    bool isPeopleAdministrator() const { return atLeast(level, AccessLevel::PeopleAdministrator); }
    // Sees every assignment on the General and Group screens.
    bool seesAll() const { return viewAll || isSystemAdministrator(); }
};

Viewer viewerOf(const Session& session, const SystemPref& settings);
// Reads SYSTEMPREF (a missing record counts as the defaults).
Status loadViewer(Database& db, const Session& session, Viewer& viewer);

// ---- assignments -------------------------------------------------------------------

// Given to the user (ASS:PERSON) or by him (ASS:USERNAME), exactly.
bool isOwnAssignment(const Assignment& a, const std::string& user);
store::Filter ownAssignments(const std::string& user);

// May see on the General and Group screens, the due-now and unseen lists of
// those who see all, and in every report built on them: everybody's for
// those who see all, else the user's own.
bool maySeeAssignment(const Assignment& a, const Viewer& viewer);
store::Filter visibleAssignments(const Viewer& viewer);

// The assignee is a Private person of another user (`assignee` is the PEOPLE
// record with the assignment's person number, nullptr when there is none).
bool isPrivateOfOther(const Person* assignee, const std::string& user);

// May see on the Person screens, and open for reading: as maySeeAssignment(),
// and besides every assignment whose person is not a Private person of
// another user.
bool mayOpenAssignment(const Assignment& a, const Person* assignee, const Viewer& viewer);
store::Filter openableAssignments(const Viewer& viewer);

// May change the General tab (name, person, dates...): the giver or a System
// Administrator.
bool mayChangeAssignment(const Assignment& a, const Viewer& viewer);
// May conclude: the giver, a System Administrator, or the assignee when
// ASS:ASSIGNEECONCLUDE is 1.
bool mayConcludeAssignment(const Assignment& a, const Viewer& viewer);
// May delete: the giver; a System Administrator any.
bool mayDeleteAssignment(const Assignment& a, const Viewer& viewer);
store::Filter deletableAssignments(const Viewer& viewer);
// May read the confidential comments: the giver or a System Administrator.
bool mayReadConfidential(const Assignment& a, const Viewer& viewer);
// Its store filter (the word search reads confidential comments only there).
store::Filter confidentialReadable(const Viewer& viewer);

// ---- people --------------------------------------------------------------------------

// May see the person in the address book (Browse People (Edit), reports of
// people): every person but another user's Private person and a Limited
// person the user neither owns nor is listed for; System Administrators all.
// `listed` tells whether a PEOUSER row lists the user for this person.
bool maySeePerson(const Person& p, const Viewer& viewer, bool listed);
store::Filter visiblePeople(const Viewer& viewer);

// May change the person: as maySeePerson(); a "User" person's short name and
// type change only through the user form (see mayRenamePerson()).
bool mayEditPerson(const Person& p, const Viewer& viewer, bool listed);
// The user's own "User" person: type "User", his name as short name and as
// owner, letter for letter. The store filter selects it among PEOPLE.
bool isOwnUserPerson(const Person& p, const std::string& user);
store::Filter ownUserPerson(const std::string& user);

// May change the person's short name or type: never for a "User" person on
// the person form.
bool mayRenamePerson(const Person& p);

// A user whose name equals `shortName` in any letter case, when `person` (a
// person about to be stored with that short name) is not that user's own
// "User" person: such a person would be read as the user wherever names are
// read case-free, so it is refused. `clash` is the user name as stored, empty
// when there is no clash.
Status userNameClash(Database& db, const std::string& shortName, const Person& person,
                     std::string& clash);

// ---- projects ------------------------------------------------------------------------

// May see the project: Open projects (any type but Private and Limited) for
// all, a Private one for its owner, a Limited one for its owner and the users
// listed in PROJUSER; System Administrators all.
bool maySeeProject(const Project& p, const Viewer& viewer, bool listed);
store::Filter visibleProjects(const Viewer& viewer);
Status projectVisible(Database& db, const Viewer& viewer, std::int32_t projNumber, bool& visible);

// May change or delete the project: its owner or a System Administrator.
bool mayChangeProject(const Project& p, const Viewer& viewer);

}  // namespace tko::access
