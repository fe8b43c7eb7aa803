#include <gtest/gtest.h>

#include "data/Messages.h"

namespace tko {
namespace {

TEST(MessagesTest, PartsAreJoinedWithOneBlankAndParametersMerged) {
    const StandardMessage m = standardMessage(17, "Record Not Found (35)", "PEOPLE");
    EXPECT_EQ(m.title, "Delete Operation Error");
    EXPECT_EQ(m.text, "Error Record Not Found (35) occurred when deleting a record from PEOPLE");
    const StandardMessage framing =
        standardMessage(34, "File Is Already Locked (32)", "Delete", "PEOPLE");
    EXPECT_EQ(framing.text,
              "Error: (File Is Already Locked (32)) attempting to frame the delete transaction on "
              "PEOPLE. Delete transaction cancelled.");
    EXPECT_EQ(framing.title, "Transaction Framing Error");
}

TEST(MessagesTest, EveryPlaceholderOccurrenceIsFilledOnceAndValuesAreNotMergedAgain) {
    const StandardMessage m = standardMessage(15, "Disk full (90)", "ASSIGNMENT");
    EXPECT_EQ(m.text,
              "An error (Disk full (90)) occurred when attempting to update a record. "
              "Probable Cause: Disk full (90).");
    EXPECT_EQ(mergeParameters("%1 and %2", "100%2", "x"), "100%2 and x");
    EXPECT_EQ(mergeParameters("%4 stays, 50% too", "a"), "%4 stays, 50% too");
}

TEST(MessagesTest, VariantsButtonsAndFatalFlags) {
    EXPECT_EQ(standardMessage(15, {}, {}, {}, 1).text,
              "This record was changed by another station.");
    EXPECT_EQ(standardMessage(29, {}, {}, {}, 1).title, "Beginning of File Error");
    EXPECT_EQ(standardMessage(31, "x", {}, {}, 1).title, "Process DELETE Error");
    EXPECT_EQ(standardMessage(32).buttons, MessageButtons::OkCancel);
    EXPECT_EQ(standardMessage(33).buttons, MessageButtons::YesNoCancel);
    EXPECT_TRUE(standardMessage(1, "e", "PEOPLE").fatal);
    EXPECT_FALSE(standardMessage(6, "BrowseUsers").fatal);
    EXPECT_EQ(standardMessage(6, "BrowseUsers").text,
              "The Procedure BrowseUsers has not been defined.");
    EXPECT_EQ(standardMessage(38).text,
              "This record was changed by another station. Those changes will now be displayed. "
              "Use the Ditto Button or Ctrl+' to recall your changes.");
    for (int n = 1; n <= 38; ++n) EXPECT_FALSE(standardMessage(n).title.empty()) << n;
}

std::string shout(const std::string& text) {
    return "<" + text + ">";
}

TEST(MessagesTest, TextsPassThroughTheInstalledTranslator) {
    setMessageTranslator(&shout);
    const StandardMessage m = standardMessage(23);
    setMessageTranslator(nullptr);
    EXPECT_EQ(m.text, "<Are you sure you want to cancel?>");
    EXPECT_EQ(m.title, "<Update Cancelled>");
    EXPECT_EQ(standardMessage(23).text, "Are you sure you want to cancel?");
}

}  // namespace
}  // namespace tko
