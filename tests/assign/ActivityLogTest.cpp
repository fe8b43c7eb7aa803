// The activity log as the assignment form shows it.
#include <gtest/gtest.h>

#include "assign/AssignmentRules.h"
#include "platform/Date.h"

using namespace tko;

namespace {
const Date kDay = fromYmd(2026, 3, 2);
}

TEST(ActivityLog, EveryEntryIsOneLineWithNoEmptyLinesBetween) {
    // The log as written: a created line, a change, then a conclusion (which
    // starts with a carriage return after the change's own).
    std::string log = logLine("Created", "BEN", kDay, fromHms(9, 5));
    log = appendToLog(log, logLine("Changed", "ANNA", kDay, fromHms(10, 0)));
    log = appendToLog(log, "\rRepeat Concluded 2 March 2026");
    log = appendToLog(log, "\rConcluded 3 March 2026");
    const QStringList lines = activityLogText(log).split(QLatin1Char('\n'));
    ASSERT_EQ(lines.size(), 4) << activityLogText(log).toStdString();
    EXPECT_TRUE(lines[0].startsWith(QStringLiteral("Created ")));
    EXPECT_TRUE(lines[0].contains(QStringLiteral("BEN")));
    EXPECT_TRUE(lines[1].startsWith(QStringLiteral("Changed ")));
    EXPECT_TRUE(lines[1].contains(QStringLiteral("ANNA")));
    EXPECT_EQ(lines[2], QStringLiteral("Repeat Concluded 2 March 2026"));
    EXPECT_EQ(lines[3], QStringLiteral("Concluded 3 March 2026"));
}

TEST(ActivityLog, LineEndsOfOtherStationsAndBlankLinesAreNotShown) {
    EXPECT_EQ(activityLogText("Created\r\nChanged\n\n   \r\rConcluded\r"),
              QStringLiteral("Created\nChanged\nConcluded"));
    EXPECT_EQ(activityLogText(""), QString());
    // A line's own text, inner and trailing blanks included, is kept.
    EXPECT_EQ(activityLogText("Created 09:05 By BEN   \r"),
              QStringLiteral("Created 09:05 By BEN   "));
}
