#include "translator/IcuLocale.h"

#include "translator/IntlGroupFormat.h"
#include "translator/LinguaState.h"

#include <unicode/dcfmtsym.h>
#include <unicode/decimfmt.h>
#include <unicode/dtfmtsym.h>
#include <unicode/locid.h>
#include <unicode/numfmt.h>
#include <unicode/smpdtfmt.h>
#include <unicode/ucurr.h>
#include <unicode/uloc.h>
#include <unicode/ulocdata.h>
#include <unicode/ures.h>

#include <memory>

namespace lingua {
namespace {

using tko::setIntlText;

QString fromIcu(const icu::UnicodeString& text) {
    return QString(reinterpret_cast<const QChar*>(text.getBuffer()), text.length());
}

// One ASCII character for a field of width 1.
char asciiOf(const QString& text, char fallback) {
    if (text.isEmpty()) return fallback;
    const char16_t c = text.at(0).unicode();
    if (c < 0x80) return static_cast<char>(c);
    if (c == 0x00a0 || c == 0x202f || c == 0x2009 || c == 0x2007) return ' ';
    if (c == 0x2019) return '\'';
    if (c == 0x066b) return ',';  // Arabic decimal separator
    if (c == 0x066c) return '.';  // Arabic thousands separator
    return fallback;
}

void setChar(char* field, const QString& text, char fallback) {
    field[0] = asciiOf(text, fallback);
}

struct CallingCode {
    const char* country;
    std::uint16_t code;
};
// International dialling codes of the countries most offices are in; ICU has
// no such data.
constexpr CallingCode kCallingCodes[] = {
    {"US", 1},   {"CA", 1},   {"GB", 44},  {"DE", 49},  {"FR", 33},  {"IT", 39},  {"ES", 34},
    {"NL", 31},  {"BE", 32},  {"AT", 43},  {"CH", 41},  {"SE", 46},  {"NO", 47},  {"DK", 45},
    {"FI", 358}, {"IE", 353}, {"PT", 351}, {"PL", 48},  {"CZ", 420}, {"HU", 36},  {"GR", 30},
    {"RU", 7},   {"JP", 81},  {"CN", 86},  {"KR", 82},  {"AU", 61},  {"NZ", 64},  {"ZA", 27},
    {"BR", 55},  {"MX", 52},  {"AR", 54},  {"IN", 91},  {"TR", 90},  {"IL", 972}, {"LU", 352},
    {"IS", 354}, {"SK", 421}, {"SI", 386}, {"HR", 385}, {"RO", 40},  {"BG", 359}, {"UA", 380},
};

std::uint16_t callingCode(const char* country) {
    for (const CallingCode& entry : kCallingCodes)
        if (qstrcmp(entry.country, country) == 0) return entry.code;
    return 0;
}

// The shape of a formatted number as a short signature: "(" and ")" for
// parentheses, "-" the minus, "$" the currency symbol, "n" the digits, " " a
// blank between them.
QString signatureOf(const QString& formatted, const QString& symbol) {
    QString text = formatted;
    text.replace(QChar(0x00a0), QLatin1Char(' ')).replace(QChar(0x202f), QLatin1Char(' '));
    text.replace(QChar(0x2212), QLatin1Char('-'));
    if (!symbol.isEmpty()) text.replace(symbol, QStringLiteral("$"));
    QString signature;
    for (QChar c : std::as_const(text)) {
        QChar mark;
        if (c.isDigit() || c == QLatin1Char('.') || c == QLatin1Char(','))
            mark = QLatin1Char('n');
        else if (c == QLatin1Char('-') || c == QLatin1Char('(') || c == QLatin1Char(')') ||
                 c == QLatin1Char('$') || c == QLatin1Char(' '))
            mark = c;
        else
            continue;  // direction marks and the like
        if (signature.isEmpty() || signature.back() != mark) signature += mark;
    }
    return signature.trimmed();
}

std::uint8_t negativeNumberMode(const QString& signature) {
    if (signature.startsWith(QLatin1Char('('))) return 0;
    if (signature == QLatin1String("- n")) return 2;
    if (signature == QLatin1String("n-")) return 3;
    if (signature == QLatin1String("n -")) return 4;
    return 1;
}

std::uint8_t positiveCurrencyMode(const QString& signature) {
    if (signature == QLatin1String("n$")) return 1;
    if (signature == QLatin1String("$ n")) return 2;
    if (signature == QLatin1String("n $")) return 3;
    return 0;
}

std::uint8_t negativeCurrencyMode(const QString& signature) {
    static const char* const kModes[] = {"($n)", "-$n",  "$-n",   "$n-",  "(n$)", "-n$",
                                         "n-$",  "n$-",  "-n $",  "-$ n", "n $-", "$ n-",
                                         "$ -n", "n- $", "($ n)", "(n $)"};
    for (int mode = 0; mode < 16; ++mode)
        if (signature == QLatin1String(kModes[mode])) return static_cast<std::uint8_t>(mode);
    return 1;
}

struct CurrencyFields {
    QString symbol;
    std::uint8_t digits = 2;
    std::uint8_t positive = 0;
    std::uint8_t negative = 1;
};

CurrencyFields currencyOf(const icu::Locale& locale) {
    CurrencyFields fields;
    UErrorCode status = U_ZERO_ERROR;
    icu::DecimalFormatSymbols symbols(locale, status);
    if (U_SUCCESS(status))
        fields.symbol = fromIcu(symbols.getSymbol(icu::DecimalFormatSymbols::kCurrencySymbol));
    UChar code[4] = {};
    status = U_ZERO_ERROR;
    ucurr_forLocale(locale.getName(), code, 4, &status);
    if (U_SUCCESS(status)) {
        status = U_ZERO_ERROR;
        const int32_t digits = ucurr_getDefaultFractionDigits(code, &status);
        if (U_SUCCESS(status) && digits >= 0) fields.digits = static_cast<std::uint8_t>(digits);
    }
    status = U_ZERO_ERROR;
    std::unique_ptr<icu::NumberFormat> currency(
        icu::NumberFormat::createCurrencyInstance(locale, status));
    if (U_SUCCESS(status) && currency) {
        icu::UnicodeString positive, negative;
        currency->format(1.5, positive);
        currency->format(-1.5, negative);
        fields.positive = positiveCurrencyMode(signatureOf(fromIcu(positive), fields.symbol));
        fields.negative = negativeCurrencyMode(signatureOf(fromIcu(negative), fields.symbol));
    }
    return fields;
}

// The first character between fields of a date or time pattern.
QString separatorOf(const QString& pattern, QChar fallback) {
    bool inQuote = false;
    bool seenField = false;
    for (QChar c : pattern) {
        if (c == QLatin1Char('\'')) {
            inQuote = !inQuote;
            continue;
        }
        if (inQuote) continue;
        if (c.isLetter()) {
            seenField = true;
            continue;
        }
        if (seenField && c != QLatin1Char(' ') && c != QChar(0x200f) && c != QChar(0x200e))
            return QString(c);
    }
    return QString(fallback);
}

QString patternOf(icu::DateFormat::EStyle dateStyle, icu::DateFormat::EStyle timeStyle,
                  const icu::Locale& locale) {
    std::unique_ptr<icu::DateFormat> format(
        icu::DateFormat::createDateTimeInstance(dateStyle, timeStyle, locale));
    auto* simple = dynamic_cast<icu::SimpleDateFormat*>(format.get());
    if (simple == nullptr) return QString();
    icu::UnicodeString pattern;
    simple->toPattern(pattern);
    return fromIcu(pattern);
}

// A short date format of at most 10 bytes in the locale's order.
QString fallbackShortDate(tko::DateOrder order, QChar separator) {
    const QString s(separator);
    switch (order) {
        case tko::DateOrder::DayMonthYear:
            return QStringLiteral("dd") + s + QStringLiteral("MM") + s + QStringLiteral("yyyy");
        case tko::DateOrder::YearMonthDay:
            return QStringLiteral("yyyy") + s + QStringLiteral("MM") + s + QStringLiteral("dd");
        default:
            return QStringLiteral("MM") + s + QStringLiteral("dd") + s + QStringLiteral("yyyy");
    }
}

void setNames(char* field, int count, const icu::UnicodeString* names, int available, int offset) {
    for (int i = 0; i < count; ++i) {
        const QString name = i + offset < available ? fromIcu(names[i + offset]) : QString();
        tko::setIntlName(field, i, name);
    }
}

std::uint16_t fill(IntlGroup& group, const icu::Locale& locale, std::uint32_t lcid) {
    const icu::Locale display = icu::Locale::getDefault();
    const icu::Locale english = icu::Locale::getEnglish();
    icu::UnicodeString text;

    setIntlText(group.sCountry, 25, fromIcu(locale.getDisplayCountry(display, text)));
    group.iCountry = callingCode(locale.getCountry());
    setIntlText(group.sLanguage, 25, fromIcu(locale.getDisplayLanguage(display, text)));
    setIntlText(group.sNativeLangName, 25, fromIcu(locale.getDisplayLanguage(locale, text)));
    setIntlText(group.sAbbrevLangName, 3, QString::fromLatin1(locale.getISO3Language()).toUpper());
    setIntlText(group.iLanguage, 5,
                QStringLiteral("%1").arg(lcid, 4, 16, QLatin1Char('0')).toUpper());
    setIntlText(group.sEngLanguage, 25, fromIcu(locale.getDisplayLanguage(english, text)));
    setIntlText(group.sEngCountry, 25, fromIcu(locale.getDisplayCountry(english, text)));
    setIntlText(group.sNativeCtryName, 25, fromIcu(locale.getDisplayCountry(locale, text)));

    UErrorCode status = U_ZERO_ERROR;
    const UMeasurementSystem measure = ulocdata_getMeasurementSystem(locale.getName(), &status);
    group.iMeasure = U_SUCCESS(status) && measure == UMS_US ? 1 : 0;

    status = U_ZERO_ERROR;
    icu::DecimalFormatSymbols symbols(locale, status);
    if (U_FAILURE(status)) return kInvalidParameter;
    const QString decimal =
        fromIcu(symbols.getSymbol(icu::DecimalFormatSymbols::kDecimalSeparatorSymbol));
    const QString grouping =
        fromIcu(symbols.getSymbol(icu::DecimalFormatSymbols::kGroupingSeparatorSymbol));
    setChar(group.sDecimal, decimal, '.');
    setChar(group.sThousand, grouping, ',');
    setChar(group.sList, group.sDecimal[0] == ',' ? QStringLiteral(";") : QStringLiteral(","), ',');

    status = U_ZERO_ERROR;
    std::unique_ptr<icu::NumberFormat> number(icu::NumberFormat::createInstance(locale, status));
    if (U_FAILURE(status) || !number) return kInvalidParameter;
    group.ilZero = 1;
    if (auto* decimalFormat = dynamic_cast<icu::DecimalFormat*>(number.get())) {
        icu::UnicodeString pattern;
        decimalFormat->toPattern(pattern);
        const QString p = fromIcu(pattern);
        const qsizetype point = p.indexOf(QLatin1Char('.'));
        group.ilZero = point > 0 && p.at(point - 1) == QLatin1Char('0') ? 1 : 0;
    }
    icu::UnicodeString negative;
    number->format(-1.5, negative);
    group.iNegNumber = negativeNumberMode(signatureOf(fromIcu(negative), QString()));

    CurrencyFields currency = currencyOf(locale);
    // iDigits: ICU keeps no separate count of places for plain numbers; the
    // places of the locale's currency are the usual choice.
    group.iDigits = currency.digits;
    if (group.CurrLCID != 0 && checkLcid(group.CurrLCID) == kNoError) {
        const QByteArray name = localeNameForLcid(group.CurrLCID);
        currency = currencyOf(icu::Locale(name.constData()));
    }
    setIntlText(group.sCurrency, 6, currency.symbol);
    group.iCurrDigits = currency.digits;
    group.iCurrency = currency.positive;
    group.iNegCurrency = currency.negative;

    const QString shortPattern = patternOf(icu::DateFormat::kShort, icu::DateFormat::kNone, locale);
    const QString fullPattern = patternOf(icu::DateFormat::kFull, icu::DateFormat::kNone, locale);
    const QString longPattern = patternOf(icu::DateFormat::kLong, icu::DateFormat::kNone, locale);
    const QString timePattern = patternOf(icu::DateFormat::kNone, icu::DateFormat::kShort, locale);
    if (shortPattern.isEmpty() || timePattern.isEmpty()) return kInvalidParameter;

    const QString dateSeparator = separatorOf(shortPattern, QLatin1Char('/'));
    setChar(group.sDate, dateSeparator, '/');
    setChar(group.sTime, separatorOf(timePattern, QLatin1Char(':')), ':');
    QString shortDate = fromIcuPattern(shortPattern, true);
    if (shortDate.size() > 10)
        shortDate = fallbackShortDate(tko::dateOrderOf(shortDate), QLatin1Char(group.sDate[0]));
    setIntlText(group.sShortDate, 10, shortDate);
    QString longDate = fromIcuPattern(fullPattern, true);
    if (longDate.size() > 40) longDate = fromIcuPattern(longPattern, true);
    if (longDate.size() > 40) longDate = shortDate;
    setIntlText(group.sLongDate, 40, longDate);
    group.iDate = static_cast<std::uint8_t>(tko::dateOrderOf(shortDate));
    group.iTime =
        timePattern.contains(QLatin1Char('H')) || timePattern.contains(QLatin1Char('k')) ? 1 : 0;
    group.iTLZero =
        timePattern.contains(QStringLiteral("HH")) || timePattern.contains(QStringLiteral("hh"))
            ? 1
            : 0;

    status = U_ZERO_ERROR;
    icu::DateFormatSymbols dateSymbols(locale, status);
    if (U_FAILURE(status)) return kInvalidParameter;
    int32_t count = 0;
    const icu::UnicodeString* amPm = dateSymbols.getAmPmStrings(count);
    setIntlText(group.s1159, 2, count > 0 ? fromIcu(amPm[0]) : QString());
    setIntlText(group.s2359, 2, count > 1 ? fromIcu(amPm[1]) : QString());
    const icu::UnicodeString* names =
        dateSymbols.getMonths(count, icu::DateFormatSymbols::FORMAT, icu::DateFormatSymbols::WIDE);
    setNames(group.MonthStr, 12, names, count, 0);
    names = dateSymbols.getMonths(count, icu::DateFormatSymbols::FORMAT,
                                  icu::DateFormatSymbols::ABBREVIATED);
    setNames(group.MonStr, 12, names, count, 0);
    // Weekday arrays are indexed by UCAL_SUNDAY (1) .. UCAL_SATURDAY (7).
    names = dateSymbols.getWeekdays(count, icu::DateFormatSymbols::FORMAT,
                                    icu::DateFormatSymbols::WIDE);
    setNames(group.DayStr, 7, names, count, 1);
    names = dateSymbols.getWeekdays(count, icu::DateFormatSymbols::FORMAT,
                                    icu::DateFormatSymbols::ABBREVIATED);
    setNames(group.AbbrevDayStr, 7, names, count, 1);
    return kNoError;
}

}  // namespace

QByteArray localeNameForLcid(std::uint32_t lcid) {
    if (lcid == 0) return QByteArray(uloc_getDefault());
    char name[ULOC_FULLNAME_CAPACITY] = {};
    UErrorCode status = U_ZERO_ERROR;
    const int32_t length = uloc_getLocaleForLCID(lcid, name, sizeof(name), &status);
    if (U_FAILURE(status) || length <= 0) return QByteArray();
    return QByteArray(name, length);
}

std::uint32_t lcidForLocaleName(const QByteArray& name) {
    return uloc_getLCID(name.constData());
}

std::uint16_t checkLcid(std::uint32_t lcid) {
    const QByteArray name = localeNameForLcid(lcid);
    if (name.isEmpty()) return kLcidNotSupported;
    UErrorCode status = U_ZERO_ERROR;
    UResourceBundle* bundle = ures_open(nullptr, name.constData(), &status);
    const bool installed = U_SUCCESS(status) && status != U_USING_DEFAULT_WARNING;
    if (bundle != nullptr) ures_close(bundle);
    return installed ? kNoError : kLcidNotInstalled;
}

std::uint16_t fillGroupFromLocale(IntlGroup& group, std::uint32_t lcid) {
    const std::uint16_t check = checkLcid(lcid);
    if (check != kNoError) return check;
    const QByteArray name = localeNameForLcid(lcid);
    const std::uint32_t id = lcid != 0 ? lcid : lcidForLocaleName(name);
    return fill(group, icu::Locale(name.constData()), id);
}

std::uint16_t fillGroupFromLocaleName(IntlGroup& group, const QByteArray& name) {
    UErrorCode status = U_ZERO_ERROR;
    UResourceBundle* bundle = ures_open(nullptr, name.constData(), &status);
    const bool installed = U_SUCCESS(status) && status != U_USING_DEFAULT_WARNING;
    if (bundle != nullptr) ures_close(bundle);
    if (!installed) return kLcidNotInstalled;
    return fill(group, icu::Locale(name.constData()), lcidForLocaleName(name));
}

QString fromIcuPattern(const QString& icuPattern, bool fourDigitYear) {
    QString out;
    qsizetype i = 0;
    while (i < icuPattern.size()) {
        const QChar c = icuPattern.at(i);
        if (c == QLatin1Char('\'')) {  // quoted text is copied with its quotes
            const qsizetype end = icuPattern.indexOf(QLatin1Char('\''), i + 1);
            const qsizetype stop = end < 0 ? icuPattern.size() - 1 : end;
            out += icuPattern.mid(i, stop - i + 1);
            i = stop + 1;
            continue;
        }
        // Only ASCII letters are pattern fields; other letters (the 年, 月
        // and 日 of a Japanese date) are literal text and kept.
        const bool field = (c >= QLatin1Char('a') && c <= QLatin1Char('z')) ||
                           (c >= QLatin1Char('A') && c <= QLatin1Char('Z'));
        if (!field) {
            out += c;
            ++i;
            continue;
        }
        qsizetype run = 1;
        while (i + run < icuPattern.size() && icuPattern.at(i + run) == c) ++run;
        i += run;
        switch (c.unicode()) {
            case 'y':
            case 'Y':
            case 'u':
                out += run == 2 && !fourDigitYear ? QStringLiteral("yy") : QStringLiteral("yyyy");
                break;
            case 'M':
            case 'L':
                out += QString(std::min<qsizetype>(run, 4), QLatin1Char('M'));
                break;
            case 'd':
                out += QString(std::min<qsizetype>(run, 2), QLatin1Char('d'));
                break;
            case 'E':
            case 'c':
            case 'e':
                out += run >= 4 ? QStringLiteral("dddd") : QStringLiteral("ddd");
                break;
            default:
                break;  // eras and the like are left out
        }
    }
    // Drop blanks and commas left over from fields that were left out.
    while (!out.isEmpty() && (out.back().isSpace() || out.back() == QLatin1Char(','))) out.chop(1);
    while (!out.isEmpty() && (out.front().isSpace() || out.front() == QLatin1Char(',')))
        out.remove(0, 1);
    return out;
}

}  // namespace lingua
