// Date arithmetic of the repeat types, checked against brute-force answers
// over the whole supported calendar, the rule descriptions, and the later
// dates a rule gives.
#include <gtest/gtest.h>

#include <vector>

#include "assign/Repetition.h"
#include "data/Messages.h"

namespace tko {
namespace {

const std::array<std::uint8_t, 7> kNoFlags{};

Date ymd(int y, int m, int d) {
    return fromYmd(y, m, d);
}

// The answer of a month step worked out on the calendar alone.
Date expectedMonthStep(Date base, int months) {
    const Ymd b = toYmd(base);
    int index = b.year * 12 + (b.month - 1) + months;
    int year = index / 12, month = index % 12 + 1;
    if (b.day <= daysInMonth(year, month)) return fromYmd(year, month, b.day);
    ++index;
    year = index / 12;
    month = index % 12 + 1;
    return fromYmd(year, month, b.day);  // the month after a short one always has the day
}

// The k-th (5: last) weekday `day` of the month after `due`, by walking the days.
Date expectedSpecific(Date due, int k, int day) {
    const Ymd d = toYmd(due);
    const int year = d.month == 12 ? d.year + 1 : d.year;
    const int month = d.month == 12 ? 1 : d.month + 1;
    std::vector<Date> matches;
    for (int n = 1; n <= daysInMonth(year, month); ++n)
        if (weekday(fromYmd(year, month, n)) == day) matches.push_back(fromYmd(year, month, n));
    return k == 5 ? matches.back() : matches.at(static_cast<size_t>(k - 1));
}

TEST(RepeatTypes, NamesAndNumbersRoundTrip) {
    for (int n = 1; n <= 9; ++n) EXPECT_EQ(repeatTypeNumber(repeatTypeName(n)), n);
    EXPECT_EQ(repeatTypeNumber("Weeks after Concluded   "), 7);
    EXPECT_EQ(repeatTypeNumber("weeks after concluded"), 0);  // stored spelling only
    EXPECT_EQ(repeatTypeNumber(""), 0);
    EXPECT_EQ(repeatTypeName(0), "");
    EXPECT_EQ(repeatTypeName(10), "");
    EXPECT_FALSE(takesRepeatNumber(2));
    EXPECT_TRUE(takesRepeatNumber(3));
    EXPECT_TRUE(takesRepeatNumber(8));
    EXPECT_FALSE(takesRepeatNumber(9));
}

TEST(MonthStep, DocumentedCases) {
    EXPECT_EQ(monthStep(ymd(2023, 1, 31), 1), ymd(2023, 3, 31));   // candidate 3 March
    EXPECT_EQ(monthStep(ymd(2024, 1, 31), 1), ymd(2024, 3, 31));   // candidate 2 March
    EXPECT_EQ(monthStep(ymd(2023, 12, 31), 2), ymd(2024, 3, 31));  // 31 February of the next year
    EXPECT_EQ(monthStep(ymd(2023, 1, 30), 1), ymd(2023, 3, 30));
    EXPECT_EQ(monthStep(ymd(2024, 1, 29), 1), ymd(2024, 2, 29));
    EXPECT_EQ(monthStep(ymd(2023, 1, 29), 1), ymd(2023, 3, 29));
    EXPECT_EQ(monthStep(ymd(2023, 3, 31), 1), ymd(2023, 5, 31));
    EXPECT_EQ(monthStep(ymd(2023, 11, 15), 1), ymd(2023, 12, 15));
    EXPECT_EQ(monthStep(ymd(2023, 12, 15), 1), ymd(2024, 1, 15));
    EXPECT_EQ(monthStep(ymd(2023, 5, 10), 24), ymd(2025, 5, 10));
}

TEST(MonthStep, MonthlyChainFrom31January) {
    Date d = ymd(2023, 1, 31);
    std::vector<Date> seen;
    for (int i = 0; i < 6; ++i) seen.push_back(d = monthStep(d, 1));
    EXPECT_EQ(seen, (std::vector<Date>{ymd(2023, 3, 31), ymd(2023, 5, 31), ymd(2023, 7, 31),
                                       ymd(2023, 8, 31), ymd(2023, 10, 31), ymd(2023, 12, 31)}));
}

TEST(MonthStep, EveryDayFrom1801To2098AgreesWithTheCalendar) {
    for (Date d = ymd(1801, 1, 1); d <= ymd(2098, 12, 31); ++d)
        for (int n : {1, 2, 3, 11, 12, 13}) {
            ASSERT_EQ(monthStep(d, n), expectedMonthStep(d, n)) << "from day " << d << " by " << n;
        }
}

TEST(SpecificWeekday, LastFridayAndFirstSunday) {
    // April 2022 ends on Saturday 30th; June 2023 ends on Friday 30th; August 2024 ends on
    // Saturday.
    EXPECT_EQ(specificWeekday(ymd(2023, 5, 17), 5, 5), ymd(2023, 6, 30));  // month ends on a Friday
    // November 2023 ends on a Thursday: the last Friday is 6 days earlier.
    EXPECT_EQ(weekday(ymd(2023, 11, 30)), 4);
    EXPECT_EQ(specificWeekday(ymd(2023, 10, 2), 5, 5), ymd(2023, 11, 24));
    // October 2023 starts on a Sunday: the first Sunday is the 1st.
    EXPECT_EQ(weekday(ymd(2023, 10, 1)), 0);
    EXPECT_EQ(specificWeekday(ymd(2023, 9, 30), 1, 0), ymd(2023, 10, 1));
    // Whatever the day in the current month, the rule lands in the next month.
    EXPECT_EQ(specificWeekday(ymd(2023, 9, 1), 1, 0), ymd(2023, 10, 1));
    // December rolls into January of the next year.
    EXPECT_EQ(specificWeekday(ymd(2023, 12, 31), 2, 2), ymd(2024, 1, 9));
}

TEST(SpecificWeekday, EveryMonthEveryWeekdayEveryOccurrence1801To2098) {
    for (int y = 1801; y <= 2098; ++y)
        for (int m = 1; m <= 12; ++m) {
            const Date due = ymd(y, m, 1 + (y * 7 + m) % daysInMonth(y, m));
            for (int day = 0; day < 7; ++day)
                for (int k = 1; k <= 5; ++k)
                    ASSERT_EQ(specificWeekday(due, k, day), expectedSpecific(due, k, day))
                        << y << "-" << m << " k=" << k << " day=" << day;
        }
}

TEST(NextDueDate, SetWeekdays) {
    const Date wednesday = ymd(2024, 2, 28);  // leap year: the next day is 29 February
    ASSERT_EQ(weekday(wednesday), 3);
    std::array<std::uint8_t, 7> own{};
    own[3] = 1;
    EXPECT_EQ(NextDueDate(repeat::SetWeekdays, wednesday, 0, 0, own, "", 0), wednesday + 7);
    EXPECT_EQ(NextDueDate(repeat::SetWeekdays, wednesday, 0, 0, kNoFlags, "", 0), wednesday + 7);
    std::array<std::uint8_t, 7> monFri{0, 1, 0, 0, 0, 1, 0};
    EXPECT_EQ(NextDueDate(repeat::SetWeekdays, wednesday, 0, 0, monFri, "", 0), ymd(2024, 3, 1));
    EXPECT_EQ(NextDueDate(repeat::SetWeekdays, ymd(2024, 3, 1), 0, 0, monFri, "", 0),
              ymd(2024, 3, 4));
    // Year end: Friday 29 December 2023 to Monday 1 January 2024.
    EXPECT_EQ(NextDueDate(repeat::SetWeekdays, ymd(2023, 12, 29), 0, 0, monFri, "", 0),
              ymd(2024, 1, 1));
    // A flag value other than 1 does not count.
    std::array<std::uint8_t, 7> two{};
    two[4] = 2;
    EXPECT_EQ(NextDueDate(repeat::SetWeekdays, wednesday, 0, 0, two, "", 0), wednesday + 7);
}

TEST(NextDueDate, SetWeekdaysEveryFlagPatternFromEveryWeekday) {
    const Date start = ymd(2099, 12, 20);  // near the end of the calendar, over the year end
    for (int pattern = 0; pattern < 128; ++pattern) {
        std::array<std::uint8_t, 7> flags{};
        for (int k = 0; k < 7; ++k) flags[static_cast<size_t>(k)] = (pattern >> k) & 1;
        for (Date due = start - 7; due < start; ++due) {
            Date expected = due + 7;
            for (Date d = due + 1; d <= due + 7; ++d)
                if (flags[static_cast<size_t>(weekday(d))]) {
                    expected = d;
                    break;
                }
            ASSERT_EQ(NextDueDate(repeat::SetWeekdays, due, 0, 0, flags, "", 0), expected)
                << pattern;
        }
    }
}

TEST(NextDueDate, NumberedTypesUseDueOrToday) {
    const Date due = ymd(2023, 1, 31), today = ymd(2023, 2, 14);
    EXPECT_EQ(NextDueDate(repeat::DaysAfterLastDue, due, today, 3, kNoFlags, "", 0), due + 3);
    EXPECT_EQ(NextDueDate(repeat::WeeksAfterLastDue, due, today, 2, kNoFlags, "", 0), due + 14);
    EXPECT_EQ(NextDueDate(repeat::MonthsAfterLastDue, due, today, 1, kNoFlags, "", 0),
              ymd(2023, 3, 31));
    EXPECT_EQ(NextDueDate(repeat::DaysAfterConcluded, due, today, 3, kNoFlags, "", 0), today + 3);
    EXPECT_EQ(NextDueDate(repeat::WeeksAfterConcluded, due, today, 2, kNoFlags, "", 0), today + 14);
    // Today's day of month counts, not the old due date's.
    EXPECT_EQ(NextDueDate(repeat::MonthsAfterConcluded, due, today, 1, kNoFlags, "", 0),
              ymd(2023, 3, 14));
    EXPECT_EQ(NextDueDate(repeat::NoRepeats, due, today, 1, kNoFlags, "", 0), due);
    EXPECT_EQ(NextDueDate("Fortnightly", due, today, 1, kNoFlags, "", 0), due);
}

TEST(NextDueDate, SpecificWeekdayWordsAndUnknownWords) {
    const Date due = ymd(2023, 5, 17);
    EXPECT_EQ(NextDueDate(repeat::SpecificWeekday, due, 0, 0, kNoFlags, "2nd ", 2),
              ymd(2023, 6, 13));
    EXPECT_EQ(NextDueDate(repeat::SpecificWeekday, due, 0, 0, kNoFlags, "Last", 5),
              ymd(2023, 6, 30));
    // A word nobody knows counts as k = 0: the weekday in the last week of the
    // due date's own month (which may lie before the due date).
    EXPECT_EQ(NextDueDate(repeat::SpecificWeekday, due, 0, 0, kNoFlags, "5th", 2),
              ymd(2023, 5, 30));
    EXPECT_EQ(NextDueDate(repeat::SpecificWeekday, due, 0, 0, kNoFlags, "", 4), ymd(2023, 5, 25));
    EXPECT_EQ(NextDueDate(repeat::SpecificWeekday, ymd(2023, 12, 28), 0, 0, kNoFlags, "x", 0),
              ymd(2023, 12, 31));
}

std::string germanWords(const std::string& source) {
    if (source == "Last") return "Letzter";
    if (source == "1st") return "1.";
    if (source == "2nd") return "2.";
    return source;
}

TEST(OccurrenceIndex, CurrentLanguageAndEnglish) {
    EXPECT_EQ(occurrenceIndex("Last"), 5);
    EXPECT_EQ(occurrenceIndex("4th "), 4);
    EXPECT_EQ(occurrenceIndex("last"), 0);
    setMessageTranslator(&germanWords);
    EXPECT_EQ(occurrenceIndex("Letz"), 5);  // stored clipped to four characters
    EXPECT_EQ(occurrenceIndex("2."), 2);
    EXPECT_EQ(occurrenceIndex("1st"), 1);  // set by an English-speaking user
    EXPECT_EQ(occurrenceIndex("Last"), 5);
    EXPECT_EQ(occurrenceIndex("Erst"), 0);
    setMessageTranslator(nullptr);
}

TEST(RepeatDescription, EveryType) {
    Assignment a;
    a.REPNUMBER = 3;
    a.REPEATTYPE = repeat::NoRepeats;
    EXPECT_EQ(RepeatDescription(a).kind, RepeatLine::Hidden);
    a.REPEATTYPE = "Something else";
    EXPECT_EQ(RepeatDescription(a).kind, RepeatLine::Unchanged);
    const std::pair<const char*, const char*> cases[] = {
        {repeat::DaysAfterLastDue, "Due every 3 day(s) after previous due date."},
        {repeat::WeeksAfterLastDue, "Due every 3 week(s) after previous due date."},
        {repeat::MonthsAfterLastDue, "Due every 3 month(s) after previous due date."},
        {repeat::DaysAfterConcluded, "Due every 3 day(s) after concluded last time."},
        {repeat::WeeksAfterConcluded, "Due every 3 week(s) after concluded last time."},
        {repeat::MonthsAfterConcluded, "Due every 3 month(s) after concluded last time."},
        {repeat::SetWeekdays, "Set Weekdays"},
    };
    for (const auto& [type, text] : cases) {
        a.REPEATTYPE = type;
        const RepeatLine line = RepeatDescription(a);
        EXPECT_EQ(line.kind, RepeatLine::Text);
        EXPECT_EQ(line.text, text);
    }
    a.REPEATTYPE = repeat::SpecificWeekday;
    a.WEEKINMONTH = "2nd";
    a.WEEKDAY = "Tuesday";
    EXPECT_EQ(RepeatDescription(a).text, "Due the 2nd  Tuesday   of every month.");
}

// The later dates (nextDates()) of each repetition family, across month ends,
// leap days and the last supported date, and the rules that never move on.
TEST(CalendarOccurrences, EveryFamilyAcrossMonthEndsLeapYearsAndTheLastDate) {
    struct Case {
        const char* type;
        int repNumber;
        Ymd due;
        std::vector<Ymd> expected;
        const char* weekInMonth = "";
        int dayNo = 0;
        std::array<std::uint8_t, 7> weekdays{};
    };
    const Case cases[] = {
        {repeat::DaysAfterLastDue,
         10,
         {2024, 2, 25},
         {{2024, 3, 6}, {2024, 3, 16}, {2024, 3, 26}, {2024, 4, 5}, {2024, 4, 15}}},
        {repeat::WeeksAfterLastDue,
         2,
         {2023, 12, 27},
         {{2024, 1, 10}, {2024, 1, 24}, {2024, 2, 7}, {2024, 2, 21}, {2024, 3, 6}}},
        // A day the month lacks goes on to the same day of the month after.
        {repeat::MonthsAfterLastDue,
         1,
         {2024, 1, 31},
         {{2024, 3, 31}, {2024, 5, 31}, {2024, 7, 31}, {2024, 8, 31}, {2024, 10, 31}}},
        // Nothing after 31 December 2099.
        {repeat::DaysAfterConcluded, 3, {2099, 12, 25}, {{2099, 12, 28}, {2099, 12, 31}}},
        {repeat::WeeksAfterConcluded,
         1,
         {2023, 2, 22},
         {{2023, 3, 1}, {2023, 3, 8}, {2023, 3, 15}, {2023, 3, 22}, {2023, 3, 29}}},
        {repeat::MonthsAfterConcluded,
         12,
         {2024, 2, 29},
         {{2025, 3, 29}, {2026, 3, 29}, {2027, 3, 29}, {2028, 3, 29}, {2029, 3, 29}}},
        {repeat::SpecificWeekday,
         0,
         {2026, 12, 25},
         {{2027, 1, 29}, {2027, 2, 26}, {2027, 3, 26}, {2027, 4, 30}, {2027, 5, 28}},
         "Last",
         5},
        {repeat::SpecificWeekday, 0, {2099, 10, 1}, {{2099, 11, 2}, {2099, 12, 7}}, "1st", 1},
        {repeat::SetWeekdays,
         0,
         {2024, 2, 28},
         {{2024, 2, 29}, {2024, 3, 4}, {2024, 3, 7}, {2024, 3, 11}, {2024, 3, 14}},
         "",
         0,
         {0, 1, 0, 0, 1, 0, 0}},
        {repeat::NoRepeats, 0, {2024, 1, 1}, {}},
        {repeat::DaysAfterLastDue, 0, {2024, 1, 1}, {}},  // never moves on
    };
    for (const Case& c : cases) {
        Assignment rule;
        rule.REPEATTYPE = c.type;
        rule.REPNUMBER = static_cast<std::int16_t>(c.repNumber);
        rule.WEEKINMONTH = c.weekInMonth;
        rule.DAYNO = static_cast<std::uint8_t>(c.dayNo);
        rule.SETDAYREPT = c.weekdays;
        std::vector<Date> expected;
        for (const Ymd& d : c.expected) expected.push_back(fromYmd(d.year, d.month, d.day));
        EXPECT_EQ(nextDates(rule, fromYmd(c.due.year, c.due.month, c.due.day), 5), expected)
            << c.type << " " << c.repNumber;
    }
}

}  // namespace
}  // namespace tko
