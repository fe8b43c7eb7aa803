// "init" creates the data directory it is given, unlike the program itself.
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "cli/InitCommand.h"

namespace fs = std::filesystem;

namespace {

tko::DataSource folder(const fs::path& dir) {
    tko::DataSource source;
    source.directory = dir.string();
    return source;
}

}  // namespace

TEST(InitCommand, CreatesAMissingDirectoryWithItsParents) {
    QTemporaryDir temp;
    ASSERT_TRUE(temp.isValid());
    const fs::path dir = fs::path(temp.path().toStdString()) / "offices" / "north";
    std::ostringstream out, err;
    EXPECT_EQ(tko::cli::runInitCommand(folder(dir), out, err), 0) << err.str();
    EXPECT_TRUE(fs::is_directory(dir));
    EXPECT_TRUE(fs::exists(dir / "TKODATA.DB"));
    EXPECT_TRUE(fs::exists(dir / "USERS.DB"));
    EXPECT_NE(out.str().find(dir.string()), std::string::npos);
}

TEST(InitCommand, AnExistingOfficeIsOpenedNotReplaced) {
    QTemporaryDir temp;
    ASSERT_TRUE(temp.isValid());
    const fs::path dir = temp.path().toStdString();
    std::ostringstream out, err;
    ASSERT_EQ(tko::cli::runInitCommand(folder(dir), out, err), 0) << err.str();
    // The recovery key is shown when the office is made, and never again.
    EXPECT_NE(out.str().find("recovery key"), std::string::npos);
    const auto size = fs::file_size(dir / "TKODATA.DB");
    std::ostringstream again;
    EXPECT_EQ(tko::cli::runInitCommand(folder(dir), again, err), 0) << err.str();
    EXPECT_EQ(fs::file_size(dir / "TKODATA.DB"), size);
    EXPECT_EQ(again.str().find("recovery key"), std::string::npos);
}

TEST(InitCommand, APathTakenByAFileIsRefusedAndTheFileKept) {
    QTemporaryDir temp;
    ASSERT_TRUE(temp.isValid());
    const fs::path file = fs::path(temp.path().toStdString()) / "office";
    std::ofstream(file) << "notes\n";
    std::ostringstream out, err;
    EXPECT_EQ(tko::cli::runInitCommand(folder(file), out, err), 1);
    EXPECT_NE(err.str().find("cannot create the data directory"), std::string::npos);
    EXPECT_TRUE(fs::is_regular_file(file));
    EXPECT_EQ(fs::file_size(file), 6u);
    // Nor can a directory be made beneath it.
    EXPECT_EQ(tko::cli::runInitCommand(folder(file / "sub"), out, err), 1);
}
