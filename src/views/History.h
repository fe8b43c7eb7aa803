// "History": the assignments that belong to a period (assigned in it, or on
// the "By Date Concluded" tab concluded in it), for everybody the user may
// see, for one person or for the members of a group list. The tabs, the rule
// for one record, the same rule as the store filter, and the letter-typing
// move of the name tab.
#pragma once

#include <vector>

#include "views/ScheduleView.h"

namespace tko {

// What the check box and the period entries choose (USERPREF).
struct HistoryOptions {
    bool includeSecondary = false;  // USP:HISTSECONDARY
    Date start = kNoDate;           // USP:HISTSTARTDATE
    Date end = kNoDate;             // USP:HISTENDDATE
};

// The tabs of each screen, in the order shown. The Person screen reads its
// orders along the general keys restricted to the person, which the store
// reads as ranges of PEOPLEASSIGN_KEY, PERSPRASSIGN_KEY, PERSCONCLPRIORITY_KEY
// and, for its name tab, of the person's rows in name order.
const std::vector<ScheduleTab>& historyTabs(ScheduleScreen screen);
// True for the "By Date Concluded" tab, where non-repeating assignments are
// tested by their conclusion date instead of their assigned date.
bool historyTabIsConcluded(ScheduleScreen screen, int tab);
// True for the tab on which typing a letter moves the highlight (the General
// screen's "By Assignment Name").
bool historyTabTakesLetters(ScheduleScreen screen, int tab);

// Reads what the rule needs besides the record: the group list called
// subject.group and its members by number (Group screen). An unknown group
// leaves no members. Besides, the repeat types and priorities stored, which
// the filter splits its ranges by: with `tab`, only those that tab's filter
// uses (-1: all), and for the user of `scope` (null: any user).
Status loadHistorySubject(Database& db, ScheduleScreen screen, ViewSubject& subject, int tab = -1,
                          const ViewScope* scope = nullptr);

// True when `record` repeats (any repetition other than "No Repeats").
bool isRepeating(const Assignment& record);

bool isHistoryListed(const Assignment& record, ScheduleScreen screen, int tab,
                     const ViewSubject& subject, const HistoryOptions& options,
                     const ViewScope& scope, const Person* assignee);

store::Filter historyFilter(ScheduleScreen screen, int tab, const ViewSubject& subject,
                            const HistoryOptions& options, const ViewScope& scope);

// Typing `letter` on the name tab: true when it is (without regard to case)
// the first letter of the highlighted assignment's name, and the highlight
// moves to the next row; false when the list is to be read again from the
// first name at or after the letter.
bool letterMovesToNextRow(const std::string& highlightedName, const std::string& letter);

}  // namespace tko
