#include "platform/Date.h"

#include <atomic>
#include <ctime>

namespace tko {
namespace {

// Days since 1970-01-01 of a proleptic Gregorian date (H. Hinnant's algorithm).
constexpr long daysFromCivil(long y, unsigned m, unsigned d) {
    y -= m <= 2;
    const long era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<long>(doe) - 719468;
}

// Day 4 is 1 January 1801; kEpochOffset turns Unix days into day numbers.
constexpr long kEpochOffset = 4 - daysFromCivil(1801, 1, 1);

std::atomic<bool> g_fixed{false};
std::atomic<Date> g_fixedToday{0};
std::atomic<Time> g_fixedNow{0};

}  // namespace

bool isLeapYear(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int daysInMonth(int year, int month) {
    static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12) return 0;
    return month == 2 && isLeapYear(year) ? 29 : kDays[month - 1];
}

bool isSupportedDate(Date date) {
    return date >= kFirstDate && date <= kLastDate;
}

Ymd toYmd(Date date) {
    long z = static_cast<long>(date) - kEpochOffset + 719468;
    const long era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long y = static_cast<long>(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    const unsigned d = doy - (153 * mp + 2) / 5 + 1;
    const unsigned m = mp < 10 ? mp + 3 : mp - 9;
    return Ymd{static_cast<int>(y + (m <= 2)), static_cast<int>(m), static_cast<int>(d)};
}

Date fromYmd(int year, int month, int day) {
    return static_cast<Date>(
        daysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) +
        kEpochOffset);
}

Date makeDate(int month, int day, int year) {
    // Carry whole years out of the month first (floor division for month <= 0).
    int m0 = month - 1;
    int carry = m0 >= 0 ? m0 / 12 : -((-m0 + 11) / 12);
    year += carry;
    m0 -= carry * 12;
    return fromYmd(year, m0 + 1, 1) + (day - 1);
}

int weekday(Date date) {
    const int r = date % 7;
    return r < 0 ? r + 7 : r;
}

int dayOfYear(Date date) {
    const Ymd ymd = toYmd(date);
    return date - fromYmd(ymd.year, 1, 1) + 1;
}

Date addMonths(Date date, int months) {
    const Ymd ymd = toYmd(date);
    return makeDate(ymd.month + months, ymd.day, ymd.year);
}

Hms toHms(Time time) {
    Hms hms;
    hms.hours = time / kTicksPerHour;
    time %= kTicksPerHour;
    hms.minutes = time / kTicksPerMinute;
    time %= kTicksPerMinute;
    hms.seconds = time / kTicksPerSecond;
    hms.hundredths = time % kTicksPerSecond;
    return hms;
}

Time fromHms(int hours, int minutes, int seconds, int hundredths) {
    return hours * kTicksPerHour + minutes * kTicksPerMinute + seconds * kTicksPerSecond +
           hundredths;
}

Date Clock::today() {
    if (g_fixed.load()) return g_fixedToday.load();
    const std::time_t t = std::time(nullptr);
    std::tm tm{};
    localtime_r(&t, &tm);
    return fromYmd(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday);
}

Time Clock::now() {
    if (g_fixed.load()) return g_fixedNow.load();
    timespec ts{};
    clock_gettime(CLOCK_REALTIME, &ts);
    std::tm tm{};
    localtime_r(&ts.tv_sec, &tm);
    return fromHms(tm.tm_hour, tm.tm_min, tm.tm_sec, static_cast<int>(ts.tv_nsec / 10000000));
}

void Clock::setFixed(Date today, Time now) {
    g_fixedToday = today;
    g_fixedNow = now;
    g_fixed = true;
}

void Clock::useSystem() {
    g_fixed = false;
}

}  // namespace tko
