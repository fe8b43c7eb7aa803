// Faults found in use of liblingua: long language-file paths, files without
// their key, the PO round trip of "&&", and the locale texts of non-Latin
// locales (whole characters in every slot, literal text kept in long dates).
#include "LinguaTestSupport.h"

#include "platform/Date.h"
#include "translator/IntlGroupFormat.h"
#include "translator/LinguaState.h"
#include "translator/PoFile.h"

#include <QFile>

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <unicode/uloc.h>

using lingua::LanguageRecord;
using linguatest::readLanguageFile;
using linguatest::writeLanguageFile;
using tko::intlName;
using tko::intlText;

namespace {

class FaultsInUseTest : public ::testing::Test {
protected:
    void SetUp() override {
        CloseTranslator();
        ASSERT_TRUE(m_dir.isValid());
        UErrorCode status = U_ZERO_ERROR;
        uloc_setDefault("en_US", &status);
    }
    void TearDown() override { CloseTranslator(); }
    QString path(const char* name) const { return m_dir.filePath(QLatin1String(name)); }

    QTemporaryDir m_dir;
};

TEST_F(FaultsInUseTest, LanguageFileInAFolderWithALongPathIsOpenedWhole) {
    // Deeper than both the 64-character name and the 128-character full name.
    QString folder = m_dir.path();
    while (folder.size() < 200) folder += QStringLiteral("/a-rather-long-folder-name");
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString file = folder + QStringLiteral("/En_tkom.ltf");
    ASSERT_TRUE(writeLanguageFile(file, {{QStringLiteral("Priority"),
                                          {},
                                          QStringLiteral("Vorrang"),
                                          {},
                                          QStringLiteral("String")}}));

    EXPECT_EQ(InitTranslator(file), 1);
    EXPECT_EQ(CurrentLangFile(), file);
    EXPECT_EQ(TranslateString(QStringLiteral("Priority")), QStringLiteral("Vorrang"));
    TranslateString(QStringLiteral("Not yet translated"));
    CloseTranslator();

    // The not-found text went into the same file, and no stray file (the
    // name cut short) was created anywhere along the path.
    const auto records = readLanguageFile(file);
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].lookup, QStringLiteral("Not yet translated"));
    EXPECT_EQ(QDir(folder).entryList(QDir::Files), QStringList{QStringLiteral("En_tkom.ltf")});
}

// A file whose LANGF table lost its key index, with a duplicate pair left by
// earlier closes and a text that is translated in one copy only.
void writeUnkeyedFile(const QString& file) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(QFile::encodeName(file).constData(), &db), SQLITE_OK);
    const char* sql =
        "CREATE TABLE LANGF (LOOKUP TEXT NOT NULL DEFAULT '', LUHOTKEY TEXT NOT NULL DEFAULT '',"
        " REPLACEMENT TEXT NOT NULL DEFAULT '', REPHOTKEY TEXT NOT NULL DEFAULT '',"
        " ENTRYTYPE TEXT COLLATE NOCASE NOT NULL DEFAULT '');"
        "INSERT INTO LANGF VALUES ('Untranslated', '', '', '', 'String');"
        "INSERT INTO LANGF VALUES ('Untranslated', '', '', '', 'STRING');"
        "INSERT INTO LANGF VALUES ('Priority', '', '', '', 'String');"
        "INSERT INTO LANGF VALUES ('Priority', '', 'Vorrang', '', 'String');"
        "INSERT INTO LANGF VALUES ('Priority', '', '', '', 'Text');";
    EXPECT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);
}

TEST_F(FaultsInUseTest, FileWithoutItsKeyGetsItRebuiltOnOpening) {
    const QString file = path("nokey.ltf");
    writeUnkeyedFile(file);

    EXPECT_EQ(InitTranslator(file), 1);
    EXPECT_EQ(TranslateString(QStringLiteral("Priority")), QStringLiteral("Vorrang"))
        << "the translated copy of a duplicate is the one kept";
    TranslateString(QStringLiteral("Untranslated"));
    TranslateString(QStringLiteral("New text"));
    CloseTranslator();
    ASSERT_EQ(readLanguageFile(file).size(), 4u);

    // Closing again and again adds nothing twice.
    for (int round = 0; round < 2; ++round) {
        EXPECT_EQ(InitTranslator(file), 1);
        TranslateString(QStringLiteral("Untranslated"));
        TranslateString(QStringLiteral("New text"));
        CloseTranslator();
    }
    EXPECT_EQ(readLanguageFile(file).size(), 4u);
    EXPECT_EQ(RebuildFile(file), 0);
    EXPECT_EQ(readLanguageFile(file).size(), 4u);
}

TEST_F(FaultsInUseTest, DoubledAmpersandSurvivesThePoRoundTrip) {
    // "Fish && Chips" on a button is looked up as "Fish & Chips" with the
    // hot key "&"; a text with a real hot key and a literal '&' beside it.
    const QString file = path("amp.ltf");
    ASSERT_TRUE(writeLanguageFile(
        file,
        {{QStringLiteral("Fish & Chips"), QStringLiteral("&"), {}, {}, QStringLiteral("Text")},
         {QStringLiteral("Salt & Pepper"), QStringLiteral("P"), {}, {}, QStringLiteral("MenuItem")},
         {QStringLiteral("A && B"), {}, {}, {}, QStringLiteral("String")}}));
    const QString po = path("amp.po");
    ASSERT_TRUE(lingua::exportPo(file, po).ok);

    QFile in(po);
    ASSERT_TRUE(in.open(QIODevice::ReadOnly));
    QString text = QString::fromUtf8(in.readAll());
    in.close();
    text.replace(QStringLiteral("msgid \"Fish && Chips\"\nmsgstr \"\""),
                 QStringLiteral("msgid \"Fish && Chips\"\nmsgstr \"Fisch && Pommes\""));
    text.replace(QStringLiteral("msgid \"Salt && &Pepper\"\nmsgstr \"\""),
                 QStringLiteral("msgid \"Salt && &Pepper\"\nmsgstr \"Salz && &Pfeffer\""));
    text.replace(QStringLiteral("msgid \"A && B\"\nmsgstr \"\""),
                 QStringLiteral("msgid \"A && B\"\nmsgstr \"A und B\""));
    ASSERT_TRUE(in.open(QIODevice::WriteOnly | QIODevice::Truncate));
    in.write(text.toUtf8());
    in.close();

    const lingua::PoResult result = lingua::importPo(file, po);
    EXPECT_TRUE(result.ok) << result.error.toStdString();
    EXPECT_EQ(result.unplaced, QStringList());
    EXPECT_EQ(result.entries, 3);
    const auto records = readLanguageFile(file);
    ASSERT_EQ(records.size(), 3u) << "nothing added beside the exported records";
    for (const LanguageRecord& record : records) {
        if (record.lookup == QStringLiteral("Fish & Chips")) {
            EXPECT_EQ(record.replacement, QStringLiteral("Fisch & Pommes"));
        }
        if (record.lookup == QStringLiteral("Salt & Pepper")) {
            EXPECT_EQ(record.replacement, QStringLiteral("Salz & Pfeffer"));
            EXPECT_EQ(record.repHotKey, QStringLiteral("P"));
        }
        if (record.lookup == QStringLiteral("A && B")) {
            EXPECT_EQ(record.replacement, QStringLiteral("A und B"));
        }
    }
}

// Locale identifiers of the locales under test.
enum : std::uint32_t {
    kRussian = 0x0419,
    kGreek = 0x0408,
    kJapanese = 0x0411,
    kChinese = 0x0804,
    kThai = 0x041E,
};

IntlGroup groupFor(std::uint32_t lcid) {
    IntlGroup group;
    ClearIntlGroup(group);
    EXPECT_EQ(GetIntlGroup(group, lcid, true, QString()), 0) << std::hex << lcid;
    return group;
}

const std::int32_t k15September2024 = tko::fromYmd(2024, 9, 15);

TEST_F(FaultsInUseTest, NonLatinMonthAndDayNamesAreWhole) {
    const IntlGroup ru = groupFor(kRussian);
    EXPECT_EQ(intlName(ru.MonthStr, 8), QStringLiteral("сентября"));
    EXPECT_EQ(intlName(ru.DayStr, 0), QStringLiteral("воскресенье"));
    const IntlGroup el = groupFor(kGreek);
    EXPECT_EQ(intlName(el.MonthStr, 8), QStringLiteral("Σεπτεμβρίου"));
    EXPECT_EQ(intlText(el.sNativeLangName, 25), QStringLiteral("Ελληνικά"));
    const IntlGroup ja = groupFor(kJapanese);
    EXPECT_EQ(intlName(ja.MonthStr, 8), QStringLiteral("9月"));
    EXPECT_EQ(intlName(ja.DayStr, 0), QStringLiteral("日曜日"));
    // A name longer than its slot keeps 13 whole characters.
    IntlGroup group;
    ClearIntlGroup(group);
    tko::setIntlName(group.MonthStr, 0, QStringLiteral("ЖжЖжЖжЖжЖжЖжЖжЖж"));
    EXPECT_EQ(intlName(group.MonthStr, 0), QStringLiteral("ЖжЖжЖжЖжЖжЖжЖ"));
    EXPECT_EQ(intlName(group.MonthStr, 1), QString()) << "the next slot is untouched";
}

TEST_F(FaultsInUseTest, MorningAndAfternoonDesignatorsOfAsianLocales) {
    const IntlGroup ja = groupFor(kJapanese);
    EXPECT_EQ(intlText(ja.s1159, 2), QStringLiteral("午前"));
    EXPECT_EQ(intlText(ja.s2359, 2), QStringLiteral("午後"));
    const IntlGroup zh = groupFor(kChinese);
    EXPECT_EQ(intlText(zh.s1159, 2), QStringLiteral("上午"));
    EXPECT_EQ(intlText(zh.s2359, 2), QStringLiteral("下午"));
    const IntlGroup th = groupFor(kThai);
    EXPECT_FALSE(intlText(th.s1159, 2).isEmpty()) << "cut to two characters, never to nothing";
}

TEST_F(FaultsInUseTest, LongDatesKeepTheLocalesLiteralText) {
    IntlGroup ja = groupFor(kJapanese);
    InitPictures(&ja);
    EXPECT_EQ(GetLongDate(k15September2024), QStringLiteral("2024年9月15日日曜日"));
    IntlGroup zh = groupFor(kChinese);
    InitPictures(&zh);
    EXPECT_EQ(GetLongDate(k15September2024), QStringLiteral("2024年9月15日星期日"));
    IntlGroup ru = groupFor(kRussian);
    InitPictures(&ru);
    // At most 30 characters, and no blank left dangling at the cut.
    EXPECT_EQ(GetLongDate(k15September2024), QStringLiteral("воскресенье, 15 сентября 2024"));
    IntlGroup el = groupFor(kGreek);
    InitPictures(&el);
    EXPECT_EQ(GetLongDate(k15September2024), QStringLiteral("Κυριακή 15 Σεπτεμβρίου 2024"));
}

}  // namespace

namespace {

TEST(TextTable, FindsEveryTextAfterGrowingAndKeepsTheFirstEntry) {
    lingua::TextTable table;
    EXPECT_EQ(table.find(u"anything"), nullptr) << "an empty table finds nothing";
    for (int i = 0; i < 5000; ++i)
        table.insert(QStringLiteral("Text %1").arg(i),
                     lingua::Translation{QLatin1Char(' '), QStringLiteral("Wort %1").arg(i),
                                         QLatin1Char(' ')});
    table.insert(QStringLiteral("Text 7"),
                 lingua::Translation{QLatin1Char(' '), QStringLiteral("second"), QLatin1Char(' ')});
    EXPECT_EQ(table.size(), 5000u);
    for (int i = 0; i < 5000; ++i) {
        const lingua::Translation* found = table.find(QStringLiteral("Text %1").arg(i));
        ASSERT_NE(found, nullptr) << i;
        EXPECT_EQ(found->replacement, QStringLiteral("Wort %1").arg(i));
    }
    // Prefixes, longer texts and a view into a longer string.
    EXPECT_EQ(table.find(u"Text"), nullptr);
    EXPECT_EQ(table.find(u"Text 50000"), nullptr);
    const QString padded = QStringLiteral("Text 42   ");
    ASSERT_NE(table.find(QStringView(padded).left(7)), nullptr);
    EXPECT_EQ(table.find(QStringView(padded).left(7))->replacement, QStringLiteral("Wort 42"));
    table.clear();
    EXPECT_EQ(table.find(u"Text 1"), nullptr);
}

}  // namespace
