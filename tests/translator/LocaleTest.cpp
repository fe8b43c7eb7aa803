// Locale settings from ICU, the Intl group's settings file, picture
// translation, long dates, and format-then-read round trips of every date
// picture in three real locales.
#include "LinguaTestSupport.h"

#include "platform/Picture.h"
#include "translator/IntlGroupFormat.h"

#include <QFile>

#include <gtest/gtest.h>
#include <unicode/uloc.h>

#include <algorithm>
#include <cstring>
#include <vector>

using tko::intlName;
using tko::intlText;

namespace {

IntlGroup groupFor(std::uint32_t lcid) {
    IntlGroup group;
    ClearIntlGroup(group);
    EXPECT_EQ(GetIntlGroup(group, lcid, true, QString()), 0) << std::hex << lcid;
    return group;
}

QString g_messageTitle, g_messageText;

class LocaleTest : public ::testing::Test {
protected:
    void SetUp() override {
        UErrorCode status = U_ZERO_ERROR;
        uloc_setDefault("en_US", &status);
        ASSERT_TRUE(m_dir.isValid());
        resetPictures();
        g_messageTitle.clear();
        g_messageText.clear();
        SetTranslatorMessageHandler([](const QString& title, const QString& text) {
            g_messageTitle = title;
            g_messageText = text;
        });
    }
    void TearDown() override { resetPictures(); }

    // Closing a translator whose file opens clears the active pictures.
    void resetPictures() {
        InitTranslator(m_dir.filePath(QStringLiteral("reset.ltf")));
        CloseTranslator();
    }

    QTemporaryDir m_dir;
};

TEST_F(LocaleTest, FillsTheGroupFromIcuForEnglishUnitedStates) {
    const IntlGroup us = groupFor(0x0409);
    EXPECT_EQ(intlText(us.iLanguage, 5), QStringLiteral("0409"));
    EXPECT_EQ(intlText(us.sAbbrevLangName, 3), QStringLiteral("ENG"));
    EXPECT_EQ(intlText(us.sEngLanguage, 25), QStringLiteral("English"));
    EXPECT_EQ(intlText(us.sEngCountry, 25), QStringLiteral("United States"));
    EXPECT_EQ(us.iCountry, 1);
    EXPECT_EQ(us.iMeasure, 1);
    EXPECT_EQ(us.sDecimal[0], '.');
    EXPECT_EQ(us.sThousand[0], ',');
    EXPECT_EQ(us.sList[0], ',');
    EXPECT_EQ(us.sDate[0], '/');
    EXPECT_EQ(us.sTime[0], ':');
    EXPECT_EQ(intlText(us.sShortDate, 10), QStringLiteral("M/d/yyyy"));
    EXPECT_EQ(intlText(us.sLongDate, 40), QStringLiteral("dddd, MMMM d, yyyy"));
    EXPECT_EQ(us.iDate, 0);
    EXPECT_EQ(us.iTime, 0);
    EXPECT_EQ(intlText(us.sCurrency, 6), QStringLiteral("$"));
    EXPECT_EQ(us.iCurrDigits, 2);
    EXPECT_EQ(us.iCurrency, 0);
    EXPECT_EQ(us.iNegCurrency, 1);
    EXPECT_EQ(us.iNegNumber, 1);
    EXPECT_EQ(intlText(us.s1159, 2), QStringLiteral("AM"));
    EXPECT_EQ(intlName(us.MonthStr, 0), QStringLiteral("January"));
    EXPECT_EQ(intlName(us.MonStr, 11), QStringLiteral("Dec"));
    EXPECT_EQ(intlName(us.DayStr, 0), QStringLiteral("Sunday"));
    EXPECT_EQ(intlName(us.AbbrevDayStr, 6), QStringLiteral("Sat"));
}

TEST_F(LocaleTest, FillsTheGroupFromIcuForGermanyAndTheUnitedKingdom) {
    const IntlGroup de = groupFor(0x0407);
    EXPECT_EQ(intlText(de.iLanguage, 5), QStringLiteral("0407"));
    EXPECT_EQ(intlText(de.sNativeLangName, 25), QStringLiteral("Deutsch"));
    EXPECT_EQ(intlText(de.sLanguage, 25), QStringLiteral("German"));  // in the user's language
    EXPECT_EQ(de.iCountry, 49);
    EXPECT_EQ(de.iMeasure, 0);
    EXPECT_EQ(de.sDecimal[0], ',');
    EXPECT_EQ(de.sThousand[0], '.');
    EXPECT_EQ(de.sList[0], ';');
    EXPECT_EQ(de.sDate[0], '.');
    EXPECT_EQ(intlText(de.sShortDate, 10), QStringLiteral("dd.MM.yyyy"));
    EXPECT_EQ(intlText(de.sLongDate, 40), QStringLiteral("dddd, d. MMMM yyyy"));
    EXPECT_EQ(de.iDate, 1);
    EXPECT_EQ(de.iTime, 1);
    EXPECT_EQ(de.iTLZero, 1);
    EXPECT_EQ(intlText(de.sCurrency, 6), QStringLiteral("€"));
    EXPECT_EQ(de.iNegCurrency, 8);  // -1,50 €
    EXPECT_EQ(intlName(de.MonthStr, 2), QStringLiteral("März"));
    EXPECT_EQ(intlName(de.DayStr, 0), QStringLiteral("Sonntag"));

    const IntlGroup gb = groupFor(0x0809);
    EXPECT_EQ(intlText(gb.sShortDate, 10), QStringLiteral("dd/MM/yyyy"));
    EXPECT_EQ(gb.iDate, 1);
    EXPECT_EQ(intlText(gb.sCurrency, 6), QStringLiteral("£"));
}

TEST_F(LocaleTest, CurrencyMayComeFromAnotherLocale) {
    IntlGroup group;
    ClearIntlGroup(group);
    group.CurrLCID = 0x0407;
    ASSERT_EQ(GetIntlGroup(group, 0x0409, true, QString()), 0);
    EXPECT_EQ(intlText(group.sCurrency, 6), QStringLiteral("€"));
    EXPECT_EQ(group.iNegCurrency, 8);
    EXPECT_EQ(group.sDecimal[0], '.') << "numbers stay with the group's own locale";
    EXPECT_EQ(group.CurrLCID, 0x0407u);
}

TEST_F(LocaleTest, UnknownOrUninstalledLocaleIsRefused) {
    IntlGroup group;
    ClearIntlGroup(group);
    const IntlGroup before = group;
    EXPECT_EQ(GetIntlGroup(group, 0xffff, true, QString()), 18);
    EXPECT_EQ(TranslatorErrorcode(), 18);
    // 0x7c7c is Mohawk: ICU knows the identifier but has no data for it.
    EXPECT_EQ(GetIntlGroup(group, 0x7c7c, true, QString()), 17);
    EXPECT_EQ(std::memcmp(&group, &before, sizeof group), 0) << "a failed fill changes nothing";
}

TEST_F(LocaleTest, SettingsFileReproducesTheGroupByteForByte) {
    const QString file = m_dir.filePath(QStringLiteral("de.nls"));
    CreateNLS(file);
    EXPECT_EQ(TranslatorErrorcode(), 22) << "nothing to write before InitPictures";
    EXPECT_FALSE(QFile::exists(file));

    IntlGroup de = groupFor(0x0407);
    de.EntryFlags = kPicFourDigitYear;
    de.DisplayFlags = kPicBlankZero;
    de.CurrLCID = 0x0409;
    InitPictures(&de);
    CreateNLS(file);
    EXPECT_EQ(TranslatorErrorcode(), 0);

    IntlGroup read;
    ClearIntlGroup(read);
    ASSERT_EQ(GetIntlGroup(read, 0, false, file), 0);
    EXPECT_EQ(std::memcmp(&read, &de, sizeof(IntlGroup)), 0);

    QFile empty(m_dir.filePath(QStringLiteral("empty.nls")));
    ASSERT_TRUE(empty.open(QIODevice::WriteOnly));
    empty.write("[Intl]\nsLanguage=Deutsch\n");
    empty.close();
    EXPECT_EQ(GetIntlGroup(read, 0, false, empty.fileName()), 16);
}

TEST_F(LocaleTest, LongDatesAtTheEdgesOfTheRange) {
    EXPECT_EQ(GetLongDate(4), QString());
    EXPECT_EQ(TranslatorErrorcode(), 22) << "no format and no active locale";
    EXPECT_EQ(GetLongDate(4, QStringLiteral("d MMMM yyyy")), QStringLiteral("1 January 1801"));

    IntlGroup us = groupFor(0x0409);
    InitPictures(&us);
    EXPECT_EQ(GetLongDate(3), QString());
    EXPECT_EQ(TranslatorErrorcode(), 21);
    EXPECT_EQ(GetLongDate(109212), QString());
    EXPECT_EQ(TranslatorErrorcode(), 21);
    EXPECT_EQ(GetLongDate(4), QStringLiteral("Thursday, January 1, 1801"));
    EXPECT_EQ(TranslatorErrorcode(), 0);
    EXPECT_EQ(GetLongDate(109211), QStringLiteral("Thursday, December 31, 2099"));

    IntlGroup de = groupFor(0x0407);
    InitPictures(&de);
    EXPECT_EQ(GetLongDate(4), QStringLiteral("Donnerstag, 1. Januar 1801"));
    EXPECT_EQ(GetLongDate(109211), QStringLiteral("Donnerstag, 31. Dezember 2099"));
    EXPECT_EQ(GetLongDate(tko::fromYmd(2024, 3, 5), QStringLiteral("ddd dd MMM yy")),
              QStringLiteral("Di. 05 März 24"));
    // At most 30 characters.
    EXPECT_EQ(GetLongDate(4, QStringLiteral("dddd dddd dddd dddd")).size(), 30);
}

TEST_F(LocaleTest, TranslatePictureBeforeInitPictures) {
    EXPECT_EQ(TranslatePicture(QStringLiteral("D2"), 0, false), QStringLiteral("@D2"));
    EXPECT_EQ(TranslatorErrorcode(), 22);
    EXPECT_EQ(TranslatePicture(QStringLiteral("@s20  "), 0, false), QStringLiteral("@s20"));
    char name[16] = "x";
    std::uint32_t lcid = 7;
    EXPECT_EQ(CurrentLocale(name, sizeof name, &lcid), 22);
    EXPECT_EQ(name[0], '\0');
    EXPECT_EQ(lcid, 0u);
}

TEST_F(LocaleTest, TranslatePictureFollowsTheLocale) {
    IntlGroup de = groupFor(0x0407);
    InitPictures(&de);
    auto tp = [](const char* picture, std::uint32_t options = 0) {
        return TranslatePicture(QString::fromLatin1(picture), options, false);
    };
    // Other types, and date pictures 0, 11, 12 and 17 upward, stay as they are.
    for (const char* same : {"@s20", "@P###-####P", "@K##K", "@E12.2", "@D0", "@D11", "@D12b",
                             "@D17", "@D18b", "@D19", "@d17"})
        EXPECT_EQ(tp(same, kPicFourDigitYear | kPicBlankZero), QString::fromLatin1(same)) << same;
    EXPECT_EQ(tp("@D1"), QStringLiteral("@D5"));
    EXPECT_EQ(tp("@D2"), QStringLiteral("@D6"));
    EXPECT_EQ(tp("@D10"), QStringLiteral("@D6"));
    EXPECT_EQ(tp("@D3"), QStringLiteral("@D7"));
    EXPECT_EQ(tp("@D4"), QStringLiteral("@D8"));
    EXPECT_EQ(tp("@D16"), QStringLiteral("@D14"));
    EXPECT_EQ(tp("@D15"), QStringLiteral("@D13"));
    EXPECT_EQ(tp("@D1", kPicFourDigitYear), QStringLiteral("@D6"));
    EXPECT_EQ(tp("@D2", kPicBlankZero), QStringLiteral("@D6b"));
    EXPECT_EQ(tp("@D2b", kPicBlankZero), QStringLiteral("@D6"));  // "b" toggles the option
    EXPECT_EQ(TranslatePicture(QStringLiteral("@D2b"), kPicBlankZero, true),
              QStringLiteral("@D6b"));
    EXPECT_EQ(tp("@T3"), QStringLiteral("@T1"));
    EXPECT_EQ(tp("@T2b"), QStringLiteral("@T2b"));

    IntlGroup us = groupFor(0x0409);
    InitPictures(&us);
    EXPECT_EQ(tp("@D6"), QStringLiteral("@D2"));
    EXPECT_EQ(tp("@D8"), QStringLiteral("@D4"));
    EXPECT_EQ(tp("@T1"), QStringLiteral("@T3"));
    EXPECT_EQ(g_messageText, QString());
}

TEST_F(LocaleTest, NumberPictureWithTooManyPlacesIsReported) {
    IntlGroup us = groupFor(0x0409);
    InitPictures(&us);
    EXPECT_EQ(TranslatePicture(QStringLiteral("@n-10.2"), 0, false), QStringLiteral("@n-10.2"));
    EXPECT_EQ(g_messageText, QString());
    EXPECT_EQ(TranslatePicture(QStringLiteral("@n5.4"), 0, false), QStringLiteral("@n5.4"));
    EXPECT_EQ(g_messageTitle, QStringLiteral("Error Message"));
    EXPECT_EQ(g_messageText, QStringLiteral("Too many places (4) specified."));
    TranslatePicture(QStringLiteral("@n30.16"), 0, false);
    EXPECT_EQ(g_messageText, QStringLiteral("Too many places (16) specified."));
}

TEST_F(LocaleTest, TranslateFormatRewritesOnlyPicturesAndHeadings) {
    IntlGroup de = groupFor(0x0407);
    InitPictures(&de);
    EXPECT_EQ(TranslateFormat(QStringLiteral(
                  "80L(2)|M~Due  date~@D2@   30R(1)~No~@n-6.2@|~Note~@s20@@P##P@   ")),
              QStringLiteral("80L(2)|M~Due  date~@D6@   30R(1)~No~@n-6.2@|~Note~@s20@@P##P@"));
    // Headings are looked up as LBoxFmt once a language file is loaded.
    const QString file = m_dir.filePath(QStringLiteral("fmt.ltf"));
    ASSERT_TRUE(linguatest::writeLanguageFile(file, {{QStringLiteral("Due  date"),
                                                      {},
                                                      QStringLiteral("Fällig am"),
                                                      {},
                                                      QStringLiteral("LBoxFmt")}}));
    ASSERT_EQ(InitTranslator(file), 1);
    EXPECT_EQ(TranslateFormat(QStringLiteral("~Due  date~@D17@ ~Other~")),
              QStringLiteral("~Fällig am~@D17@ ~Other~"));
}

int g_handlerCalls = 0;

TEST_F(LocaleTest, InitPicturesHandsTheLocaleToTheProgram) {
    SetPictureSettingsHandler([](const IntlGroup& group) {
        ++g_handlerCalls;
        tko::applyIntlGroup(group);
    });
    IntlGroup de = groupFor(0x0407);
    EXPECT_EQ(InitPictures(&de), 1);
    EXPECT_EQ(g_handlerCalls, 1);
    const auto active = tko::LocaleFormat::active();
    EXPECT_EQ(active->monthNames[2], QStringLiteral("März"));
    EXPECT_EQ(active->decimalSeparator, QLatin1Char(','));
    EXPECT_EQ(tko::formatDate(tko::fromYmd(2024, 3, 5), u"@D18"),
              QStringLiteral("Dienstag, 5. März 2024"));
    EXPECT_EQ(tko::formatNumber(-1234.5, u"@n-12.2"), QStringLiteral("-1.234,50"));
    IntlGroup us = groupFor(0x0409);
    InitPictures(&us);
    EXPECT_EQ(tko::formatDate(tko::fromYmd(2024, 3, 5), u"@D18"),
              QStringLiteral("Tuesday, March 5, 2024"));
    SetPictureSettingsHandler(nullptr);
    tko::LocaleFormat::setActive(tko::LocaleFormat::englishUS());
}

// The days a date picture is read back on, from `first` to `last`: every day
// of the 28 years 2000 to 2027 (every weekday on every day of every month, in
// leap and common years, with a century's leap year among them), every day of
// 1900 (a century year that is not a leap year), and the first and last day
// of every month of every other year, so that every year is written once.
std::vector<tko::Date> roundTripDays(tko::Date first, tko::Date last) {
    std::vector<tko::Date> days;
    auto take = [&](tko::Date from, tko::Date to) {
        for (tko::Date d = std::max(from, first); d <= std::min(to, last); ++d) days.push_back(d);
    };
    take(tko::fromYmd(1900, 1, 1), tko::fromYmd(1900, 12, 31));
    take(tko::fromYmd(2000, 1, 1), tko::fromYmd(2027, 12, 31));
    for (int year = tko::toYmd(first).year; year <= tko::toYmd(last).year; ++year) {
        if (year == 1900 || (year >= 2000 && year <= 2027)) continue;
        for (int month = 1; month <= 12; ++month) {
            const tko::Date start = tko::fromYmd(year, month, 1);
            const tko::Date end =
                month == 12 ? tko::fromYmd(year, 12, 31) : tko::fromYmd(year, month + 1, 1) - 1;
            if (start >= first && start <= last) days.push_back(start);
            if (end >= first && end <= last) days.push_back(end);
        }
    }
    return days;
}

// Every date picture, formatted and read back, over the range of dates in
// three locales. Pictures with two-digit years are checked over the hundred
// years they can express; pictures without the day read back the first of
// the month.
TEST_F(LocaleTest, EveryDatePictureRoundTripsInThreeLocales) {
    tko::Clock::setFixed(tko::fromYmd(2024, 6, 1), 0);
    for (std::uint32_t lcid : {0x0409u, 0x0809u, 0x0407u}) {
        const tko::LocaleFormat locale = tko::localeFormatFromIntlGroup(groupFor(lcid));
        for (int number = 1; number <= 18; ++number) {
            const tko::Picture picture = tko::Picture::parse(QStringLiteral("@D%1").arg(number));
            ASSERT_TRUE(picture.isValid());
            const QString pattern = tko::datePattern(number, locale);
            const bool twoDigitYear = pattern.count(QLatin1Char('y')) == 2;
            const bool hasDay = pattern.contains(QLatin1Char('d'));
            const tko::Date first = twoDigitYear ? tko::fromYmd(1944, 1, 1) : tko::kFirstDate;
            const tko::Date last = twoDigitYear ? tko::fromYmd(2043, 12, 31) : tko::kLastDate;
            int failures = 0;
            for (const tko::Date date : roundTripDays(first, last)) {
                if (failures == 3) break;
                const QString shown = tko::formatDate(date, picture, locale);
                const auto read = tko::parseDate(shown, picture, u"Due date", locale);
                const tko::Ymd ymd = tko::toYmd(date);
                const tko::Date expected = hasDay ? date : tko::fromYmd(ymd.year, ymd.month, 1);
                const bool same = read.ok() && read.value == expected;
                if (!same) {
                    ++failures;
                    ADD_FAILURE() << std::hex << lcid << std::dec << " @D" << number << " day "
                                  << date << " shown " << shown.toStdString() << ": "
                                  << read.error.toStdString();
                }
            }
        }
    }
    tko::Clock::useSystem();
}

}  // namespace
