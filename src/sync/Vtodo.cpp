#include "sync/Vtodo.h"

#include <QDate>
#include <QTimeZone>

#include <libical/ical.h>

#include <memory>
#include <sstream>

#include "assign/Repetition.h"
#include "data/Messages.h"
#include "reports/IcsExport.h"

namespace tko::sync {

namespace {

constexpr const char* kUidPrefix = "assignment-";
constexpr const char* kUidSuffix = "@taskorbit";
constexpr const char* kRuleProperty = "X-TASKORBIT-RULE";
constexpr int kAlarmHour = 9;

struct ComponentFree {
    void operator()(icalcomponent* c) const { icalcomponent_free(c); }
};
using Component = std::unique_ptr<icalcomponent, ComponentFree>;

std::string takeString(char* text) {
    std::string out = text ? text : "";
    if (text) icalmemory_free_buffer(text);
    return out;
}

icaltimetype floatingTime(Date date, int hour, int minute) {
    const Ymd d = toYmd(date);
    icaltimetype t = icaltime_null_time();
    t.year = d.year;
    t.month = d.month;
    t.day = d.day;
    t.hour = hour;
    t.minute = minute;
    t.is_date = 0;
    return t;
}

icaltimetype utcTime(const QDateTime& when) {
    return icaltime_from_timet_with_zone(static_cast<time_t>(when.toSecsSinceEpoch()), 0,
                                         icaltimezone_get_utc_timezone());
}

QDateTime localAlarmTime(Date date) {
    const Ymd d = toYmd(date);
    return QDateTime(QDate(d.year, d.month, d.day), QTime(kAlarmHour, 0),
                     QTimeZone::systemTimeZone());
}

Date dateOfQDate(const QDate& q) {
    if (!q.isValid()) return kNoDate;
    const Date d = fromYmd(q.year(), q.month(), q.day());
    return isSupportedDate(d) ? d : kNoDate;
}

// The calendar day of `t`: a UTC time on the local day it falls on, a date,
// a floating or a zoned time on its own day.
Date dateOf(icaltimetype t) {
    if (icaltime_is_null_time(t) || !icaltime_is_valid_time(t)) return kNoDate;
    if (!t.is_date && icaltime_is_utc(t)) {
        const QDateTime when = QDateTime::fromSecsSinceEpoch(
                                   static_cast<qint64>(icaltime_as_timet(t)), QTimeZone::utc())
                                   .toLocalTime();
        return dateOfQDate(when.date());
    }
    return dateOfQDate(QDate(t.year, t.month, t.day));
}

// ICAL_MONDAY_WEEKDAY and friends count Sunday as 1; the program as 0.
int dayNoOfIcal(int icalDay) {
    return icalDay - 1;
}

bool parseRuleText(const std::string& text, RepeatRule& rule) {
    std::vector<std::string> parts;
    std::stringstream in(text);
    for (std::string part; std::getline(in, part, '/');) parts.push_back(part);
    if (parts.size() != 5 || repeatTypeNumber(parts[0]) == 0 || parts[2].size() != 7) return false;
    RepeatRule r;
    r.type = repeatTypeName(repeatTypeNumber(parts[0]));
    try {
        r.number = std::stoi(parts[1]);
        r.occurrence = std::stoi(parts[3]);
        r.dayNo = std::stoi(parts[4]);
    } catch (...) {
        return false;
    }
    if (r.number < 0 || r.number > 999 || r.occurrence < 0 || r.occurrence > 5 || r.dayNo < 0 ||
        r.dayNo > 6)
        return false;
    for (size_t i = 0; i < 7; ++i) {
        if (parts[2][i] != '0' && parts[2][i] != '1') return false;
        r.weekdays[i] = parts[2][i] == '1' ? 1 : 0;
    }
    rule = r;
    return true;
}

// The program's rule that gives exactly the dates of `rec` from `due` on;
// false when none does.
bool ruleOfRecurrence(const icalrecurrencetype& rec, Date due, RepeatRule& rule) {
    if (rec.count != 0 || !icaltime_is_null_time(rec.until)) return false;
    if (rec.by_second[0] != ICAL_RECURRENCE_ARRAY_MAX ||
        rec.by_minute[0] != ICAL_RECURRENCE_ARRAY_MAX ||
        rec.by_hour[0] != ICAL_RECURRENCE_ARRAY_MAX ||
        rec.by_month_day[0] != ICAL_RECURRENCE_ARRAY_MAX ||
        rec.by_year_day[0] != ICAL_RECURRENCE_ARRAY_MAX ||
        rec.by_week_no[0] != ICAL_RECURRENCE_ARRAY_MAX ||
        rec.by_month[0] != ICAL_RECURRENCE_ARRAY_MAX ||
        rec.by_set_pos[0] != ICAL_RECURRENCE_ARRAY_MAX)
        return false;
    const int interval = rec.interval < 1 ? 1 : rec.interval;
    const bool byDay = rec.by_day[0] != ICAL_RECURRENCE_ARRAY_MAX;
    RepeatRule r;
    switch (rec.freq) {
        case ICAL_DAILY_RECURRENCE:
            if (byDay) return false;
            r.type = repeat::DaysAfterLastDue;
            r.number = interval;
            break;
        case ICAL_WEEKLY_RECURRENCE:
            if (!byDay) {
                r.type = repeat::WeeksAfterLastDue;
                r.number = interval;
                break;
            }
            if (interval != 1) return false;
            r.type = repeat::SetWeekdays;
            for (int i = 0; rec.by_day[i] != ICAL_RECURRENCE_ARRAY_MAX; ++i) {
                if (icalrecurrencetype_day_position(rec.by_day[i]) != 0) return false;
                const int day = dayNoOfIcal(icalrecurrencetype_day_day_of_week(rec.by_day[i]));
                if (day < 0 || day > 6) return false;
                r.weekdays[static_cast<size_t>(day)] = 1;
            }
            break;
        case ICAL_MONTHLY_RECURRENCE:
            if (!byDay) {
                // The program carries a missing day into the next month, which
                // the calendar does only for a day every month has.
                if (interval > 1 && due != kNoDate && toYmd(due).day > 28) return false;
                r.type = repeat::MonthsAfterLastDue;
                r.number = interval;
                break;
            }
            if (interval != 1 || rec.by_day[1] != ICAL_RECURRENCE_ARRAY_MAX) return false;
            {
                const int position = icalrecurrencetype_day_position(rec.by_day[0]);
                const int day = dayNoOfIcal(icalrecurrencetype_day_day_of_week(rec.by_day[0]));
                if (day < 0 || day > 6 || !((position >= 1 && position <= 4) || position == -1))
                    return false;
                r.type = repeat::SpecificWeekday;
                r.occurrence = position == -1 ? 5 : position;
                r.dayNo = day;
            }
            break;
        case ICAL_YEARLY_RECURRENCE:
            if (byDay || interval * 12 > 999 || (due != kNoDate && toYmd(due).day > 28))
                return false;
            r.type = repeat::MonthsAfterLastDue;
            r.number = interval * 12;
            break;
        default:
            return false;
    }
    rule = r;
    return true;
}

Todo readTodo(icalcomponent* c) {
    Todo t;
    if (const char* uid = icalcomponent_get_uid(c)) t.uid = uid;
    if (const char* summary = icalcomponent_get_summary(c)) t.summary = summary;
    if (const char* description = icalcomponent_get_description(c)) t.description = description;
    t.due = dateOf(icalcomponent_get_due(c));
    const Date start = dateOf(icalcomponent_get_dtstart(c));
    if (t.due == kNoDate) t.due = start;
    if (icalproperty* p = icalcomponent_get_first_property(c, ICAL_PRIORITY_PROPERTY)) {
        const int priority = icalproperty_get_priority(p);
        t.priority = priority >= 1 && priority <= 9 ? priority : 0;
    }
    if (icalproperty* p = icalcomponent_get_first_property(c, ICAL_COMPLETED_PROPERTY)) {
        t.completed = true;
        t.completedOn = dateOf(icalproperty_get_completed(p));
    }
    if (icalcomponent_get_status(c) == ICAL_STATUS_COMPLETED) t.completed = true;

    bool ruled = false;
    for (icalproperty* p = icalcomponent_get_first_property(c, ICAL_X_PROPERTY); p;
         p = icalcomponent_get_next_property(c, ICAL_X_PROPERTY)) {
        const char* name = icalproperty_get_x_name(p);
        const char* value = icalproperty_get_x(p);
        if (name && value && std::string(name) == kRuleProperty)
            ruled = parseRuleText(value, t.rule);
    }
    if (icalproperty* p = icalcomponent_get_first_property(c, ICAL_RRULE_PROPERTY); p && !ruled) {
        const icalrecurrencetype rec = icalproperty_get_rrule(p);
        if (!ruleOfRecurrence(rec, t.due, t.rule))
            t.unmatchedRule =
                takeString(icalrecurrencetype_as_string_r(const_cast<icalrecurrencetype*>(&rec)));
    }

    for (icalcomponent* alarm = icalcomponent_get_first_component(c, ICAL_VALARM_COMPONENT); alarm;
         alarm = icalcomponent_get_next_component(c, ICAL_VALARM_COMPONENT)) {
        icalproperty* trigger = icalcomponent_get_first_property(alarm, ICAL_TRIGGER_PROPERTY);
        if (!trigger) continue;
        const icaltriggertype when = icalproperty_get_trigger(trigger);
        TodoAlarm a;
        if (!icaltime_is_null_time(when.time)) {
            a.date = dateOf(when.time);
        } else {
            // Relative to the start (or, failing that, the due day) at 00:00.
            const Date base = start != kNoDate ? start : t.due;
            if (base == kNoDate) continue;
            const qint64 seconds = icaldurationtype_as_int(when.duration);
            const qint64 days = seconds >= 0 ? seconds / 86400 : -((-seconds + 86399) / 86400);
            a.date = base + static_cast<Date>(days);
        }
        if (a.date == kNoDate || !isSupportedDate(a.date)) continue;
        if (icalproperty* d = icalcomponent_get_first_property(alarm, ICAL_DESCRIPTION_PROPERTY))
            if (const char* text = icalproperty_get_description(d)) a.note = text;
        t.alarms.push_back(a);
    }
    return t;
}

void collectTodos(icalcomponent* c, std::vector<Todo>& out) {
    if (icalcomponent_isa(c) == ICAL_VTODO_COMPONENT) {
        out.push_back(readTodo(c));
        return;
    }
    for (icalcomponent* child = icalcomponent_get_first_component(c, ICAL_ANY_COMPONENT); child;
         child = icalcomponent_get_next_component(c, ICAL_ANY_COMPONENT))
        collectTodos(child, out);
}

}  // namespace

RepeatRule ruleOf(const Assignment& a) {
    RepeatRule r;
    const int type = repeatTypeNumber(a.REPEATTYPE);
    r.type = type ? repeatTypeName(type) : std::string(repeat::NoRepeats);
    r.number = takesRepeatNumber(type) ? a.REPNUMBER : 0;
    if (type == 9) r.weekdays = a.SETDAYREPT;
    if (type == 2) {
        r.occurrence = occurrenceIndex(a.WEEKINMONTH);
        r.dayNo = a.DAYNO;
    }
    return r;
}

void applyRule(const RepeatRule& rule, Assignment& a) {
    const int type = repeatTypeNumber(rule.type);
    a.REPEATTYPE = type ? repeatTypeName(type) : std::string(repeat::NoRepeats);
    a.REPNUMBER = static_cast<std::int16_t>(takesRepeatNumber(type) ? rule.number : 0);
    a.SETDAYREPT = type == 9 ? rule.weekdays : std::array<std::uint8_t, 7>{};
    a.WEEKINMONTH.clear();
    a.WEEKDAY.clear();
    a.DAYNO = 0;
    if (type == 2 && rule.occurrence >= 1 && rule.occurrence <= 5 && rule.dayNo >= 0 &&
        rule.dayNo <= 6) {
        a.WEEKINMONTH = store::clipText(
            translateText(occurrenceWords()[static_cast<size_t>(rule.occurrence - 1)]),
            Assignment::Width::WEEKINMONTH);
        a.DAYNO = static_cast<std::uint8_t>(rule.dayNo);
        a.WEEKDAY = store::clipText(translateText(weekdayNames()[static_cast<size_t>(rule.dayNo)]),
                                    Assignment::Width::WEEKDAY);
    }
}

std::string todoUid(std::int32_t number) {
    return kUidPrefix + std::to_string(number) + kUidSuffix;
}

std::int32_t numberOfUid(const std::string& uid) {
    const std::string prefix = kUidPrefix, suffix = kUidSuffix;
    if (uid.size() <= prefix.size() + suffix.size() || uid.rfind(prefix, 0) != 0 ||
        uid.compare(uid.size() - suffix.size(), suffix.size(), suffix) != 0)
        return 0;
    const std::string digits =
        uid.substr(prefix.size(), uid.size() - prefix.size() - suffix.size());
    if (digits.empty() || digits.size() > 9 ||
        digits.find_first_not_of("0123456789") != std::string::npos)
        return 0;
    return static_cast<std::int32_t>(std::stol(digits));
}

Todo todoOf(const Assignment& a, const std::vector<Reminder>& alarms) {
    Todo t;
    t.uid = todoUid(a.ASSIGNNUMBER);
    t.summary = store::rtrim(a.NAME);
    t.due = a.DUEDATE;
    t.priority = a.PRIORITY >= 1 && a.PRIORITY <= 9 ? a.PRIORITY : 0;
    QString memo = QString::fromStdString(store::rtrim(a.GENERALMEMO));
    memo.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    t.description = memo.toStdString();
    t.rule = ruleOf(a);
    t.completed = a.CLOSEDATE != kNoDate;
    t.completedOn = a.CLOSEDATE;
    for (const Reminder& r : alarms)
        if (r.ALARMFLAG && r.DATE != kNoDate) t.alarms.push_back({r.DATE, store::rtrim(r.NOTE)});
    return t;
}

std::string todoCalendarText(const Assignment& a, const std::vector<Reminder>& alarms,
                             const QDateTime& stamp) {
    const Todo t = todoOf(a, alarms);
    Component calendar(icalcomponent_new(ICAL_VCALENDAR_COMPONENT));
    icalcomponent_add_property(calendar.get(), icalproperty_new_version("2.0"));
    icalcomponent_add_property(calendar.get(),
                               icalproperty_new_prodid("-//TASKORBIT//TASKORBIT Multi-User//EN"));
    icalcomponent* todo = icalcomponent_new(ICAL_VTODO_COMPONENT);
    icalcomponent_add_property(todo, icalproperty_new_uid(t.uid.c_str()));
    icalcomponent_add_property(todo, icalproperty_new_dtstamp(utcTime(stamp)));
    icalcomponent_add_property(todo, icalproperty_new_summary(t.summary.c_str()));
    if (t.due != kNoDate) {
        icalcomponent_add_property(todo, icalproperty_new_dtstart(floatingTime(t.due, 0, 0)));
        icalcomponent_add_property(todo, icalproperty_new_due(floatingTime(t.due, 23, 59)));
    }
    if (t.priority) icalcomponent_add_property(todo, icalproperty_new_priority(t.priority));
    if (!t.description.empty())
        icalcomponent_add_property(todo, icalproperty_new_description(t.description.c_str()));
    const std::string rrule = icsRecurrenceRule(a);
    if (!rrule.empty())
        icalcomponent_add_property(
            todo, icalproperty_new_rrule(icalrecurrencetype_from_string(rrule.c_str())));
    if (const std::string own = icsRuleText(a); !own.empty()) {
        icalproperty* rule = icalproperty_new_x(own.c_str());
        icalproperty_set_x_name(rule, kRuleProperty);
        icalcomponent_add_property(todo, rule);
    }
    if (t.completed) {
        icalcomponent_add_property(todo, icalproperty_new_status(ICAL_STATUS_COMPLETED));
        icalcomponent_add_property(
            todo, icalproperty_new_completed(utcTime(localAlarmTime(t.completedOn))));
    } else {
        icalcomponent_add_property(todo, icalproperty_new_status(ICAL_STATUS_NEEDSACTION));
    }
    for (const TodoAlarm& alarm : t.alarms) {
        icalcomponent* valarm = icalcomponent_new(ICAL_VALARM_COMPONENT);
        icalcomponent_add_property(valarm, icalproperty_new_action(ICAL_ACTION_DISPLAY));
        icaltriggertype trigger;
        trigger.time = utcTime(localAlarmTime(alarm.date));
        trigger.duration = icaldurationtype_null_duration();
        icalproperty* p = icalproperty_new_trigger(trigger);
        icalproperty_add_parameter(p, icalparameter_new_value(ICAL_VALUE_DATETIME));
        icalcomponent_add_property(valarm, p);
        const std::string note = alarm.note.empty() ? t.summary : alarm.note;
        icalcomponent_add_property(valarm, icalproperty_new_description(note.c_str()));
        icalcomponent_add_component(todo, valarm);
    }
    icalcomponent_add_component(calendar.get(), todo);
    return takeString(icalcomponent_as_ical_string_r(calendar.get()));
}

bool readTodos(const std::string& text, std::vector<Todo>& todos, std::string& error) {
    todos.clear();
    if (text.find("BEGIN:VCALENDAR") == std::string::npos &&
        text.find("BEGIN:VTODO") == std::string::npos) {
        error = "The file holds no iCalendar data (no BEGIN:VCALENDAR).";
        return false;
    }
    Component root(icalparser_parse_string(text.c_str()));
    if (!root) {
        error = "The iCalendar data cannot be read.";
        return false;
    }
    collectTodos(root.get(), todos);
    return true;
}

}  // namespace tko::sync
