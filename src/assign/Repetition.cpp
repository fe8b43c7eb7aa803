#include "assign/Repetition.h"

#include "data/Messages.h"
#include "data/Records.h"
#include "platform/store/Schema.h"

namespace tko {
namespace {

constexpr int kOccurrenceWidth = Assignment::Width::WEEKINMONTH;
constexpr int kWeekdayWidth = Assignment::Width::WEEKDAY;
constexpr size_t kDescriptionWidth = 80;

const std::array<const char*, 9>& typeNames() {
    static const std::array<const char*, 9> names{
        repeat::NoRepeats,           repeat::SpecificWeekday,      repeat::DaysAfterLastDue,
        repeat::WeeksAfterLastDue,   repeat::MonthsAfterLastDue,   repeat::DaysAfterConcluded,
        repeat::WeeksAfterConcluded, repeat::MonthsAfterConcluded, repeat::SetWeekdays};
    return names;
}

std::string padded(const std::string& text, int width) {
    std::string out = store::clipText(text, width);
    for (int n = store::utf8Length(out); n < width; ++n) out += ' ';
    return out;
}

int mod7(int value) {
    const int r = value % 7;
    return r < 0 ? r + 7 : r;
}

}  // namespace

int repeatTypeNumber(const std::string& repeatType) {
    const std::string type = store::rtrim(repeatType);
    for (size_t i = 0; i < typeNames().size(); ++i)
        if (type == typeNames()[i]) return static_cast<int>(i) + 1;
    return 0;
}

std::string repeatTypeName(int number) {
    if (number < 1 || number > 9) return {};
    return typeNames()[static_cast<size_t>(number - 1)];
}

bool takesRepeatNumber(int typeNumber) {
    return typeNumber >= 3 && typeNumber <= 8;
}

const std::array<const char*, 5>& occurrenceWords() {
    static const std::array<const char*, 5> words{"1st", "2nd", "3rd", "4th", "Last"};
    return words;
}

const std::array<const char*, 7>& weekdayNames() {
    static const std::array<const char*, 7> names{"Sunday",   "Monday", "Tuesday", "Wednesday",
                                                  "Thursday", "Friday", "Saturday"};
    return names;
}

int occurrenceIndex(const std::string& weekInMonth) {
    const std::string stored = store::rtrim(weekInMonth);
    if (stored.empty()) return 0;
    // "Last" first, then "1st" to "4th"; the user's language before English.
    static const int order[] = {5, 1, 2, 3, 4};
    for (int k : order) {
        const std::string english = occurrenceWords()[static_cast<size_t>(k - 1)];
        if (stored == store::clipText(translateText(english), kOccurrenceWidth)) return k;
    }
    for (int k : order)
        if (stored == occurrenceWords()[static_cast<size_t>(k - 1)]) return k;
    return 0;
}

Date monthStep(Date base, int months) {
    const Ymd b = toYmd(base);
    const Date candidate = makeDate(b.month + months, b.day, b.year);
    const Date limit = makeDate(b.month + months + 1, 1, b.year);
    if (candidate < limit) return candidate;
    return makeDate(b.month + months + 1, b.day, b.year);
}

Date specificWeekday(Date due, int k, int dayNo) {
    const Ymd d = toYmd(due);
    if (k == 5) {
        const Date last = makeDate(d.month + 2, 1, d.year) - 1;
        return last - mod7(weekday(last) - dayNo);
    }
    const Date first = makeDate(d.month + 1, 1, d.year);
    const Date a = first + 7 * (k - 1);
    return a + mod7(dayNo - weekday(a));
}

Date NextDueDate(const std::string& repeatType, Date due, Date today, int repNumber,
                 const std::array<std::uint8_t, 7>& weekdayFlags, const std::string& weekInMonth,
                 int dayNo) {
    switch (repeatTypeNumber(repeatType)) {
        case 2: {
            // An occurrence word that matches none counts as k = 0: the
            // weekday in the last week of the due date's own month.
            return specificWeekday(due, occurrenceIndex(weekInMonth), mod7(dayNo));
        }
        case 3:
            return due + repNumber;
        case 4:
            return due + 7 * repNumber;
        case 5:
            return monthStep(due, repNumber);
        case 6:
            return today + repNumber;
        case 7:
            return today + 7 * repNumber;
        case 8:
            return monthStep(today, repNumber);
        case 9: {
            Date next = due;
            for (int i = 0; i < 7; ++i) {
                ++next;
                if (weekdayFlags[static_cast<size_t>(weekday(next))] == 1) break;
            }
            return next;
        }
        default:
            return due;
    }
}

Date NextDueDate(const Assignment& record, Date today) {
    return NextDueDate(record.REPEATTYPE, record.DUEDATE, today, record.REPNUMBER,
                       record.SETDAYREPT, record.WEEKINMONTH, record.DAYNO);
}

std::optional<Date> followingDate(const Assignment& record, Date cur) {
    if (repeatTypeNumber(record.REPEATTYPE) < 2 || !isSupportedDate(cur)) return std::nullopt;
    const Date next = NextDueDate(record.REPEATTYPE, cur, cur, record.REPNUMBER, record.SETDAYREPT,
                                  record.WEEKINMONTH, record.DAYNO);
    if (next <= cur || !isSupportedDate(next)) return std::nullopt;
    return next;
}

std::vector<Date> nextDates(const Assignment& record, Date due, int count) {
    std::vector<Date> dates;
    Date cur = due;
    while (static_cast<int>(dates.size()) < count) {
        const auto next = followingDate(record, cur);
        if (!next) break;
        dates.push_back(*next);
        cur = *next;
    }
    return dates;
}

RepeatLine RepeatDescription(const Assignment& record) {
    RepeatLine line;
    const int type = repeatTypeNumber(record.REPEATTYPE);
    if (type == 1) return line;
    if (type == 0) {
        line.kind = RepeatLine::Unchanged;
        return line;
    }
    line.kind = RepeatLine::Text;
    const std::string every = translateText("Due every") + " " + std::to_string(record.REPNUMBER);
    switch (type) {
        case 2:
            line.text = translateText("Due the") + " " +
                        padded(record.WEEKINMONTH, kOccurrenceWidth) + " " +
                        padded(record.WEEKDAY, kWeekdayWidth) + translateText(" of every month.");
            break;
        case 3:
            line.text = every + translateText(" day(s) after previous due date.");
            break;
        case 4:
            line.text = every + translateText(" week(s) after previous due date.");
            break;
        case 5:
            line.text = every + translateText(" month(s) after previous due date.");
            break;
        case 6:
            line.text = every + translateText(" day(s) after concluded last time.");
            break;
        case 7:
            line.text = every + translateText(" week(s) after concluded last time.");
            break;
        case 8:
            line.text = every + translateText(" month(s) after concluded last time.");
            break;
        case 9:
            line.text = translateText("Set Weekdays");
            break;
        default:
            break;
    }
    line.text = store::clipText(line.text, static_cast<int>(kDescriptionWidth));
    return line;
}

}  // namespace tko
