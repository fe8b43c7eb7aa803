// The month grid of the "Look Up Calendar": weeks of seven days, Sunday
// first, the first week holding the 1st of the month. Years are kept within
// the supported dates (1801 to 2099).
#pragma once

#include "platform/Date.h"

#include <string>

namespace tko {

class CalendarMonth {
public:
    static constexpr int kFirstYear = 1801;
    static constexpr int kLastYear = 2099;

    // The month of `year` (clamped to 1801..2099) and `month` (clamped to 1..12).
    CalendarMonth(int year, int month);
    // The month holding `date`; today's month for 0 or a date outside the
    // supported range.
    static CalendarMonth containing(Date date);

    int year() const { return m_year; }
    int month() const { return m_month; }
    Date firstDay() const { return m_first; }
    Date lastDay() const;
    int dayCount() const;

    // Rows of the grid: 4 (a February of 28 days starting on Sunday) to 6.
    int weeks() const;
    // Day of the month shown at `week` (0-based row) and `weekday` (0 Sunday
    // .. 6 Saturday); 0 for a cell outside the month.
    int dayAt(int week, int weekday) const;
    // The date at a cell; 0 for a cell outside the month.
    Date dateAt(int week, int weekday) const;
    // Row of `date` in the grid; -1 when the date is not in this month.
    int weekOf(Date date) const;

    // The date `day` of this month, the day clamped to the month's length
    // (31 January moved to February gives the 28th or 29th).
    Date dateOfDay(int day) const;

    // The month `count` months later (negative: earlier), clamped to the
    // supported years.
    CalendarMonth plusMonths(int count) const;

    friend bool operator==(const CalendarMonth&, const CalendarMonth&) = default;

    // Source texts of the grid (translate before showing): "Jan" .. "Dec" for
    // 1..12 (empty outside), and the day letters "SMTWTFS".
    static std::string monthAbbreviation(int month);
    static std::string dayLetters();

private:
    int m_year;
    int m_month;
    Date m_first;
};

}  // namespace tko
