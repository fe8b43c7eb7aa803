// List-box format strings and the text of a cell.
#include <gtest/gtest.h>

#include "platform/ListFormat.h"

namespace tko {
namespace {

TEST(ListFormat, ReadsWidthAlignmentHeadingPictureAndField) {
    QString error;
    const auto columns = parseListFormat(
        QStringLiteral("60L(2)|M~Short Name~@s15@80R(2)~Due~C(0)@D17b@#DUEDATE#20C~Pri~@n1@"),
        {QStringLiteral("SHORTNAME"), QStringLiteral("ignored"), QStringLiteral("PRIORITY")},
        &error);
    ASSERT_TRUE(error.isEmpty()) << error.toStdString();
    ASSERT_EQ(columns.size(), 3u);
    EXPECT_EQ(columns[0].width, 60);
    EXPECT_EQ(columns[0].indent, 2);
    EXPECT_EQ(columns[0].align, ColumnAlign::Left);
    EXPECT_EQ(columns[0].heading, QStringLiteral("Short Name"));
    EXPECT_EQ(columns[0].picture, QStringLiteral("@s15"));
    EXPECT_EQ(columns[0].field, QStringLiteral("SHORTNAME"));
    EXPECT_EQ(columns[1].align, ColumnAlign::Right);
    EXPECT_EQ(columns[1].headingAlign, ColumnAlign::Center);
    EXPECT_EQ(columns[1].field, QStringLiteral("DUEDATE"));  // named in the string
    EXPECT_EQ(columns[2].align, ColumnAlign::Center);
    EXPECT_EQ(columns[2].field, QStringLiteral("PRIORITY"));
}

TEST(ListFormat, HeadingsMayHoldAnyCharacterButTheMark) {
    QString error;
    const auto columns = parseListFormat(QStringLiteral("40L~Due @ 5 (days)~@n3@"), {}, &error);
    ASSERT_EQ(columns.size(), 1u);
    EXPECT_EQ(columns[0].heading, QStringLiteral("Due @ 5 (days)"));
    EXPECT_TRUE(columns[0].field.isEmpty());
}

TEST(ListFormat, MalformedStringsGiveNoColumnsAndAReason) {
    for (const char* bad : {"60L~Name", "60L~Name~@s15", "60L(2~Name~", "60L@s15@"}) {
        QString error;
        EXPECT_TRUE(parseListFormat(QString::fromLatin1(bad), {}, &error).empty()) << bad;
        EXPECT_FALSE(error.isEmpty()) << bad;
    }
    QString error;
    EXPECT_TRUE(parseListFormat(QString(), {}, &error).empty());
    EXPECT_TRUE(error.isEmpty());
}

TEST(ListFormat, CellsFollowTheirPicture) {
    using store::Value;
    EXPECT_EQ(formatCell(Value{std::string("Somebody with a long name")}, QStringLiteral("@s8")),
              QStringLiteral("Somebody"));
    EXPECT_EQ(formatCell(Value{std::string("Ann   ")}, QString()), QStringLiteral("Ann   "));
    EXPECT_EQ(formatCell(Value{std::int64_t{0}}, QStringLiteral("@D17b")), QString());
    EXPECT_FALSE(formatCell(Value{std::int64_t{80000}}, QStringLiteral("@D17")).isEmpty());
    EXPECT_EQ(formatCell(Value{std::int64_t{1234}}, QStringLiteral("@n6")),
              QStringLiteral("1,234"));
    EXPECT_EQ(formatCell(Value{std::int64_t{42}}, QString()), QStringLiteral("42"));
}

}  // namespace
}  // namespace tko
