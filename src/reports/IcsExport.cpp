#include "reports/IcsExport.h"

#include <QDate>
#include <QTimeZone>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "access/Access.h"
#include "assign/Repetition.h"
#include "data/Keys.h"
#include "data/Messages.h"

namespace tko {

namespace {

constexpr int kFoldOctets = 75;
constexpr int kAlarmHour = 9;
constexpr const char* kDayCodes[7] = {"SU", "MO", "TU", "WE", "TH", "FR", "SA"};

std::string icsDate(Date date) {
    const Ymd d = toYmd(date);
    char text[16];
    std::snprintf(text, sizeof text, "%04d%02d%02d", d.year, d.month, d.day);
    return text;
}

std::string utcStamp(const QDateTime& when) {
    return when.toUTC().toString(QStringLiteral("yyyyMMdd'T'HHmmss'Z'")).toStdString();
}

// TEXT value escaping: backslash, semicolon, comma and line breaks.
std::string escapeText(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        switch (c) {
            case '\\':
                out += "\\\\";
                break;
            case ';':
                out += "\\;";
                break;
            case ',':
                out += "\\,";
                break;
            case '\r':
                if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
                out += "\\n";
                break;
            case '\n':
                out += "\\n";
                break;
            default:
                // Other control characters have no place in a TEXT value.
                if (static_cast<unsigned char>(c) >= 0x20 || c == '\t') out += c;
        }
    }
    return out;
}

// One content line, folded after 75 octets without splitting a character.
void addLine(std::string& out, const std::string& line) {
    size_t start = 0;
    int limit = kFoldOctets;
    while (line.size() - start > static_cast<size_t>(limit)) {
        size_t cut = start + static_cast<size_t>(limit);
        while (cut > start && (static_cast<unsigned char>(line[cut]) & 0xC0) == 0x80) --cut;
        out += line.substr(start, cut - start) + "\r\n ";
        start = cut;
        limit = kFoldOctets - 1;  // the leading blank counts
    }
    out += line.substr(start) + "\r\n";
}

bool anyFlag(const std::array<std::uint8_t, 7>& flags) {
    for (auto f : flags)
        if (f) return true;
    return false;
}

}  // namespace

std::string icsRecurrenceRule(const Assignment& a) {
    if (a.DUEDATE == kNoDate) return {};
    const int type = repeatTypeNumber(a.REPEATTYPE);
    const int n = a.REPNUMBER;
    switch (type) {
        case 3:
            return n >= 1 ? "FREQ=DAILY;INTERVAL=" + std::to_string(n) : std::string();
        case 4:
            return n >= 1 ? "FREQ=WEEKLY;INTERVAL=" + std::to_string(n) : std::string();
        case 5:
            // The program carries a missing day into the next month's same
            // day, which iCalendar matches (it skips the month) only for a step
            // of one month or a day that every month has.
            if (n < 1 || (n > 1 && toYmd(a.DUEDATE).day > 28)) return {};
            return "FREQ=MONTHLY;INTERVAL=" + std::to_string(n);
        case 2: {
            const int k = occurrenceIndex(a.WEEKINMONTH);
            if (k == 0 || a.DAYNO > 6) return {};
            // The current due date must itself be that weekday of its month,
            // else the series would start in the wrong place.
            const Ymd due = toYmd(a.DUEDATE);
            const Date previousMonthEnd = makeDate(due.month, 0, due.year);
            if (specificWeekday(previousMonthEnd, k, a.DAYNO) != a.DUEDATE) return {};
            return std::string("FREQ=MONTHLY;BYDAY=") + (k == 5 ? "-1" : std::to_string(k)) +
                   kDayCodes[a.DAYNO];
        }
        case 9: {
            if (!anyFlag(a.SETDAYREPT)) return "FREQ=WEEKLY";
            if (!a.SETDAYREPT[static_cast<size_t>(weekday(a.DUEDATE))]) return {};
            std::string days;
            for (int d = 0; d < 7; ++d)
                if (a.SETDAYREPT[static_cast<size_t>(d)])
                    days += (days.empty() ? "" : ",") + std::string(kDayCodes[d]);
            return "FREQ=WEEKLY;BYDAY=" + days;
        }
        default:
            return {};
    }
}

std::string icsRuleText(const Assignment& a) {
    const int type = repeatTypeNumber(a.REPEATTYPE);
    if (type <= 1) return {};
    std::string flags;
    for (auto f : a.SETDAYREPT) flags += f ? '1' : '0';
    return repeatTypeName(type) + "/" + std::to_string(takesRepeatNumber(type) ? a.REPNUMBER : 0) +
           "/" + (type == 9 ? flags : std::string("0000000")) + "/" +
           std::to_string(type == 2 ? occurrenceIndex(a.WEEKINMONTH) : 0) + "/" +
           std::to_string(type == 2 ? a.DAYNO : 0);
}

IcsExportResult buildIcsCalendar(Database& db, const Session& session, const QDateTime& stamp,
                                 std::string& calendar) {
    IcsExportResult result;
    const std::string user = session.GlobalUser;
    std::vector<Assignment> assignments;
    const Status s =
        db.readAll(key::ASS_PERSONDATE_KEY,
                   store::allOf({access::fieldIsUser("PERSON", user), store::eq("CLOSEDATE", 0)}),
                   assignments);
    if (!s.ok()) {
        result.message =
            standardMessage(35, db.lastError().describe(), "ASSIGNMENT", {}, kReadErrorStays).text;
        return result;
    }
    calendar.clear();
    addLine(calendar, "BEGIN:VCALENDAR");
    addLine(calendar, "VERSION:2.0");
    addLine(calendar, "PRODID:-//TASKORBIT//TASKORBIT Multi-User//EN");
    addLine(calendar, "CALSCALE:GREGORIAN");
    const std::string dtstamp = utcStamp(stamp);
    for (const Assignment& a : assignments) {
        addLine(calendar, "BEGIN:VTODO");
        addLine(calendar, "UID:assignment-" + std::to_string(a.ASSIGNNUMBER) + "@taskorbit");
        addLine(calendar, "DTSTAMP:" + dtstamp);
        addLine(calendar, "SUMMARY:" + escapeText(store::rtrim(a.NAME)));
        if (a.DUEDATE != kNoDate) {
            // RFC 5545 wants DUE later than DTSTART, both of one value type:
            // the to-do starts as its due day begins and is due as it ends
            // (floating local times), so every calendar shows it on its day.
            addLine(calendar, "DTSTART:" + icsDate(a.DUEDATE) + "T000000");
            addLine(calendar, "DUE:" + icsDate(a.DUEDATE) + "T235900");
        }
        if (a.PRIORITY >= 1 && a.PRIORITY <= 9)
            addLine(calendar, "PRIORITY:" + std::to_string(a.PRIORITY));
        addLine(calendar, "STATUS:NEEDS-ACTION");
        std::string description = store::rtrim(a.GENERALMEMO);
        const std::string rule = icsRecurrenceRule(a);
        if (!rule.empty()) {
            addLine(calendar, "RRULE:" + rule);
        } else {
            const RepeatLine line = RepeatDescription(a);
            if (line.kind == RepeatLine::Text && !line.text.empty())
                description += (description.empty() ? "" : "\n") + line.text;
        }
        if (!description.empty()) addLine(calendar, "DESCRIPTION:" + escapeText(description));
        // The rule itself, for this program's import: calendars ignore it.
        if (const std::string own = icsRuleText(a); !own.empty())
            addLine(calendar, "X-TASKORBIT-RULE:" + own);

        std::vector<Reminder> reminders;
        if (!db.readAll(
                   key::REM_ASSIGNNUMBER_KEY,
                   store::allOf({store::eq("ASSIGNNUMBER", std::int64_t{a.ASSIGNNUMBER}),
                                 access::fieldIsUser("USER", user), store::eq("ALARMFLAG", 1)}),
                   reminders)
                 .ok()) {
            result.message =
                standardMessage(35, db.lastError().describe(), "REMINDER", {}, kReadErrorStays)
                    .text;
            return result;
        }
        for (const Reminder& r : reminders) {
            if (r.DATE == kNoDate) continue;
            const Ymd d = toYmd(r.DATE);
            const QDateTime ring(QDate(d.year, d.month, d.day), QTime(kAlarmHour, 0),
                                 QTimeZone::systemTimeZone());
            const std::string note = store::rtrim(r.NOTE);
            addLine(calendar, "BEGIN:VALARM");
            addLine(calendar, "ACTION:DISPLAY");
            addLine(calendar, "TRIGGER;VALUE=DATE-TIME:" + utcStamp(ring));
            addLine(calendar,
                    "DESCRIPTION:" + escapeText(note.empty() ? store::rtrim(a.NAME) : note));
            addLine(calendar, "END:VALARM");
        }
        addLine(calendar, "END:VTODO");
        ++result.todos;
    }
    addLine(calendar, "END:VCALENDAR");
    result.ok = true;
    return result;
}

IcsExportResult exportIcs(Database& db, const Session& session, const std::string& path) {
    std::string calendar;
    IcsExportResult result =
        buildIcsCalendar(db, session, QDateTime::currentDateTimeUtc(), calendar);
    if (!result.ok) return result;
    const std::string temp = path + ".part";
    {
        std::ofstream file(temp, std::ios::binary | std::ios::trunc);
        file << calendar;
        file.close();
        if (!file) {
            std::error_code ec;
            std::filesystem::remove(temp, ec);
            result.ok = false;
            result.message = "The file " + path + " cannot be written.";
            return result;
        }
    }
    std::error_code ec;
    std::filesystem::rename(temp, path, ec);
    if (ec) {
        std::filesystem::remove(temp, ec);
        result.ok = false;
        result.message = "The file " + path + " cannot be written: " + ec.message();
    }
    return result;
}

}  // namespace tko
