#include "platform/Picture.h"

#include "platform/Translate.h"

#include <cmath>

namespace tko {
namespace {

constexpr int kMaxPlaces = 15;

// Reads decimal digits at pos; -1 when there are none.
int readNumber(QStringView text, qsizetype& pos) {
    int value = -1;
    while (pos < text.size() && text.at(pos).isDigit()) {
        value = (value < 0 ? 0 : value) * 10 + text.at(pos).digitValue();
        if (value > 1000000) return -1;
        ++pos;
    }
    return value;
}

QString quotedSeparator(QChar separator) {
    if (separator.isLetter() || separator == QLatin1Char('\''))
        return QLatin1Char('\'') + QString(separator) + QLatin1Char('\'');
    return QString(separator);
}

QString quoted(QStringView text) {
    return QLatin1Char('"') + text.toString() + QLatin1Char('"');
}

// An example of the form a date picture expects, for messages.
QString dateExample(const Picture& picture, const LocaleFormat& locale) {
    const Date today = isSupportedDate(Clock::today()) ? Clock::today() : fromYmd(2000, 12, 31);
    return locale.formatDate(today, datePattern(picture.number, locale));
}

QString timeText(int hours, int minutes, int seconds, bool withSeconds, bool twelveHour,
                 const LocaleFormat& locale) {
    int shownHours = hours;
    if (twelveHour) shownHours = hours % 12 == 0 ? 12 : hours % 12;
    QString out = locale.hourLeadingZero
                      ? QString::number(shownHours).rightJustified(2, QLatin1Char('0'))
                      : QString::number(shownHours);
    out += locale.timeSeparator + QString::number(minutes).rightJustified(2, QLatin1Char('0'));
    if (withSeconds)
        out += locale.timeSeparator + QString::number(seconds).rightJustified(2, QLatin1Char('0'));
    if (twelveHour)
        out += QLatin1Char(' ') + (hours < 12 ? locale.amDesignator : locale.pmDesignator);
    return out;
}

}  // namespace

Picture Picture::parse(QStringView text) {
    Picture picture;
    QStringView body = text.trimmed();
    if (body.startsWith(QLatin1Char('@'))) body = body.mid(1);
    if (body.isEmpty()) {
        picture.error = QStringLiteral("empty picture");
        return picture;
    }
    const QChar letter = body.at(0).toUpper();
    qsizetype pos = 1;
    auto invalid = [&picture, text](const QString& why) {
        picture.type = Type::Invalid;
        picture.error = QStringLiteral("picture ") + text.toString() + QStringLiteral(": ") + why;
        return picture;
    };
    if (letter == QLatin1Char('S')) {
        picture.width = readNumber(body, pos);
        if (picture.width < 1 || pos != body.size()) return invalid(QStringLiteral("no width"));
        picture.type = Type::String;
        return picture;
    }
    if (letter == QLatin1Char('D') || letter == QLatin1Char('T')) {
        picture.number = readNumber(body, pos);
        for (; pos < body.size(); ++pos) {
            if (body.at(pos).toUpper() != QLatin1Char('B'))
                return invalid(QStringLiteral("unknown option"));
            picture.blankWhenZero = true;
        }
        const int last = letter == QLatin1Char('D') ? 18 : 4;
        if (picture.number < 1 || picture.number > last)
            return invalid(QStringLiteral("no such picture number"));
        picture.type = letter == QLatin1Char('D') ? Type::Date : Type::Time;
        return picture;
    }
    if (letter == QLatin1Char('N')) {
        while (pos < body.size() &&
               (body.at(pos) == QLatin1Char('_') || body.at(pos) == QLatin1Char('-'))) {
            if (body.at(pos) == QLatin1Char('_')) picture.grouping = false;
            if (body.at(pos) == QLatin1Char('-')) picture.isSigned = true;
            ++pos;
        }
        if (pos + 1 < body.size() && body.at(pos) == QLatin1Char('0') &&
            body.at(pos + 1).isDigit()) {
            picture.zeroFill = true;
            ++pos;
        }
        picture.width = readNumber(body, pos);
        if (picture.width < 1) return invalid(QStringLiteral("no width"));
        if (pos < body.size() && body.at(pos) == QLatin1Char('.')) {
            ++pos;
            picture.places = std::max(0, readNumber(body, pos));
        }
        for (; pos < body.size(); ++pos) {
            if (body.at(pos).toUpper() != QLatin1Char('B'))
                return invalid(QStringLiteral("unknown option"));
            picture.blankWhenZero = true;
        }
        if (picture.places > kMaxPlaces ||
            (picture.places > 0 && picture.places + 2 > picture.width)) {
            picture.type = Type::Invalid;
            picture.error = QStringLiteral("Too many places (%1) specified.").arg(picture.places);
            return picture;
        }
        picture.type = Type::Number;
        return picture;
    }
    return invalid(QStringLiteral("unknown picture type"));
}

QString datePattern(int pictureNumber, const LocaleFormat& locale) {
    const QString s = quotedSeparator(locale.dateSeparator);
    switch (pictureNumber) {
        case 1:
            return QStringLiteral("MM") + s + QStringLiteral("dd") + s + QStringLiteral("yy");
        case 2:
            return QStringLiteral("MM") + s + QStringLiteral("dd") + s + QStringLiteral("yyyy");
        case 3:
            return QStringLiteral("MMM dd, yyyy");
        case 4:
            return QStringLiteral("MMMM d, yyyy");
        case 5:
            return QStringLiteral("dd") + s + QStringLiteral("MM") + s + QStringLiteral("yy");
        case 6:
            return QStringLiteral("dd") + s + QStringLiteral("MM") + s + QStringLiteral("yyyy");
        case 7:
            return QStringLiteral("dd MMM yyyy");
        case 8:
            return QStringLiteral("d MMMM yyyy");
        case 9:
            return QStringLiteral("yy") + s + QStringLiteral("MM") + s + QStringLiteral("dd");
        case 10:
            return QStringLiteral("yyyy") + s + QStringLiteral("MM") + s + QStringLiteral("dd");
        case 11:
            return QStringLiteral("yyMMdd");
        case 12:
            return QStringLiteral("yyyyMMdd");
        case 13:
            return QStringLiteral("MM") + s + QStringLiteral("yy");
        case 14:
            return QStringLiteral("MM") + s + QStringLiteral("yyyy");
        case 15:
            return QStringLiteral("yy") + s + QStringLiteral("MM");
        case 16:
            return QStringLiteral("yyyy") + s + QStringLiteral("MM");
        case 17:
            return locale.shortDate;
        case 18:
            return locale.longDate;
        default:
            return QString();
    }
}

QString formatDate(Date date, QStringView picture) {
    return formatDate(date, Picture::parse(picture), *LocaleFormat::active());
}

QString formatDate(Date date, const Picture& picture, const LocaleFormat& locale) {
    if (picture.type != Picture::Type::Date || date <= kNoDate) return QString();
    return locale.formatDate(date, datePattern(picture.number, locale));
}

QString formatTime(Time time, QStringView picture) {
    return formatTime(time, Picture::parse(picture), *LocaleFormat::active());
}

QString formatTime(Time time, const Picture& picture, const LocaleFormat& locale) {
    if (picture.type != Picture::Type::Time || time < 0 || time >= kTicksPerDay) return QString();
    if (time == 0 && picture.blankWhenZero) return QString();
    const Hms hms = toHms(time);
    const bool withSeconds = picture.number == 2 || picture.number == 4;
    const bool twelveHour = picture.number >= 3;
    return timeText(hms.hours, hms.minutes, hms.seconds, withSeconds, twelveHour, locale);
}

QString formatNumber(double value, QStringView picture) {
    return formatNumber(value, Picture::parse(picture), *LocaleFormat::active());
}

QString formatNumber(double value, const Picture& picture, const LocaleFormat& locale) {
    if (picture.type != Picture::Type::Number || !std::isfinite(value)) return QString();
    QString digits = QString::number(std::fabs(value), 'f', picture.places);
    bool negative = value < 0;
    if (digits.count(QLatin1Char('0')) + (picture.places > 0 ? 1 : 0) == digits.size())
        negative = false;  // -0.001 shown with two places is 0.00, not -0.00
    if (digits.count(QLatin1Char('0')) + (picture.places > 0 ? 1 : 0) == digits.size() &&
        picture.blankWhenZero)
        return QString();
    QString whole = picture.places > 0 ? digits.left(digits.size() - picture.places - 1) : digits;
    const QString fraction = picture.places > 0 ? digits.right(picture.places) : QString();
    if (picture.grouping && !locale.thousandSeparator.isNull()) {
        for (qsizetype at = whole.size() - 3; at > 0; at -= 3)
            whole.insert(at, locale.thousandSeparator);
    }
    QString body = whole;
    if (picture.places > 0) body += locale.decimalSeparator + fraction;
    // An unsigned picture still shows a negative value's sign rather than
    // hiding it.
    const QString sign = negative ? QStringLiteral("-") : QString();
    if (picture.zeroFill && sign.size() + body.size() < picture.width)
        body = body.rightJustified(picture.width - sign.size(), QLatin1Char('0'));
    const QString out = sign + body;
    if (out.size() > picture.width) return QString(picture.width, QLatin1Char('#'));
    return out;
}

QString formatText(QStringView text, QStringView picture) {
    const Picture parsed = Picture::parse(picture);
    if (parsed.type != Picture::Type::String) return QString();
    QStringView shown = text.left(parsed.width);
    while (!shown.isEmpty() && shown.back() == QLatin1Char(' ')) shown.chop(1);
    return shown.toString();
}

namespace {

// A message template in the user's language; its "%1", "%2" ... are filled
// after the translation, so that a language can order the parts itself.
QString message(const std::string& translated) {
    return QString::fromStdString(translated);
}

// The field's caption as the user's windows show it.
QString caption(QStringView field) {
    return QString::fromStdString(translateText(field.toString().toStdString()));
}

}  // namespace

Parsed<Date> parseDate(QStringView typed, QStringView picture, QStringView field) {
    return parseDate(typed, Picture::parse(picture), field, *LocaleFormat::active());
}

Parsed<Date> parseDate(QStringView typed, const Picture& picture, QStringView field,
                       const LocaleFormat& locale) {
    Parsed<Date> result;
    if (picture.type != Picture::Type::Date) {
        result.error =
            caption(field) + QStringLiteral(": ") +
            (picture.error.isEmpty() ? message(translateText("not a date field")) : picture.error);
        return result;
    }
    const QStringView text = typed.trimmed();
    if (text.isEmpty()) return result;  // no date
    QString why;
    const auto ymd = locale.parseDate(text, datePattern(picture.number, locale), &why);
    if (!ymd) {
        result.error = message(translateText("%1: %2 is not a date of the form %3 (%4)."))
                           .arg(caption(field), quoted(text), dateExample(picture, locale), why);
        return result;
    }
    // Years far outside the range would overflow the day arithmetic.
    const Date date =
        ymd->year >= 1 && ymd->year <= 9999 ? fromYmd(ymd->year, ymd->month, ymd->day) : kNoDate;
    if (!isSupportedDate(date)) {
        result.error =
            message(translateText("%1: %2 is outside the dates from %3 to %4."))
                .arg(caption(field), quoted(text), formatDate(kFirstDate, picture, locale),
                     formatDate(kLastDate, picture, locale));
        return result;
    }
    result.value = date;
    return result;
}

DateEntry checkDateEntry(QStringView typed, QStringView picture, QStringView field) {
    DateEntry entry;
    const Parsed<Date> parsed = parseDate(typed, picture, field);
    if (!parsed.ok()) {
        entry.error = parsed.error;
        return entry;
    }
    entry.value = parsed.value;
    entry.shown = formatDate(parsed.value, picture);
    return entry;
}

Parsed<Time> parseTime(QStringView typed, QStringView picture, QStringView field) {
    return parseTime(typed, Picture::parse(picture), field, *LocaleFormat::active());
}

Parsed<Time> parseTime(QStringView typed, const Picture& picture, QStringView field,
                       const LocaleFormat& locale) {
    Parsed<Time> result;
    if (picture.type != Picture::Type::Time) {
        result.error =
            caption(field) + QStringLiteral(": ") +
            (picture.error.isEmpty() ? message(translateText("not a time field")) : picture.error);
        return result;
    }
    const QStringView text = typed.trimmed();
    if (text.isEmpty()) return result;
    auto fail = [&]() {
        result.error = message(translateText("%1: %2 is not a time of the form %3."))
                           .arg(caption(field), quoted(text),
                                timeText(14, 30, 0, picture.number == 2 || picture.number == 4,
                                         picture.number >= 3, locale));
        return result;
    };
    int parts[3] = {-1, -1, 0};
    int count = 0;
    qsizetype pos = 0;
    auto skip = [&] {
        while (pos < text.size() && !text.at(pos).isLetterOrNumber()) ++pos;
    };
    skip();
    while (pos < text.size() && text.at(pos).isDigit() && count < 3) {
        parts[count++] = readNumber(text, pos);
        skip();
    }
    if (count == 1 && parts[0] >= 100) {  // "1430" typed without separator
        parts[1] = parts[0] % 100;
        parts[0] /= 100;
        count = 2;
    }
    if (count < 2) return fail();
    int hours = parts[0];
    const QStringView rest = text.mid(pos).trimmed();
    if (!rest.isEmpty()) {
        const bool am = rest.compare(locale.amDesignator, Qt::CaseInsensitive) == 0 ||
                        rest.compare(QLatin1String("AM"), Qt::CaseInsensitive) == 0 ||
                        rest.compare(QLatin1String("A"), Qt::CaseInsensitive) == 0;
        const bool pm = rest.compare(locale.pmDesignator, Qt::CaseInsensitive) == 0 ||
                        rest.compare(QLatin1String("PM"), Qt::CaseInsensitive) == 0 ||
                        rest.compare(QLatin1String("P"), Qt::CaseInsensitive) == 0;
        if ((!am && !pm) || hours < 1 || hours > 12) return fail();
        hours = hours % 12 + (pm ? 12 : 0);
    }
    if (hours < 0 || hours > 23 || parts[1] < 0 || parts[1] > 59 || parts[2] < 0 || parts[2] > 59)
        return fail();
    result.value = fromHms(hours, parts[1], parts[2]);
    return result;
}

Parsed<double> parseNumber(QStringView typed, QStringView picture, QStringView field) {
    return parseNumber(typed, Picture::parse(picture), field, *LocaleFormat::active());
}

Parsed<double> parseNumber(QStringView typed, const Picture& picture, QStringView field,
                           const LocaleFormat& locale) {
    Parsed<double> result;
    const QString name = caption(field) + QStringLiteral(": ");
    if (picture.type != Picture::Type::Number) {
        result.error =
            name + (picture.error.isEmpty() ? message(translateText("not a number field"))
                                            : picture.error);
        return result;
    }
    QString text = typed.trimmed().toString();
    if (text.isEmpty()) return result;
    bool negative = false;
    if (text.startsWith(QLatin1Char('(')) && text.endsWith(QLatin1Char(')'))) {
        negative = true;
        text = text.mid(1, text.size() - 2).trimmed();
    } else if (text.startsWith(QLatin1Char('-'))) {
        negative = true;
        text = text.mid(1).trimmed();
    } else if (text.endsWith(QLatin1Char('-'))) {
        negative = true;
        text.chop(1);
        text = text.trimmed();
    }
    const QChar thousand = locale.thousandSeparator;
    if (!thousand.isNull()) {
        text.remove(thousand);
        if (thousand.isSpace()) text.remove(QChar(0x00a0)).remove(QChar(0x202f));
    }
    QString plain;
    int fractionDigits = -1;
    for (QChar c : std::as_const(text)) {
        if (c.isDigit()) {
            plain += QChar(QLatin1Char('0' + c.digitValue()));
            if (fractionDigits >= 0) ++fractionDigits;
        } else if (c == locale.decimalSeparator && fractionDigits < 0) {
            plain += QLatin1Char('.');
            fractionDigits = 0;
        } else {
            result.error = message(translateText("%1: %2 is not a number."))
                               .arg(caption(field), quoted(typed.trimmed()));
            return result;
        }
    }
    if (plain.isEmpty() || plain == QLatin1String(".")) {
        result.error = message(translateText("%1: %2 is not a number."))
                           .arg(caption(field), quoted(typed.trimmed()));
        return result;
    }
    if (fractionDigits > picture.places) {
        result.error =
            picture.places == 0
                ? name + message(translateText("a whole number is expected."))
                : name + message(translateText("at most %1 decimal places.")).arg(picture.places);
        return result;
    }
    if (negative && !picture.isSigned) {
        result.error = name + message(translateText("the value cannot be negative."));
        return result;
    }
    const double value = (negative ? -1.0 : 1.0) * plain.toDouble();
    if (formatNumber(value, picture, locale).contains(QLatin1Char('#'))) {
        result.error =
            message(translateText("%1: %2 does not fit into %3 characters."))
                .arg(caption(field), quoted(typed.trimmed()), QString::number(picture.width));
        return result;
    }
    result.value = value;
    return result;
}

Parsed<QString> parseText(QStringView typed, QStringView picture, QStringView field) {
    Parsed<QString> result;
    const Picture parsed = Picture::parse(picture);
    if (parsed.type != Picture::Type::String) {
        result.error =
            caption(field) + QStringLiteral(": ") + message(translateText("not a text field"));
        return result;
    }
    QStringView text = typed;
    while (!text.isEmpty() && text.back() == QLatin1Char(' ')) text.chop(1);
    if (text.size() > parsed.width) {
        result.error = caption(field) + QStringLiteral(": ") +
                       message(translateText("at most %1 characters, not %2."))
                           .arg(parsed.width)
                           .arg(text.size());
        return result;
    }
    result.value = text.toString();
    return result;
}

QString localizePicture(QStringView picture, const LocaleFormat& locale, std::uint32_t options,
                        QString* message) {
    QStringView body = picture;
    while (!body.isEmpty() && body.back() == QLatin1Char(' ')) body.chop(1);
    if (body.startsWith(QLatin1Char('@'))) body = body.mid(1);
    const QString unchanged = QString(QLatin1Char('@') + body.toString()).left(64);
    if (body.isEmpty()) return unchanged;
    const QChar letter = body.at(0).toUpper();
    qsizetype pos = 1;
    const int number = readNumber(body, pos);

    if (letter == QLatin1Char('D')) {
        if (number <= 0 || number == 11 || number == 12 || number >= 17) return unchanged;
        bool blank = (options & kLocalizeBlankZero) != 0;
        if (body.mid(1).contains(QLatin1Char('b'), Qt::CaseInsensitive)) blank = !blank;
        const bool fourDigit = (options & kLocalizeFourDigitYear) != 0;
        const DateOrder order = locale.shortDateOrder();
        int mapped = number;
        switch (number) {
            case 1:
            case 5:
            case 9: {
                static constexpr int kTwoDigit[] = {1, 5, 9};
                static constexpr int kFourDigit[] = {2, 6, 10};
                mapped = (fourDigit ? kFourDigit : kTwoDigit)[static_cast<int>(order)];
                break;
            }
            case 2:
            case 6:
            case 10: {
                static constexpr int kFourDigit[] = {2, 6, 10};
                mapped = kFourDigit[static_cast<int>(order)];
                break;
            }
            case 13:
            case 15:
                mapped = order == DateOrder::YearMonthDay ? (fourDigit ? 16 : 15)
                                                          : (fourDigit ? 14 : 13);
                break;
            case 14:
            case 16:
                mapped = order == DateOrder::YearMonthDay ? 16 : 14;
                break;
            case 3:
            case 7:
            case 4:
            case 8: {
                // Pictures with month names follow the order of the long date.
                const bool fullNames = number == 4 || number == 8;
                switch (locale.longDateOrder()) {
                    case DateOrder::MonthDayYear:
                        mapped = fullNames ? 4 : 3;
                        break;
                    case DateOrder::DayMonthYear:
                        mapped = fullNames ? 8 : 7;
                        break;
                    case DateOrder::YearMonthDay:
                        mapped = 10;
                        break;
                }
                break;
            }
            default:
                break;
        }
        return QStringLiteral("@D") + QString::number(mapped) +
               (blank ? QStringLiteral("b") : QString());
    }
    if (letter == QLatin1Char('T')) {
        if (number < 1 || number > 4) return unchanged;
        const bool blank = body.mid(1).contains(QLatin1Char('b'), Qt::CaseInsensitive);
        int mapped = number;
        if (locale.twentyFourHour && number >= 3) mapped = number - 2;
        if (!locale.twentyFourHour && number <= 2) mapped = number + 2;
        return QStringLiteral("@T") + QString::number(mapped) +
               (blank ? QStringLiteral("b") : QString());
    }
    if (letter == QLatin1Char('N')) {
        const Picture parsed = Picture::parse(body);
        if (parsed.error.startsWith(QLatin1String("Too many places")) && message != nullptr)
            *message = parsed.error;
    }
    return unchanged;
}

bool numberEntryAccepts(QStringView typed, QStringView picture) {
    const Picture p = Picture::parse(picture);
    if (p.type != Picture::Type::Number) return true;
    const LocaleFormat& locale = *LocaleFormat::active();
    bool signSeen = false, digitSeen = false;
    for (const QChar c : typed) {
        if (c.isDigit() && c.unicode() < 0x80) {
            digitSeen = true;
        } else if (c == QLatin1Char(' ')) {
            continue;
        } else if (c == QLatin1Char('-') && p.isSigned && !signSeen && !digitSeen) {
            signSeen = true;
        } else if (c == locale.thousandSeparator ||
                   (p.places > 0 && c == locale.decimalSeparator)) {
            continue;
        } else {
            return false;
        }
    }
    return true;
}

}  // namespace tko
