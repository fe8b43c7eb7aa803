// Between the translator's Intl group and the program's LocaleFormat.
//
// Header only, so that the core never links liblingua: the program installs
//     SetPictureSettingsHandler(&tko::applyIntlGroup);
// at start-up, and every InitPictures (at start-up and after a language
// switch) makes the group's separators, date formats and month and day names
// the active LocaleFormat of the whole program.
#pragma once

#include "platform/LocaleFormat.h"
#include "translator/Lingua.h"

#include <QByteArray>
#include <QList>
#include <QLocale>
#include <QString>

#include <cstring>

namespace tko {

// Raw access to a blank-padded field of `bytes` bytes.
inline QString intlBytesText(const char* field, int bytes) {
    int end = bytes;
    while (end > 0 && (field[end - 1] == ' ' || field[end - 1] == '\0')) --end;
    return QString::fromUtf8(field, end);
}

// Writes UTF-8 text into a blank-padded field of `bytes` bytes, cut at a
// character boundary (a multi-byte sequence is never split).
inline void setIntlBytes(char* field, int bytes, const QString& text) {
    QByteArray utf8 = text.toUtf8();
    if (utf8.size() > bytes) {
        int cut = bytes;
        while (cut > 0 && (static_cast<unsigned char>(utf8.at(cut)) & 0xC0) == 0x80) --cut;
        utf8.truncate(cut);
    }
    std::memset(field, ' ', static_cast<std::size_t>(bytes));
    std::memcpy(field, utf8.constData(), static_cast<std::size_t>(utf8.size()));
}

// A text field of `characters` characters as a clipped string.
inline QString intlText(const char* field, int characters) {
    return intlBytesText(field, intlBytes(characters));
}

// Writes at most `characters` whole characters into a text field of that
// width (a character outside the basic plane counts once).
inline void setIntlText(char* field, int characters, const QString& text) {
    QString cut = text;
    const QList<uint> codePoints = text.toUcs4();
    if (codePoints.size() > characters)
        cut = QString::fromUcs4(reinterpret_cast<const char32_t*>(codePoints.constData()),
                                characters);
    setIntlBytes(field, intlBytes(characters), cut);
}

// Slot `index` of a list field of 13-character slots (month and day names).
inline QString intlName(const char* field, int index) {
    return intlText(field + intlBytes(kIntlNameChars) * index, kIntlNameChars);
}
inline void setIntlName(char* field, int index, const QString& name) {
    setIntlText(field + intlBytes(kIntlNameChars) * index, kIntlNameChars, name);
}

// The first day of the week (0 = Sunday) in the country of the group's
// language and country, by their English names; Sunday when no locale
// matches them.
inline int firstWeekdayOfIntlGroup(const IntlGroup& group) {
    const QString language = intlText(group.sEngLanguage, 25);
    const QString country = intlText(group.sEngCountry, 25);
    if (language.isEmpty()) return 0;
    const QList<QLocale> all =
        QLocale::matchingLocales(QLocale::AnyLanguage, QLocale::AnyScript, QLocale::AnyTerritory);
    for (const QLocale& locale : all) {
        if (QLocale::languageToString(locale.language()).compare(language, Qt::CaseInsensitive) !=
                0 ||
            QLocale::territoryToString(locale.territory()).compare(country, Qt::CaseInsensitive) !=
                0)
            continue;
        return static_cast<int>(locale.firstDayOfWeek()) % 7;  // Qt counts Monday 1 .. Sunday 7
    }
    return 0;
}

inline LocaleFormat localeFormatFromIntlGroup(const IntlGroup& group) {
    LocaleFormat format = LocaleFormat::englishUS();
    // A blank is a real thousands separator but no date, time or decimal one.
    auto single = [](const char* field, QChar fallback, bool blankAllowed) {
        const char c = field[0];
        if (c == '\0' || (c == ' ' && !blankAllowed)) return fallback;
        return QChar(QLatin1Char(c));
    };
    format.dateSeparator = single(group.sDate, format.dateSeparator, false);
    format.timeSeparator = single(group.sTime, format.timeSeparator, false);
    format.decimalSeparator = single(group.sDecimal, format.decimalSeparator, false);
    format.thousandSeparator = single(group.sThousand, format.thousandSeparator, true);
    const QString shortDate = intlText(group.sShortDate, 10);
    const QString longDate = intlText(group.sLongDate, 40);
    if (!shortDate.isEmpty()) format.shortDate = shortDate;
    if (!longDate.isEmpty()) format.longDate = longDate;
    format.twentyFourHour = group.iTime == 1;
    format.hourLeadingZero = group.iTLZero == 1;
    const QString am = intlText(group.s1159, 2);
    const QString pm = intlText(group.s2359, 2);
    if (!am.isEmpty()) format.amDesignator = am;
    if (!pm.isEmpty()) format.pmDesignator = pm;
    // Names replace the defaults only as a complete set.
    auto names = [](const char* field, auto& target) {
        auto read = target;
        for (std::size_t i = 0; i < read.size(); ++i) {
            read[i] = intlName(field, static_cast<int>(i));
            if (read[i].isEmpty()) return;
        }
        target = read;
    };
    names(group.MonthStr, format.monthNames);
    names(group.MonStr, format.monthAbbrevs);
    names(group.DayStr, format.dayNames);
    names(group.AbbrevDayStr, format.dayAbbrevs);
    format.firstWeekday = firstWeekdayOfIntlGroup(group);
    return format;
}

// The picture-settings handler the program installs.
inline void applyIntlGroup(const IntlGroup& group) {
    LocaleFormat::setActive(localeFormatFromIntlGroup(group));
}

}  // namespace tko
