// "Look Forward": the open assignments due up to the program-wide end date, for
// everybody the user may see, for one person or for the members of a group
// list. The tabs, the rule for one record, and the same rule as the store
// filter that each tab's page is read with.
#pragma once

#include <vector>

#include "views/ScheduleView.h"

namespace tko {

// What the check boxes and the end date choose.
struct LookForwardOptions {
    bool includeSecondary = false;  // USP:SECONDARY
    bool includeDueNow = false;     // USP:CURRENTDUE: also what is due today or earlier
    Date endDate = kNoDate;         // Session::EndDate; 0 = no end
    Date today = kNoDate;
};

// The tabs of each screen, in the order shown. The Person screen reads its
// due-date and priority orders along the general keys restricted to the
// person, which the store reads as ranges of PERSONDATE_KEY and
// PERSONPRIORITY_KEY.
const std::vector<ScheduleTab>& lookForwardTabs(ScheduleScreen screen);
// True for the tab that matches the person exactly ("By Assignment Name" on
// the Person screen); the others match without regard to case. The store
// compares names without regard to case, so both match the same rows.
bool lookForwardMatchesPersonExactly(ScheduleScreen screen, int tab);

// Reads what the rule needs besides the record: the members of the group by
// name (Group screen), and the priorities stored, which the priority tabs
// split their ranges by (with `tab`, only when that tab does; -1: always),
// for the user of `scope` (null: any user).
Status loadLookForwardSubject(Database& db, ScheduleScreen screen, ViewSubject& subject,
                              int tab = -1, const ViewScope* scope = nullptr);

// The rule for one record. `assignee` is the PEOPLE record with the
// assignment's person number (nullptr when none); only the Person screen asks.
bool isLookForwardListed(const Assignment& record, ScheduleScreen screen, int tab,
                         const ViewSubject& subject, const LookForwardOptions& options,
                         const ViewScope& scope, const Person* assignee);

// The same rule as the filter of tab `tab`'s reads.
store::Filter lookForwardFilter(ScheduleScreen screen, int tab, const ViewSubject& subject,
                                const LookForwardOptions& options, const ViewScope& scope);

// The end date a Look Forward screen reads its list with and shows in its
// "End Date:" entry: the program-wide one as it is now. Another screen (Look
// Forward, Upcoming Anniversaries, Report Selection) may set that while this
// one is open; a screen whose list was read with `listed` then reads it again
// (true), so that what it lists and what it shows stay the same date.
Date lookForwardEndDate(const Session& session);
bool lookForwardEndDateMoved(Date listed, const Session& session);

}  // namespace tko
