// The locale conventions used to show and read dates, times and numbers:
// separators, month and day names, the short and long date formats.
//
// One LocaleFormat is active per process. The program makes the locale chosen
// in the translator library active at start-up and whenever the user switches
// language, so that every picture of every window follows the same locale.
// active() and setActive() may be called from any thread; a LocaleFormat
// object itself is a plain value.
//
// Date formats use the usual letter notation: d, dd (day), ddd, dddd (day
// name), M, MM (month), MMM, MMMM (month name), yy, yyyy (year), text in
// single quotes taken literally, every other character copied.
#pragma once

#include "platform/Date.h"

#include <QChar>
#include <QString>

#include <array>
#include <memory>
#include <optional>

namespace tko {

enum class DateOrder { MonthDayYear = 0, DayMonthYear = 1, YearMonthDay = 2 };

struct LocaleFormat {
    QChar dateSeparator = QLatin1Char('/');
    QChar timeSeparator = QLatin1Char(':');
    QChar decimalSeparator = QLatin1Char('.');
    QChar thousandSeparator = QLatin1Char(',');
    QString shortDate = QStringLiteral("M/d/yyyy");
    QString longDate = QStringLiteral("dddd, MMMM d, yyyy");
    bool twentyFourHour = false;
    bool hourLeadingZero = false;
    QString amDesignator = QStringLiteral("AM");
    QString pmDesignator = QStringLiteral("PM");
    std::array<QString, 12> monthNames;
    std::array<QString, 12> monthAbbrevs;
    std::array<QString, 7> dayNames;    // Sunday first
    std::array<QString, 7> dayAbbrevs;  // Sunday first
    int firstWeekday = 0;               // the first day of a week: 0 = Sunday ... 6 = Saturday

    // English (United States), the built-in default.
    static LocaleFormat englishUS();

    // The active format (English (United States) until one is set).
    static std::shared_ptr<const LocaleFormat> active();
    static void setActive(const LocaleFormat& format);

    // Order of day, month and year in the short (long) date format.
    DateOrder shortDateOrder() const;
    DateOrder longDateOrder() const;

    // A date shown in a format. Dates outside the supported range are shown
    // as well; the caller decides whether they are valid.
    QString formatDate(Date date, QStringView pattern) const;

    // Reads a typed text by a format. Numbers may be separated by any
    // punctuation or blanks, names compare without regard to case, a
    // two-digit year falls into the hundred years from 80 years before
    // today's year; a format without day gives the first of the month.
    // On failure returns nothing and sets *why to a short reason.
    std::optional<Ymd> parseDate(QStringView text, QStringView pattern, QString* why) const;
};

// Order of day, month and year in a date format (month-day-year when the
// format does not tell).
DateOrder dateOrderOf(QStringView pattern);

}  // namespace tko
