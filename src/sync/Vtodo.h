// One assignment as an iCalendar to-do (VTODO, RFC 5545), written and read
// with libical: what calendar servers and phones keep of an assignment, and
// what other task programs' calendar files hold.
//
// Written: UID (stable: the assignment's number), SUMMARY, DTSTART and DUE
// (the due day from 00:00 to 23:59, floating local time, as the iCalendar
// export writes them), PRIORITY, DESCRIPTION (the general comments only; the
// confidential comments and the assignee notes never leave the office), an
// RRULE only where icsRecurrenceRule() finds an exact form, the rule itself in
// X-TASKORBIT-RULE, STATUS (NEEDS-ACTION or COMPLETED with COMPLETED) and one
// VALARM per alarmed reminder of the user (09:00 local time on its date).
//
// Read: any VTODO. A DUE given as a date, a floating or zoned time is taken
// on its own calendar day; one in UTC on the local day it falls on. An RRULE
// that one of the program's rules matches exactly becomes that rule (an
// X-TASKORBIT-RULE, written by this program, wins over it); any other RRULE
// is reported, not guessed at.
//
// Pure functions; GUI-free; thread-safe (libical keeps no shared state for
// these calls).
#pragma once

#include <QDateTime>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "data/Records.h"
#include "platform/Date.h"

namespace tko::sync {

// A repetition rule as the assignment stores it.
struct RepeatRule {
    std::string type = "No Repeats";  // ASS:REPEATTYPE
    int number = 0;                   // ASS:REPNUMBER
    std::array<std::uint8_t, 7> weekdays{};
    int occurrence = 0;  // 1..4 "1st".."4th", 5 "Last"; 0 none
    int dayNo = 0;       // ASS:DAYNO
    friend bool operator==(const RepeatRule&, const RepeatRule&) = default;
};

// The rule of a record, and a rule written into a record (the occurrence word
// and weekday name in the user's language, as the Repeat Assignment dialog
// stores them).
RepeatRule ruleOf(const Assignment& a);
void applyRule(const RepeatRule& rule, Assignment& a);

struct TodoAlarm {
    Date date = kNoDate;
    std::string note;
    friend bool operator==(const TodoAlarm&, const TodoAlarm&) = default;
};

// A to-do as read from (or about to be written to) a calendar.
struct Todo {
    std::string uid;
    std::string summary;
    Date due = kNoDate;
    int priority = 0;  // 1..9; 0 when the to-do gives none
    std::string description;
    RepeatRule rule;
    std::string unmatchedRule;  // an RRULE that no rule of the program gives
    bool completed = false;     // STATUS:COMPLETED or a COMPLETED time
    Date completedOn = kNoDate;
    std::vector<TodoAlarm> alarms;
};

// The UID of assignment `number`, the same the iCalendar export writes.
std::string todoUid(std::int32_t number);
// The assignment number of a UID this program wrote; 0 for any other.
std::int32_t numberOfUid(const std::string& uid);

// The to-do of assignment `a` with `alarms` (the user's own alarmed
// reminders on it), `stamp` its DTSTAMP.
Todo todoOf(const Assignment& a, const std::vector<Reminder>& alarms);
// A VCALENDAR holding the one VTODO (CRLF line ends, folded by libical).
std::string todoCalendarText(const Assignment& a, const std::vector<Reminder>& alarms,
                             const QDateTime& stamp);

// Every VTODO of `text` (one VCALENDAR or several, one after another).
// False, with `error` saying why, when the text is no calendar at all.
bool readTodos(const std::string& text, std::vector<Todo>& todos, std::string& error);

}  // namespace tko::sync
