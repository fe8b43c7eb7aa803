// Standard dates and times, the one place where calendar arithmetic lives.
//
// A standard date is a signed day number: day 4 is 1 January 1801 and day
// 109211 is 31 December 2099, the last supported date; 0 means "no date".
// The weekday of a date is its day number modulo 7 (0 = Sunday).
// A standard time counts hundredths of a second since midnight.
//
// Every function here is pure and thread-safe except the clock setters, which
// tests call before the code under test runs.
#pragma once

#include <cstdint>

namespace tko {

using Date = std::int32_t;
using Time = std::int32_t;

constexpr Date kNoDate = 0;
constexpr Date kFirstDate = 4;      // 1 January 1801
constexpr Date kLastDate = 109211;  // 31 December 2099
constexpr Time kTicksPerSecond = 100;
constexpr Time kTicksPerMinute = 6000;
constexpr Time kTicksPerHour = 360000;
constexpr Time kTicksPerDay = 24 * kTicksPerHour;

struct Ymd {
    int year = 0;
    int month = 0;  // 1..12
    int day = 0;    // 1..31
    friend bool operator==(const Ymd&, const Ymd&) = default;
};

bool isLeapYear(int year);
int daysInMonth(int year, int month);

// True for day numbers from kFirstDate to kLastDate.
bool isSupportedDate(Date date);

// Calendar date of a day number (proleptic Gregorian; also defined outside the
// supported range so that arithmetic never traps).
Ymd toYmd(Date date);

// Day number of a valid calendar date; the caller ensures month 1..12 and day
// within the month (see makeDate for the forgiving variant).
Date fromYmd(int year, int month, int day);

// DATE(month, day, year): a month beyond 12 (or below 1) carries into the
// following (preceding) years, and a day beyond the month's length carries into
// the following months; day 0 is the last day of the preceding month.
Date makeDate(int month, int day, int year);

// 0 = Sunday ... 6 = Saturday.
int weekday(Date date);

// 1 for 1 January.
int dayOfYear(Date date);

// Same day of month `months` months later (negative: earlier); when that month
// is shorter the day carries over into the next month, as makeDate does.
Date addMonths(Date date, int months);

// Hours, minutes, seconds and hundredths of a standard time.
struct Hms {
    int hours = 0, minutes = 0, seconds = 0, hundredths = 0;
};
Hms toHms(Time time);
Time fromHms(int hours, int minutes, int seconds = 0, int hundredths = 0);

// The program's clock. By default it reads the system's local time; tests fix
// it with setFixed() and return to the real clock with useSystem().
class Clock {
public:
    static Date today();
    static Time now();
    static void setFixed(Date today, Time now);
    static void useSystem();
};

}  // namespace tko
