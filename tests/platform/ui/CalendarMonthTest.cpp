// The month grid of the calendar pop-up.
#include <gtest/gtest.h>

#include "platform/CalendarMonth.h"

namespace tko {
namespace {

TEST(CalendarMonth, LeapFebruaryHas29Days) {
    const CalendarMonth feb2024(2024, 2);  // starts on a Thursday
    EXPECT_EQ(feb2024.dayCount(), 29);
    EXPECT_EQ(feb2024.weeks(), 5);
    EXPECT_EQ(feb2024.dayAt(0, 4), 1);
    EXPECT_EQ(feb2024.dayAt(0, 3), 0);
    EXPECT_EQ(feb2024.dayAt(4, 4), 29);
    EXPECT_EQ(feb2024.dayAt(4, 5), 0);
    EXPECT_EQ(CalendarMonth(1900, 2).dayCount(), 28);  // not a leap year
    EXPECT_EQ(CalendarMonth(2000, 2).dayCount(), 29);
}

TEST(CalendarMonth, AFebruaryOf28DaysStartingOnSundayFillsFourWeeks) {
    const CalendarMonth feb2015(2015, 2);
    EXPECT_EQ(weekday(feb2015.firstDay()), 0);
    EXPECT_EQ(feb2015.weeks(), 4);
    EXPECT_EQ(feb2015.dayAt(0, 0), 1);
    EXPECT_EQ(feb2015.dayAt(3, 6), 28);
    EXPECT_EQ(feb2015.dayAt(4, 0), 0);
}

TEST(CalendarMonth, MonthsStartingLateNeedSixWeeks) {
    const CalendarMonth aug2026(2026, 8);  // 1 August 2026 is a Saturday, 31 days
    EXPECT_EQ(weekday(aug2026.firstDay()), 6);
    EXPECT_EQ(aug2026.weeks(), 6);
    EXPECT_EQ(aug2026.dayAt(0, 6), 1);
    EXPECT_EQ(aug2026.dayAt(5, 1), 31);
    EXPECT_EQ(aug2026.dateAt(5, 1), fromYmd(2026, 8, 31));
    EXPECT_EQ(aug2026.weekOf(fromYmd(2026, 8, 31)), 5);
    EXPECT_EQ(aug2026.weekOf(fromYmd(2026, 9, 1)), -1);
    EXPECT_EQ(CalendarMonth(2026, 5).weeks(), 6);  // Friday start, 31 days
    EXPECT_EQ(CalendarMonth(2026, 9).weeks(), 5);
}

TEST(CalendarMonth, EveryDayOfTheMonthAppearsOnceInItsWeekday) {
    for (int month = 1; month <= 12; ++month) {
        const CalendarMonth m(2099, month);
        int seen = 0;
        for (int w = 0; w < m.weeks(); ++w)
            for (int d = 0; d < 7; ++d)
                if (const Date date = m.dateAt(w, d)) {
                    ++seen;
                    EXPECT_EQ(weekday(date), d);
                    EXPECT_EQ(m.weekOf(date), w);
                }
        EXPECT_EQ(seen, m.dayCount()) << month;
    }
}

TEST(CalendarMonth, MonthStepsClampTheDayAndTheSupportedYears) {
    const CalendarMonth jan(2023, 1);
    EXPECT_EQ(jan.plusMonths(1), CalendarMonth(2023, 2));
    EXPECT_EQ(jan.plusMonths(1).dateOfDay(31), fromYmd(2023, 2, 28));
    EXPECT_EQ(jan.plusMonths(-1), CalendarMonth(2022, 12));
    EXPECT_EQ(jan.plusMonths(13), CalendarMonth(2024, 2));
    EXPECT_EQ(CalendarMonth(1801, 1).plusMonths(-1), CalendarMonth(1801, 1));
    EXPECT_EQ(CalendarMonth(2099, 12).plusMonths(1), CalendarMonth(2099, 12));
    EXPECT_EQ(CalendarMonth(1700, 13), CalendarMonth(1801, 12));
    EXPECT_EQ(CalendarMonth(1801, 1).firstDay(), kFirstDate);
    EXPECT_EQ(CalendarMonth(2099, 12).lastDay(), kLastDate);
}

TEST(CalendarMonth, NoDateOpensOnTodaysMonth) {
    Clock::setFixed(fromYmd(2031, 7, 19), 0);
    EXPECT_EQ(CalendarMonth::containing(kNoDate), CalendarMonth(2031, 7));
    EXPECT_EQ(CalendarMonth::containing(kLastDate + 1), CalendarMonth(2031, 7));
    EXPECT_EQ(CalendarMonth::containing(fromYmd(1999, 12, 31)), CalendarMonth(1999, 12));
    Clock::useSystem();
}

TEST(CalendarMonth, NamesAndLetters) {
    EXPECT_EQ(CalendarMonth::monthAbbreviation(1), "Jan");
    EXPECT_EQ(CalendarMonth::monthAbbreviation(12), "Dec");
    EXPECT_EQ(CalendarMonth::monthAbbreviation(13), "");
    EXPECT_EQ(CalendarMonth::dayLetters(), "SMTWTFS");
}

}  // namespace
}  // namespace tko
