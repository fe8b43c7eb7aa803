// The exact wording, title, buttons and fatality of every standard message,
// with the parameters merged where the texts name them.
#include <gtest/gtest.h>

#include "data/Messages.h"

namespace tko {
namespace {

struct Expected {
    int number;
    int variant;
    const char* text;
    const char* title;
    MessageButtons buttons;
    bool fatal;
};

using B = MessageButtons;

// Parameters: the error text "E (9)", the table or field "T", the third "O".
const Expected kMessages[] = {
    {1, 0, "Error: (E (9)) accessing T. Press OK to end this application.", "Invalid File", B::Ok,
     true},
    {2, 0, "E (9) key file is invalid. Do you want to rebuild the key?", "Invalid Key", B::YesNo,
     false},
    {3, 0, "Error: (E (9)) repairing key for T. Press OK to end this application.",
     "Key Rebuild Error", B::Ok, true},
    {4, 0, "Error: (E (9)) creating T. Press OK to end this application.", "File Creation Error",
     B::Ok, true},
    {5, 0, "Error: (E (9)) opening created file: T. Press OK to end this application.",
     "File Creation Error", B::Ok, true},
    {6, 0, "The Procedure E (9) has not been defined.", "Procedure not defined", B::Ok, false},
    {7, 0, "Unable to read keyed record.  Error: E (9)", "Insert Aborted", B::Ok, false},
    {8, 0, "The value of E (9) must be lower than T.", "Range Error", B::Ok, false},
    {9, 0, "The value of E (9) must be higher than T.", "Range Error", B::Ok, false},
    {10, 0, "The value of E (9) must be between T.", "Range Error", B::Ok, false},
    {11, 0, "The value for E (9) must be found in the T file.", "Field Contents Error", B::Ok,
     false},
    {12, 0,
     "This record is referenced from the file E (9). Linking field(s) have been reset to "
     "original values.",
     "Referential Integrity Update Error", B::Ok, false},
    {13, 0,
     "This record is referenced from the file E (9). This record cannot be deleted while these "
     "references exist.",
     "Referential Integrity Delete Error", B::Ok, false},
    {14, 0, "An error was experienced during the update of record. Error: E (9).",
     "Record Insert Error", B::Ok, false},
    {15, 0, "An error (E (9)) occurred when attempting to update a record. Probable Cause: E (9).",
     "Update Operation Error", B::Ok, false},
    {15, 1, "This record was changed by another station.", "Update Operation Error", B::Ok, false},
    {16, 0, "An error was experienced changing this record. Do you want to try to save again?",
     "Record Update Error", B::YesNo, false},
    {17, 0, "Error E (9) occurred when deleting a record from T", "Delete Operation Error", B::Ok,
     false},
    {18, 0, "An error was experienced deleting this record. Do you want to try to save it again?",
     "Record Update Error", B::YesNo, false},
    {19, 0,
     "This procedure was called to insert a record. Inserts are not allowed for this procedure. "
     "Press OK to return to the calling procedure",
     "Invalid Request", B::Ok, false},
    {20, 0,
     "This procedure was called to change a record Changes are not allowed for this procedure. "
     "Press OK to return to the calling procedure",
     "Invalid Request", B::Ok, false},
    {21, 0,
     "This procedure was called to delete a record Deletions are not allowed for this procedure. "
     "Press OK to return to the calling procedure",
     "Invalid Request", B::Ok, false},
    {22, 0,
     "The File E (9) was not found. Creation of the file is not allowed. Press OK to end this "
     "application.",
     "File Creation Not Allowed", B::Ok, true},
    {23, 0, "Are you sure you want to cancel?", "Update Cancelled", B::YesNo, false},
    {24, 0, "Adding this record creates a duplicate entry for the key: E (9)",
     "Duplicate Key Error", B::Ok, false},
    {25, 0, "Attempts to automatically number this record have failed. Error: E (9).",
     "Auto Increment Error", B::Ok, false},
    {26, 0, "E (9) File Load Error.  Error: T.", "File Load Error", B::Ok, false},
    {27, 0, "Are you certain you want to stop loading E (9)?", "Cancel Request", B::YesNo, false},
    {28, 0, "E (9) File Load Error. The file you've requested contains no text.", "File Load Error",
     B::Ok, false},
    {29, 0,
     "The end of the viewed file was encountered. Do you want to start again from the "
     "beginning?",
     "End of File Error", B::YesNo, false},
    {29, 1,
     "The beginning of the viewed file was encountered. Do you want to start again from the end "
     "of the file?",
     "Beginning of File Error", B::YesNo, false},
    {30, 0, "File (E (9)) could not be opened.  Error: T.", "File Access Error", B::Ok, false},
    {31, 0, "An error was experienced changing the E (9) file. Error: E (9).", "Process PUT Error",
     B::Ok, false},
    {31, 1, "An error occurred when deleting a record from the E (9) file. Error: E (9)",
     "Process DELETE Error", B::Ok, false},
    {32, 0,
     "You've selected to delete the highlighted record. Press OK to confirm deletion of this "
     "record.",
     "Confirm Delete", B::OkCancel, false},
    {33, 0, "Do you want to save the changes to this record?", "Update Cancelled", B::YesNoCancel,
     false},
    {35, 0,
     "Error: (E (9)) attempting to access a record from the T file. Returning to previous "
     "window.",
     "Record Retrieval Error", B::Ok, false},
    // For a window that stays open: no claim that it returns.
    {35, 1, "Error: (E (9)) attempting to access a record from the T file.",
     "Record Retrieval Error", B::Ok, false},
    {36, 0, "Error: (E (9)) attempting to open the current VIEW. Filter and Range Limits ignored.",
     "View Open Error", B::Ok, false},
    {37, 0, "This record has been added to the file. Do you want to add another record?",
     "Record Added", B::YesNo, false},
    {38, 0,
     "This record was changed by another station. Those changes will now be displayed. Use the "
     "Ditto Button or Ctrl+' to recall your changes.",
     "Record Was Not Updated", B::Ok, false},
};

TEST(StandardMessagesTest, EveryMessageHasItsExactTextTitleButtonsAndFatality) {
    for (const Expected& e : kMessages) {
        SCOPED_TRACE(testing::Message() << "message " << e.number << " variant " << e.variant);
        const StandardMessage m = standardMessage(e.number, "E (9)", "T", "O", e.variant);
        EXPECT_EQ(m.number, e.number);
        EXPECT_EQ(m.text, e.text);
        EXPECT_EQ(m.title, e.title);
        EXPECT_EQ(m.buttons, e.buttons);
        EXPECT_EQ(m.fatal, e.fatal);
    }
}

TEST(StandardMessagesTest, TheFramingMessageNamesTheOperationInLowerCaseThenAsGiven) {
    const StandardMessage m = standardMessage(34, "E (9)", "Update", "USERS");
    EXPECT_EQ(m.text,
              "Error: (E (9)) attempting to frame the update transaction on USERS. Update "
              "transaction cancelled.");
    EXPECT_EQ(m.title, "Transaction Framing Error");
    EXPECT_EQ(m.buttons, MessageButtons::Ok);
    EXPECT_FALSE(m.fatal);
}

TEST(StandardMessagesTest, EveryNumberFrom1To38IsCovered) {
    bool seen[39] = {};
    for (const Expected& e : kMessages) seen[e.number] = true;
    seen[34] = true;  // its own test above
    for (int n = 1; n <= 38; ++n) EXPECT_TRUE(seen[n]) << n;
    EXPECT_EQ(standardMessage(39).text, "Unknown message 39");
}

TEST(StandardMessagesTest, TheNumberingRetryAsksTryAgainWithYesAndNo) {
    const StandardMessage m = numberingRetryQuestion("Duplicate key (40)");
    EXPECT_EQ(m.number, 25);
    EXPECT_EQ(m.text,
              "Attempts to automatically number this record have failed. Error: Duplicate key "
              "(40). Try again?");
    EXPECT_EQ(m.title, "Auto Increment Error");
    EXPECT_EQ(m.buttons, MessageButtons::YesNo);
}

}  // namespace
}  // namespace tko
