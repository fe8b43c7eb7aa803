// Projects without a window: which projects a user sees, numbering a new
// project, saving and deleting one, the project's assignment list (its
// orders, the store filter that joins PROJASSGN, the per-user options),
// linking and unlinking assignments, and who may do what.
//
// Every function that touches the store returns a Status or an outcome and
// shows nothing; the windows turn outcomes into message boxes. Texts are
// source texts, translated where they are shown. GUI-free; one thread at a
// time per Database.
#pragma once

#include <array>
#include <optional>
#include <string>

#include "access/Access.h"
#include "data/Database.h"
#include "data/Integrity.h"
#include "data/Keys.h"
#include "data/Messages.h"
#include "data/RecordTypes.h"
#include "data/Records.h"
#include "data/Session.h"
#include "platform/Outcome.h"
#include "platform/store/Filter.h"

namespace tko {

// ---- kinds, widths and texts ---------------------------------------------------
inline constexpr int kProjectNameWidth = Project::Width::NAME;
inline constexpr int kProjectNoteWidth = Project::Width::NOTE;

inline constexpr const char* kNotAuthorizedToView =
    "You are not authorized to view the details of this assignment from a Project list";
inline constexpr const char* kAlreadyPartOfProject = "Assignment already part of project";
inline constexpr const char* kNoAuthorityToRemove =
    "You do not have authority to remove this assignmnet";
inline constexpr const char* kProjectNameRequired = "Please enter a name for the project.";
inline constexpr const char* kProjectTypeInvalid =
    "The type of a project is Open, Limited or Private.";
inline constexpr const char* kProjectNotYours =
    "Only the project's owner or a System Administrator can change or delete this project.";
inline constexpr const char* kProjectNotVisible = "You are not allowed to see this project.";
inline constexpr const char* kUnnamedProjectExists =
    "You already have a project without a name. Give it a name, or delete it from the list of "
    "projects, before you start another one.";
// The key named when a name is already used by the same user (message 24).
inline constexpr const char* kProjectUserKeyName = "Prroject/User Key";

// ---- who sees and changes a project ----------------------------------------------
// These answer through the access module (access/Access.h); SYP:VIEWALL plays
// no part in them.

// The user as the access module sees him for projects.
access::Viewer projectViewer(const Session& session);

// The PROJECT filter of "Browse Projects": access::visibleProjects().
store::Filter projectListFilter(const Session& session);

// Whether `session` sees project `projNumber` (access::projectVisible()).
// kRecordNotFound when the project does not exist.
Status projectVisibleTo(Database& db, const Session& session, std::int32_t projNumber,
                        bool& visible);

// The project's owner and System Administrators change its name, type, users
// and notes, and delete it (access::mayChangeProject()).
bool mayChangeProject(const Project& project, const Session& session);

// ---- a project's own record --------------------------------------------------------
// Adds a new project for the user at once: the next number along
// PRO:AUTONUMBER_KEY (1 in an empty file), blank name, type Open, the user as
// owner; three attempts when another station takes the number first. A
// kDuplicateKey result asks for standard message 25.
Status addNewProject(Database& db, const Session& session, Project& project);

// The project name "Users for Limited Project" shows and gives the users it
// adds: the stored name, or, for a new project not yet saved under a name,
// the name typed on the project form so far. Saving the project carries its
// name into its users either way.
std::string projectNameForUsers(const Project& stored, const std::string& typed);

// Whether the user already has a project without a name (a new one still
// open in another window, or one left by a station that stopped). Its name
// and owner hold the unique key a new project needs, so no second new
// project can be stored until it is named or deleted.
Status hasUnnamedProject(Database& db, const Session& session, bool& exists);

// Saving and deleting report an Outcome: Refused shows `text` (a source
// text) or `message`; Failed shows `message`.
//
// Stores `current`, loaded as `opened`: checks the user's right, a name, the
// type and that the user has no other project of that name (message 24 naming
// "Prroject/User Key"), then writes through the change operation, which
// carries a new name or number into the project's PROJASSGN and PROJUSER
// rows. Nothing is written when nothing changed.
Outcome saveProject(Database& db, const Session& session, Project& current, const Project& opened);

// Deletes the project with its PROJASSGN and PROJUSER rows; the assignments
// stay. Refused for anyone but the owner or a System Administrator.
Outcome deleteProject(Database& db, const Session& session, const Project& project);

// ---- the project's assignments ----------------------------------------------------
struct ProjectOrder {
    const char* caption;   // "By Due Date"
    const char* tip;       // "Sort by due date"
    const char* keyLabel;  // the ASSIGNMENT key the page is read along
};

// The four sort tabs of "Browse Project Information", in the order shown.
inline constexpr std::array<ProjectOrder, 4> kProjectOrders{{
    {"By Due Date", "Sort by due date", key::ASS_DUEDATE_KEY},
    {"By Priority", "Sort by priority", key::ASS_PRIORITY_KEY},
    {"By Person", "Sort by person", key::ASS_PERSONDATE_KEY},
    {"By Assignment", "Sort by assignment alphabetically", key::ASS_NAME_KEY},
}};

// The user's choices of the two check boxes (USP:PROJSECONDARY, USP:PROJOPEN).
struct ProjectListOptions {
    bool includeSecondary = false;
    bool openOnly = false;
};

// The ASSIGNMENT filter of a project's list: assignments linked to the
// project in PROJASSGN (by project number) that `viewer` may see on the
// person screens (access::openableAssignments(): not those of another user's
// Private person unless given to or by him), without secondary ones
// (ASS:SECONDARY = 1) unless included, and only open ones (ASS:CLOSEDATE = 0)
// when asked. Runs in the store's query along any of the orders' keys. The
// project reports list the same rows.
store::Filter projectAssignmentFilter(std::int32_t projNumber, const ProjectListOptions& options,
                                      const access::Viewer& viewer);

// The options from the user's USERPREF record (both off when there is none).
Status loadProjectListOptions(Database& db, const std::string& user, ProjectListOptions& options);
// Writes the options into the user's USERPREF record at once (adding the
// record when the user has none); a change made meanwhile by another station
// to other preferences is kept.
Status saveProjectListOptions(Database& db, const std::string& user,
                              const ProjectListOptions& options);

// "Change/View" from a project list: the assignee, the maker (exactly, see
// access::isOwnAssignment()) and System Administrators only; SYP:VIEWALL does
// not widen this. The project reports print an assignment's comments only
// where this allows.
bool mayOpenFromProject(const Assignment& assignment, const access::Viewer& viewer);
bool mayOpenFromProject(const Assignment& assignment, const Session& session);

// Links assignment `assignNumber` to `project` in one transaction; `link` is
// then the new link. The link carries the project's stored name and number and
// `session`'s user. Refused with kAlreadyPartOfProject when the link exists
// (nothing written; `link` is the existing one), and with kProjectNotVisible
// when the user does not see the project. Failed with message 14.
Outcome linkAssignment(Database& db, const Session& session, const Project& project,
                       std::int32_t assignNumber, ProjAssign& link);

// True when linkAssignment() refused only because the link exists already.
inline bool alreadyLinked(const Outcome& outcome) {
    return outcome.kind == Outcome::Refused && outcome.text == kAlreadyPartOfProject;
}

// A General User removes only links they added; other levels any link.
bool mayRemoveLink(const ProjAssign& link, const Session& session);

// Removes assignment `assignNumber` from project `projNumber`: every
// PROJASSGN row of that pair, in one transaction. The assignment and its
// links to other projects stay. A pair no longer linked counts as removed.
// Refused with kNoAuthorityToRemove when one of the links is not the user's to
// remove (nothing removed); Failed with message 17.
Outcome removeFromProject(Database& db, const Session& session, std::int32_t projNumber,
                          std::int32_t assignNumber);

// ---- projects of one assignment -------------------------------------------------------
// The PROJASSGN filter of "Projects for Assignment", of the assignment form's
// Projects tab and of the "Projects:" line of the reports: links of the
// assignment whose project the user sees (read along PRA:ASSIGNMENT_KEY).
store::Filter assignmentProjectsFilter(std::int32_t assignNumber, const access::Viewer& viewer);
store::Filter assignmentProjectsFilter(std::int32_t assignNumber, const Session& session);

// The links of assignment `assignNumber` whose project `viewer` sees.
Status visibleProjectLinks(Database& db, const access::Viewer& viewer, std::int32_t assignNumber,
                           std::vector<ProjAssign>& out);

}  // namespace tko
