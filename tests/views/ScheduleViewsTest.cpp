// Look Forward and History on the store (and the calendar's grid): the edge cases of their
// row rules, who sees what on each screen, the person matched with and without regard to case,
// group members by name and by number, and every tab's pages checked against the rule for one
// record on a random office, read forward and back.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <random>
#include <set>
#include <tuple>

#include "assign/Conclude.h"
#include "assign/Repetition.h"
#include "data/Keys.h"
#include "platform/BrowsePager.h"
#include "support/ConcludeResult.h"
#include "support/TestStore.h"
#include "views/Calendar.h"
#include "views/History.h"
#include "views/LookForward.h"

namespace tko {
namespace {

constexpr Date kToday = 82000;
using Numbers = std::set<std::int32_t>;

class ScheduleViewsTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_db = test::openStation(test::freshSource(m_dir));
        ASSERT_TRUE(m_db);
    }

    // An assignment to add: defaults, changed by chained setters.
    struct Sample {
        std::string person_ = "BEN", by_ = "ANNA", repeat_ = repeat::NoRepeats, name_;
        Date due_ = kToday + 10, assigned_ = kToday - 10, closed_ = 0;
        int priority_ = 5, secondary_ = 0;
        std::int32_t personNumber_ = 0;
        Sample& person(std::string v) { return person_ = std::move(v), *this; }
        Sample& by(std::string v) { return by_ = std::move(v), *this; }
        Sample& repeat(std::string v) { return repeat_ = std::move(v), *this; }
        Sample& name(std::string v) { return name_ = std::move(v), *this; }
        Sample& due(Date v) { return due_ = v, *this; }
        Sample& assigned(Date v) { return assigned_ = v, *this; }
        Sample& closed(Date v) { return closed_ = v, *this; }
        Sample& priority(int v) { return priority_ = v, *this; }
        Sample& secondary(int v) { return secondary_ = v, *this; }
        Sample& personNumber(std::int32_t v) { return personNumber_ = v, *this; }
    };

    std::int32_t add(const Sample& sample) {
        Assignment a;
        a.ASSIGNNUMBER = ++m_next;
        a.NAME = sample.name_.empty() ? "Assignment " + std::to_string(m_next) : sample.name_;
        a.PERSON = sample.person_;
        a.PERSONNUMBER = sample.personNumber_;
        a.USERNAME = sample.by_;
        a.DUEDATE = sample.due_;
        a.ASSIGNEDDATE = sample.assigned_;
        a.CLOSEDATE = sample.closed_;
        a.PRIORITY = static_cast<std::uint8_t>(sample.priority_);
        a.SECONDARY = static_cast<std::uint8_t>(sample.secondary_);
        a.REPEATTYPE = sample.repeat_;
        a.REPNUMBER = sample.repeat_ == repeat::NoRepeats ? 0 : 7;
        EXPECT_TRUE(m_db->add(a).ok());
        return a.ASSIGNNUMBER;
    }

    std::int32_t addPerson(const std::string& shortName, const std::string& type,
                           const std::string& owner) {
        Person p;
        p.PERSONNUMBER = ++m_nextPerson;
        p.SHORTNAME = shortName;
        p.TYPE = type;
        p.USER = owner;
        EXPECT_TRUE(m_db->add(p).ok());
        m_people[p.PERSONNUMBER] = p;
        return p.PERSONNUMBER;
    }

    std::int32_t addGroup(const std::string& name, const std::string& owner,
                          const std::vector<std::string>& members) {
        GroupName g;
        g.GROUPNAME = name;
        g.GROUPNUMBER = ++m_nextGroup;
        g.USER = owner;
        EXPECT_TRUE(m_db->add(g).ok());
        for (const std::string& m : members) {
            GroupPeople gp;
            gp.GROUPNAME = name;
            gp.GROUPNUMBER = g.GROUPNUMBER;
            gp.SHORTNAME = m;
            EXPECT_TRUE(m_db->add(gp).ok());
        }
        return g.GROUPNUMBER;
    }

    // The rows `filter` lists along `key`: exactly the expected ones, each
    // once, in the key's order.
    void expectListed(const store::Filter& filter, const char* key, const Numbers& expected,
                      const std::string& what) {
        const auto rows = listed(filter, key);
        EXPECT_EQ(numbers(rows), expected) << what;
        EXPECT_EQ(rows.size(), expected.size()) << what;
        EXPECT_TRUE(inKeyOrder(rows, key)) << what;
    }

    // Checks that `filter` along `key` lists exactly the rows of `all` that
    // `rule` keeps, in key order; returns how many rows that is.
    size_t expectListedAsRule(const std::vector<Assignment>& all,
                              const std::function<bool(const Assignment&)>& rule,
                              const store::Filter& filter, const char* key,
                              const std::string& what) {
        Numbers expected;
        for (const Assignment& a : all)
            if (rule(a)) expected.insert(a.ASSIGNNUMBER);
        expectListed(filter, key, expected, what);
        return expected.size();
    }

    // Every row listed along `key`, a few rows a page so that pages continue
    // inside the ranges; read from the top down, and checked against the
    // same list read from the bottom up.
    std::vector<Assignment> listed(const store::Filter& filter, const char* key) {
        BrowsePager pager(m_db->engine(), Assignment::def());
        pager.setKey(Assignment::def().key(key));
        pager.setFilter(filter);
        pager.setPageSize(5);
        std::vector<Assignment> down, up;
        walk(pager, true, down);
        walk(pager, false, up);
        std::reverse(up.begin(), up.end());
        EXPECT_EQ(numbersInOrder(down), numbersInOrder(up)) << "read back along " << key;
        return down;
    }

    static void walk(BrowsePager& pager, bool forward, std::vector<Assignment>& out) {
        const Status s = forward ? pager.top() : pager.bottom();
        ASSERT_TRUE(s.ok() || s.endOfRange()) << s.describe();
        if (pager.isEmpty()) return;
        for (int guard = 0; guard < 5000; ++guard) {
            Assignment a;
            a.fromRow(*pager.selectedRow());
            out.push_back(a);
            const std::int64_t before = pager.selectedRow()->pos;
            ASSERT_TRUE((forward ? pager.rowDown() : pager.rowUp()).ok());
            if (pager.selectedRow()->pos == before) return;
        }
        ADD_FAILURE() << "the list does not end";
    }

    static std::vector<std::int32_t> numbersInOrder(const std::vector<Assignment>& rows) {
        std::vector<std::int32_t> out;
        for (const Assignment& a : rows) out.push_back(a.ASSIGNNUMBER);
        return out;
    }
    static Numbers numbers(const std::vector<Assignment>& rows) {
        const auto v = numbersInOrder(rows);
        return Numbers(v.begin(), v.end());
    }

    // Rows in the order of `key`, ties in any order.
    static bool inKeyOrder(const std::vector<Assignment>& rows, const char* key) {
        const store::KeyDef& k = *Assignment::def().key(key);
        return std::is_sorted(rows.begin(), rows.end(),
                              [&](const Assignment& a, const Assignment& b) {
                                  const auto ka = store::keyValuesOf(k, a.toRow()),
                                             kb = store::keyValuesOf(k, b.toRow());
                                  for (size_t i = 0; i < ka.size(); ++i)
                                      if (int c = store::compareValues(ka[i], kb[i])) return c < 0;
                                  return false;
                              });
    }

    Numbers lookForward(ScheduleScreen screen, int tab, ViewSubject subject,
                        const LookForwardOptions& options, const ViewScope& scope) {
        EXPECT_TRUE(loadLookForwardSubject(*m_db, screen, subject).ok());
        const char* key = lookForwardTabs(screen)[static_cast<size_t>(tab)].keyLabel;
        return numbers(listed(lookForwardFilter(screen, tab, subject, options, scope), key));
    }
    Numbers history(ScheduleScreen screen, int tab, ViewSubject subject,
                    const HistoryOptions& options, const ViewScope& scope) {
        EXPECT_TRUE(loadHistorySubject(*m_db, screen, subject).ok());
        const char* key = historyTabs(screen)[static_cast<size_t>(tab)].keyLabel;
        return numbers(listed(historyFilter(screen, tab, subject, options, scope), key));
    }

    static LookForwardOptions lfOptions(Date end = 0, bool dueNow = true, bool secondary = true) {
        LookForwardOptions o;
        o.endDate = end;
        o.includeDueNow = dueNow;
        o.includeSecondary = secondary;
        o.today = kToday;
        return o;
    }
    static ViewScope admin() { return ViewScope{"SUPERVISOR", true}; }
    static ViewScope general(const std::string& user) { return ViewScope{user, false}; }
    static ViewSubject personSubject(const std::string& person) {
        ViewSubject s;
        s.person = person;
        return s;
    }
    static ViewSubject groupSubject(const std::string& group, std::int32_t number = 0) {
        ViewSubject s;
        s.group = group;
        s.groupNumber = number;
        return s;
    }

    test::TempDir m_dir;
    std::unique_ptr<Database> m_db;
    std::int32_t m_next = 0, m_nextPerson = 0, m_nextGroup = 0;
    std::map<std::int32_t, Person> m_people;
};

// ---- Look Forward -------------------------------------------------------------

TEST_F(ScheduleViewsTest, LookForwardEndDateDueNowAndSecondary) {
    const auto farAhead = add(Sample().due(kToday + 3000));
    const auto onEnd = add(Sample().due(kToday + 30));
    const auto dayAfter = add(Sample().due(kToday + 31));
    const auto today = add(Sample().due(kToday));
    const auto overdue = add(Sample().due(kToday - 50));
    const auto tomorrow = add(Sample().due(kToday + 1));
    const auto secondary = add(Sample().due(kToday + 5).secondary(1));
    const auto flagTwo = add(Sample().due(kToday + 5).secondary(2));
    add(Sample().due(kToday + 5).closed(kToday - 1));    // concluded: never listed
    add(Sample().due(kToday + 5).name(" ").person(""));  // still being entered: never listed

    const auto& tabs = lookForwardTabs(ScheduleScreen::General);
    for (int tab = 0; tab < static_cast<int>(tabs.size()); ++tab) {
        SCOPED_TRACE(tabs[static_cast<size_t>(tab)].caption);
        auto run = [&](const LookForwardOptions& o) {
            return lookForward(ScheduleScreen::General, tab, {}, o, admin());
        };
        // No end date: everything open, however far ahead.
        EXPECT_EQ(run(lfOptions(0)), (Numbers{farAhead, onEnd, dayAfter, today, overdue, tomorrow,
                                              secondary, flagTwo}));
        // Due on the end date is in, the day after is out.
        EXPECT_EQ(run(lfOptions(kToday + 30)),
                  (Numbers{onEnd, today, overdue, tomorrow, secondary, flagTwo}));
        // "due now" cleared: nothing due today or earlier.
        EXPECT_EQ(run(lfOptions(kToday + 30, false)),
                  (Numbers{onEnd, tomorrow, secondary, flagTwo}));
        // "secondary" cleared: only a flag of exactly 1 hides a row.
        EXPECT_EQ(run(lfOptions(kToday + 30, false, false)), (Numbers{onEnd, tomorrow, flagTwo}));
    }
}

TEST_F(ScheduleViewsTest, LookForwardVisibilityPerScreen) {
    const auto otherPrivate = addPerson("DORA", "Private", "CARLA");
    const auto ownPrivate = addPerson("EVA", "Private", "BEN");
    const auto open = addPerson("FRED", "Open", "CARLA");
    const auto toBen = add(Sample().person("BEN").by("ANNA"));
    const auto byBen = add(Sample().person("CARLA").by("BEN"));
    const auto others = add(Sample().person("CARLA").by("ANNA"));
    const auto privateOfCarla = add(Sample().person("DORA").by("ANNA").personNumber(otherPrivate));
    const auto privateOfBen = add(Sample().person("EVA").by("ANNA").personNumber(ownPrivate));
    const auto openPerson = add(Sample().person("FRED").by("ANNA").personNumber(open));
    const auto noPeopleRecord = add(Sample().person("GUS").by("ANNA").personNumber(999));
    // Given to Dora by Ben himself: his own work, whoever owns Dora.
    const auto byBenToDora = add(Sample().person("DORA").by("BEN").personNumber(otherPrivate));

    EXPECT_EQ(lookForward(ScheduleScreen::General, 0, {}, lfOptions(), general("BEN")),
              (Numbers{toBen, byBen, byBenToDora}));
    EXPECT_EQ(lookForward(ScheduleScreen::General, 0, {}, lfOptions(), admin()).size(), 8u);

    // The Person screen shows others' work unless the person is Private of
    // another user.
    for (int tab = 0; tab < 3; ++tab) {
        SCOPED_TRACE(tab);
        const ViewScope ben = general("BEN");
        EXPECT_EQ(
            lookForward(ScheduleScreen::Person, tab, personSubject("CARLA"), lfOptions(), ben),
            (Numbers{byBen, others}));
        EXPECT_EQ(lookForward(ScheduleScreen::Person, tab, personSubject("DORA"), lfOptions(), ben),
                  (Numbers{byBenToDora}));
        EXPECT_EQ(lookForward(ScheduleScreen::Person, tab, personSubject("DORA"), lfOptions(),
                              general("CARLA")),
                  (Numbers{privateOfCarla, byBenToDora}));
        EXPECT_EQ(lookForward(ScheduleScreen::Person, tab, personSubject("EVA"), lfOptions(), ben),
                  (Numbers{privateOfBen}));
        EXPECT_EQ(lookForward(ScheduleScreen::Person, tab, personSubject("FRED"), lfOptions(), ben),
                  (Numbers{openPerson}));
        EXPECT_EQ(lookForward(ScheduleScreen::Person, tab, personSubject("GUS"), lfOptions(), ben),
                  (Numbers{noPeopleRecord}));
        EXPECT_EQ(
            lookForward(ScheduleScreen::Person, tab, personSubject("DORA"), lfOptions(), admin()),
            (Numbers{privateOfCarla, byBenToDora}));
    }
}

TEST_F(ScheduleViewsTest, ViewAllAndTheAdministratorSeeEverything) {
    Session ben;
    ben.GlobalUser = "BEN";
    ViewScope scope;
    ASSERT_TRUE(loadViewScope(*m_db, ben, scope).ok());  // no settings record yet
    EXPECT_FALSE(scope.seesAll);
    EXPECT_EQ(scope.user, "BEN");
    ben.GlobalUserAccess = 1;
    ASSERT_TRUE(loadViewScope(*m_db, ben, scope).ok());
    EXPECT_FALSE(scope.seesAll);
    ben.GlobalUserAccess = 2;
    ASSERT_TRUE(loadViewScope(*m_db, ben, scope).ok());
    EXPECT_TRUE(scope.seesAll);
    SystemPref settings;
    settings.VIEWALL = 1;
    ASSERT_TRUE(m_db->add(settings).ok());
    ben.GlobalUserAccess = 0;
    ASSERT_TRUE(loadViewScope(*m_db, ben, scope).ok());
    EXPECT_TRUE(scope.seesAll);
}

TEST_F(ScheduleViewsTest, PersonMatchesWithoutRegardToCaseOnEveryTab) {
    const auto upper = add(Sample().person("BEN").due(kToday + 3).name("Charlie"));
    const auto mixed = add(Sample().person("Ben").due(kToday + 1).name("Alpha"));
    const auto lower = add(Sample().person("ben").due(kToday + 2).name("Bravo"));
    add(Sample().person("BENNY").due(kToday + 2));
    add(Sample().person("BE").due(kToday + 2));
    add(Sample().person("BEM").due(kToday + 2));
    add(Sample().person("Bfn").due(kToday + 2));
    const auto umlaut = add(Sample().person("Jörg").due(kToday + 4));
    const auto umlautUpper = add(Sample().person("JÖRG").due(kToday + 5));
    add(Sample().person("JORG").due(kToday + 5));

    // "By Due Date " and "By Priority" find every spelling; an accent still differs.
    for (int tab : {0, 1}) {
        SCOPED_TRACE(tab);
        EXPECT_EQ(
            lookForward(ScheduleScreen::Person, tab, personSubject("bEN"), lfOptions(), admin()),
            (Numbers{upper, mixed, lower}));
        EXPECT_EQ(
            lookForward(ScheduleScreen::Person, tab, personSubject("JöRG"), lfOptions(), admin()),
            (Numbers{umlaut, umlautUpper}));
        EXPECT_TRUE(
            lookForward(ScheduleScreen::Person, tab, personSubject("NOBODY"), lfOptions(), admin())
                .empty());
    }
    // The three spellings interleave by due date, as one person's rows would.
    ViewSubject ben = personSubject("ben");
    ASSERT_TRUE(loadLookForwardSubject(*m_db, ScheduleScreen::Person, ben).ok());
    const auto byDue =
        listed(lookForwardFilter(ScheduleScreen::Person, 0, ben, lfOptions(), admin()),
               lookForwardTabs(ScheduleScreen::Person)[0].keyLabel);
    EXPECT_EQ(numbersInOrder(byDue), (std::vector<std::int32_t>{mixed, lower, upper}));
    // By name the person is matched letter for letter, although the key and
    // the other tabs ignore letter case.
    EXPECT_EQ(lookForward(ScheduleScreen::Person, 2, personSubject("ben"), lfOptions(), admin()),
              (Numbers{lower}));
    EXPECT_EQ(lookForward(ScheduleScreen::Person, 2, personSubject("BEN"), lfOptions(), admin()),
              (Numbers{upper}));
    EXPECT_EQ(lookForward(ScheduleScreen::Person, 2, personSubject("Jörg"), lfOptions(), admin()),
              (Numbers{umlaut}));
    // The rule for one record agrees with the store's filter.
    for (const auto& [person, tab, matches] :
         std::vector<std::tuple<std::string, int, bool>>{{"BEN", 0, true},
                                                         {"Ben ", 0, true},
                                                         {"BENNY", 0, false},
                                                         {"BEM", 0, false},
                                                         {"ben ", 2, true},
                                                         {"BEN", 2, false},
                                                         {"Ben", 2, false}}) {
        Assignment record;
        record.PERSON = person;
        EXPECT_EQ(isLookForwardListed(record, ScheduleScreen::Person, tab, ben, lfOptions(),
                                      admin(), nullptr),
                  matches)
            << person << " on tab " << tab;
    }
}

TEST_F(ScheduleViewsTest, LookForwardGroupsByNameHistoryGroupsByNumber) {
    const auto annasTeam = addGroup("Team", "ANNA", {"BEN", "CARLA"});
    const auto bensTeam = addGroup("Team", "BEN", {"DORA"});
    addGroup("Empty", "ANNA", {});
    const auto toBen = add(Sample().person("BEN").by("ANNA"));
    const auto toCarla = add(Sample().person("CARLA").by("BEN"));
    const auto toDora = add(Sample().person("DORA").by("ANNA"));
    add(Sample().person("ERIC").by("BEN"));
    // A member's name in another spelling is that member's (names compare
    // without regard to case), but is not the user BEN's own work.
    const auto toBenLower = add(Sample().person("ben").by("ANNA"));

    for (int tab = 0; tab < 5; ++tab) {
        SCOPED_TRACE(tab);
        EXPECT_EQ(
            lookForward(ScheduleScreen::Group, tab, groupSubject("Team"), lfOptions(), admin()),
            (Numbers{toBen, toCarla, toDora, toBenLower}));
        EXPECT_TRUE(
            lookForward(ScheduleScreen::Group, tab, groupSubject("Empty"), lfOptions(), admin())
                .empty());
        EXPECT_TRUE(lookForward(ScheduleScreen::Group, tab, groupSubject(""), lfOptions(), admin())
                        .empty());
        // A general user: only work given to or by them, of the members.
        EXPECT_EQ(lookForward(ScheduleScreen::Group, tab, groupSubject("Team"), lfOptions(),
                              general("BEN")),
                  (Numbers{toBen, toCarla}));
        EXPECT_EQ(lookForward(ScheduleScreen::Group, tab, groupSubject("Team"), lfOptions(),
                              general("ERIC")),
                  Numbers{});
    }
    HistoryOptions period{true, kToday - 30, kToday};
    for (int tab : {0, 1, 3, 4}) {
        SCOPED_TRACE(tab);
        EXPECT_EQ(
            history(ScheduleScreen::Group, tab, groupSubject("Team", annasTeam), period, admin()),
            (Numbers{toBen, toCarla, toBenLower}));
        EXPECT_EQ(
            history(ScheduleScreen::Group, tab, groupSubject("Team", bensTeam), period, admin()),
            (Numbers{toDora}));
        // Typed, not picked: the first group list of that name.
        EXPECT_EQ(history(ScheduleScreen::Group, tab, groupSubject("Team"), period, admin()),
                  (Numbers{toBen, toCarla, toBenLower}));
        EXPECT_TRUE(
            history(ScheduleScreen::Group, tab, groupSubject("Nobody's"), period, admin()).empty());
    }
}

TEST_F(ScheduleViewsTest, AConcludedRepeatingAssignmentStaysWithItsNewDueDate) {
    Sample weekly = Sample().person("BEN").by("BEN").due(kToday + 2);
    weekly.repeat_ = "Days after Last Due";
    const auto number = add(weekly);
    const auto single = add(Sample().person("BEN").by("BEN").due(kToday + 2));
    Session ben;
    ben.GlobalUser = "BEN";
    const LookForwardOptions o = lfOptions(kToday + 10);

    Assignment outcomeAfter;
    Outcome outcome = ConcludeAssignment(*m_db, ben, number, kToday, nullptr, &outcomeAfter);
    ASSERT_EQ(test::concludeResult(outcome, outcomeAfter), test::kRepeated) << outcomeLine(outcome);
    EXPECT_EQ(outcomeAfter.DUEDATE, kToday + 9);
    ASSERT_EQ(test::conclude(*m_db, ben, single, kToday), test::kConcluded);
    EXPECT_EQ(lookForward(ScheduleScreen::General, 0, {}, o, general("BEN")), Numbers{number});
    // Once more: due beyond the end date, gone though still open.
    ASSERT_EQ(test::conclude(*m_db, ben, number, kToday), test::kRepeated);
    EXPECT_TRUE(lookForward(ScheduleScreen::General, 0, {}, o, general("BEN")).empty());
    EXPECT_EQ(lookForward(ScheduleScreen::General, 0, {}, lfOptions(), general("BEN")),
              Numbers{number});
}

// ---- History ------------------------------------------------------------------

TEST_F(ScheduleViewsTest, HistoryPeriodTest) {
    const Date s = kToday - 30, e = kToday;
    const auto onStart = add(Sample().assigned(s));
    const auto onEnd = add(Sample().assigned(e));
    const auto before = add(Sample().assigned(s - 1));
    const auto after = add(Sample().assigned(e + 1));
    const auto concludedOnEnd = add(Sample().assigned(s - 100).closed(e));
    const auto concludedOnStart = add(Sample().assigned(s).closed(s));
    const auto concludedAfter = add(Sample().assigned(s + 1).closed(e + 1));
    Sample rep = Sample().assigned(s - 400);
    rep.repeat_ = "Days after Last Due";
    const auto repeatingOpen = add(rep);
    rep.closed_ = s - 1;
    const auto repeatingClosedBefore = add(rep);
    rep.closed_ = s;
    const auto repeatingClosedOnStart = add(rep);
    rep.closed_ = 0;
    rep.assigned_ = e + 1;
    const auto repeatingAssignedAfter = add(rep);
    const auto secondary = add(Sample().assigned(s + 2).secondary(1));
    const auto flagTwo = add(Sample().assigned(s + 2).secondary(2));
    (void)before, (void)after, (void)repeatingClosedBefore, (void)repeatingAssignedAfter,
        (void)concludedAfter;

    const HistoryOptions with{true, s, e}, without{false, s, e};
    const auto& tabs = historyTabs(ScheduleScreen::General);
    for (int tab = 0; tab < static_cast<int>(tabs.size()); ++tab) {
        SCOPED_TRACE(tabs[static_cast<size_t>(tab)].caption);
        const bool concluded = historyTabIsConcluded(ScheduleScreen::General, tab);
        const Numbers expected =
            concluded
                ? Numbers{concludedOnEnd, concludedOnStart, repeatingOpen, repeatingClosedOnStart}
                : Numbers{onStart,        onEnd,         concludedOnStart,
                          concludedAfter, repeatingOpen, repeatingClosedOnStart,
                          secondary,      flagTwo};
        EXPECT_EQ(history(ScheduleScreen::General, tab, {}, with, admin()), expected);
        Numbers primary = expected;
        primary.erase(secondary);
        EXPECT_EQ(history(ScheduleScreen::General, tab, {}, without, admin()), primary);
        // A period without a start or an end lists nothing.
        EXPECT_TRUE(history(ScheduleScreen::General, tab, {}, {true, 0, e}, admin()).empty());
        EXPECT_TRUE(history(ScheduleScreen::General, tab, {}, {true, s, 0}, admin()).empty());
    }
    // A repeating assignment never concluded is listed for every period that
    // ends on or after its assigned date.
    EXPECT_TRUE(history(ScheduleScreen::General, 0, {}, {true, s - 400, s - 400}, admin())
                    .count(repeatingOpen));
    EXPECT_FALSE(history(ScheduleScreen::General, 0, {}, {true, s - 500, s - 401}, admin())
                     .count(repeatingOpen));
    for (ScheduleScreen screen : {ScheduleScreen::Person, ScheduleScreen::Group})
        for (int tab = 0; tab < static_cast<int>(historyTabs(screen).size()); ++tab)
            EXPECT_TRUE(history(screen, tab, personSubject("BEN"), {true, 0, 0}, admin()).empty());
}

TEST_F(ScheduleViewsTest, HistoryPersonScreenCaseAndVisibility) {
    const auto privateOfCarla = addPerson("DORA", "Private", "CARLA");
    const auto toBen = add(Sample().person("BEN").by("ANNA").name("Zulu"));
    const auto toBenLower = add(Sample().person("ben").by("CARLA").name("Alpha"));
    add(Sample().person("DORA").by("ANNA").personNumber(privateOfCarla));
    const auto toDoraByBen = add(Sample().person("DORA").by("BEN").personNumber(privateOfCarla));
    const HistoryOptions period{true, kToday - 30, kToday};
    for (int tab = 0; tab < 4; ++tab) {
        if (historyTabIsConcluded(ScheduleScreen::Person, tab)) continue;
        SCOPED_TRACE(tab);
        EXPECT_EQ(
            history(ScheduleScreen::Person, tab, personSubject("Ben"), period, general("ERIC")),
            (Numbers{toBen, toBenLower}));
        EXPECT_EQ(
            history(ScheduleScreen::Person, tab, personSubject("dora"), period, general("BEN")),
            (Numbers{toDoraByBen}));
    }
    // The Person screen's name tab is in name order.
    ViewSubject ben = personSubject("BEN");
    ASSERT_TRUE(loadHistorySubject(*m_db, ScheduleScreen::Person, ben).ok());
    const auto byName = listed(historyFilter(ScheduleScreen::Person, 3, ben, period, admin()),
                               historyTabs(ScheduleScreen::Person)[3].keyLabel);
    EXPECT_EQ(numbersInOrder(byName), (std::vector<std::int32_t>{toBenLower, toBen}));
}

TEST_F(ScheduleViewsTest, PreferencesAreWrittenBackWithoutLosingOtherChanges) {
    UserPref fresh;
    ASSERT_TRUE(loadUserPref(*m_db, "BEN", fresh).ok());  // none stored yet: a blank one
    EXPECT_EQ(fresh.USERNAME, "BEN");
    EXPECT_EQ(fresh.rowPos, 0);
    ASSERT_TRUE(writeBackUserPref(*m_db, "BEN", [](UserPref& p) { p.SECONDARY = 1; }).ok());

    // Another screen changes the record after this one read it.
    UserPref mine;
    ASSERT_TRUE(loadUserPref(*m_db, "BEN", mine).ok());
    UserPref other = mine;
    other.PRIORITY = 3;
    other.HISTSTARTDATE = kToday - 9;
    ASSERT_TRUE(m_db->change(other).ok());
    ASSERT_TRUE(writeBackUserPref(*m_db, "BEN", [](UserPref& p) {
                    p.CURRENTDUE = 1;
                    p.SECONDARY = 0;
                }).ok());
    UserPref stored;
    ASSERT_TRUE(loadUserPref(*m_db, "BEN", stored).ok());
    EXPECT_EQ(stored.PRIORITY, 3);
    EXPECT_EQ(stored.HISTSTARTDATE, kToday - 9);
    EXPECT_EQ(stored.CURRENTDUE, 1);
    EXPECT_EQ(stored.SECONDARY, 0);
    std::int64_t count = 0;
    ASSERT_TRUE(m_db->count<UserPref>(store::eq("USERNAME", "BEN"), count).ok());
    EXPECT_EQ(count, 1);
}

// Two screens open at once: closing one writes only what it changed, so it
// cannot undo what the other set meanwhile (stored holds the other's choice).
TEST(ScheduleSettingsWrittenBack, OnlyWhatThisScreenChanged) {
    struct Case {
        const char* what;
        ScheduleSettings which;
        std::function<void(UserPref&)> change;  // what this screen changed
        bool written;
        std::uint8_t secondary, currentDue, histSecondary;
        Date start, end;
    };
    const Date s = kToday - 9, e = kToday;
    const std::vector<Case> cases = {
        {"nothing changed", ScheduleSettings::LookForward, [](UserPref&) {}, false, 1, 1, 1, s, e},
        {"due now cleared", ScheduleSettings::LookForward, [](UserPref& p) { p.CURRENTDUE = 0; },
         true, 1, 0, 1, s, e},
        {"a History field is not Look Forward's", ScheduleSettings::LookForward,
         [](UserPref& p) { p.HISTENDDATE = 0; }, false, 1, 1, 1, s, e},
        {"cleared and ticked again", ScheduleSettings::History,
         [](UserPref& p) {
             p.HISTSECONDARY = 0;
             p.HISTSECONDARY = 1;
         },
         false, 1, 1, 1, s, e},
        {"period start only", ScheduleSettings::History,
         [&](UserPref& p) { p.HISTSTARTDATE = kToday - 1; }, true, 1, 1, 1, kToday - 1, e},
        {"a Look Forward field is not History's", ScheduleSettings::History,
         [](UserPref& p) { p.SECONDARY = 0; }, false, 1, 1, 1, s, e},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        UserPref opened;  // as this screen read it
        UserPref stored;  // as another screen left it since
        stored.SECONDARY = stored.CURRENTDUE = stored.HISTSECONDARY = 1;
        stored.HISTSTARTDATE = s;
        stored.HISTENDDATE = e;
        opened.CURRENTDUE = opened.HISTSECONDARY = 1;
        UserPref chosen = opened;
        c.change(chosen);
        EXPECT_EQ(applyChangedSettings(c.which, opened, chosen, stored), c.written);
        EXPECT_EQ(stored.SECONDARY, c.secondary);
        EXPECT_EQ(stored.CURRENTDUE, c.currentDue);
        EXPECT_EQ(stored.HISTSECONDARY, c.histSecondary);
        EXPECT_EQ(stored.HISTSTARTDATE, c.start);
        EXPECT_EQ(stored.HISTENDDATE, c.end);
    }
}

TEST(HistoryLetters, TheFirstLetterOfTheHighlightedNameMovesDown) {
    EXPECT_TRUE(letterMovesToNextRow("Budget review", "b"));
    EXPECT_TRUE(letterMovesToNextRow("budget review", "B"));
    EXPECT_FALSE(letterMovesToNextRow("Budget review", "c"));
    EXPECT_FALSE(letterMovesToNextRow("", "c"));
    EXPECT_FALSE(letterMovesToNextRow("Budget", " "));
    EXPECT_TRUE(letterMovesToNextRow("Ölwechsel", "ö"));
}

// ---- every tab against the rule for one record -----------------------------------

TEST_F(ScheduleViewsTest, ByPriorityListsEveryPriorityStoredAlsoOutsideOneToNine) {
    // "By Priority" reads one range per priority stored: rows copied in with
    // a priority the form never gives (0, 12, 200) must be listed too, in key
    // order, and so must every row when there are too many such priorities
    // to read one by one.
    auto check = [&](const char* label) {
        for (const ViewScope& scope : {admin(), general("BEN")}) {
            ViewSubject subject;
            ASSERT_TRUE(loadLookForwardSubject(*m_db, ScheduleScreen::General, subject).ok());
            std::vector<Assignment> all;
            ASSERT_TRUE(m_db->readAll("ASS:NUMBER_KEY", store::all(), all).ok());
            const LookForwardOptions o = lfOptions(kToday + 40, false, true);
            Numbers expected;
            for (const Assignment& a : all)
                if (isLookForwardListed(a, ScheduleScreen::General, 1, subject, o, scope, nullptr))
                    expected.insert(a.ASSIGNNUMBER);
            const auto rows =
                listed(lookForwardFilter(ScheduleScreen::General, 1, subject, o, scope),
                       key::ASS_PRIORITY_KEY);
            EXPECT_EQ(numbers(rows), expected) << label << " Look Forward " << scope.user;
            EXPECT_TRUE(inKeyOrder(rows, key::ASS_PRIORITY_KEY)) << label;

            ASSERT_TRUE(loadHistorySubject(*m_db, ScheduleScreen::General, subject).ok());
            const HistoryOptions h{true, kToday - 30, kToday};
            expected.clear();
            for (const Assignment& a : all)
                if (isHistoryListed(a, ScheduleScreen::General, 1, subject, h, scope, nullptr))
                    expected.insert(a.ASSIGNNUMBER);
            const auto past = listed(historyFilter(ScheduleScreen::General, 1, subject, h, scope),
                                     key::ASS_PRIORASSIGN_KEY);
            EXPECT_EQ(numbers(past), expected) << label << " History " << scope.user;
            EXPECT_TRUE(inKeyOrder(past, key::ASS_PRIORASSIGN_KEY)) << label;
        }
    };
    for (int priority : {0, 1, 5, 9, 12, 200}) {
        for (int i = 0; i < 3; ++i) {
            add(Sample().priority(priority).due(kToday - 5 + 7 * i).assigned(kToday - 40 + 9 * i));
            add(Sample()
                    .priority(priority)
                    .by("BEN")
                    .due(kToday + 3 * i)
                    .closed(i ? 0 : kToday - 1));
        }
    }
    std::vector<int> priorities;
    ASSERT_TRUE(prioritiesInUse(*m_db, priorities).ok());
    EXPECT_EQ(priorities, (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 12, 200}));
    check("a few outside");
    for (int priority = 20; priority < 50; ++priority)
        add(Sample().priority(priority).by(priority % 2 ? "BEN" : "ANNA"));
    ASSERT_TRUE(prioritiesInUse(*m_db, priorities).ok());
    EXPECT_TRUE(priorities.empty());
    check("many outside");
}

TEST_F(ScheduleViewsTest, RangesPerPriorityAndRepeatTypeKeepEveryRowOnEveryScreen) {
    // Person and Group screens read a person's rows (a member's own rows, a
    // group's members' rows) one range per priority or per repeat type, the
    // rows that do not repeat bounded by the period or the due dates. Rows on
    // and just beyond those bounds, with priorities outside 1 to 9 and repeat
    // types the program never writes, must be listed exactly as the rule for
    // one record lists them, by an administrator and by a member of the group.
    // The subject is loaded for the tab, as the windows load it.
    addGroup("Team", "ANNA", {"BEN", "CARLA"});
    const Date s = kToday - 30, e = kToday - 5;
    const char* types[] = {repeat::NoRepeats, "Days after Last Due", "Typed by hand"};
    int n = 0;
    for (int priority : {0, 1, 4, 9, 12}) {
        for (const char* type : types) {
            for (Date assigned : {s - 1, s, e, e + 1}) {
                for (const char* person : {"ben", "CARLA", "DORA"}) {
                    ++n;
                    add(Sample()
                            .person(person)
                            .by(n % 4 == 0 ? "BEN" : "ANNA")
                            .priority(priority)
                            .repeat(type)
                            .assigned(assigned)
                            .due(assigned + 30 + n % 3 - 1)  // around today
                            .closed(n % 5 == 0   ? assigned + 2
                                    : n % 5 == 1 ? e
                                                 : 0));
                }
            }
        }
    }
    std::vector<Assignment> all;
    ASSERT_TRUE(m_db->readAll("ASS:NUMBER_KEY", store::all(), all).ok());
    std::vector<int> priorities;
    ASSERT_TRUE(prioritiesInUse(*m_db, priorities).ok());
    EXPECT_EQ(priorities, (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 12}));
    for (ScheduleScreen screen : {ScheduleScreen::Person, ScheduleScreen::Group}) {
        const ViewSubject given =
            screen == ScheduleScreen::Person ? personSubject("ben") : groupSubject("Team");
        for (const ViewScope& scope : {admin(), general("BEN")}) {
            const auto& tabs = lookForwardTabs(screen);
            for (int tab = 0; tab < static_cast<int>(tabs.size()); ++tab) {
                for (const LookForwardOptions& o :
                     {lfOptions(0, false, true), lfOptions(kToday + 1, true, true)}) {
                    ViewSubject subject = given;
                    ASSERT_TRUE(loadLookForwardSubject(*m_db, screen, subject, tab).ok());
                    const size_t listedRows = expectListedAsRule(
                        all,
                        [&](const Assignment& a) {
                            return isLookForwardListed(a, screen, tab, subject, o, scope, nullptr);
                        },
                        lookForwardFilter(screen, tab, subject, o, scope),
                        tabs[static_cast<size_t>(tab)].keyLabel,
                        "Look Forward " + std::to_string(static_cast<int>(screen)) + " tab " +
                            std::to_string(tab) + " " + scope.user);
                    EXPECT_GT(listedRows, 0u);
                }
            }
            const auto& htabs = historyTabs(screen);
            for (int tab = 0; tab < static_cast<int>(htabs.size()); ++tab) {
                ViewSubject subject = given;
                ASSERT_TRUE(loadHistorySubject(*m_db, screen, subject, tab).ok());
                const HistoryOptions o{true, s, e};
                const size_t listedRows = expectListedAsRule(
                    all,
                    [&](const Assignment& a) {
                        return isHistoryListed(a, screen, tab, subject, o, scope, nullptr);
                    },
                    historyFilter(screen, tab, subject, o, scope),
                    htabs[static_cast<size_t>(tab)].keyLabel,
                    "History " + std::to_string(static_cast<int>(screen)) + " tab " +
                        std::to_string(tab) + " " + scope.user);
                EXPECT_GT(listedRows, 0u);
            }
        }
    }
}

TEST_F(ScheduleViewsTest, EveryTabAgreesWithTheRuleOnARandomOffice) {
    std::mt19937 random(4711);
    // One transaction for the whole office: far quicker than a commit per row.
    ASSERT_TRUE(m_db->begin({"ASSIGNMENT", "PEOPLE", "GROUPNAME", "GROUPPEOPLE"}, 3000).ok());
    const std::vector<std::string> names{"ANNA",  "anna", "BEN",  "Ben",
                                         "CARLA", "DORA", "Jörg", "JÖRG"};
    const std::vector<std::string> users{"ANNA", "BEN", "CARLA"};
    std::vector<std::int32_t> personNumbers{0, 999};
    // Spellings of one name belong to different owners: one owner cannot
    // keep two people whose names differ only in case.
    for (size_t i = 0; i < names.size(); ++i)
        personNumbers.push_back(
            addPerson(names[i], random() % 3 == 0 ? "Private" : "Open", users[i % users.size()]));
    const auto team = addGroup("Team", "ANNA", {"BEN", "anna", "Jörg"});
    addGroup("Team", "CARLA", {"DORA"});
    const std::vector<std::string> repeats{repeat::NoRepeats, repeat::NoRepeats,
                                           "Days after Last Due", ""};
    for (int i = 0; i < 160; ++i) {
        Sample sample;
        sample.person_ = names[random() % names.size()];
        sample.by_ = users[random() % users.size()];
        sample.due_ = kToday - 20 + static_cast<Date>(random() % 60);
        sample.assigned_ = kToday - 60 + static_cast<Date>(random() % 70);
        sample.closed_ = random() % 3 == 0 ? kToday - 40 + static_cast<Date>(random() % 45) : 0;
        sample.priority_ = 1 + static_cast<int>(random() % 9);
        sample.secondary_ = static_cast<int>(random() % 3);
        sample.repeat_ = repeats[random() % repeats.size()];
        sample.personNumber_ = personNumbers[random() % personNumbers.size()];
        sample.name_ = std::string(1, static_cast<char>('A' + random() % 5)) + " task";
        if (i % 16 == 0) sample.name(" ").person("");  // still being entered
        if (i % 16 == 8) sample.name(" ");             // a person alone is listed
        add(sample);
    }
    ASSERT_TRUE(m_db->commit().ok());
    std::vector<Assignment> all;
    ASSERT_TRUE(m_db->readAll("ASS:NUMBER_KEY", store::all(), all).ok());
    auto assigneeOf = [&](const Assignment& a) -> const Person* {
        auto it = m_people.find(a.PERSONNUMBER);
        return it == m_people.end() ? nullptr : &it->second;
    };
    const std::vector<ViewScope> scopes{admin(), general("BEN")};
    auto subjectsOf = [&](ScheduleScreen screen) -> std::vector<ViewSubject> {
        if (screen == ScheduleScreen::Person) return {personSubject("ben"), personSubject("JöRG")};
        if (screen == ScheduleScreen::Group)
            return {groupSubject("Team"), groupSubject("Team", team)};
        return {ViewSubject{}};
    };

    for (ScheduleScreen screen :
         {ScheduleScreen::General, ScheduleScreen::Person, ScheduleScreen::Group}) {
        const auto& tabs = lookForwardTabs(screen);
        for (int tab = 0; tab < static_cast<int>(tabs.size()); ++tab)
            for (const ViewScope& scope : scopes)
                for (const ViewSubject& given : subjectsOf(screen))
                    for (const LookForwardOptions& o :
                         {lfOptions(0, true, true), lfOptions(kToday + 15, false, false)}) {
                        ViewSubject subject = given;
                        ASSERT_TRUE(loadLookForwardSubject(*m_db, screen, subject, tab).ok());
                        expectListedAsRule(
                            all,
                            [&](const Assignment& a) {
                                return isLookForwardListed(a, screen, tab, subject, o, scope,
                                                           assigneeOf(a));
                            },
                            lookForwardFilter(screen, tab, subject, o, scope),
                            tabs[static_cast<size_t>(tab)].keyLabel,
                            "Look Forward " + std::to_string(static_cast<int>(screen)) + " tab " +
                                std::to_string(tab) + " user " + scope.user + " " + given.person +
                                given.group);
                    }
        const auto& htabs = historyTabs(screen);
        for (int tab = 0; tab < static_cast<int>(htabs.size()); ++tab)
            for (const ViewScope& scope : scopes)
                for (const ViewSubject& given : subjectsOf(screen))
                    for (const HistoryOptions& o : {HistoryOptions{true, kToday - 30, kToday - 5},
                                                    HistoryOptions{false, kToday - 10, kToday}}) {
                        ViewSubject subject = given;
                        ASSERT_TRUE(loadHistorySubject(*m_db, screen, subject, tab).ok());
                        const size_t listedRows = expectListedAsRule(
                            all,
                            [&](const Assignment& a) {
                                return isHistoryListed(a, screen, tab, subject, o, scope,
                                                       assigneeOf(a));
                            },
                            historyFilter(screen, tab, subject, o, scope),
                            htabs[static_cast<size_t>(tab)].keyLabel,
                            "History " + std::to_string(static_cast<int>(screen)) + " tab " +
                                std::to_string(tab) + " user " + scope.user + " " + given.person +
                                given.group);
                        EXPECT_GT(listedRows, 0u);
                    }
    }
}

}  // namespace
}  // namespace tko

namespace tko {
namespace {

TEST(CalendarGrid, WeeksStartOnTheLocalesFirstDayAndMonthsClip) {
    const Date wed = fromYmd(2026, 12, 9);
    EXPECT_EQ(weekStart(wed, 0), fromYmd(2026, 12, 6));  // Sunday
    EXPECT_EQ(weekStart(wed, 1), fromYmd(2026, 12, 7));  // Monday
    EXPECT_EQ(weekStart(fromYmd(2026, 12, 6), 1), fromYmd(2026, 11, 30));
    EXPECT_EQ(monthGridStart(wed, 1), fromYmd(2026, 11, 30));
    EXPECT_EQ(monthGridStart(fromYmd(2027, 2, 14), 1), fromYmd(2027, 2, 1));
    EXPECT_EQ(shiftMonths(fromYmd(2024, 1, 31), 1), fromYmd(2024, 2, 29));
    EXPECT_EQ(shiftMonths(fromYmd(2024, 3, 31), -13), fromYmd(2023, 2, 28));
    EXPECT_EQ(shiftMonths(fromYmd(2099, 12, 15), 1), fromYmd(2099, 12, 15));
    EXPECT_EQ(shiftMonths(fromYmd(1801, 1, 15), -1), fromYmd(1801, 1, 15));
}

}  // namespace
}  // namespace tko
