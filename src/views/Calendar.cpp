#include "views/Calendar.h"

#include <algorithm>
#include <tuple>

#include "access/Access.h"
#include "assign/AssignmentRules.h"
#include "assign/Repetition.h"
#include "data/Keys.h"
#include "people/Anniversaries.h"
#include "platform/LocaleFormat.h"
#include "platform/Picture.h"
#include "views/LookForward.h"

namespace tko {

const char* calendarKindName(CalendarKind kind) {
    switch (kind) {
        case CalendarKind::Due:
            return "due";
        case CalendarKind::Repeat:
            return "repeat";
        case CalendarKind::Reminder:
            return "reminder";
        case CalendarKind::Anniversary:
            return "anniversary";
    }
    return "";
}

namespace {

QString kindMark(const CalendarEntry& entry) {
    switch (entry.kind) {
        case CalendarKind::Due:
            return entry.overdue ? QStringLiteral("!") : QStringLiteral("\u2022");
        case CalendarKind::Repeat:
            return entry.projected ? QStringLiteral("~") : QStringLiteral("\u21bb");
        case CalendarKind::Reminder:
            return QStringLiteral("\u266a");
        case CalendarKind::Anniversary:
            return QStringLiteral("*");
    }
    return {};
}

}  // namespace

QString calendarMonthTitle(Date date) {
    const Ymd ymd = toYmd(date);
    return LocaleFormat::active()->monthNames[static_cast<size_t>(ymd.month - 1)] +
           QLatin1Char(' ') + QString::number(ymd.year);
}

QString calendarEntryText(const CalendarEntry& entry) {
    QString text = kindMark(entry) + QLatin1Char(' ');
    if (entry.kind == CalendarKind::Due || entry.kind == CalendarKind::Repeat)
        text += formatNumber(entry.priority, u"@n1") + QLatin1Char(' ');
    text += QString::fromStdString(entry.name);
    if (!entry.person.empty())
        text += QStringLiteral(" (") + QString::fromStdString(entry.person) + QLatin1Char(')');
    if (entry.secondary)
        text += QLatin1Char(' ') + QString::fromStdString(translateText("(secondary)"));
    if (entry.overdue)
        text += QLatin1Char(' ') + QString::fromStdString(translateText("(overdue)"));
    if (entry.projected)
        text += QLatin1Char(' ') + QString::fromStdString(translateText("(projected)"));
    return text;
}

namespace {

bool isAfterConcluded(int type) {
    return type >= 6 && type <= 8;
}

// Moves `cur` (a date of the rule) forward by whole periods while it stays
// before `from`, so that a daily rule due years ago does not walk every day
// in between. Only rules with a fixed period of days are skipped; the
// others step at most monthly.
Date skipTowards(int type, Date cur, Date from, int repNumber) {
    int period = 0;
    if (type == 3 || type == 6) period = repNumber;
    if (type == 4 || type == 7) period = 7 * repNumber;
    if (type == 9) period = 7;  // the set weekdays repeat every week
    if (period <= 0 || cur >= from) return cur;
    const Date periods = (from - cur) / period;
    return periods > 1 ? cur + (periods - 1) * period : cur;
}

CalendarEntry assignmentEntry(const Assignment& a, Date date, CalendarKind kind, Date today) {
    CalendarEntry e;
    e.assignNumber = a.ASSIGNNUMBER;
    e.date = date;
    e.name = store::rtrim(a.NAME);
    e.person = store::rtrim(a.PERSON);
    e.kind = kind;
    e.projected = kind == CalendarKind::Repeat && isAfterConcluded(repeatTypeNumber(a.REPEATTYPE));
    e.overdue = kind == CalendarKind::Due && date < today;
    e.priority = a.PRIORITY;
    e.secondary = a.SECONDARY == 1;
    return e;
}

void addAssignment(const Assignment& a, Date from, Date to, Date today,
                   std::vector<CalendarEntry>& out) {
    if (a.DUEDATE >= from && a.DUEDATE <= to)
        out.push_back(assignmentEntry(a, a.DUEDATE, CalendarKind::Due, today));
    const int type = repeatTypeNumber(a.REPEATTYPE);
    if (type < 2) return;
    Date cur = skipTowards(type, a.DUEDATE, from, a.REPNUMBER);
    while (const auto next = followingDate(a, cur)) {
        if (*next > to) break;
        if (*next >= from) out.push_back(assignmentEntry(a, *next, CalendarKind::Repeat, today));
        cur = *next;
    }
}

Status addAssignments(Database& db, const Session& session, const CalendarSettings& settings,
                      Date from, Date to, std::vector<CalendarEntry>& out,
                      std::vector<Assignment>* records) {
    ViewScope scope;
    Status s = loadViewScope(db, session, scope);
    if (!s.ok()) return s;
    ViewSubject subject;
    subject.person = settings.person;
    subject.group = settings.group;
    s = loadLookForwardSubject(db, settings.screen, subject, 0, &scope);
    if (!s.ok()) return s;
    LookForwardOptions options;
    options.includeSecondary = settings.includeSecondary;
    options.includeDueNow = true;
    options.endDate = to;
    options.today = settings.today;
    std::vector<store::Filter> tests;
    addTests(tests, lookForwardFilter(settings.screen, 0, subject, options, scope));
    // Due within the period, or repeating (its later dates may fall in it).
    tests.push_back(residualEither(store::ge("DUEDATE", from),
                                   store::ne("REPEATTYPE", std::string(repeat::NoRepeats))));
    store::ReadRequest request;
    request.key = Assignment::def().key(key::ASS_DUEDATE_KEY);
    request.filter = store::allOf(std::move(tests));
    request.withMemos = false;
    request.limit = 2000;
    for (;;) {
        std::vector<Assignment> page;
        s = db.read(request, page);
        if (s.endOfRange()) break;
        if (!s.ok()) return s;
        for (const Assignment& a : page) {
            const size_t before = out.size();
            addAssignment(a, from, to, settings.today, out);
            if (records && out.size() != before) records->push_back(a);
        }
        if (static_cast<int>(page.size()) < request.limit) break;
        const store::Row last = page.back().toRow();
        request.from =
            store::KeyPosition::continuing(store::keyValuesOf(*request.key, last), last.pos);
    }
    return Status::success();
}

Status addReminders(Database& db, const Session& session, Date from, Date to,
                    std::vector<CalendarEntry>& out) {
    std::vector<Reminder> rows;
    const Status s = db.readAll(key::REM_DATE_KEY,
                                store::allOf({store::ge("DATE", from), store::le("DATE", to),
                                              access::fieldIsUser("USER", session.GlobalUser)}),
                                rows);
    if (!s.ok()) return s;
    for (const Reminder& r : rows) {
        CalendarEntry e;
        e.assignNumber = r.ASSIGNNUMBER;
        e.date = r.DATE;
        e.name = store::rtrim(r.NOTE);
        e.person = store::rtrim(r.PERSON);
        e.kind = CalendarKind::Reminder;
        out.push_back(std::move(e));
    }
    return s;
}

// An anniversary falls every year on its month and day; 29 February falls on
// the 28th in other years.
Status addAnniversaries(Database& db, const Session& session, const CalendarSettings& settings,
                        Date from, Date to, std::vector<CalendarEntry>& out) {
    std::vector<Anniversary> rows;
    Status s = db.readAll(key::ANN_DATEKEY, upcomingVisibility(session), rows);
    if (!s.ok()) return s;
    std::vector<std::string> members;
    if (settings.screen == ScheduleScreen::Group) {
        s = groupMembersByName(db, settings.group, members);
        if (!s.ok()) return s;
    }
    const int firstYear = toYmd(from).year, lastYear = toYmd(to).year;
    for (const Anniversary& a : rows) {
        if (a.DATE == kNoDate) continue;
        if (settings.screen == ScheduleScreen::Person &&
            !sameNameIgnoringCase(a.SHORTNAME, settings.person))
            continue;
        if (settings.screen == ScheduleScreen::Group && !containsName(members, a.SHORTNAME))
            continue;
        const Ymd day = toYmd(a.DATE);
        for (int year = firstYear; year <= lastYear; ++year) {
            const Date date =
                fromYmd(year, day.month, std::min(day.day, daysInMonth(year, day.month)));
            if (date < from || date > to || date < a.DATE) continue;
            CalendarEntry e;
            e.date = date;
            e.name = store::rtrim(a.NOTE);
            e.person = store::rtrim(a.SHORTNAME);
            e.kind = CalendarKind::Anniversary;
            out.push_back(std::move(e));
        }
    }
    return Status::success();
}

}  // namespace

Status calendarEntries(Database& db, const Session& session, const CalendarSettings& settings,
                       Date from, Date to, std::vector<CalendarEntry>& out,
                       std::vector<Assignment>* records) {
    out.clear();
    if (records) records->clear();
    from = std::max(from, kFirstDate);
    to = std::min(to, kLastDate);
    if (from > to) return Status::success();
    Status s = addAssignments(db, session, settings, from, to, out, records);
    if (s.ok()) s = addReminders(db, session, from, to, out);
    if (s.ok()) s = addAnniversaries(db, session, settings, from, to, out);
    if (!s.ok()) return s;
    std::stable_sort(out.begin(), out.end(), [](const CalendarEntry& a, const CalendarEntry& b) {
        return std::tie(a.date, a.kind, a.priority, a.name, a.assignNumber) <
               std::tie(b.date, b.kind, b.priority, b.name, b.assignNumber);
    });
    return s;
}

// ---- grids ------------------------------------------------------------------------

Date weekStart(Date date, int firstWeekday) {
    return date - (weekday(date) - firstWeekday + 7) % 7;
}

Date monthGridStart(Date date, int firstWeekday) {
    const Ymd ymd = toYmd(date);
    return weekStart(fromYmd(ymd.year, ymd.month, 1), firstWeekday);
}

Date shiftMonths(Date date, int months) {
    const Ymd ymd = toYmd(date);
    int index = ymd.year * 12 + (ymd.month - 1) + months;
    index = std::clamp(index, 1801 * 12, 2099 * 12 + 11);
    const int year = index / 12, month = index % 12 + 1;
    return fromYmd(year, month, std::min(ymd.day, daysInMonth(year, month)));
}

// ---- dragging -----------------------------------------------------------------------

namespace {

// The form's save of `stored` (the record as stored, memos included) with
// the due date `newDate`; `prevDue`, when given, replaces the previous due
// date the save records (an undo restores the one before the move).
Outcome saveDueDate(Database& db, const Session& session, const Assignment& stored, Date newDate,
                    std::optional<Date> prevDue, Date today, Time now, Assignment& saved) {
    saved = stored;
    saved.DUEDATE = newDate;
    applyChangeOnOk(saved, stored, session, today, now);
    if (prevDue) saved.PREVDUE = *prevDue;
    return storeAssignment(db, saved, stored, session.GlobalUser);
}

Outcome checkChange(Database& db, const Session& session, const Assignment& a) {
    access::Viewer viewer;
    if (!access::loadViewer(db, session, viewer).ok())
        return Outcome::failed(standardMessage(35, db.lastError().describe(), label::ASSIGNMENT));
    if (!access::mayChangeAssignment(a, viewer))
        return Outcome::refused("You may not change this assignment.");
    if (a.CLOSEDATE != kNoDate) return Outcome::refused("This assignment is concluded.");
    return {};
}

}  // namespace

Outcome moveDueDate(Database& db, const Session& session, const Assignment& shown,
                    const CalendarEntry& entry, Date newDate, Date today, Time now,
                    CalendarMove& move) {
    if (entry.kind == CalendarKind::Reminder || entry.kind == CalendarKind::Anniversary ||
        entry.assignNumber != shown.ASSIGNNUMBER)
        return Outcome::refused("Only an assignment can be moved.");
    if (entry.kind == CalendarKind::Repeat)
        return Outcome::refused("Only a repeating assignment's current due date can be moved.");
    if (!isSupportedDate(newDate)) return Outcome::refused("That date cannot be used.");
    if (Outcome refused = checkChange(db, session, shown); !refused.ok()) return refused;
    if (newDate == shown.DUEDATE) return {};
    // The stored record with its memos, written only if it is still the
    // version the calendar read: else the save reports the other station's
    // change.
    Assignment stored = shown;
    if (!db.reread(stored).ok())
        return Outcome::failed(standardMessage(35, db.lastError().describe(), label::ASSIGNMENT));
    stored.rowVersion = shown.rowVersion;
    Assignment saved;
    const Outcome out = saveDueDate(db, session, stored, newDate, std::nullopt, today, now, saved);
    if (!out.ok()) return out;
    move = CalendarMove{shown.ASSIGNNUMBER, shown.rowPos, shown.DUEDATE, newDate, shown.PREVDUE};
    return out;
}

Outcome undoMove(Database& db, const Session& session, const CalendarMove& move, Date today,
                 Time now) {
    Assignment stored;
    stored.rowPos = move.rowPos;
    if (!db.reread(stored).ok() || stored.ASSIGNNUMBER != move.assignNumber)
        return Outcome::refused("The assignment no longer exists.");
    if (stored.DUEDATE != move.to)
        return Outcome::refused("The assignment was changed since it was moved.");
    if (Outcome refused = checkChange(db, session, stored); !refused.ok()) return refused;
    Assignment saved;
    return saveDueDate(db, session, stored, move.from, move.prevDue, today, now, saved);
}

}  // namespace tko
