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
#include <QString>

#include <cstring>

namespace tko {

// A blank-padded text field of the group as a clipped string.
inline QString intlText(const char* field, int width) {
    int end = width;
    while (end > 0 && (field[end - 1] == ' ' || field[end - 1] == '\0')) --end;
    return QString::fromUtf8(field, end);
}

// Writes a text into a blank-padded field, cut at a UTF-8 character boundary.
inline void setIntlText(char* field, int width, const QString& text) {
    QByteArray bytes = text.toUtf8();
    if (bytes.size() > width) {
        int cut = width;
        // Step back over continuation bytes so no character is split.
        while (cut > 0 && (static_cast<unsigned char>(bytes.at(cut)) & 0xC0) == 0x80) --cut;
        bytes.truncate(cut);
    }
    std::memset(field, ' ', static_cast<std::size_t>(width));
    std::memcpy(field, bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

// Slot `index` of a list field of 13-byte slots (month and day names).
inline QString intlName(const char* field, int index) {
    return intlText(field + 13 * index, 13);
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
    return format;
}

// The picture-settings handler the program installs.
inline void applyIntlGroup(const IntlGroup& group) {
    LocaleFormat::setActive(localeFormatFromIntlGroup(group));
}

}  // namespace tko
