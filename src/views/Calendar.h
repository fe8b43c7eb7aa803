// The calendar of the office's work: what falls on each day of a period for
// the user looking (open assignments on their due dates, the future dates of
// repeating ones, the user's reminders, anniversaries), the month and week
// grids, and moving an assignment's due date by dragging it to another day.
//
// Who sees what is Look Forward's choice (its General, Person and Group
// screens, with or without secondary work); the rules themselves are the
// access module's. Moving a due date is the assignment form's save: the same
// rights, version check and activity-log line.
//
// GUI-free; one thread at a time per Database.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include <QString>

#include "data/Database.h"
#include "data/Records.h"
#include "data/Session.h"
#include "platform/Date.h"
#include "platform/Outcome.h"
#include "views/ScheduleView.h"

namespace tko {

enum class CalendarKind {
    Due,          // an open assignment on its due date
    Repeat,       // a later date of a repeating assignment
    Reminder,     // one of the user's reminders
    Anniversary,  // an anniversary, every year on its day
};

// "due", "repeat", "reminder", "anniversary": the stable names scripts read.
const char* calendarKindName(CalendarKind kind);

struct CalendarEntry {
    std::int32_t assignNumber = 0;  // 0 for an anniversary
    Date date = kNoDate;
    std::string name;    // assignment name, reminder note or anniversary note
    std::string person;  // the assignee, the reminder's person or the anniversary's
    CalendarKind kind = CalendarKind::Due;
    bool projected = false;  // a date of an "after Concluded" rule, as if concluded on time
    bool overdue = false;    // a due date before today
    int priority = 0;
    bool secondary = false;
};

// The text of one entry as the window and the printout show it: a mark for
// the kind ("!" overdue, "~" projected ...), the priority, the name, the
// person and what else applies, translated; numbers in the locale's pictures.
QString calendarEntryText(const CalendarEntry& entry);

// The month page's title: the month's name in the locale and the year
// ("December 2026"). Data, like a date: not a text of the program.
QString calendarMonthTitle(Date date);

// What the calendar shows: Look Forward's screen with its person or group,
// and whether secondary work is included.
struct CalendarSettings {
    ScheduleScreen screen = ScheduleScreen::General;
    std::string person;  // Person screen
    std::string group;   // Group screen
    bool includeSecondary = false;
    Date today = kNoDate;
};

// Every entry from `from` to `to` (inclusive) for `session`'s user, ordered by
// date, then kind, priority, name and number. A repeating assignment yields
// its due date and each later date NextDueDate() gives, up to `to` (the
// "after Concluded" families as if each date were concluded on the day it
// falls due). Dates outside the supported range are never produced.
// `records`, when given, receives the assignments read (without memos), by
// number, for the window to open and drag them.
Status calendarEntries(Database& db, const Session& session, const CalendarSettings& settings,
                       Date from, Date to, std::vector<CalendarEntry>& out,
                       std::vector<Assignment>* records = nullptr);

// nextDates() (assign/Repetition.h) gives a rule's later dates.

// ---- grids ------------------------------------------------------------------------

// The day that starts `date`'s week when weeks start on `firstWeekday`
// (0 = Sunday ... 6 = Saturday).
Date weekStart(Date date, int firstWeekday);
// The first day of the six-week grid that shows `date`'s month.
Date monthGridStart(Date date, int firstWeekday);
inline constexpr int kMonthGridDays = 42;
// The same day `months` months on, clipped to that month's length (31 January
// plus one month is 28 or 29 February), within the supported dates.
Date shiftMonths(Date date, int months);

// ---- dragging -----------------------------------------------------------------------

// One done move, so that it can be undone.
struct CalendarMove {
    std::int32_t assignNumber = 0;
    std::int64_t rowPos = 0;
    Date from = kNoDate;     // the due date before the move
    Date to = kNoDate;       // the due date after it
    Date prevDue = kNoDate;  // ASS:PREVDUE before the move
};

// Moves the due date of `shown` (the assignment as the calendar read it) that
// `entry` drew to `newDate`, through the assignment form's save: refused
// without the right to change the assignment, for a closed one, for a
// reminder or anniversary, for a later date of a repeating one (only its
// current due date moves) and for a date outside the supported range;
// ChangedElsewhere when another station changed it since it was read.
// On success `move` describes what was done.
Outcome moveDueDate(Database& db, const Session& session, const Assignment& shown,
                    const CalendarEntry& entry, Date newDate, Date today, Time now,
                    CalendarMove& move);

// Undoes `move` the same way: refused when the assignment's due date is no
// longer the one the move gave it (moved again meanwhile); the previous due
// date is restored as it was.
Outcome undoMove(Database& db, const Session& session, const CalendarMove& move, Date today,
                 Time now);

}  // namespace tko
