// A user's open assignments as an iCalendar file (RFC 5545) of to-dos, for
// calendar programs and phones.
//
// One VTODO per open assignment given to the user: SUMMARY (the name),
// DTSTART and DUE (the start and the end of the due date, 00:00 and 23:59
// floating local time, so that DUE lies after DTSTART), PRIORITY (1 to 9, as the program
// counts them), STATUS (NEEDS-ACTION), DESCRIPTION (the general comments),
// and one VALARM per reminder of the user on it with its alarm flag set,
// ringing at 09:00 local time on the reminder's date.
//
// A repetition rule becomes an RRULE where iCalendar gives the same dates as
// the program's own next-due-date arithmetic from the current due date on;
// otherwise (rules counted from the day of conclusion, a monthly rule of more
// than one month from a day after the 28th, a due date that does not lie on
// its own weekday rule) the rule's description is added to DESCRIPTION
// instead, so no calendar shows dates the program would not give. Every
// repeating assignment also carries its rule in X-TASKORBIT-RULE ("type/N/
// weekday flags/occurrence/weekday"), which calendars ignore and this
// program's import reads back.
#pragma once

#include <QDateTime>

#include <string>

#include "data/Database.h"
#include "data/Session.h"

namespace tko {

// The RRULE value for the record's rule ("FREQ=WEEKLY;BYDAY=MO,WE"), or
// empty when the rule has no exact iCalendar form for this due date.
std::string icsRecurrenceRule(const Assignment& record);

// The X-TASKORBIT-RULE value of the record's rule ("Days after Last Due/3/
// 0000000/0/0"); empty for "No Repeats" or an unknown type.
std::string icsRuleText(const Assignment& record);

struct IcsExportResult {
    bool ok = false;
    std::string message;  // why nothing was written
    int todos = 0;
};

// The calendar text (CRLF line ends, long lines folded) for the session's
// user; `stamp` is the DTSTAMP of every to-do.
IcsExportResult buildIcsCalendar(Database& db, const Session& session, const QDateTime& stamp,
                                 std::string& calendar);

// Writes the calendar to `path` (through a temporary file, so a failed run
// leaves an existing file as it was).
IcsExportResult exportIcs(Database& db, const Session& session, const std::string& path);

}  // namespace tko
