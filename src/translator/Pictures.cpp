// Locale settings (the Intl group) and display pictures: GetIntlGroup,
// CreateNLS, InitPictures, CurrentLocale, TranslatePicture, TranslateFormat,
// GetLongDate.
#include "platform/Picture.h"
#include "translator/IcuLocale.h"
#include "translator/IniFile.h"
#include "translator/IntlGroupFormat.h"
#include "translator/LinguaState.h"

#include <cstring>

namespace lingua {
namespace {

const QString kIntl = QStringLiteral("Intl");
constexpr int kFormatLimit = 550;
constexpr int kLongDateLimit = 30;

// The text fields of the group with their keys, in the order CreateNLS writes
// them; numbers are handled beside them.
struct TextField {
    const char* key;
    std::size_t offset;
    int width;
};
#define LINGUA_FIELD(name) \
    { #name, offsetof(IntlGroup, name), int(sizeof(IntlGroup::name)) }
const TextField kTextFields[] = {
    LINGUA_FIELD(iLanguage),    LINGUA_FIELD(sAbbrevLangName), LINGUA_FIELD(sEngLanguage),
    LINGUA_FIELD(sLanguage),    LINGUA_FIELD(sNativeLangName), LINGUA_FIELD(sEngCountry),
    LINGUA_FIELD(sCountry),     LINGUA_FIELD(sNativeCtryName), LINGUA_FIELD(sList),
    LINGUA_FIELD(sDecimal),     LINGUA_FIELD(sThousand),       LINGUA_FIELD(sCurrency),
    LINGUA_FIELD(sDate),        LINGUA_FIELD(sTime),           LINGUA_FIELD(sShortDate),
    LINGUA_FIELD(sLongDate),    LINGUA_FIELD(s1159),           LINGUA_FIELD(s2359),
    LINGUA_FIELD(MonthStr),     LINGUA_FIELD(MonStr),          LINGUA_FIELD(DayStr),
    LINGUA_FIELD(AbbrevDayStr),
};
#undef LINGUA_FIELD

// Values are written raw (as bytes of the field) so that a group read back
// from the file is the same group byte for byte; the list fields keep the
// blanks that pad each name to its slot.
QString fieldValue(const IntlGroup& group, const TextField& field) {
    const char* bytes = reinterpret_cast<const char*>(&group) + field.offset;
    int end = field.width;
    while (end > 0 && bytes[end - 1] == ' ') --end;
    return QString::fromUtf8(bytes, end);
}

void setFieldValue(IntlGroup& group, const TextField& field, const QString& value) {
    tko::setIntlBytes(reinterpret_cast<char*>(&group) + field.offset, field.width, value);
}

template <typename Int>
void writeNumber(IniFile& ini, const char* key, Int value) {
    ini.setValue(kIntl, QString::fromLatin1(key), QString::number(value));
}

template <typename Int>
Int readNumber(const IniFile& ini, const char* key) {
    bool ok = false;
    const qlonglong value = ini.value(kIntl, QString::fromLatin1(key), QString()).toLongLong(&ok);
    return ok ? static_cast<Int>(value) : Int{0};
}

// The active group as the picture engine's settings, built once per
// InitPictures rather than for every picture of every window.
tko::LocaleFormat& cachedFormat() {
    static tko::LocaleFormat format;
    return format;
}

const tko::LocaleFormat& activeFormat() {
    return cachedFormat();
}

}  // namespace
}  // namespace lingua

using namespace lingua;

void ClearIntlGroup(IntlGroup& group) {
    std::memset(&group, ' ', sizeof(IntlGroup));
    group.iCountry = 0;
    group.iMeasure = group.iDigits = group.ilZero = group.iNegNumber = 0;
    group.iCurrDigits = group.iCurrency = group.iNegCurrency = 0;
    group.iDate = group.iTime = group.iTLZero = 0;
    group.CurrLCID = group.EntryFlags = group.DisplayFlags = 0;
}

std::uint16_t GetIntlGroup(IntlGroup& group, std::uint32_t lcid, bool useLocale,
                           const QString& settingsFile) {
    return guarded(
        [&]() -> std::uint16_t {
            LibraryState& s = state();
            if (useLocale || settingsFile.trimmed().isEmpty()) {
                IntlGroup filled = group;
                const std::uint16_t code = fillGroupFromLocale(filled, lcid);
                s.code = code;
                if (code != kNoError) return code;
                group = filled;
                s.groupSource.clear();
                return kNoError;
            }
            IniFile ini;
            ini.load(settingsFile.trimmed());
            if (ini.value(kIntl, QStringLiteral("sAbbrevLangName"), QString())
                    .trimmed()
                    .isEmpty()) {
                s.code = kNlsFileNotFound;
                return kNlsFileNotFound;
            }
            IntlGroup filled = group;
            for (const TextField& field : kTextFields)
                setFieldValue(filled, field,
                              ini.value(kIntl, QString::fromLatin1(field.key), QString()));
            filled.iCountry = readNumber<std::uint16_t>(ini, "iCountry");
            filled.iMeasure = readNumber<std::uint8_t>(ini, "iMeasure");
            filled.iDigits = readNumber<std::uint8_t>(ini, "iDigits");
            filled.ilZero = readNumber<std::uint8_t>(ini, "ilZero");
            filled.iNegNumber = readNumber<std::uint8_t>(ini, "iNegNumber");
            filled.iCurrDigits = readNumber<std::uint8_t>(ini, "iCurrDigits");
            filled.iCurrency = readNumber<std::uint8_t>(ini, "iCurrency");
            filled.iNegCurrency = readNumber<std::uint8_t>(ini, "iNegCurrency");
            filled.iDate = readNumber<std::uint8_t>(ini, "iDate");
            filled.iTime = readNumber<std::uint8_t>(ini, "iTime");
            filled.iTLZero = readNumber<std::uint8_t>(ini, "iTLZero");
            filled.EntryFlags = readNumber<std::uint32_t>(ini, "EntryFlags");
            filled.DisplayFlags = readNumber<std::uint32_t>(ini, "DisplayFlags");
            filled.CurrLCID = readNumber<std::uint32_t>(ini, "CurrLCID");
            group = filled;
            s.groupSource = settingsFile.trimmed().left(64);
            s.sourceLcid = 0;
            s.code = kNoError;
            return kNoError;
        },
        std::uint16_t{kUnknownErr});
}

void CreateNLS(const QString& settingsFile) {
    guardedVoid([&] {
        LibraryState& s = state();
        if (!s.picturesInitialised) {
            s.code = kPicsNotInitialized;
            return;
        }
        IniFile ini;
        ini.load(settingsFile);  // keep the file's other sections
        const IntlGroup& g = s.group;
        auto text = [&](const char* key) {
            for (const TextField& field : kTextFields)
                if (qstrcmp(field.key, key) == 0)
                    ini.setValue(kIntl, QString::fromLatin1(key), fieldValue(g, field));
        };
        text("iLanguage");
        text("sAbbrevLangName");
        text("sEngLanguage");
        text("sLanguage");
        text("sNativeLangName");
        writeNumber(ini, "iCountry", g.iCountry);
        text("sEngCountry");
        text("sCountry");
        text("sNativeCtryName");
        text("sList");
        writeNumber(ini, "iMeasure", g.iMeasure);
        text("sDecimal");
        text("sThousand");
        writeNumber(ini, "iDigits", g.iDigits);
        writeNumber(ini, "ilZero", g.ilZero);
        writeNumber(ini, "iNegNumber", g.iNegNumber);
        text("sCurrency");
        writeNumber(ini, "iCurrDigits", g.iCurrDigits);
        writeNumber(ini, "iCurrency", g.iCurrency);
        writeNumber(ini, "iNegCurrency", g.iNegCurrency);
        text("sDate");
        text("sTime");
        text("sShortDate");
        text("sLongDate");
        writeNumber(ini, "iDate", g.iDate);
        writeNumber(ini, "iTime", g.iTime);
        writeNumber(ini, "iTLZero", g.iTLZero);
        text("s1159");
        text("s2359");
        text("MonthStr");
        text("MonStr");
        text("DayStr");
        text("AbbrevDayStr");
        writeNumber(ini, "EntryFlags", g.EntryFlags);
        writeNumber(ini, "DisplayFlags", g.DisplayFlags);
        writeNumber(ini, "CurrLCID", g.CurrLCID);
        s.code = ini.save(settingsFile) ? kNoError : kInvalidParameter;
    });
}

std::uint16_t InitPictures(const IntlGroup* group) {
    guardedVoid([group] {
        if (group == nullptr) return;
        LibraryState& s = state();
        s.group = *group;
        cachedFormat() = tko::localeFormatFromIntlGroup(s.group);
        s.picturesInitialised = true;
        // The platform's date formatting takes the month names (and the rest
        // of the locale) from here.
        if (s.pictureHandler != nullptr) s.pictureHandler(s.group);
    });
    return 1;
}

std::uint8_t CurrentLocale(char* name, int size, std::uint32_t* lcid) {
    return guarded(
        [=]() -> std::uint8_t {
            LibraryState& s = state();
            if (name != nullptr && size > 0) name[0] = '\0';
            if (lcid != nullptr) *lcid = 0;
            if (!s.picturesInitialised) {
                s.code = kPicsNotInitialized;
                return kPicsNotInitialized;
            }
            bool ok = false;
            const std::uint32_t id = tko::intlText(s.group.iLanguage, 5).toUInt(&ok, 16);
            const QByteArray locale = ok ? localeNameForLcid(id) : QByteArray();
            if (name != nullptr && size > 0) {
                const qsizetype length = std::min<qsizetype>(locale.size(), size - 1);
                std::memcpy(name, locale.constData(), static_cast<std::size_t>(length));
                name[length] = '\0';
            }
            if (lcid != nullptr) *lcid = ok ? id : 0;
            s.code = kNoError;
            return kNoError;
        },
        std::uint8_t{kUnknownErr});
}

QString TranslatePicture(const QString& picture, std::uint32_t options, bool ignoreOptions) {
    return guarded(
        [&]() -> QString {
            LibraryState& s = state();
            if (!s.picturesInitialised) {
                s.code = kPicsNotInitialized;
                const QString body = clipped(picture);
                return body.startsWith(QLatin1Char('@')) ? body : QLatin1Char('@') + body;
            }
            s.code = kNoError;
            QString message;
            const QString result = tko::localizePicture(picture, activeFormat(),
                                                        ignoreOptions ? 0 : options, &message);
            if (!message.isEmpty()) showMessage(QStringLiteral("Error Message"), message);
            return clipped(result);
        },
        clipped(picture));
}

QString TranslateFormat(const QString& format) {
    return guarded(
        [&]() -> QString {
            QString out;
            int blanks = 0;
            auto put = [&](const QString& text) {
                out += QString(blanks, QLatin1Char(' '));
                blanks = 0;
                out += text;
            };
            qsizetype i = 0;
            while (i < format.size()) {
                const QChar c = format.at(i);
                if (c == QLatin1Char(' ')) {
                    ++blanks;
                    ++i;
                    continue;
                }
                if (c == QLatin1Char('@') || c == QLatin1Char('~')) {
                    const qsizetype end = format.indexOf(c, i + 1);
                    const qsizetype stop = end < 0 ? format.size() : end;
                    const QString inner = format.mid(i + 1, stop - i - 1);
                    if (c == QLatin1Char('@')) {
                        const QChar type = inner.isEmpty() ? QChar() : inner.at(0).toUpper();
                        const bool localized = type == QLatin1Char('D') ||
                                               type == QLatin1Char('N') || type == QLatin1Char('T');
                        put(localized ? QString(TranslatePicture(inner, 0, true) + QLatin1Char('@'))
                                      : QString(QLatin1Char('@') + inner + QLatin1Char('@')));
                    } else {
                        QString heading = inner;
                        QString replacement;
                        if (lookup(inner, EntryType::LBoxFmt, false, replacement))
                            heading = replacement;
                        put(QLatin1Char('~') + heading + QLatin1Char('~'));
                    }
                    i = stop + 1;
                    continue;
                }
                put(QString(c));
                ++i;
            }
            return out.left(kFormatLimit);
        },
        format);
}

QString GetLongDate(std::int32_t date, const QString& format) {
    return guarded(
        [&]() -> QString {
            LibraryState& s = state();
            if (!tko::isSupportedDate(date)) {
                s.code = kDateOutOfRange;
                return QString();
            }
            if (format.trimmed().isEmpty() && !s.picturesInitialised) {
                s.code = kPicsNotInitialized;
                return QString();
            }
            tko::LocaleFormat locale;
            QString pattern = format.trimmed();
            if (s.picturesInitialised) {
                bool ok = false;
                const std::uint32_t id = tko::intlText(s.group.iLanguage, 5).toUInt(&ok, 16);
                if (ok && id != 0) {
                    const std::uint16_t check = checkLcid(id);
                    if (check != kNoError) {
                        s.code = check;
                        return QString();
                    }
                }
                locale = activeFormat();
                if (pattern.isEmpty()) pattern = locale.longDate;
            } else {
                // No active group: the names of the user's own locale.
                IntlGroup group;
                ClearIntlGroup(group);
                locale = fillGroupFromLocale(group, 0) == kNoError
                             ? tko::localeFormatFromIntlGroup(group)
                             : tko::LocaleFormat::englishUS();
            }
            s.code = kNoError;
            // Clipped of every kind of trailing blank: a cut may end on the
            // no-break space a locale puts before a literal ("2024 г.").
            QString text = locale.formatDate(date, pattern).left(kLongDateLimit);
            while (!text.isEmpty() && text.back().isSpace()) text.chop(1);
            return text;
        },
        QString());
}
