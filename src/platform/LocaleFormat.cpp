#include "platform/LocaleFormat.h"

#include "platform/Translate.h"

#include <QList>

#include <algorithm>
#include <mutex>

namespace tko {
namespace {

// Why a typed date was refused, already in the user's language.
QString reason(const std::string& translated) {
    return QString::fromStdString(translated);
}

struct Token {
    enum Kind { Literal, Day, DayName, Month, MonthName, Year } kind = Literal;
    int count = 0;    // letters in the format (d=1, dd=2, ...)
    QString literal;  // for Literal
};

QList<Token> tokenize(QStringView pattern) {
    QList<Token> tokens;
    auto addLiteral = [&tokens](QStringView text) {
        if (!tokens.isEmpty() && tokens.back().kind == Token::Literal)
            tokens.back().literal += text;
        else
            tokens.append(Token{Token::Literal, 0, text.toString()});
    };
    qsizetype i = 0;
    while (i < pattern.size()) {
        const QChar c = pattern.at(i);
        if (c == QLatin1Char('\'')) {
            const qsizetype end = pattern.indexOf(QLatin1Char('\''), i + 1);
            if (end == i + 1) {
                addLiteral(u"'");  // '' is a quote
                i += 2;
                continue;
            }
            const qsizetype stop = end < 0 ? pattern.size() : end;
            addLiteral(pattern.mid(i + 1, stop - i - 1));
            i = stop + 1;
            continue;
        }
        if (c == QLatin1Char('d') || c == QLatin1Char('M') || c == QLatin1Char('y')) {
            qsizetype run = 1;
            while (i + run < pattern.size() && pattern.at(i + run) == c) ++run;
            const int count = static_cast<int>(run);
            Token token;
            token.count = count;
            if (c == QLatin1Char('d'))
                token.kind = count >= 3 ? Token::DayName : Token::Day;
            else if (c == QLatin1Char('M'))
                token.kind = count >= 3 ? Token::MonthName : Token::Month;
            else
                token.kind = Token::Year;
            tokens.append(token);
            i += run;
            continue;
        }
        addLiteral(pattern.mid(i, 1));
        ++i;
    }
    return tokens;
}

QString twoDigits(int value) {
    return QString::number(value).rightJustified(2, QLatin1Char('0'));
}

bool isNumeric(const Token& token) {
    return token.kind == Token::Day || token.kind == Token::Month || token.kind == Token::Year;
}

// The year of a two-digit year: within the hundred years starting 80 years
// before today's year.
int expandYear(int twoDigit) {
    const int base = toYmd(Clock::today()).year - 80;
    int year = (base / 100) * 100 + twoDigit;
    if (year < base) year += 100;
    return year;
}

// The longest of `names` that the text starts with; its index and length.
bool matchName(QStringView text, const QStringList& names, const QList<int>& indexes, int* index,
               qsizetype* length) {
    qsizetype best = 0;
    for (qsizetype i = 0; i < names.size(); ++i) {
        const QString& name = names.at(i);
        if (name.size() > best && text.startsWith(name, Qt::CaseInsensitive)) {
            best = name.size();
            *index = indexes.at(i);
        }
    }
    *length = best;
    return best > 0;
}

template <std::size_t N>
void addNames(const std::array<QString, N>& names, QStringList& out, QList<int>& indexes) {
    for (std::size_t i = 0; i < N; ++i) {
        const QString name = names[i].trimmed();
        if (name.isEmpty()) continue;
        out << name;
        indexes << static_cast<int>(i);
        if (name.endsWith(QLatin1Char('.'))) {  // "Jan." may be typed "Jan"
            out << name.chopped(1);
            indexes << static_cast<int>(i);
        }
    }
}

std::mutex g_activeMutex;
std::shared_ptr<const LocaleFormat> g_active;

}  // namespace

LocaleFormat LocaleFormat::englishUS() {
    LocaleFormat format;
    format.monthNames = {
        QStringLiteral("January"), QStringLiteral("February"), QStringLiteral("March"),
        QStringLiteral("April"),   QStringLiteral("May"),      QStringLiteral("June"),
        QStringLiteral("July"),    QStringLiteral("August"),   QStringLiteral("September"),
        QStringLiteral("October"), QStringLiteral("November"), QStringLiteral("December")};
    format.monthAbbrevs = {QStringLiteral("Jan"), QStringLiteral("Feb"), QStringLiteral("Mar"),
                           QStringLiteral("Apr"), QStringLiteral("May"), QStringLiteral("Jun"),
                           QStringLiteral("Jul"), QStringLiteral("Aug"), QStringLiteral("Sep"),
                           QStringLiteral("Oct"), QStringLiteral("Nov"), QStringLiteral("Dec")};
    format.dayNames = {QStringLiteral("Sunday"),   QStringLiteral("Monday"),
                       QStringLiteral("Tuesday"),  QStringLiteral("Wednesday"),
                       QStringLiteral("Thursday"), QStringLiteral("Friday"),
                       QStringLiteral("Saturday")};
    format.dayAbbrevs = {QStringLiteral("Sun"), QStringLiteral("Mon"), QStringLiteral("Tue"),
                         QStringLiteral("Wed"), QStringLiteral("Thu"), QStringLiteral("Fri"),
                         QStringLiteral("Sat")};
    return format;
}

std::shared_ptr<const LocaleFormat> LocaleFormat::active() {
    std::lock_guard lock(g_activeMutex);
    if (!g_active) g_active = std::make_shared<const LocaleFormat>(englishUS());
    return g_active;
}

void LocaleFormat::setActive(const LocaleFormat& format) {
    auto next = std::make_shared<const LocaleFormat>(format);
    std::lock_guard lock(g_activeMutex);
    g_active = std::move(next);
}

DateOrder dateOrderOf(QStringView pattern) {
    qsizetype day = -1, month = -1, year = -1;
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        const QChar c = pattern.at(i);
        if (c == QLatin1Char('\'')) {  // skip quoted text
            const qsizetype end = pattern.indexOf(QLatin1Char('\''), i + 1);
            if (end < 0) break;
            i = end;
            continue;
        }
        // A day name (ddd, dddd) says nothing about the order.
        if (c == QLatin1Char('d') && day < 0) {
            qsizetype run = 1;
            while (i + run < pattern.size() && pattern.at(i + run) == c) ++run;
            if (run <= 2) day = i;
            i += run - 1;
        } else if (c == QLatin1Char('M') && month < 0) {
            month = i;
        } else if (c == QLatin1Char('y') && year < 0) {
            year = i;
        }
    }
    if (year >= 0 && (month < 0 || year < month) && (day < 0 || year < day))
        return DateOrder::YearMonthDay;
    if (day >= 0 && month >= 0 && day < month) return DateOrder::DayMonthYear;
    return DateOrder::MonthDayYear;
}

DateOrder LocaleFormat::shortDateOrder() const {
    return dateOrderOf(shortDate);
}
DateOrder LocaleFormat::longDateOrder() const {
    return dateOrderOf(longDate);
}

QString LocaleFormat::formatDate(Date date, QStringView pattern) const {
    const Ymd ymd = toYmd(date);
    QString out;
    for (const Token& token : tokenize(pattern)) {
        switch (token.kind) {
            case Token::Literal:
                out += token.literal;
                break;
            case Token::Day:
                out += token.count == 1 ? QString::number(ymd.day) : twoDigits(ymd.day);
                break;
            case Token::DayName:
                out += (token.count == 3 ? dayAbbrevs : dayNames)[weekday(date)].trimmed();
                break;
            case Token::Month:
                out += token.count == 1 ? QString::number(ymd.month) : twoDigits(ymd.month);
                break;
            case Token::MonthName:
                out += (token.count == 3 ? monthAbbrevs : monthNames)[ymd.month - 1].trimmed();
                break;
            case Token::Year:
                out += token.count <= 2
                           ? twoDigits(((ymd.year % 100) + 100) % 100)
                           : QString::number(ymd.year).rightJustified(4, QLatin1Char('0'));
                break;
        }
    }
    return out;
}

std::optional<Ymd> LocaleFormat::parseDate(QStringView text, QStringView pattern,
                                           QString* why) const {
    auto fail = [why](const QString& reason) -> std::optional<Ymd> {
        if (why != nullptr) *why = reason;
        return std::nullopt;
    };
    QStringList months, days;
    QList<int> monthIndex, dayIndex;
    addNames(monthNames, months, monthIndex);
    addNames(monthAbbrevs, months, monthIndex);
    addNames(dayNames, days, dayIndex);
    addNames(dayAbbrevs, days, dayIndex);

    const QList<Token> tokens = tokenize(pattern);
    qsizetype pos = 0;
    auto skipSeparators = [&] {
        while (pos < text.size() && !text.at(pos).isLetterOrNumber()) ++pos;
    };
    int day = 0, month = 0, year = -1;
    bool hasDay = false;
    for (qsizetype t = 0; t < tokens.size(); ++t) {
        const Token& token = tokens.at(t);
        skipSeparators();
        if (token.kind == Token::Literal) {
            // Words of the format ("de", "г.") may be typed or left out.
            QString word;
            for (QChar c : token.literal)
                if (c.isLetter()) word += c;
            if (!word.isEmpty() && text.mid(pos).startsWith(word, Qt::CaseInsensitive))
                pos += word.size();
            continue;
        }
        if (token.kind == Token::DayName) {
            int index = 0;
            qsizetype length = 0;
            if (matchName(text.mid(pos), days, dayIndex, &index, &length)) pos += length;
            continue;  // the weekday follows from the date; it may be left out
        }
        if (token.kind == Token::MonthName) {
            int index = 0;
            qsizetype length = 0;
            if (matchName(text.mid(pos), months, monthIndex, &index, &length)) {
                month = index + 1;
                pos += length;
                continue;
            }
            // A month typed as a number is accepted as well.
        }
        // A number. In compact formats (yyyyMMdd) each field has its width.
        const bool compact = t + 1 < tokens.size() && isNumeric(tokens.at(t + 1));
        int maxDigits = token.kind == Token::Year ? 4 : 2;
        if (compact) maxDigits = token.kind == Token::Year ? (token.count <= 2 ? 2 : 4) : 2;
        qsizetype digits = 0;
        int value = 0;
        while (pos < text.size() && digits < maxDigits && text.at(pos).isDigit()) {
            value = value * 10 + text.at(pos).digitValue();
            ++pos;
            ++digits;
        }
        if (digits == 0) {
            if (token.kind == Token::Year)
                return fail(reason(translateText("the year is missing")));
            if (token.kind == Token::Day) return fail(reason(translateText("the day is missing")));
            return fail(reason(translateText("the month is missing")));
        }
        if (token.kind == Token::Day) {
            day = value;
            hasDay = true;
        } else if (token.kind == Token::Year) {
            year = digits <= 2 ? expandYear(value) : value;
        } else {
            month = value;
        }
    }
    skipSeparators();
    if (pos < text.size()) return fail(reason(translateText("unexpected text")));
    if (year < 0) return fail(reason(translateText("the year is missing")));
    if (month < 1 || month > 12)
        return fail(reason(translateText("there is no month %1")).arg(month));
    if (!hasDay) day = 1;
    if (day < 1 || day > daysInMonth(year, month))
        return fail(reason(translateText("the month has no day %1")).arg(day));
    return Ymd{year, month, day};
}

}  // namespace tko
