#include "views/LookForward.h"

#include "access/ListedAssignment.h"
#include "data/Keys.h"

namespace tko {

using store::Filter;

const std::vector<ScheduleTab>& lookForwardTabs(ScheduleScreen screen) {
    static const std::vector<ScheduleTab> general{
        {"By Due Date", "Sort assingments by due date", key::ASS_DUEDATE_KEY},
        {"By Priority", "Sort assignments by priority", key::ASS_PRIORITY_KEY},
        {"By Assignment Name", "Sort assignments alphabetically", key::ASS_NAME_KEY},
        {"By Person/Due", "Sort assignments by person then due date", key::ASS_PERSONDATE_KEY},
        {"By Person/Priority", "Sort assignments by person then priority",
         key::ASS_PERSONPRIORITY_KEY},
    };
    static const std::vector<ScheduleTab> person{
        {"By Due Date ", "Sort assingments by due date", key::ASS_DUEDATE_KEY},
        {"By Priority", "Sort assignments by priority", key::ASS_PRIORITY_KEY},
        {"By Assignment Name", "Sort assignments alphabetically", key::ASS_NAME_KEY},
    };
    return screen == ScheduleScreen::Person ? person : general;
}

bool lookForwardMatchesPersonExactly(ScheduleScreen screen, int tab) {
    return screen == ScheduleScreen::Person && tab == 2;
}

namespace {

// Look Forward (Group) "By Priority" and "By Person/Priority" for a user who
// sees all: one range per member and priority, when the store merges that
// many, so that each range is bounded by the due dates.
// (tab -1: any tab, null `scope`: any user).
bool groupByPriority(ScheduleScreen screen, int tab, const ViewSubject& subject,
                     const ViewScope* scope) {
    return screen == ScheduleScreen::Group && (!scope || scope->seesAll) &&
           (tab < 0 || tabReadsAlong(lookForwardTabs(screen), tab, key::ASS_PRIORITY_KEY) ||
            tabReadsAlong(lookForwardTabs(screen), tab, key::ASS_PERSONPRIORITY_KEY)) &&
           !subject.members.empty() &&
           subject.members.size() * static_cast<size_t>(kFormPriorities) <= subject.mostRanges;
}

}  // namespace

Status loadLookForwardSubject(Database& db, ScheduleScreen screen, ViewSubject& subject, int tab,
                              const ViewScope* scope) {
    subject.members.clear();
    subject.priorities.clear();
    subject.mostRanges = db.engine().mostRangesPerRead();
    if (screen == ScheduleScreen::Group) {
        const Status s = groupMembersByName(db, subject.group, subject.members);
        if (!s.ok()) return s;
    }
    // "By Priority" (General) reads one range per priority in use.
    const bool byPriority =
        tab < 0 || tabReadsAlong(lookForwardTabs(screen), tab, key::ASS_PRIORITY_KEY);
    if (groupByPriority(screen, tab, subject, scope) ||
        (screen == ScheduleScreen::General && byPriority))
        return prioritiesInUse(db, subject.priorities);
    return Status::success();
}

bool isLookForwardListed(const Assignment& record, ScheduleScreen screen, int tab,
                         const ViewSubject& subject, const LookForwardOptions& options,
                         const ViewScope& scope, const Person* assignee) {
    if (record.CLOSEDATE != 0 || !isListedAssignment(record)) return false;
    if (options.endDate != kNoDate && record.DUEDATE > options.endDate) return false;
    if (!options.includeSecondary && record.SECONDARY == 1) return false;
    if (!options.includeDueNow && record.DUEDATE <= options.today) return false;
    switch (screen) {
        case ScheduleScreen::General:
            return isVisibleTo(record, scope);
        case ScheduleScreen::Group:
            return isVisibleTo(record, scope) && containsName(subject.members, record.PERSON);
        case ScheduleScreen::Person:
            // "By Due Date " and "By Priority" match the person without regard
            // to case, "By Assignment Name" letter for letter.
            if (!sameNameIgnoringCase(record.PERSON, subject.person)) return false;
            if (lookForwardMatchesPersonExactly(screen, tab) &&
                store::rtrim(record.PERSON) != store::rtrim(subject.person))
                return false;
            return isVisibleOnPersonScreen(record, assignee, scope);
    }
    return false;
}

Filter lookForwardFilter(ScheduleScreen screen, int tab, const ViewSubject& subject,
                         const LookForwardOptions& options, const ViewScope& scope) {
    // First the test that picks the index ranges (see ScheduleView.h), then
    // the tests applied to the rows those ranges yield.
    std::vector<Filter> tests;
    switch (screen) {
        case ScheduleScreen::General:
            tests.push_back(visibilityFilter(scope));
            break;
        case ScheduleScreen::Group: {
            // A member who does not see all: the rows given to them as one
            // range, and one range per other member for the rows they gave
            // that member. A range per priority besides (for the priority
            // tabs) made every page slower, on both engines: 65 -> 85 us at
            // 10 000 assignments, 97 -> 104 us at 1 000 000 ("By Priority").
            // Those who see all read each member's rows as one range, on
            // the priority tabs one per member and priority (see
            // groupByPriority()).
            Filter own = memberOwnRanges(scope, subject.members, {}, subject.mostRanges);
            if (!own.isAll()) {
                tests.push_back(std::move(own));
                break;
            }
            addTests(tests,
                     visibleMembersFilter(
                         scope, subject.members,
                         store::exists(GroupPeople::def(), {{"SHORTNAME", "PERSON"}},
                                       store::eq("GROUPNAME", store::rtrim(subject.group)))));
            if (groupByPriority(screen, tab, subject, &scope))
                addTests(tests, priorityIsOneOf(subject.priorities));
            break;
        }
        case ScheduleScreen::Person:
            tests.push_back(personIs(subject.person));
            if (lookForwardMatchesPersonExactly(screen, tab))
                tests.push_back(store::same("PERSON", store::rtrim(subject.person)));
            tests.push_back(personScreenVisibilityFilter(scope));
            break;
    }
    tests.push_back(store::eq("CLOSEDATE", 0));
    tests.push_back(listedAssignments());
    if (options.endDate != kNoDate) tests.push_back(store::le("DUEDATE", options.endDate));
    if (!options.includeSecondary) tests.push_back(store::ne("SECONDARY", 1));
    if (!options.includeDueNow) tests.push_back(store::gt("DUEDATE", options.today));
    // "By Priority" (General): one range per priority, bounded by the due dates.
    if (screen == ScheduleScreen::General &&
        tabReadsAlong(lookForwardTabs(screen), tab, key::ASS_PRIORITY_KEY))
        addTests(tests, priorityIsOneOf(subject.priorities));
    return store::allOf(std::move(tests));
}

Date lookForwardEndDate(const Session& session) {
    return session.EndDate;
}

bool lookForwardEndDateMoved(Date listed, const Session& session) {
    return listed != lookForwardEndDate(session);
}

}  // namespace tko
