#include "platform/CalendarMonth.h"

#include <algorithm>

namespace tko {

CalendarMonth::CalendarMonth(int year, int month)
    : m_year(std::clamp(year, kFirstYear, kLastYear)),
      m_month(std::clamp(month, 1, 12)),
      m_first(fromYmd(m_year, m_month, 1)) {}

CalendarMonth CalendarMonth::containing(Date date) {
    if (!isSupportedDate(date)) date = Clock::today();
    const Ymd ymd = toYmd(date);
    return CalendarMonth(ymd.year, ymd.month);
}

int CalendarMonth::dayCount() const {
    return daysInMonth(m_year, m_month);
}

Date CalendarMonth::lastDay() const {
    return m_first + dayCount() - 1;
}

int CalendarMonth::weeks() const {
    const int cells = weekday(m_first) + dayCount();
    return (cells + 6) / 7;
}

int CalendarMonth::dayAt(int week, int day) const {
    if (week < 0 || day < 0 || day > 6) return 0;
    const int n = week * 7 + day - weekday(m_first) + 1;
    return n >= 1 && n <= dayCount() ? n : 0;
}

Date CalendarMonth::dateAt(int week, int day) const {
    const int n = dayAt(week, day);
    return n == 0 ? kNoDate : m_first + n - 1;
}

int CalendarMonth::weekOf(Date date) const {
    if (date < m_first || date > lastDay()) return -1;
    return (weekday(m_first) + (date - m_first)) / 7;
}

Date CalendarMonth::dateOfDay(int day) const {
    return m_first + std::clamp(day, 1, dayCount()) - 1;
}

CalendarMonth CalendarMonth::plusMonths(int count) const {
    const int index = m_year * 12 + (m_month - 1) + count;
    const int year = index / 12;
    if (year < kFirstYear) return CalendarMonth(kFirstYear, 1);
    if (year > kLastYear) return CalendarMonth(kLastYear, 12);
    return CalendarMonth(year, index % 12 + 1);
}

std::string CalendarMonth::monthAbbreviation(int month) {
    static const char* const kNames[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                         "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    return month >= 1 && month <= 12 ? kNames[month - 1] : std::string();
}

std::string CalendarMonth::dayLetters() {
    return "SMTWTFS";
}

}  // namespace tko
