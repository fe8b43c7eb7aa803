// liblingua without windows: language files, lookups, merging, errors,
// rebuilding and the PO exchange for translators.
#include "LinguaTestSupport.h"

#include "cli/LangCommand.h"
#include "translator/PoFile.h"

#include <QCryptographicHash>
#include <QFile>
#include <QTextStream>

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <unicode/uloc.h>
#include <unistd.h>

using lingua::LanguageRecord;
using linguatest::readLanguageFile;
using linguatest::writeLanguageFile;

namespace {

class TranslatorTest : public ::testing::Test {
protected:
    void SetUp() override {
        CloseTranslator();
        ASSERT_TRUE(m_dir.isValid());
        m_previousDir = QDir::currentPath();
        QDir::setCurrent(m_dir.path());  // Ling.nls is looked up here
        UErrorCode status = U_ZERO_ERROR;
        uloc_setDefault("en_US", &status);
    }
    void TearDown() override {
        CloseTranslator();
        QDir::setCurrent(m_previousDir);
    }
    QString path(const char* name) const { return m_dir.filePath(QLatin1String(name)); }

    QTemporaryDir m_dir;
    QString m_previousDir;
};

TEST_F(TranslatorTest, MissingFileIsCreatedAndCollectsNotFoundTextsAtClose) {
    const QString file = path("new.ltf");
    ASSERT_FALSE(QFile::exists(file));
    EXPECT_EQ(InitTranslator(file), 1);
    EXPECT_EQ(TranslatorErrorcode(), 0);
    EXPECT_TRUE(QFile::exists(file));
    EXPECT_EQ(CurrentLangFile(), QFileInfo(file).absoluteFilePath());
    EXPECT_EQ(TranslateString(QStringLiteral("Record will be Added   ")),
              QStringLiteral("Record will be Added"));
    EXPECT_EQ(TranslateString(QStringLiteral("Record will be Added")),
              QStringLiteral("Record will be Added"));  // once in the Not-Found table
    EXPECT_TRUE(readLanguageFile(file).empty()) << "nothing is written before close";
    CloseTranslator();
    EXPECT_EQ(CurrentLangFile(), QString());
    const auto records = readLanguageFile(file);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].lookup, QStringLiteral("Record will be Added"));
    EXPECT_EQ(records[0].replacement, QString());
    EXPECT_EQ(records[0].entryType, QStringLiteral("String"));
}

TEST_F(TranslatorTest, BlankReplacementIsNeverUsedNorAddedTwice) {
    const QString file = path("blank.ltf");
    ASSERT_TRUE(writeLanguageFile(
        file, {{QStringLiteral("Exit"), {}, {}, {}, QStringLiteral("STRING")},
               {QStringLiteral("OK"), {}, QStringLiteral("Gut"), {}, QStringLiteral("string")}}));
    for (int session = 0; session < 2; ++session) {
        ASSERT_EQ(InitTranslator(file), 1);
        EXPECT_EQ(TranslateString(QStringLiteral("Exit")), QStringLiteral("Exit"));
        EXPECT_EQ(TranslateString(QStringLiteral("Exit")), QStringLiteral("Exit"));
        EXPECT_EQ(TranslateString(QStringLiteral("OK")), QStringLiteral("Gut"))
            << "the type name compares without regard to case";
        CloseTranslator();
        EXPECT_EQ(TranslatorErrorcode(), 0) << "the duplicate key refusal is ignored";
    }
    EXPECT_EQ(readLanguageFile(file).size(), 2u);
}

TEST_F(TranslatorTest, TranslateStringEdgeCases) {
    EXPECT_EQ(TranslateString(QStringLiteral("Hello  ")), QStringLiteral("Hello"));
    EXPECT_EQ(TranslatorErrorcode(), 10) << "before InitTranslator";
    ASSERT_EQ(InitTranslator(path("edge.ltf")), 1);
    EXPECT_EQ(TranslateString(QStringLiteral("    ")), QString());
    EXPECT_EQ(TranslatorErrorcode(), 0);
    // Texts longer than the field are looked up by their first 64 characters.
    const QString longText = QString(70, QLatin1Char('x'));
    EXPECT_EQ(TranslateString(longText), longText);
    CloseTranslator();
    const auto records = readLanguageFile(path("edge.ltf"));
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].lookup.size(), 64);
}

TEST_F(TranslatorTest, VersionAndCurrentFileWhenNotInitialised) {
    EXPECT_EQ(TranslatorVersion(), QStringLiteral("2.1002"));
    EXPECT_EQ(CurrentLangFile(), QString());
}

TEST_F(TranslatorTest, DamagedLanguageFileLeavesTheProgramUntranslated) {
    const QString file = path("damaged.ltf");
    QFile damaged(file);
    ASSERT_TRUE(damaged.open(QIODevice::WriteOnly));
    const QByteArray garbage(4096, '\x5a');
    damaged.write(garbage);
    damaged.close();

    EXPECT_EQ(InitTranslator(file), 0);
    EXPECT_EQ(TranslatorErrorcode(), 4);
    EXPECT_EQ(TranslatorError(), QStringLiteral("Type descriptor error in language file"));
    EXPECT_EQ(TranslateString(QStringLiteral("Exit")), QStringLiteral("Exit"));
    EXPECT_EQ(TranslatorErrorcode(), 10);
    CloseTranslator();
    ASSERT_TRUE(damaged.open(QIODevice::ReadOnly));
    EXPECT_EQ(damaged.readAll(), garbage) << "a damaged file is never written";
}

TEST_F(TranslatorTest, DatabaseWithoutTheLanguageLayoutIsRefused) {
    const QString file = path("other.ltf");
    {
        lingua::LanguageFile scratch;
        ASSERT_EQ(scratch.open(file), lingua::kOpened);
    }
    // Replace the layout by a table of another shape.
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(QFile::encodeName(file).constData(), &db), SQLITE_OK);
    sqlite3_exec(db, "DROP TABLE LANGF; CREATE TABLE LANGF (LOOKUP TEXT, OTHER TEXT);", nullptr,
                 nullptr, nullptr);
    sqlite3_close(db);
    EXPECT_EQ(InitTranslator(file), 0);
    EXPECT_EQ(TranslatorErrorcode(), 4);
    EXPECT_EQ(InitTranslator(m_dir.path()), 0) << "a directory is no language file";
    EXPECT_EQ(TranslatorErrorcode(), 5);
    EXPECT_EQ(InitTranslator(path("no/such/dir/x.ltf")), 0);
    EXPECT_EQ(TranslatorErrorcode(), 2);
}

TEST_F(TranslatorTest, SecondInitClosesTheFirstFile) {
    const QString first = path("first.ltf");
    const QString second = path("second.ltf");
    ASSERT_TRUE(writeLanguageFile(
        second,
        {{QStringLiteral("Exit"), {}, QStringLiteral("Ende"), {}, QStringLiteral("String")}}));
    ASSERT_EQ(InitTranslator(first), 1);
    TranslateString(QStringLiteral("Only in first"));
    ASSERT_EQ(InitTranslator(second), 1);
    EXPECT_EQ(TranslateString(QStringLiteral("Exit")), QStringLiteral("Ende"));
    const auto records = readLanguageFile(first);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].lookup, QStringLiteral("Only in first"));
}

TEST(MergeString, FillsPlaceholders) {
    EXPECT_EQ(MergeString(QStringLiteral("Building %1"), QStringLiteral("En_tkom.ltf   ")),
              QStringLiteral("Building En_tkom.ltf"));
    EXPECT_EQ(MergeString(QStringLiteral("%1 of %2 done"), QStringLiteral("3")),
              QStringLiteral("3 of  done"));
    EXPECT_EQ(MergeString(QStringLiteral("%1 and %1"), QStringLiteral("a")),
              QStringLiteral("a and %1"));
    // A value holding a higher placeholder is merged in a later pass.
    EXPECT_EQ(MergeString(QStringLiteral("%1!"), QStringLiteral("x%2"), QStringLiteral("y")),
              QStringLiteral("xy!"));
    EXPECT_EQ(MergeString(QStringLiteral("%4%3%2%1"), QStringLiteral("1"), QStringLiteral("2"),
                          QStringLiteral("3"), QStringLiteral("4")),
              QStringLiteral("4321"));
    EXPECT_EQ(MergeString(QStringLiteral("no placeholder  "), QStringLiteral("x")),
              QStringLiteral("no placeholder"));
}

TEST(MergeString, KeepsTo255Characters) {
    const QString pad253(253, QLatin1Char('a'));
    // Placeholder at position 254: the value ends the text, cut to 255.
    EXPECT_EQ(MergeString(pad253 + QStringLiteral("%1tail"), QStringLiteral("XYZ")),
              pad253 + QStringLiteral("XY"));
    // At position 255 only "%" is inside the work text: nothing to merge.
    const QString pad254(254, QLatin1Char('a'));
    EXPECT_EQ(MergeString(pad254 + QStringLiteral("%1"), QStringLiteral("XYZ")),
              pad254 + QStringLiteral("%"));
    // A long value is cut with the rest of the text.
    const QString merged = MergeString(QStringLiteral("%1 end"), QString(300, QLatin1Char('v')));
    EXPECT_EQ(merged, QString(255, QLatin1Char('v')));
}

TEST_F(TranslatorTest, ErrorMessagesComeFromLingNlsInTheUsersLanguage) {
    QFile nls(path("Ling.nls"));
    ASSERT_TRUE(nls.open(QIODevice::WriteOnly));
    nls.write("[DE Translator Errors]\nNotInitialised=Nicht initialisiert\n");
    nls.close();
    TranslateString(QStringLiteral("x"));
    ASSERT_EQ(TranslatorErrorcode(), 10);
    EXPECT_EQ(TranslatorError(), QStringLiteral("Language translation not initialised"));
    UErrorCode status = U_ZERO_ERROR;
    uloc_setDefault("de_DE", &status);
    EXPECT_EQ(TranslatorError(), QStringLiteral("Nicht initialisiert"));
}

TEST_F(TranslatorTest, DamagedLingNlsGivesTheDefaultTexts) {
    QFile nls(path("Ling.nls"));
    ASSERT_TRUE(nls.open(QIODevice::WriteOnly));
    QByteArray junk;
    for (int i = 0; i < 5000; ++i) junk.append(static_cast<char>((i * 37) % 256));
    nls.write(junk + "\n[EN Translator Errors\n=\n[]\nNotInitialised\n");
    nls.close();
    TranslateString(QStringLiteral("x"));
    EXPECT_EQ(TranslatorError(), QStringLiteral("Language translation not initialised"));
}

int g_stopCalls = 0;
QString g_stopText;

TEST_F(TranslatorTest, ShowTranErrorHandsCodeAndMessageToTheStopHandler) {
    SetTranslatorStopHandler([](const QString& text) {
        ++g_stopCalls;
        g_stopText = text;
    });
    InitTranslator(path("fine.ltf"));
    ShowTranError();
    EXPECT_EQ(g_stopCalls, 0) << "state 0 stops nothing";
    CloseTranslator();
    TranslateString(QStringLiteral("x"));
    ShowTranError();
    EXPECT_EQ(g_stopCalls, 1);
    EXPECT_EQ(g_stopText, QStringLiteral("10 Language translation not initialised"));
    SetTranslatorStopHandler(nullptr);
}

TEST_F(TranslatorTest, RebuildKeepsEveryRecord) {
    const QString file = path("rebuild.ltf");
    ASSERT_TRUE(writeLanguageFile(
        file, {{QStringLiteral("Exit"), {}, QStringLiteral("Ende"), {}, QStringLiteral("String")},
               {QStringLiteral("File"), QStringLiteral("F"), QStringLiteral("Datei"),
                QStringLiteral("D"), QStringLiteral("Menu")},
               {QStringLiteral("Open"), QStringLiteral("O"), {}, {}, QStringLiteral("MenuItem")}}));
    const auto before = readLanguageFile(file);
    EXPECT_EQ(RebuildFile(file), 0);
    EXPECT_EQ(TranslatorErrorcode(), 0);
    const auto after = readLanguageFile(file);
    ASSERT_EQ(after.size(), before.size());
    for (std::size_t i = 0; i < before.size(); ++i)
        EXPECT_TRUE(linguatest::operator==(before[i], after[i]));
    EXPECT_FALSE(QFile::exists(file + QStringLiteral(".rebuild")));
    // The key is in place again: a duplicate is refused.
    lingua::LanguageFile check;
    ASSERT_EQ(check.open(file, false), lingua::kOpened);
    EXPECT_EQ(check.add(before[0]), lingua::LanguageFile::AddResult::Duplicate);
}

// An installed language file the user may not write: read only, its texts not
// found kept in the user's own file, which rebuilding and the PO export merge.
bool writableUnlessInstalled(const QString& path) {
    return !path.contains(QLatin1String("/installed/"));
}

QByteArray fileHash(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256);
}

TEST_F(TranslatorTest, ReadOnlyLanguageFileSendsTextsNotFoundToTheUsersFile) {
    const QByteArray previousData = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", QFile::encodeName(path("data")));
    const QString folder = path("installed");
    const QString file = folder + QStringLiteral("/Ro_tkom.ltf");
    const QString userFile = path("data") + QStringLiteral("/taskorbit/Ro_tkom.notfound");
    ASSERT_TRUE(QDir().mkpath(folder));
    ASSERT_TRUE(writeLanguageFile(
        file,
        {{QStringLiteral("Priority"), {}, QStringLiteral("Vorrang"), {}, QStringLiteral("String")},
         {QStringLiteral("Untranslated"), {}, {}, {}, QStringLiteral("String")}}));
    QFile::setPermissions(file,
                          QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther);
    QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner |
                                      QFileDevice::ReadOther | QFileDevice::ExeOther);
    // Permission bits do not stop root: the library is told which file counts
    // as installed.
    if (geteuid() == 0) SetLanguageFileWritableCheck(writableUnlessInstalled);
    const QByteArray original = fileHash(file);

    const char* rounds[2][2] = {{"Untranslated", "New text"}, {"New text", "Another"}};
    for (const auto& texts : rounds) {
        ASSERT_EQ(InitTranslator(file), 1);
        EXPECT_EQ(TranslatorErrorcode(), 0);
        EXPECT_EQ(TranslateString(QStringLiteral("Priority")), QStringLiteral("Vorrang"));
        for (const char* text : texts) TranslateString(QLatin1String(text));
        CloseTranslator();
        EXPECT_EQ(TranslatorErrorcode(), 0);
    }
    EXPECT_EQ(fileHash(file), original) << "the installed file is not written";
    QStringList recorded;
    for (const LanguageRecord& record : readLanguageFile(userFile)) recorded << record.lookup;
    EXPECT_EQ(recorded, (QStringList{QStringLiteral("Another"), QStringLiteral("New text")}))
        << "each text once, none the language file already holds";

    const QString po = path("ro.po");
    const lingua::PoResult exported = lingua::exportPo(file, po);
    EXPECT_TRUE(exported.ok) << exported.error.toStdString();
    EXPECT_EQ(exported.entries, 4);
    QFile poFile(po);
    ASSERT_TRUE(poFile.open(QIODevice::ReadOnly));
    const QByteArray poText = poFile.readAll();
    EXPECT_TRUE(poText.contains("msgid \"New text\"") && poText.contains("msgid \"Another\""));

    EXPECT_EQ(RebuildFile(file), 3) << "a file that cannot be written is not rebuilt";
    EXPECT_EQ(fileHash(file), original);

    // Made writable, the file is rebuilt with the user's texts and takes the
    // next ones itself, as before.
    SetLanguageFileWritableCheck(nullptr);
    QFile::setPermissions(folder,
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QFile::setPermissions(file, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    EXPECT_EQ(RebuildFile(file), 0);
    EXPECT_EQ(readLanguageFile(file).size(), 4u);
    EXPECT_FALSE(QFile::exists(userFile)) << "its texts are in the language file now";
    ASSERT_EQ(InitTranslator(file), 1);
    TranslateString(QStringLiteral("Third"));
    CloseTranslator();
    EXPECT_EQ(readLanguageFile(file).size(), 5u);
    EXPECT_FALSE(QFile::exists(userFile));
    if (previousData.isNull())
        qunsetenv("XDG_DATA_HOME");
    else
        qputenv("XDG_DATA_HOME", previousData);
}

TEST_F(TranslatorTest, RebuildOfMissingOrDamagedFile) {
    EXPECT_EQ(RebuildFile(path("missing.ltf")), 0);
    EXPECT_TRUE(readLanguageFile(path("missing.ltf")).empty());
    QFile damaged(path("bad.ltf"));
    ASSERT_TRUE(damaged.open(QIODevice::WriteOnly));
    damaged.write(QByteArray(2048, '\x01'));
    damaged.close();
    EXPECT_EQ(RebuildFile(path("bad.ltf")), 4);
    EXPECT_EQ(QFileInfo(path("bad.ltf")).size(), 2048);
}

// --- PO exchange -----------------------------------------------------------

TEST(PoHotKeys, MarkAndSplitAreInverse) {
    EXPECT_EQ(lingua::markHotKey(QStringLiteral("File"), QStringLiteral("F"), false),
              QStringLiteral("&File"));
    EXPECT_EQ(lingua::markHotKey(QStringLiteral("Save & Exit"), QStringLiteral("x"), false),
              QStringLiteral("Save && E&xit"));
    EXPECT_EQ(lingua::markHotKey(QStringLiteral("Datei"), QStringLiteral("D"), true),
              QStringLiteral("&Datei"));
    EXPECT_EQ(lingua::markHotKey(QStringLiteral("ende"), QStringLiteral("E"), true),
              QStringLiteral("&ende"));
    QString text, hotKey;
    lingua::splitHotKey(QStringLiteral("Save && E&xit"), &text, &hotKey);
    EXPECT_EQ(text, QStringLiteral("Save & Exit"));
    EXPECT_EQ(hotKey, QStringLiteral("x"));
    lingua::splitHotKey(QStringLiteral("Fish & Chips"), &text, &hotKey);
    EXPECT_EQ(text, QStringLiteral("Fish & Chips"));
    EXPECT_EQ(hotKey, QString());
}

TEST_F(TranslatorTest, PoExportAndImportRoundTripALanguageFile) {
    const QString original = path("orig.ltf");
    ASSERT_TRUE(writeLanguageFile(
        original,
        {{QStringLiteral("File"), QStringLiteral("F"), QStringLiteral("Datei"), QStringLiteral("D"),
          QStringLiteral("Menu")},
         {QStringLiteral("Save & Exit"), QStringLiteral("x"), QStringLiteral("Sichern & Ende"),
          QStringLiteral("E"), QStringLiteral("MenuItem")},
         {QStringLiteral("Say \"hi\"\\now"),
          {},
          QStringLiteral("Sag \"hallo\""),
          {},
          QStringLiteral("String")},
         {QStringLiteral("R&D"), {}, {}, {}, QStringLiteral("Text")},
         {QStringLiteral("Prüfen"),
          {},
          QStringLiteral("Vérifier"),
          {},
          QStringLiteral("ToolTip")}}));
    const QString po = path("orig.po");
    const lingua::PoResult exported = lingua::exportPo(original, po);
    ASSERT_TRUE(exported.ok) << exported.error.toStdString();
    EXPECT_EQ(exported.entries, 5);

    const QString copy = path("copy.ltf");
    const lingua::PoResult rebuilt = lingua::importPo(copy, po, lingua::PoImportMode::AddAll);
    ASSERT_TRUE(rebuilt.ok) << rebuilt.error.toStdString();
    EXPECT_TRUE(rebuilt.unplaced.isEmpty())
        << rebuilt.unplaced.join(QLatin1Char('\n')).toStdString();
    const auto a = readLanguageFile(original);
    const auto b = readLanguageFile(copy);
    ASSERT_EQ(a.size(), b.size());
    for (std::size_t i = 0; i < a.size(); ++i)
        EXPECT_TRUE(linguatest::operator==(a[i], b[i])) << a[i].lookup.toStdString();
}

TEST_F(TranslatorTest, PoImportFillsReplacementsAndReportsWhatItCannotPlace) {
    const QString file = path("fill.ltf");
    ASSERT_TRUE(writeLanguageFile(
        file, {{QStringLiteral("Open"), QStringLiteral("O"), {}, {}, QStringLiteral("MenuItem")},
               {QStringLiteral("Close"), {}, {}, {}, QStringLiteral("String")}}));
    QFile po(path("de.po"));
    ASSERT_TRUE(po.open(QIODevice::WriteOnly));
    po.write(
        "msgid \"\"\nmsgstr \"\"\n\"Content-Type: text/plain; charset=UTF-8\\n\"\n\n"
        "msgctxt \"MenuItem\"\nmsgid \"&Open\"\nmsgstr \"\\u00d6&ffnen\"\n\n");
    po.close();
    // \u is no PO escape: the whole file is refused and nothing changes.
    lingua::PoResult result = lingua::importPo(file, path("de.po"));
    EXPECT_FALSE(result.ok);
    EXPECT_TRUE(result.error.contains(QStringLiteral("line 7")));
    EXPECT_EQ(readLanguageFile(file)[1].replacement, QString());

    ASSERT_TRUE(po.open(QIODevice::WriteOnly));
    po.write(
        "msgctxt \"MenuItem\"\nmsgid \"&Open\"\nmsgstr \"\"\n\"\xc3\x96&ffnen\"\n\n"
        "#, fuzzy\nmsgctxt \"String\"\nmsgid \"Close\"\nmsgstr \"Schlie\xc3\x9f\x65n\"\n\n"
        "msgctxt \"String\"\nmsgid \"Unknown\"\nmsgstr \"Unbekannt\"\n\n"
        "msgctxt \"MenuItem\"\nmsgid \"&Open\"\nmsgstr \"" +
        QByteArray(65, 'y') +
        "\"\n\n"
        // A right-to-left override would reorder the caption wherever shown.
        "msgctxt \"String\"\nmsgid \"Close\"\nmsgstr \"Schlie\xe2\x80\xae\xc3\x9f\x65n\"\n");
    po.close();
    result = lingua::importPo(file, path("de.po"));
    ASSERT_TRUE(result.ok) << result.error.toStdString();
    EXPECT_EQ(result.entries, 1);
    EXPECT_EQ(result.skipped, 1) << "fuzzy entries are left alone";
    ASSERT_EQ(result.unplaced.size(), 3);
    EXPECT_TRUE(result.unplaced[0].contains(QStringLiteral("not in the language file")));
    EXPECT_TRUE(result.unplaced[1].contains(QStringLiteral("longer than 64")));
    EXPECT_TRUE(result.unplaced[2].contains(QStringLiteral("direction character (U+202E)")));
    const auto records = readLanguageFile(file);
    EXPECT_EQ(records[1].lookup, QStringLiteral("Open"));
    EXPECT_EQ(records[1].replacement, QStringLiteral("Öffnen"));
    EXPECT_EQ(records[1].repHotKey, QStringLiteral("f"));
    EXPECT_EQ(records[0].replacement, QString());
}

TEST_F(TranslatorTest, LangCommandExportsAndImports) {
    const QString file = path("cli.ltf");
    ASSERT_TRUE(
        writeLanguageFile(file, {{QStringLiteral("Exit"), {}, {}, {}, QStringLiteral("String")}}));
    QString outText, errText;
    QTextStream out(&outText), err(&errText);
    EXPECT_EQ(runLangCommand({QStringLiteral("export"), file, path("cli.po")}, out, err), 0);
    QFile po(path("cli.po"));
    ASSERT_TRUE(po.open(QIODevice::ReadOnly));
    QByteArray text = po.readAll();
    po.close();
    EXPECT_TRUE(text.contains("msgctxt \"String\"\nmsgid \"Exit\"\nmsgstr \"\""));
    text.replace("msgid \"Exit\"\nmsgstr \"\"", "msgid \"Exit\"\nmsgstr \"Ende\"");
    text += "msgctxt \"String\"\nmsgid \"Stray\"\nmsgstr \"Streuner\"\n";
    ASSERT_TRUE(po.open(QIODevice::WriteOnly));
    po.write(text);
    po.close();
    EXPECT_EQ(runLangCommand({QStringLiteral("import"), file, path("cli.po")}, out, err), 2);
    err.flush();
    EXPECT_TRUE(errText.contains(QStringLiteral("1 entries could not be placed")));
    EXPECT_TRUE(errText.contains(QStringLiteral("Stray")));
    EXPECT_EQ(readLanguageFile(file)[0].replacement, QStringLiteral("Ende"));
    EXPECT_EQ(
        runLangCommand({QStringLiteral("import"), path("none.ltf"), path("cli.po")}, out, err), 1);
    EXPECT_FALSE(QFile::exists(path("none.ltf"))) << "import never creates a language file";
    EXPECT_EQ(runLangCommand({QStringLiteral("export")}, out, err), 64);
}

}  // namespace
