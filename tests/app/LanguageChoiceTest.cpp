// The language files offered beside the program and the choice kept per user
// and per station.
#include "app/LanguageChoice.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using tko::LanguageOption;

namespace {

void touch(const QString& path) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
}

TEST(LanguageChoice, OffersTheLanguageFilesBesideTheProgramEnglishFirst) {
    QTemporaryDir dir;
    for (const char* name :
         {"De_tkom.ltf", "En_tkom.ltf", "Xy_tkom.ltf", "notes.ltf", "En_other.ltf"})
        touch(dir.filePath(QLatin1String(name)));
    const QList<LanguageOption> options = tko::languagesBeside(dir.path());
    ASSERT_EQ(options.size(), 3);
    EXPECT_EQ(options[0].name, QStringLiteral("English"));
    EXPECT_EQ(options[0].lcid, 0x0409u);
    EXPECT_EQ(options[1].name, QStringLiteral("Deutsch"));
    EXPECT_EQ(options[1].lcid, 0x0407u);
    EXPECT_EQ(options[1].file, dir.filePath(QStringLiteral("De_tkom.ltf")));
    EXPECT_EQ(options[2].name, QStringLiteral("Xy")) << "an unknown language is named by its file";
    EXPECT_EQ(options[2].lcid, 0u);
    EXPECT_EQ(tko::languageConfig(options),
              QStringLiteral(",English,%1|,Deutsch,%2|,Xy,%3")
                  .arg(options[0].file, options[1].file, options[2].file));
    EXPECT_EQ(tko::languageLocales(options), (QList<std::uint32_t>{0x0409, 0x0407, 0}));
}

TEST(LanguageChoice, AtMostSixAndNoneWhoseNameWouldBreakTheConfiguration) {
    QTemporaryDir dir;
    const QString odd = dir.filePath(QStringLiteral("a,b"));
    ASSERT_TRUE(QDir().mkpath(odd));
    for (const char* prefix : {"En", "De", "Fr", "Es", "It", "Nl", "Pt", "Sv"})
        touch(dir.filePath(QLatin1String(prefix) + QStringLiteral("_tkom.ltf")));
    EXPECT_EQ(tko::languagesBeside(dir.path()).size(), 6);
    touch(odd + QStringLiteral("/En_tkom.ltf"));
    const QList<LanguageOption> beside = tko::languagesBeside(odd);
    ASSERT_EQ(beside.size(), 1);
    EXPECT_EQ(tko::languageConfig(beside), QString());
    EXPECT_TRUE(tko::languageLocales(beside).isEmpty());
}

TEST(LanguageChoice, KeptPerUserAndAsTheStationsLastChoice) {
    QTemporaryDir dir;
    const QString ini = dir.filePath(QStringLiteral("TASKORBM.INI"));
    EXPECT_TRUE(tko::storedLanguage(ini, QString()).file.isEmpty());
    tko::storeLanguage(ini, QStringLiteral("ben"),
                       {dir.filePath(QStringLiteral("De_tkom.ltf")), 0x0407});
    tko::storeLanguage(ini, QStringLiteral("ANNA  "), {QStringLiteral("En_tkom.ltf"), 0x0409});

    const tko::StoredLanguage ben = tko::storedLanguage(ini, QStringLiteral("BEN"));
    EXPECT_EQ(ben.file, QStringLiteral("De_tkom.ltf"))
        << "only the name, the file lies beside the program";
    EXPECT_EQ(ben.lcid, 0x0407u);
    EXPECT_EQ(tko::storedLanguage(ini, QStringLiteral("anna")).file, QStringLiteral("En_tkom.ltf"));
    EXPECT_EQ(tko::storedLanguage(ini, QString()).file, QStringLiteral("En_tkom.ltf"))
        << "the last choice on the station";
    EXPECT_TRUE(tko::storedLanguage(ini, QStringLiteral("CARL")).file.isEmpty());
}

TEST(LanguageChoice, StartsWithTheLastChoiceOnlyWhenItIsBesideTheProgram) {
    QTemporaryDir dir;
    const QString ini = dir.filePath(QStringLiteral("TASKORBM.INI"));
    const QString english = dir.filePath(QStringLiteral("En_tkom.ltf"));
    EXPECT_EQ(tko::startLanguageFile(dir.path(), ini), english);
    tko::storeLanguage(ini, QStringLiteral("BEN"), {QStringLiteral("De_tkom.ltf"), 0x0407});
    EXPECT_EQ(tko::startLanguageFile(dir.path(), ini), english) << "De_tkom.ltf is not there";
    touch(dir.filePath(QStringLiteral("De_tkom.ltf")));
    EXPECT_EQ(tko::startLanguageFile(dir.path(), ini), dir.filePath(QStringLiteral("De_tkom.ltf")));

    // A hand-edited entry naming a file elsewhere is not followed.
    QSettings(ini, QSettings::IniFormat)
        .setValue(QStringLiteral("Language/Last"), QStringLiteral("../../etc/De_tkom.ltf;0407"));
    EXPECT_EQ(tko::startLanguageFile(dir.path(), ini), english);
}

}  // namespace
