#include <gtest/gtest.h>

#include "platform/Date.h"

namespace tko {
namespace {

TEST(DateTest, RangeEndsAreTheDocumentedDays) {
    EXPECT_EQ(fromYmd(1801, 1, 1), 4);
    EXPECT_EQ(fromYmd(2099, 12, 31), 109211);
    EXPECT_EQ(toYmd(4), (Ymd{1801, 1, 1}));
    EXPECT_EQ(toYmd(109211), (Ymd{2099, 12, 31}));
    EXPECT_TRUE(isSupportedDate(kFirstDate));
    EXPECT_TRUE(isSupportedDate(kLastDate));
    EXPECT_FALSE(isSupportedDate(3));
    EXPECT_FALSE(isSupportedDate(109212));
    EXPECT_FALSE(isSupportedDate(kNoDate));
}

TEST(DateTest, EveryDayOfTheRangeRoundTripsAndFollowsItsPredecessor) {
    Ymd previous = toYmd(kFirstDate);
    for (Date d = kFirstDate + 1; d <= kLastDate; ++d) {
        const Ymd ymd = toYmd(d);
        ASSERT_EQ(fromYmd(ymd.year, ymd.month, ymd.day), d);
        // Consecutive days: next day of month, or the 1st of the next month/year.
        if (ymd.day != 1) {
            ASSERT_EQ(ymd.day, previous.day + 1) << d;
        } else {
            ASSERT_EQ(previous.day, daysInMonth(previous.year, previous.month)) << d;
        }
        previous = ymd;
    }
}

TEST(DateTest, LeapYearsFollowTheGregorianRule) {
    EXPECT_TRUE(isLeapYear(1804));
    EXPECT_FALSE(isLeapYear(1900));
    EXPECT_TRUE(isLeapYear(2000));
    EXPECT_FALSE(isLeapYear(2100));
    EXPECT_EQ(daysInMonth(1804, 2), 29);
    EXPECT_EQ(daysInMonth(1900, 2), 28);
    EXPECT_EQ(daysInMonth(2000, 2), 29);
    EXPECT_EQ(fromYmd(1900, 3, 1) - fromYmd(1900, 2, 28), 1);
    EXPECT_EQ(fromYmd(2000, 3, 1) - fromYmd(2000, 2, 28), 2);
}

TEST(DateTest, WeekdayIsDayNumberModuloSevenWithSundayZero) {
    EXPECT_EQ(weekday(fromYmd(1801, 1, 1)), 4);    // a Thursday
    EXPECT_EQ(weekday(fromYmd(2000, 1, 1)), 6);    // a Saturday
    EXPECT_EQ(weekday(fromYmd(2026, 12, 8)), 2);   // a Tuesday
    EXPECT_EQ(weekday(fromYmd(2099, 12, 31)), 4);  // a Thursday
    EXPECT_EQ(weekday(-1), 6);                     // non-negative for any day number
}

TEST(DateTest, MakeDateCarriesMonthsAndDaysOver) {
    EXPECT_EQ(makeDate(13, 1, 2000), fromYmd(2001, 1, 1));
    EXPECT_EQ(makeDate(14, 31, 2001), fromYmd(2002, 3, 3));  // 31 February 2002
    EXPECT_EQ(makeDate(4, 31, 2026), fromYmd(2026, 5, 1));
    EXPECT_EQ(makeDate(2, 29, 1900), fromYmd(1900, 3, 1));
    EXPECT_EQ(makeDate(2, 29, 2000), fromYmd(2000, 2, 29));
    EXPECT_EQ(makeDate(3, 0, 2000), fromYmd(2000, 2, 29));  // day 0: last of previous month
    EXPECT_EQ(makeDate(0, 1, 2000), fromYmd(1999, 12, 1));  // month 0: December before
    EXPECT_EQ(makeDate(25, 1, 2000), fromYmd(2002, 1, 1));
    EXPECT_EQ(makeDate(-11, 1, 2000), fromYmd(1999, 1, 1));
}

TEST(DateTest, DayOfYearAndMonthSteps) {
    EXPECT_EQ(dayOfYear(fromYmd(2000, 12, 31)), 366);
    EXPECT_EQ(dayOfYear(fromYmd(1900, 12, 31)), 365);
    EXPECT_EQ(dayOfYear(fromYmd(2026, 1, 1)), 1);
    EXPECT_EQ(addMonths(fromYmd(2026, 1, 31), 1), fromYmd(2026, 3, 3));
    EXPECT_EQ(addMonths(fromYmd(2026, 12, 15), 2), fromYmd(2027, 2, 15));
}

TEST(DateTest, TimesCountHundredthsSinceMidnight) {
    EXPECT_EQ(fromHms(1, 0), 360000);
    EXPECT_EQ(fromHms(23, 59, 59, 99), kTicksPerDay - 1);
    const Hms hms = toHms(fromHms(13, 45, 7, 12));
    EXPECT_EQ(hms.hours, 13);
    EXPECT_EQ(hms.minutes, 45);
    EXPECT_EQ(hms.seconds, 7);
    EXPECT_EQ(hms.hundredths, 12);
}

TEST(DateTest, ClockCanBeFixedByTests) {
    Clock::setFixed(fromYmd(2030, 5, 6), fromHms(8, 30));
    EXPECT_EQ(Clock::today(), fromYmd(2030, 5, 6));
    EXPECT_EQ(Clock::now(), fromHms(8, 30));
    Clock::useSystem();
    EXPECT_TRUE(isSupportedDate(Clock::today()));
    EXPECT_LT(Clock::now(), kTicksPerDay);
}

}  // namespace
}  // namespace tko
