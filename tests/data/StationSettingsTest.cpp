// Which data a station opens: the --server option, else the INI file's
// [Data] Server, else the files of the data directory.
#include <gtest/gtest.h>

#include <fstream>

#include "data/StationSettings.h"
#include "support/TestStore.h"

namespace tko {
namespace {

class StationSettingsTest : public ::testing::Test {
protected:
    std::string ini(const std::string& text) {
        const std::string path = dir.file("TASKORBM.INI");
        std::ofstream(path) << text;
        return path;
    }
    test::TempDir dir;
};

TEST_F(StationSettingsTest, OptionWinsOverTheIniFile) {
    const std::string path = ini("[Data]\nServer=host=inifile dbname=office\n");
    const DataSource s = resolveDataSource("/office", "host=option dbname=office", path);
    EXPECT_EQ(s.directory, "/office");
    EXPECT_EQ(s.serverInfo, "host=option dbname=office");
}

TEST_F(StationSettingsTest, IniFileNamesTheServerWhateverTheCase) {
    EXPECT_EQ(resolveDataSource("/o", "", ini("[Data]\nServer=host=db1 dbname=tko\n")).serverInfo,
              "host=db1 dbname=tko");
    EXPECT_EQ(
        resolveDataSource("/o", "", ini("[data]\r\nSERVER = host=db2 dbname=tko  \r\n")).serverInfo,
        "host=db2 dbname=tko");
}

TEST_F(StationSettingsTest, ConnectionStringsKeepCommasQuotesAndEqualSigns) {
    // Several hosts are separated by commas; a quoted password holds blanks.
    const std::string conninfo = "host=db1,db2 port=5432,5433 dbname=tko password='a b=c'";
    EXPECT_EQ(resolveDataSource("/o", "", ini("[Data]\nServer=" + conninfo + "\n")).serverInfo,
              conninfo);
}

TEST_F(StationSettingsTest, WithoutAServerTheFilesAreUsed) {
    EXPECT_EQ(resolveDataSource("/o", "", dir.file("NOFILE.INI")).serverInfo, "");
    EXPECT_EQ(resolveDataSource("/o", "", ini("[Window]\nServer=host=elsewhere\n")).serverInfo, "");
    EXPECT_EQ(resolveDataSource("/o", "", ini("[Data]\nServer=\n")).serverInfo, "");
    EXPECT_EQ(resolveDataSource("/o", "", "").serverInfo, "");
}

}  // namespace
}  // namespace tko
