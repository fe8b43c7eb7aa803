// Repetition rules of an assignment: the nine repeat types, the date
// arithmetic that moves a due date to the next occurrence of its rule, and the
// one-line description the assignment form shows for a rule.
//
// Everything here is pure and thread-safe; translated words come through
// translateText() (data/Messages.h).
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "data/Records.h"
#include "platform/Date.h"

namespace tko {

// The stored names of the repeat types (ASS:REPEATTYPE), never translated.
namespace repeat {
inline constexpr const char* NoRepeats = "No Repeats";
inline constexpr const char* SpecificWeekday = "Specific Weekday";
inline constexpr const char* DaysAfterLastDue = "Days after Last Due";
inline constexpr const char* WeeksAfterLastDue = "Weeks after Last Due";
inline constexpr const char* MonthsAfterLastDue = "Months after Last Due";
inline constexpr const char* DaysAfterConcluded = "Days after Concluded";
inline constexpr const char* WeeksAfterConcluded = "Weeks after Concluded";
inline constexpr const char* MonthsAfterConcluded = "Months after Concluded";
inline constexpr const char* SetWeekdays = "Set Weekdays";
}  // namespace repeat

// The type's option number in the Repeat Assignment dialog, 1 ("No Repeats")
// to 9 ("Set Weekdays"); 0 for a text that names no type. Trailing blanks are
// ignored.
int repeatTypeNumber(const std::string& repeatType);
// The stored name of option `number` (1..9); empty otherwise.
std::string repeatTypeName(int number);
// True for the types 3 to 8, which take a number of days, weeks or months.
bool takesRepeatNumber(int typeNumber);

// The five occurrence words of "Specific Weekday", untranslated: "1st",
// "2nd", "3rd", "4th", "Last".
const std::array<const char*, 5>& occurrenceWords();
// The weekday names "Sunday" .. "Saturday", untranslated, by ASS:DAYNO.
const std::array<const char*, 7>& weekdayNames();

// k of a stored occurrence word: 1..4 for "1st".."4th", 5 for "Last", 0 when
// it matches none. The word is compared, trailing blanks ignored, with each
// word in the current language (clipped to the field's 4 characters, as it was
// stored) and in English, "Last" first, so a rule set by a user of another
// language is still understood.
int occurrenceIndex(const std::string& weekInMonth);

// The month step of `months` from `base`: the same day `months` months on;
// when that month lacks the day, the same day one month later still (31
// January monthly gives 31 March, not the end of February).
Date monthStep(Date base, int months);

// The k-th (1..4) or, for k = 5, the last weekday `dayNo` (0 = Sunday) of the
// month after the month of `due`. k = 0 (an occurrence word that matches
// none) counts one week back from the first of that month: the weekday in
// the last week of the month of `due`. k must be 0..5.
Date specificWeekday(Date due, int k, int dayNo);

// The next due date of a repeating assignment concluded on `today`, for the
// types 2 to 9. The due date is returned unchanged for "No Repeats" and for an
// unknown type. A "Specific Weekday" rule whose occurrence word is not
// recognised (see occurrenceIndex()) gives its weekday in the last week of
// the due date's month (k = 0 of specificWeekday()).
Date NextDueDate(const std::string& repeatType, Date due, Date today, int repNumber,
                 const std::array<std::uint8_t, 7>& weekdayFlags, const std::string& weekInMonth,
                 int dayNo);
// The same, taking the rule from the record.
Date NextDueDate(const Assignment& record, Date today);

// The date after `cur` that `record`'s rule gives, as if the assignment were
// concluded on `cur` (the "after Concluded" families count from there);
// nothing for "No Repeats", when the rule does not move forward (a number
// of 0) or when the date leaves the supported range.
std::optional<Date> followingDate(const Assignment& record, Date cur);

// The first `count` dates after `due` that `record`'s rule gives, each as if
// the one before were concluded on its due date (what the Repeat Assignment
// dialog previews and the calendar draws); fewer when followingDate() stops.
std::vector<Date> nextDates(const Assignment& record, Date due, int count);

// The form's description line of a rule.
struct RepeatLine {
    enum Kind {
        Hidden,     // "No Repeats": no line
        Text,       // show `text` (at most 80 characters)
        Unchanged,  // a type this program does not know: keep whatever the line showed
    };
    Kind kind = Hidden;
    std::string text;
};
RepeatLine RepeatDescription(const Assignment& record);

}  // namespace tko
