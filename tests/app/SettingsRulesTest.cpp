// The rules of System Wide Settings: the range of its numbers and the data
// path in the platform's notation.
#include <gtest/gtest.h>

#include <QDir>

#include "app/FirstRun.h"
#include "data/Preferences.h"
#include "support/TestStore.h"

namespace tko {
namespace {

TEST(SettingsRulesTest, NumbersTakeTheWholeRangeOfTheFieldAndNoNegatives) {
    std::int16_t value = -7;
    EXPECT_FALSE(readSettingNumber("32767", "Back Up Hours", value));
    EXPECT_EQ(value, 32767);
    EXPECT_FALSE(readSettingNumber("0", "Log In Tries Permitted", value));
    EXPECT_EQ(value, 0);
    EXPECT_FALSE(readSettingNumber("", "Log In Tries Permitted", value));
    EXPECT_EQ(value, 0);
    EXPECT_FALSE(readSettingNumber("1,000", "Back Up Hours", value));
    EXPECT_EQ(value, 1000);

    value = 5;
    const auto tooMany = readSettingNumber("9999999", "Back Up Hours", value);
    ASSERT_TRUE(tooMany);
    EXPECT_EQ(*tooMany, "The value of Back Up Hours must be between 0 and 32767.");
    EXPECT_EQ(value, 5);  // left as it was
    EXPECT_EQ(readSettingNumber("32768", "Back Up Hours", value).value_or(""),
              "The value of Back Up Hours must be between 0 and 32767.");
    EXPECT_EQ(readSettingNumber("-1", "Log In Tries Permitted", value).value_or(""),
              "The value of Log In Tries Permitted must be between 0 and 32767.");
    EXPECT_EQ(value, 5);
    const auto fraction = readSettingNumber("2.5", "Back Up Hours", value);
    ASSERT_TRUE(fraction);
    EXPECT_NE(fraction->find("Back Up Hours"), std::string::npos);
    EXPECT_TRUE(readSettingNumber("ten", "Back Up Hours", value));
}

TEST(SettingsRulesTest, DataPathsEndInThePlatformsSeparator) {
    const std::string sep(1, QDir::separator().toLatin1());
    EXPECT_EQ(normaliseDataPath("  /srv/office  "), "/srv/office" + sep);
    EXPECT_EQ(normaliseDataPath("/srv/office/"), "/srv/office/");
    EXPECT_EQ(normaliseDataPath("   "), "");
    // The shown location is the station's folder, absolute, in its notation.
    test::TempDir dir;
    const std::string shown = dataLocationText(DataSource{dir.path(), {}}, "C:\\");
    EXPECT_EQ(shown,
              QDir::toNativeSeparators(QDir(QString::fromStdString(dir.path())).absolutePath())
                      .toStdString() +
                  sep);
    // A server's connection string (it may hold a password) is never shown.
    const std::string server =
        dataLocationText(DataSource{dir.path(), "host=db password=secret"}, "C:\\");
    EXPECT_EQ(server.find("secret"), std::string::npos);
    EXPECT_EQ(server, "PostgreSQL server");
    EXPECT_EQ(dataLocationText(DataSource{}, "\\\\old\\share\\  "), "\\\\old\\share\\");
}

TEST(SettingsRulesTest, ANewDataSetRecordsItsFolderAndNotAWindowsDrive) {
    test::TempDir dir;
    const DataSource source = test::freshSource(dir);
    auto db = test::openStation(source);
    ASSERT_TRUE(db);
    SystemPref sys;
    ASSERT_TRUE(ensureSystemPref(*db, sys, source).ok);
    EXPECT_NE(sys.TCF, "C:\\");
    if (source.serverInfo.empty())
        EXPECT_EQ(sys.TCF, dataLocationText(source, {}));
    else
        EXPECT_EQ(sys.TCF, "PostgreSQL server");
}

}  // namespace
}  // namespace tko
