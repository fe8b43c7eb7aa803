#include "views/History.h"

#include "access/ListedAssignment.h"
#include "assign/Repetition.h"
#include "data/Keys.h"

namespace tko {

using store::Filter;

const std::vector<ScheduleTab>& historyTabs(ScheduleScreen screen) {
    static const std::vector<ScheduleTab> general{
        {"By Date Assigned", "Sort assingments by date assigned", key::ASS_ASSIGNEDDATE_KEY},
        {"By Priority", "Sort assignments by priority", key::ASS_PRIORASSIGN_KEY},
        {"By People", "Sort assignments by person", key::ASS_PEOPLEASSIGN_KEY},
        {"By Date Concluded", "Sort assignments by date concluded", key::ASS_CONCLPRIORITY_KEY},
        {"By Assignment Name", "Sort assignments alphabetically", key::ASS_NAME_KEY},
    };
    static const std::vector<ScheduleTab> person{
        {"By Date Assigned", "Sort assingments by date assigned", key::ASS_ASSIGNEDDATE_KEY},
        {"By Priority", "Sort assignments by priority", key::ASS_PRIORASSIGN_KEY},
        {"By Date Concluded", "Sort assignments by date concluded", key::ASS_CONCLPRIORITY_KEY},
        {"By Assignment Name", "Sort assignments alphabetically", key::ASS_NAME_KEY},
    };
    static const std::vector<ScheduleTab> group{
        {"By Date Assigned", "Sort assingments by date assigned", key::ASS_ASSIGNEDDATE_KEY},
        {"By Priority", "Sort assignments by priority", key::ASS_PRIORASSIGN_KEY},
        {"By Date Concluded", "Sort assignments by date concluded", key::ASS_CONCLPRIORITY_KEY},
        {"By Assignment Name", "Sort assignments alphabetically", key::ASS_NAMENUMBER_KEY},
        {"By Person/Date Assigned", "Sort assignments by person then by date assigned",
         key::ASS_PEOPLEASSIGN_KEY},
    };
    switch (screen) {
        case ScheduleScreen::Person:
            return person;
        case ScheduleScreen::Group:
            return group;
        default:
            return general;
    }
}

bool historyTabIsConcluded(ScheduleScreen screen, int tab) {
    const auto& tabs = historyTabs(screen);
    return tab >= 0 && tab < static_cast<int>(tabs.size()) &&
           std::string(tabs[static_cast<size_t>(tab)].caption) == "By Date Concluded";
}

bool historyTabTakesLetters(ScheduleScreen screen, int tab) {
    return screen == ScheduleScreen::General && tab == 4;
}

namespace {

// Every repeat type stored, found with one index seek per distinct value, plus
// every type the program itself writes (so that a row another station adds
// with one of them is never missed); none when there are more than a handful,
// which the filter then tests row by row.
// The repeat types the program itself writes.
const std::vector<std::string>& programRepeatTypes() {
    static const std::vector<std::string> types{
        repeat::NoRepeats,           repeat::SpecificWeekday,      repeat::DaysAfterLastDue,
        repeat::WeeksAfterLastDue,   repeat::MonthsAfterLastDue,   repeat::DaysAfterConcluded,
        repeat::WeeksAfterConcluded, repeat::MonthsAfterConcluded, repeat::SetWeekdays};
    return types;
}

Status repeatTypesInUse(Database& db, std::vector<std::string>& out) {
    constexpr size_t kMostTypes = 24;
    out = programRepeatTypes();
    std::vector<store::Value> stored;
    const Status s = db.engine().distinctValues(Assignment::def(),
                                                *Assignment::def().key(key::ASS_REPEATCONCL_KEY),
                                                store::all(), kMostTypes + 1, stored);
    if (!s.ok()) return s;
    for (const store::Value& value : stored) {
        const std::string& type = std::get<std::string>(value);
        if (!containsName(out, type)) out.push_back(type);
    }
    if (out.size() > kMostTypes) out.clear();
    return Status::success();
}

}  // namespace

namespace {

// The tabs whose order is a date (or priority, then date): there the rows that
// do not repeat, split from the others by type, are a range within the period.
bool historyTabIsDated(ScheduleScreen screen, int tab) {
    const auto& tabs = historyTabs(screen);
    return tabReadsAlong(tabs, tab, key::ASS_PRIORASSIGN_KEY) ||
           tabReadsAlong(tabs, tab, key::ASS_ASSIGNEDDATE_KEY) ||
           tabReadsAlong(tabs, tab, key::ASS_PEOPLEASSIGN_KEY) ||
           tabReadsAlong(tabs, tab, key::ASS_CONCLPRIORITY_KEY);
}

// The ranges of a split by the repeat types the program writes, the rows
// that do not repeat also by priority 1 to 9 when `byPriority`.
size_t typeSplitRanges(bool byPriority) {
    return programRepeatTypes().size() +
           (byPriority ? static_cast<size_t>(kFormPriorities) - 1 : 0);
}

// The Person screen's "By Date Assigned" and "By Priority": the person's rows
// one range per repeat type (by priority too on "By Priority"), where the
// store merges as many ranges as the priority split makes. At 1 000 000
// assignments SQLite's first page took 201 -> 120 us and 283 -> 180 us so,
// the pages growing 1.4 times from 10 000 instead of 4.5 and 6 times; on the
// server a statement of nine ranges cost more than it saved (162 -> 281 us at
// 10 000, 341 -> 351 us at 1 000 000).
bool personAssignedSplit(ScheduleScreen screen, int tab, std::size_t mostRanges) {
    return screen == ScheduleScreen::Person && historyTabIsDated(screen, tab) &&
           !historyTabIsConcluded(screen, tab) && typeSplitRanges(true) <= mostRanges;
}

// The General screen for a user who sees only what was given to or by him, on
// "By Date Assigned", "By Priority" and "By Date Concluded": his rows split by
// repeat type, each a range of an index leading with the assignee or the giver
// and the type (null `scope`: the user is not known yet, so possibly so).
bool generalOwnSplit(ScheduleScreen screen, int tab, const ViewScope* scope) {
    if (screen != ScheduleScreen::General || (scope && scope->seesAll)) return false;
    const auto& tabs = historyTabs(screen);
    return tabReadsAlong(tabs, tab, key::ASS_PRIORASSIGN_KEY) ||
           tabReadsAlong(tabs, tab, key::ASS_ASSIGNEDDATE_KEY) ||
           tabReadsAlong(tabs, tab, key::ASS_CONCLPRIORITY_KEY);
}

}  // namespace

Status loadHistorySubject(Database& db, ScheduleScreen screen, ViewSubject& subject, int tab,
                          const ViewScope* scope) {
    subject.members.clear();
    subject.repeatTypes.clear();
    subject.priorities.clear();
    subject.mostRanges = db.engine().mostRangesPerRead();
    if (screen == ScheduleScreen::Group) {
        if (store::rtrim(subject.group).empty()) {
            subject.groupNumber = 0;
            return Status::success();
        }
        // A group picked from the group lists keeps its number; a typed name
        // means the first group list of that name.
        GroupName chosen;
        if (subject.groupNumber != 0) {
            Status s =
                db.fetch(key::GRO_AUTONUMBER_KEY, {std::int64_t{subject.groupNumber}}, chosen);
            if (!s.ok() || store::rtrim(chosen.GROUPNAME) != store::rtrim(subject.group))
                subject.groupNumber = 0;
        }
        if (subject.groupNumber == 0) {
            const Status s = groupNamed(db, subject.group, chosen);
            if (s.code == store::kRecordNotFound || s.endOfRange()) return Status::success();
            if (!s.ok()) return s;
            subject.groupNumber = chosen.GROUPNUMBER;
        }
        const Status s = groupMembersByNumber(db, subject.groupNumber, subject.members);
        if (!s.ok()) return s;
    }
    // The screens read ranges per repeat type (and priority) where the store
    // merges that many (see historyFilter()).
    bool byType = tab < 0 || screen == ScheduleScreen::Group ||
                  (screen == ScheduleScreen::Person && historyTabIsDated(screen, tab)) ||
                  historyTabIsConcluded(screen, tab) || generalOwnSplit(screen, tab, scope);
    bool byPriority = tab < 0 || tabReadsAlong(historyTabs(screen), tab, key::ASS_PRIORASSIGN_KEY);
    // The Group and Person screens split by type, and on "By Priority" the
    // rows that do not repeat by priority 1 to 9 too (see historyFilter());
    // the Person screen's assigned-date tabs only where the store merges the
    // ranges of the priority split (see personAssignedSplit()). Where the
    // store reads fewer ranges than that makes, the split is never made and
    // its values are not looked up (each look-up is a round trip to a server).
    const bool priorityWide = byPriority || (screen == ScheduleScreen::Person && tab >= 0 &&
                                             !historyTabIsConcluded(screen, tab));
    const size_t fewest = typeSplitRanges(priorityWide);
    if (screen != ScheduleScreen::General && tab >= 0 && fewest > subject.mostRanges)
        byType = byPriority = false;
    // The General screen's split of the user's own rows: given to and by him.
    if (screen == ScheduleScreen::General && tab >= 0 && !historyTabIsConcluded(screen, tab) &&
        2 * programRepeatTypes().size() > subject.mostRanges)
        byType = false;
    if (byType) {
        const Status s = repeatTypesInUse(db, subject.repeatTypes);
        if (!s.ok()) return s;
    }
    return byPriority ? prioritiesInUse(db, subject.priorities) : Status::success();
}

bool isRepeating(const Assignment& record) {
    return store::rtrim(record.REPEATTYPE) != repeat::NoRepeats;
}

bool isHistoryListed(const Assignment& record, ScheduleScreen screen, int tab,
                     const ViewSubject& subject, const HistoryOptions& options,
                     const ViewScope& scope, const Person* assignee) {
    if (!options.includeSecondary && record.SECONDARY == 1) return false;
    if (options.start == kNoDate || options.end == kNoDate) return false;
    if (!isListedAssignment(record)) return false;
    const Date s = options.start, e = options.end;
    if (isRepeating(record)) {
        if (record.ASSIGNEDDATE > e) return false;
        if (record.CLOSEDATE != 0 && record.CLOSEDATE < s) return false;
    } else {
        const Date d = historyTabIsConcluded(screen, tab) ? record.CLOSEDATE : record.ASSIGNEDDATE;
        if (d < s || d > e) return false;
    }
    switch (screen) {
        case ScheduleScreen::General:
            return isVisibleTo(record, scope);
        case ScheduleScreen::Group:
            return isVisibleTo(record, scope) && containsName(subject.members, record.PERSON);
        case ScheduleScreen::Person:
            return sameNameIgnoringCase(record.PERSON, subject.person) &&
                   isVisibleOnPersonScreen(record, assignee, scope);
    }
    return false;
}

Filter historyFilter(ScheduleScreen screen, int tab, const ViewSubject& subject,
                     const HistoryOptions& options, const ViewScope& scope) {
    if (options.start == kNoDate || options.end == kNoDate) return store::anyOf({});
    // First the test that picks the index ranges (see ScheduleView.h).
    std::vector<Filter> tests;
    // A member's or person's rows split by repeat type: those that do not
    // repeat are then a range within the period on the tabs ordered by a date
    // (and, on "By Priority", per priority); the repeating ones are few. The
    // name orders have no such bound: there the split would only cost.
    const bool byPriority = tabReadsAlong(historyTabs(screen), tab, key::ASS_PRIORASSIGN_KEY);
    const std::vector<Filter> byTypeSplit =
        historyTabIsDated(screen, tab)
            ? repeatTypeAlternatives(subject.repeatTypes,
                                     byPriority ? subject.priorities : std::vector<int>{})
            : std::vector<Filter>{};
    bool ownSplit = false;
    switch (screen) {
        case ScheduleScreen::General:
            tests.push_back(visibilityFilter(scope));
            // Rows given to or by the user, per repeat type (and, on "By
            // Priority", the rows that do not repeat per priority): those that
            // do not repeat are then read only within the period. Without it
            // a page at 1 000 000 assignments skipped every such row of the
            // user's assigned before the period (8 900 steps), or on "By Date
            // Concluded" every one still open (5 000 steps).
            if (generalOwnSplit(screen, tab, &scope) && !byTypeSplit.empty() &&
                2 * byTypeSplit.size() <= subject.mostRanges) {
                tests.push_back(store::anyOf(byTypeSplit));
                ownSplit = true;
            }
            break;
        case ScheduleScreen::Group: {
            // A member's own rows: one range per repeat type, the rows that do
            // not repeat bounded by the period.
            Filter own = memberOwnRanges(scope, subject.members, byTypeSplit, subject.mostRanges);
            if (!own.isAll()) {
                tests.push_back(std::move(own));
                break;
            }
            addTests(tests, visibleMembersFilter(
                                scope, subject.members,
                                store::exists(GroupPeople::def(), {{"SHORTNAME", "PERSON"}},
                                              store::eq("GROUPNUMBER", subject.groupNumber))));
            break;
        }
        case ScheduleScreen::Person:
            tests.push_back(personIs(subject.person));
            tests.push_back(personScreenVisibilityFilter(scope));
            // One person's rows on "By Date Concluded": one range per repeat
            // type, likewise ("By Date Concluded" read 10 000 steps for a
            // page at 1 000 000 without it: 481 -> 113 us); on the other
            // dated tabs see personAssignedSplit().
            if (!byTypeSplit.empty() && byTypeSplit.size() <= subject.mostRanges &&
                (historyTabIsConcluded(screen, tab) ||
                 personAssignedSplit(screen, tab, subject.mostRanges)))
                tests.push_back(store::anyOf(byTypeSplit));
            break;
    }
    if (!options.includeSecondary) tests.push_back(store::ne("SECONDARY", 1));
    tests.push_back(listedAssignments());
    const bool concluded = historyTabIsConcluded(screen, tab);
    // On the assigned-date tabs nothing assigned after the period belongs to
    // it, repeating or not: an upper bound the store can read as a range.
    if (!concluded) tests.push_back(store::le("ASSIGNEDDATE", options.end));
    const char* dateField = concluded ? "CLOSEDATE" : "ASSIGNEDDATE";
    Filter single =
        store::allOf({store::eq("REPEATTYPE", repeat::NoRepeats),
                      store::ge(dateField, options.start), store::le(dateField, options.end)});
    Filter repeating = store::allOf(
        {store::ne("REPEATTYPE", repeat::NoRepeats), store::le("ASSIGNEDDATE", options.end),
         residualEither(store::eq("CLOSEDATE", 0), store::ge("CLOSEDATE", options.start))});
    tests.push_back(residualEither(std::move(single), std::move(repeating)));
    // For a user who sees every row: one range per repeat type (per member on
    // the Group screen) along (type, the tab's order), so that the rows that
    // do not repeat are read only within the period instead of all rows
    // assigned or concluded before or after it. The General screen has such
    // an index for "By Date Concluded" only.
    const bool byType =
        screen == ScheduleScreen::Group || (concluded && screen == ScheduleScreen::General);
    const size_t members = std::max<size_t>(1, subject.members.size());
    if (byType && scope.seesAll && !subject.repeatTypes.empty() &&
        members * subject.repeatTypes.size() <= subject.mostRanges) {
        std::vector<Filter> types;
        for (const std::string& type : subject.repeatTypes)
            types.push_back(store::eq("REPEATTYPE", type));
        tests.push_back(store::anyOf(std::move(types)));
    }
    // "By Priority" (General): one range per priority, bounded by the period's
    // end on the assigned date.
    if (screen == ScheduleScreen::General && byPriority && !ownSplit)
        addTests(tests, priorityIsOneOf(subject.priorities));
    return store::allOf(std::move(tests));
}

bool letterMovesToNextRow(const std::string& highlightedName, const std::string& letter) {
    const std::string name = upperName(highlightedName);
    const std::string typed = upperName(letter);
    return !typed.empty() && name.compare(0, typed.size(), typed) == 0;
}

}  // namespace tko
