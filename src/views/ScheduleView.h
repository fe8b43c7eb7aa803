// What Look Forward and History share: who may see which assignment, the
// person of the Person screens matched without regard to case, the members of
// the Group screens, and the shape in which these reach the store.
//
// Shape matters: the store reads an either-or of equalities ("person is X or
// user is Y") as one index range per alternative, several of them as one range
// per combination of alternatives (member and repeat type), and equalities on
// fields that lead a longer index of the tab's order as that index's range.
// The builders here therefore write as either-ors of equalities only the
// tests that select rows, and keep every other test out of that form (see
// residualEither()).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "data/Database.h"
#include "data/Session.h"
#include "platform/Date.h"
#include "platform/store/Filter.h"

namespace tko {

// The three variants of each schedule screen.
enum class ScheduleScreen { General, Person, Group };

// One sheet tab: its caption, tool tip and the ASSIGNMENT key its rows are
// read along.
struct ScheduleTab {
    const char* caption;
    const char* tip;
    const char* keyLabel;
};

// Who is looking.
struct ViewScope {
    std::string user;      // GlobalUser
    bool seesAll = false;  // SYP:VIEWALL on, or access level 2 or higher
};

// Reads the system settings (a missing record counts as the defaults) and
// fills `scope` for `session`.
Status loadViewScope(Database& db, const Session& session, ViewScope& scope);

// General and Group screens: everybody's work for those who see all, else the
// work given to or by the user. The rules are the access module's
// (access/Access.h): names of users compare exactly, trailing blanks ignored.
bool isVisibleTo(const Assignment& record, const ViewScope& scope);
// Person screens: as isVisibleTo(), and besides every assignment whose person
// is not a Private person of another user. `assignee` is the PEOPLE record
// with the assignment's person number, nullptr when there is none.
bool isVisibleOnPersonScreen(const Assignment& record, const Person* assignee,
                             const ViewScope& scope);

// The same tests as store filters.
store::Filter visibilityFilter(const ViewScope& scope);
store::Filter personScreenVisibilityFilter(const ViewScope& scope);

// `a` or `b`, written so that the store does not take it for the either-or
// that selects index ranges: a test applied to the rows a range yields.
store::Filter residualEither(store::Filter a, store::Filter b);

// Appends `filter` to the conjunction `tests`, its own terms one by one when it
// is a conjunction itself (the store looks for ranges among the top terms only).
void addTests(std::vector<store::Filter>& tests, store::Filter filter);

// ---- the person of the Person screens ---------------------------------------

// `name` with each character upper-cased on its own (no character turns into
// several): what the lists show and seek for a typed name.
std::string upperName(const std::string& name);
// Equality of names as the store compares them (NameCollation.h): without
// regard to letter case, trailing blanks ignored.
bool sameNameIgnoringCase(const std::string& a, const std::string& b);

// ASS:PERSON is `person` in any spelling: the store compares names without
// regard to case, so one equality reads every spelling's rows as one range.
store::Filter personIs(const std::string& person);

// ASS:PERSON is one of `names`: an equality for one name, an either-or for
// several, no row for none.
store::Filter personIsOneOf(const std::vector<std::string>& names);

// ---- priorities -----------------------------------------------------------------

// Whether tab `tab` of `tabs` lists along the key `keyLabel`.
bool tabReadsAlong(const std::vector<ScheduleTab>& tabs, int tab, const char* keyLabel);

// The priorities the assignment form gives: 1 to kFormPriorities.
inline constexpr int kFormPriorities = 9;

// Every priority the assignments hold: 1 to 9 (what the form gives), and any
// other value found with one index seek per value below and above them
// (copied or imported rows), in ascending order; none when there are more
// than a handful, which a filter then tests row by row.
Status prioritiesInUse(Database& db, std::vector<int>& out);

// ASS:PRIORITY is one of `priorities`, as an either-or of equalities: a page
// along a key that starts with the priority becomes one index range per
// priority, whose bounds then carry the test on the key's next component (a
// due date or an assigned date) instead of skipping the rows that fail it
// one by one. Always true (all()) for an empty list.
store::Filter priorityIsOneOf(const std::vector<int>& priorities);

// ---- the group of the Group screens ------------------------------------------

// Short names of the members of every group list called `groupName` (the
// membership walked by group name), without repeats.
Status groupMembersByName(Database& db, const std::string& groupName,
                          std::vector<std::string>& members);
// Short names of the members of the group list numbered `groupNumber`.
Status groupMembersByNumber(Database& db, std::int32_t groupNumber,
                            std::vector<std::string>& members);

// The group list the "Group:" entry names: the first one of that name, or
// kRecordNotFound.
Status groupNamed(Database& db, const std::string& groupName, GroupName& out);

// Visibility (General/Group rule) and group membership together. `members`
// are the group's members as read now; `membership` is the same membership
// as a test the store makes per row (an EXISTS over GROUPPEOPLE), used for a
// group too large to read member by member. Those who see all read each
// member's rows as a range; others the rows they gave each member (and, as
// members themselves, those given to them).
store::Filter visibleMembersFilter(const ViewScope& scope, const std::vector<std::string>& members,
                                   store::Filter membership);

bool containsName(const std::vector<std::string>& names, const std::string& name);

// The same rows as visibleMembersFilter() for a user who does not see all but
// is one of `members`, as one either-or of ranges: the rows given to the user
// (every one of them, the user being a member), split further by each of
// `ownSplit` when given, and the rows the user gave each other member. So the
// user's own rows, the dense part, are read as ranges bounded by the tab's
// order instead of testing the period or the type row by row. `ownSplit`
// must cover every row (e.g. every repeat type stored). all() when the split
// makes more than `mostRanges` ranges: use visibleMembersFilter() then.
store::Filter memberOwnRanges(const ViewScope& scope, const std::vector<std::string>& members,
                              const std::vector<store::Filter>& ownSplit, std::size_t mostRanges);

// ASS:REPEATTYPE is one of `types` (which must hold "No Repeats"), as range
// alternatives; with `singlePriorities`, the rows that do not repeat one
// alternative per priority, so that a tab ordered by priority reads them as
// ranges bounded by the period. Empty for no types.
std::vector<store::Filter> repeatTypeAlternatives(const std::vector<std::string>& types,
                                                  const std::vector<int>& singlePriorities);

// ---- the user's preferences ---------------------------------------------------

// The signed-in user's USERPREF record (fetched by USP:USERNAME_KEY). A user
// without one gets a blank record for `user` (rowPos 0) and success, so the
// screens open with their check boxes cleared and the period blank.
Status loadUserPref(Database& db, const std::string& user, UserPref& out);

// Writes back what a screen changed in the user's preferences: `apply` sets
// the screen's own fields on the record as stored now (re-read, so that
// another screen's or station's changes to the other fields are kept), and
// the record is changed, or added when the user has none.
Status writeBackUserPref(Database& db, const std::string& user,
                         const std::function<void(UserPref&)>& apply);

// The settings a Look Forward screen keeps in the preferences (USP:SECONDARY,
// USP:CURRENTDUE) or a History screen (USP:HISTSECONDARY, USP:HISTSTARTDATE,
// USP:HISTENDDATE). Sets on `stored` (the record as stored now) each of them
// that the screen changed: that differs between `opened` (as the screen read
// it) and `chosen` (as it closes). The others keep their stored value, which
// another screen open at the same time may have set. True when the screen
// changed any of them (false: nothing to write).
enum class ScheduleSettings { LookForward, History };
bool applyChangedSettings(ScheduleSettings which, const UserPref& opened, const UserPref& chosen,
                          UserPref& stored);

// The person or group a Person or Group screen is restricted to, as read when
// the list is (re)loaded.
struct ViewSubject {
    std::string person;                // "Person:" (LocalPerson)
    std::string group;                 // "Group:"
    std::int32_t groupNumber = 0;      // the group list's number (History)
    std::vector<std::string> members;  // the group's members' short names
    // History (General and Group): every repeat type stored, or none when
    // there are too many to read one by one (see loadHistorySubject()).
    std::vector<std::string> repeatTypes;
    // General screens: every priority stored, or none (see prioritiesInUse()).
    std::vector<int> priorities;
    // How many index ranges the store merges in one read
    // (Engine::mostRangesPerRead()): a filter splits its rows into no more.
    std::size_t mostRanges = 0;
};

}  // namespace tko
