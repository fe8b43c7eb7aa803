// Pictures: numbers, dates, times and texts shown and read back, with the
// messages a window shows for what cannot be read.
#include "platform/Picture.h"

#include <gtest/gtest.h>

using namespace tko;

namespace {

LocaleFormat german() {
    LocaleFormat format = LocaleFormat::englishUS();
    format.dateSeparator = QLatin1Char('.');
    format.decimalSeparator = QLatin1Char(',');
    format.thousandSeparator = QLatin1Char('.');
    format.shortDate = QStringLiteral("dd.MM.yyyy");
    format.longDate = QStringLiteral("dddd, d. MMMM yyyy");
    format.twentyFourHour = true;
    format.hourLeadingZero = true;
    format.monthNames[2] = QStringLiteral("März");
    format.monthAbbrevs[2] = QStringLiteral("März");
    format.dayNames[2] = QStringLiteral("Dienstag");
    return format;
}

QString num(double value, const char* picture,
            const LocaleFormat& locale = LocaleFormat::englishUS()) {
    return formatNumber(value, Picture::parse(QString::fromLatin1(picture)), locale);
}

Parsed<double> readNum(const char* typed, const char* picture,
                       const LocaleFormat& locale = LocaleFormat::englishUS()) {
    return parseNumber(QString::fromUtf8(typed), Picture::parse(QString::fromLatin1(picture)),
                       u"Amount", locale);
}

Parsed<Date> readDate(const char* typed, const char* picture,
                      const LocaleFormat& locale = LocaleFormat::englishUS()) {
    return parseDate(QString::fromUtf8(typed), Picture::parse(QString::fromLatin1(picture)),
                     u"Due date", locale);
}

TEST(NumberPicture, Formats) {
    EXPECT_EQ(num(-1234567, "@n-13"), QStringLiteral("-1,234,567"));
    EXPECT_EQ(num(-12.5, "@n_-8.2"), QStringLiteral("-12.50"));
    EXPECT_EQ(num(7, "@n1"), QStringLiteral("7"));
    EXPECT_EQ(num(42, "@n05"), QStringLiteral("00042"));
    EXPECT_EQ(num(-42, "@n-05"), QStringLiteral("-0042"));
    EXPECT_EQ(num(0, "@n-10.2b"), QString());
    EXPECT_EQ(num(0, "@n-10.2"), QStringLiteral("0.00"));
    EXPECT_EQ(num(-0.001, "@n-6.2"), QStringLiteral("0.00")) << "no negative zero";
    EXPECT_EQ(num(-5, "@n6"), QStringLiteral("-5")) << "an unsigned picture never hides the sign";
    EXPECT_EQ(num(12345, "@n4"), QStringLiteral("####")) << "too wide is shown, not cut";
    EXPECT_EQ(num(1234.5, "@n-12.2", german()), QStringLiteral("1.234,50"));
    EXPECT_EQ(num(2.5, "@s10"), QString()) << "a text picture shows no number";
}

TEST(NumberPicture, TooManyPlacesIsAnInvalidPicture) {
    const Picture four = Picture::parse(u"@n5.4");
    EXPECT_FALSE(four.isValid());
    EXPECT_EQ(four.error, QStringLiteral("Too many places (4) specified."));
    EXPECT_EQ(Picture::parse(u"@n30.16").error, QStringLiteral("Too many places (16) specified."));
    EXPECT_TRUE(Picture::parse(u"@n6.4").isValid());
    const auto read = readNum("1.5", "@n5.4");
    EXPECT_FALSE(read.ok());
    EXPECT_TRUE(read.error.startsWith(QStringLiteral("Amount: Too many places (4)")));
}

// While typed, a number entry refuses letters at once; partial numbers pass.
TEST(NumberPicture, EntryAcceptsOnlyWhatANumberCanHold) {
    const struct {
        const char* typed;
        const char16_t* picture;
        bool accepted;
    } cases[] = {
        {"", u"@n1", true},      {"7", u"@n1", true},    {"x", u"@n1", false},
        {"1a", u"@n7", false},   {"12 ", u"@n7", true},  {"-", u"@n-6", true},
        {"-3", u"@n-6", true},   {"-3", u"@n6", false},  {"3-", u"@n-6", false},
        {"1,000", u"@n7", true}, {"1.5", u"@n7", false}, {"1.5", u"@n7.2", true},
        {"abc", u"@s10", true},  // no number picture: anything
    };
    for (const auto& c : cases)
        EXPECT_EQ(numberEntryAccepts(QString::fromLatin1(c.typed), c.picture), c.accepted)
            << c.typed << " " << QString::fromUtf16(c.picture).toStdString();
}

TEST(NumberPicture, ReadsBack) {
    EXPECT_DOUBLE_EQ(readNum("-1,234.50", "@n-12.2").value, -1234.5);
    EXPECT_DOUBLE_EQ(readNum("(12)", "@n-6").value, -12);
    EXPECT_DOUBLE_EQ(readNum("12-", "@n-6").value, -12);
    EXPECT_DOUBLE_EQ(readNum("1.234,5", "@n-12.2", german()).value, 1234.5);
    EXPECT_DOUBLE_EQ(readNum("   ", "@n6").value, 0);
    const auto negative = readNum("-5", "@n6");
    EXPECT_EQ(negative.error, QStringLiteral("Amount: the value cannot be negative."));
    EXPECT_EQ(readNum("1.5", "@n6").error, QStringLiteral("Amount: a whole number is expected."));
    EXPECT_EQ(readNum("1.555", "@n8.2").error, QStringLiteral("Amount: at most 2 decimal places."));
    EXPECT_EQ(readNum("12a", "@n6").error, QStringLiteral("Amount: \"12a\" is not a number."));
    EXPECT_EQ(readNum("1234567", "@n6").error,
              QStringLiteral("Amount: \"1234567\" does not fit into 6 characters."));
    EXPECT_FALSE(readNum(".", "@n6.2").ok());
}

TEST(DatePicture, ReadsTypedDates) {
    EXPECT_EQ(readDate("3/5/2024", "@D2").value, fromYmd(2024, 3, 5));
    EXPECT_EQ(readDate("03-05-2024", "@D2").value, fromYmd(2024, 3, 5)) << "any separator";
    EXPECT_EQ(readDate("march 5, 2024", "@D4").value, fromYmd(2024, 3, 5));
    EXPECT_EQ(readDate("Tuesday, March 5, 2024", "@D18").value, fromYmd(2024, 3, 5));
    EXPECT_EQ(readDate("March 5, 2024", "@D18").value, fromYmd(2024, 3, 5)) << "weekday optional";
    EXPECT_EQ(readDate("20240305", "@D12").value, fromYmd(2024, 3, 5));
    EXPECT_EQ(readDate("5. März 2024", "@D8", german()).value, fromYmd(2024, 3, 5));
    EXPECT_EQ(readDate("05.03.2024", "@D17", german()).value, fromYmd(2024, 3, 5));
    EXPECT_EQ(readDate("", "@D17b").value, kNoDate);
    EXPECT_TRUE(readDate("", "@D17b").ok());
}

TEST(DatePicture, RefusesWhatIsNotADateOfThePicture) {
    for (const char* typed : {"13/45/2000", "2/30/2000", "02/15", "abc", "3/5/2024 x"}) {
        const auto read = readDate(typed, "@D2");
        EXPECT_FALSE(read.ok()) << typed;
        EXPECT_EQ(read.value, kNoDate) << typed;
        EXPECT_TRUE(read.error.startsWith(QStringLiteral("Due date: \"")))
            << read.error.toStdString();
    }
    const auto late = readDate("01/01/2100", "@D2");
    EXPECT_EQ(late.error, QStringLiteral("Due date: \"01/01/2100\" is outside the dates from "
                                         "01/01/1801 to 12/31/2099."));
    EXPECT_FALSE(readDate("12/31/1800", "@D2").ok());
    EXPECT_TRUE(readDate("1/1/1801", "@D2").ok());
    EXPECT_TRUE(readDate("12/31/2099", "@D2").ok());
    EXPECT_FALSE(readDate("1/1/99999", "@D2").ok());
    EXPECT_FALSE(readDate("3/5/2024", "@n6").ok()) << "not a date field";
}

TEST(DatePicture, TwoDigitYearsFallIntoAHundredYearWindow) {
    Clock::setFixed(fromYmd(2024, 6, 1), 0);
    EXPECT_EQ(toYmd(readDate("01/02/43", "@D1").value).year, 2043);
    EXPECT_EQ(toYmd(readDate("01/02/44", "@D1").value).year, 1944);
    EXPECT_EQ(toYmd(readDate("01/02/1850", "@D1").value).year, 1850) << "four digits as typed";
    Clock::useSystem();
}

TEST(DatePicture, FormatsWithTheLocale) {
    const Date day = fromYmd(2024, 3, 5);
    const LocaleFormat us = LocaleFormat::englishUS();
    EXPECT_EQ(formatDate(day, Picture::parse(u"@D1"), us), QStringLiteral("03/05/24"));
    EXPECT_EQ(formatDate(day, Picture::parse(u"@D3"), us), QStringLiteral("Mar 05, 2024"));
    EXPECT_EQ(formatDate(day, Picture::parse(u"@D6"), german()), QStringLiteral("05.03.2024"));
    EXPECT_EQ(formatDate(day, Picture::parse(u"@D16"), german()), QStringLiteral("2024.03"));
    EXPECT_EQ(formatDate(day, Picture::parse(u"@D18"), german()),
              QStringLiteral("Dienstag, 5. März 2024"));
    EXPECT_EQ(formatDate(kNoDate, Picture::parse(u"@D6"), us), QString()) << "no date is blank";
    EXPECT_FALSE(Picture::parse(u"@D19").isValid());
    EXPECT_FALSE(Picture::parse(u"@D0").isValid());
}

TEST(DatePicture, LocalizedPictures) {
    const LocaleFormat us = LocaleFormat::englishUS();
    EXPECT_EQ(localizePicture(u"D6", us, 0, nullptr), QStringLiteral("@D2"));
    EXPECT_EQ(localizePicture(u"@D6", german(), 0, nullptr), QStringLiteral("@D6"));
    EXPECT_EQ(localizePicture(u"@D5", us, kLocalizeFourDigitYear, nullptr), QStringLiteral("@D2"));
    QString message;
    EXPECT_EQ(localizePicture(u"@n3.2", us, 0, &message), QStringLiteral("@n3.2"));
    EXPECT_EQ(message, QStringLiteral("Too many places (2) specified."));
}

TEST(TimePicture, FormatsAndReads) {
    const LocaleFormat us = LocaleFormat::englishUS();
    const Time afternoon = fromHms(14, 5);
    EXPECT_EQ(formatTime(afternoon, Picture::parse(u"@T1"), us), QStringLiteral("14:05"));
    EXPECT_EQ(formatTime(afternoon, Picture::parse(u"@T3"), us), QStringLiteral("2:05 PM"));
    EXPECT_EQ(formatTime(fromHms(9, 5, 7), Picture::parse(u"@T2"), german()),
              QStringLiteral("09:05:07"));
    EXPECT_EQ(formatTime(0, Picture::parse(u"@T3"), us), QStringLiteral("12:00 AM"));
    EXPECT_EQ(formatTime(0, Picture::parse(u"@T1b"), us), QString());
    const Picture t3 = Picture::parse(u"@T3");
    EXPECT_EQ(parseTime(u"2:05 pm", t3, u"Start", us).value, afternoon);
    EXPECT_EQ(parseTime(u"12:00 AM", t3, u"Start", us).value, 0);
    EXPECT_EQ(parseTime(u"1405", Picture::parse(u"@T1"), u"Start", us).value, afternoon);
    for (const char16_t* bad : {u"25:00", u"13:00 PM", u"10:61", u"noon", u"10"}) {
        const auto read = parseTime(bad, t3, u"Start", us);
        EXPECT_FALSE(read.ok());
        EXPECT_TRUE(read.error.startsWith(QStringLiteral("Start: ")));
    }
}

TEST(TextPicture, KeepsToItsWidth) {
    EXPECT_EQ(formatText(u"Alexander Smith", u"@s5"), QStringLiteral("Alexa"));
    EXPECT_EQ(parseText(u"Smith  ", u"@s5", u"Name").value, QStringLiteral("Smith"));
    EXPECT_EQ(parseText(u"Smithers", u"@s5", u"Name").error,
              QStringLiteral("Name: at most 5 characters, not 8."));
}

}  // namespace
