// Display pictures: how a value is shown in a field and read back from it.
//
// Every date, time and number shown or typed anywhere in the program goes
// through these functions, with the active LocaleFormat, so that switching the
// locale switches the whole program.
//
// Pictures ("@" and a type letter; letters compare without regard to case):
//   @s<width>            text of at most width characters
//   @n[_][-][0]<width>[.<places>][b]
//                        number; "_" no thousands separators, "-" signed,
//                        "0" filled with zeros to the width, "b" blank when
//                        zero; at most 15 places and room for "0." before them
//   @D<1..18>[b]         date, "b" blank when zero (a zero date is "no date"
//                        and always shown blank):
//                          1 MM/dd/yy        2 MM/dd/yyyy      3 MMM dd, yyyy
//                          4 MMMM d, yyyy    5 dd/MM/yy        6 dd/MM/yyyy
//                          7 dd MMM yyyy     8 d MMMM yyyy     9 yy/MM/dd
//                         10 yyyy/MM/dd     11 yyMMdd         12 yyyyMMdd
//                         13 MM/yy          14 MM/yyyy        15 yy/MM
//                         16 yyyy/MM        17 the locale's short date
//                         18 the locale's long date
//                        "/" stands for the locale's date separator.
//   @T<1..4>[b]          time of day: 1 HH:mm, 2 HH:mm:ss, 3 h:mm AM, 4 h:mm:ss AM
//                        (":" the locale's time separator; hours with a
//                        leading zero when the locale says so)
//
// Reading never throws: a result carries either the value or a message that
// names the field, for the window to show.
#pragma once

#include "platform/Date.h"
#include "platform/LocaleFormat.h"

#include <QString>

#include <cstdint>

namespace tko {

struct Picture {
    enum class Type { Invalid, String, Number, Date, Time };
    Type type = Type::Invalid;
    int number = 0;  // date picture 1..18, time picture 1..4
    int width = 0;   // string and number pictures
    int places = 0;
    bool isSigned = false;
    bool grouping = true;
    bool zeroFill = false;
    bool blankWhenZero = false;
    QString error;  // why the picture is Invalid

    // Reads a picture text (with or without the leading "@").
    static Picture parse(QStringView text);
    bool isValid() const { return type != Type::Invalid; }
};

template <typename T>
struct Parsed {
    T value{};
    QString error;  // empty on success
    bool ok() const { return error.isEmpty(); }
};

// Formatting with the active locale unless another is given. A value of the
// wrong type for the picture, or an invalid picture, gives an empty text.
QString formatDate(Date date, QStringView picture);
QString formatDate(Date date, const Picture& picture, const LocaleFormat& locale);
QString formatTime(Time time, QStringView picture);
QString formatTime(Time time, const Picture& picture, const LocaleFormat& locale);
// A number too wide for the picture is shown as '#' characters.
QString formatNumber(double value, QStringView picture);
QString formatNumber(double value, const Picture& picture, const LocaleFormat& locale);
QString formatText(QStringView text, QStringView picture);

// Reading a typed text back; `field` names the field in messages. A blank
// text reads as 0 (no date, no time, zero). A date outside 1 January 1801 to
// 31 December 2099 is refused.
Parsed<Date> parseDate(QStringView typed, QStringView picture, QStringView field);
Parsed<Date> parseDate(QStringView typed, const Picture& picture, QStringView field,
                       const LocaleFormat& locale);
Parsed<Time> parseTime(QStringView typed, QStringView picture, QStringView field);
Parsed<Time> parseTime(QStringView typed, const Picture& picture, QStringView field,
                       const LocaleFormat& locale);
Parsed<double> parseNumber(QStringView typed, QStringView picture, QStringView field);
Parsed<double> parseNumber(QStringView typed, const Picture& picture, QStringView field,
                           const LocaleFormat& locale);
Parsed<QString> parseText(QStringView typed, QStringView picture, QStringView field);

// Whether `typed` may stand in a number entry of `picture` while it is being
// typed: blanks, digits, the locale's thousands separator, its decimal point
// when the picture has places, and a minus in front when it is signed. A
// letter is refused as it is typed, not only at "OK"; the value itself is
// read by parseNumber(). Any text passes for a picture that is no number.
bool numberEntryAccepts(QStringView typed, QStringView picture);

// A date typed into an entry, checked when the entry is left: on success the
// date and its text in the entry's picture (to show in the entry, so the user
// sees how the date was read); otherwise the message that says what is wrong.
// A blank entry is no date (0) and accepted.
struct DateEntry {
    Date value = kNoDate;
    QString shown;
    QString error;
    bool ok() const { return error.isEmpty(); }
};
DateEntry checkDateEntry(QStringView typed, QStringView picture, QStringView field);

// The date format of a date picture (1..18) for a locale.
QString datePattern(int pictureNumber, const LocaleFormat& locale);

// Options of localizePicture (the Intl group's EntryFlags / DisplayFlags).
enum LocalizeOption : std::uint32_t {
    kLocalizeFourDigitYear = 0x1,  // two-digit-year dates become four-digit ones
    kLocalizeBlankZero = 0x2,      // dates blank when zero; a "b" in the picture toggles it
};

// A picture rewritten for a locale: date pictures 1..10 and 13..16 take the
// locale's order of day, month and year (pictures with month names follow the
// long date, the others the short date), time pictures take the locale's
// clock; pictures 0, 11, 12, 17 and above and every other type stay as they
// are. The result starts with "@". A number picture with too many places is
// returned unchanged and *message is set to "Too many places (<n>)
// specified.".
QString localizePicture(QStringView picture, const LocaleFormat& locale, std::uint32_t options,
                        QString* message);

}  // namespace tko
