#include "data/Messages.h"

#include <cctype>
#include <vector>

namespace tko {
namespace {

struct MessageText {
    int number;
    int variant;
    std::vector<const char*> parts;
    const char* title;
    MessageButtons buttons;
    bool fatal;
};

using B = MessageButtons;

const std::vector<MessageText>& messageTable() {
    static const std::vector<MessageText> table{
        {1,
         0,
         {"Error: (%1) accessing %2.", "Press OK to end this application."},
         "Invalid File",
         B::Ok,
         true},
        {2,
         0,
         {"%1 key file is invalid.", "Do you want to rebuild the key?"},
         "Invalid Key",
         B::YesNo,
         false},
        {3,
         0,
         {"Error: (%1) repairing key for %2.", "Press OK to end this application."},
         "Key Rebuild Error",
         B::Ok,
         true},
        {4,
         0,
         {"Error: (%1) creating %2.", "Press OK to end this application."},
         "File Creation Error",
         B::Ok,
         true},
        {5,
         0,
         {"Error: (%1) opening created file: %2.", "Press OK to end this application."},
         "File Creation Error",
         B::Ok,
         true},
        {6, 0, {"The Procedure %1 has not been defined."}, "Procedure not defined", B::Ok, false},
        {7, 0, {"Unable to read keyed record.  Error: %1"}, "Insert Aborted", B::Ok, false},
        {8, 0, {"The value of %1 must be lower than %2."}, "Range Error", B::Ok, false},
        {9, 0, {"The value of %1 must be higher than %2."}, "Range Error", B::Ok, false},
        {10, 0, {"The value of %1 must be between %2."}, "Range Error", B::Ok, false},
        {11,
         0,
         {"The value for %1 must be found in the %2 file."},
         "Field Contents Error",
         B::Ok,
         false},
        {12,
         0,
         {"This record is referenced from the file %1.",
          "Linking field(s) have been reset to original values."},
         "Referential Integrity Update Error",
         B::Ok,
         false},
        {13,
         0,
         {"This record is referenced from the file %1.",
          "This record cannot be deleted while these references exist."},
         "Referential Integrity Delete Error",
         B::Ok,
         false},
        {14,
         0,
         {"An error was experienced during the update of record.", "Error: %1."},
         "Record Insert Error",
         B::Ok,
         false},
        {15,
         0,
         {"An error (%1) occurred when attempting to update a record.", "Probable Cause: %1."},
         "Update Operation Error",
         B::Ok,
         false},
        {15,
         1,
         {"This record was changed by another station."},
         "Update Operation Error",
         B::Ok,
         false},
        {16,
         0,
         {"An error was experienced changing this record.", "Do you want to try to save again?"},
         "Record Update Error",
         B::YesNo,
         false},
        {17,
         0,
         {"Error %1 occurred when deleting a record from %2"},
         "Delete Operation Error",
         B::Ok,
         false},
        {18,
         0,
         {"An error was experienced deleting this record.", "Do you want to try to save it again?"},
         "Record Update Error",
         B::YesNo,
         false},
        {19,
         0,
         {"This procedure was called to insert a record.",
          "Inserts are not allowed for this procedure.",
          "Press OK to return to the calling procedure"},
         "Invalid Request",
         B::Ok,
         false},
        {20,
         0,
         {"This procedure was called to change a record",
          "Changes are not allowed for this procedure.",
          "Press OK to return to the calling procedure"},
         "Invalid Request",
         B::Ok,
         false},
        {21,
         0,
         {"This procedure was called to delete a record",
          "Deletions are not allowed for this procedure.",
          "Press OK to return to the calling procedure"},
         "Invalid Request",
         B::Ok,
         false},
        {22,
         0,
         {"The File %1 was not found.", "Creation of the file is not allowed.",
          "Press OK to end this application."},
         "File Creation Not Allowed",
         B::Ok,
         true},
        {23, 0, {"Are you sure you want to cancel?"}, "Update Cancelled", B::YesNo, false},
        {24,
         0,
         {"Adding this record creates a duplicate entry for the key: %1"},
         "Duplicate Key Error",
         B::Ok,
         false},
        {25,
         0,
         {"Attempts to automatically number this record have failed.", "Error: %1."},
         "Auto Increment Error",
         B::Ok,
         false},
        {26, 0, {"%1 File Load Error.  Error: %2."}, "File Load Error", B::Ok, false},
        {27,
         0,
         {"Are you certain you want to stop loading %1?"},
         "Cancel Request",
         B::YesNo,
         false},
        {28,
         0,
         {"%1 File Load Error.", "The file you've requested contains no text."},
         "File Load Error",
         B::Ok,
         false},
        {29,
         0,
         {"The end of the viewed file was encountered.",
          "Do you want to start again from the beginning?"},
         "End of File Error",
         B::YesNo,
         false},
        {29,
         1,
         {"The beginning of the viewed file was encountered.",
          "Do you want to start again from the end of the file?"},
         "Beginning of File Error",
         B::YesNo,
         false},
        {30, 0, {"File (%1) could not be opened.  Error: %2."}, "File Access Error", B::Ok, false},
        {31,
         0,
         {"An error was experienced changing the %1 file.", "Error: %1."},
         "Process PUT Error",
         B::Ok,
         false},
        {31,
         1,
         {"An error occurred when deleting a record from the %1 file.", "Error: %1"},
         "Process DELETE Error",
         B::Ok,
         false},
        {32,
         0,
         {"You've selected to delete the highlighted record.",
          "Press OK to confirm deletion of this record."},
         "Confirm Delete",
         B::OkCancel,
         false},
        {33,
         0,
         {"Do you want to save the changes to this record?"},
         "Update Cancelled",
         B::YesNoCancel,
         false},
        {34,
         0,
         {"Error: (%1) attempting to frame the %2 transaction on %3.", "%1 transaction cancelled."},
         "Transaction Framing Error",
         B::Ok,
         false},
        {35,
         0,
         {"Error: (%1) attempting to access a record from the %2 file.",
          "Returning to previous window."},
         "Record Retrieval Error",
         B::Ok,
         false},
        {35,
         kReadErrorStays,
         {"Error: (%1) attempting to access a record from the %2 file."},
         "Record Retrieval Error",
         B::Ok,
         false},
        {36,
         0,
         {"Error: (%1) attempting to open the current VIEW.", "Filter and Range Limits ignored."},
         "View Open Error",
         B::Ok,
         false},
        {37,
         0,
         {"This record has been added to the file.", "Do you want to add another record?"},
         "Record Added",
         B::YesNo,
         false},
        {38,
         0,
         {"This record was changed by another station.", "Those changes will now be displayed.",
          "Use the Ditto Button or Ctrl+' to recall your changes."},
         "Record Was Not Updated",
         B::Ok,
         false},
    };
    return table;
}

std::string lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

std::string merge(const std::string& text, const std::string* values, int count) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 1 < text.size() && text[i + 1] >= '1' &&
            text[i + 1] < '1' + count) {
            out += values[text[i + 1] - '1'];
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

}  // namespace

void registerStandardMessages() {
    setStandardMessageCatalogue(&standardMessage);
}

StandardMessage standardMessage(int number, const std::string& p1, const std::string& p2,
                                const std::string& p3, int variant) {
    StandardMessage message;
    message.number = number;
    for (const MessageText& m : messageTable()) {
        if (m.number != number || m.variant != variant) continue;
        const std::string values[] = {p1, p2, p3};
        for (size_t i = 0; i < m.parts.size(); ++i) {
            if (!message.text.empty()) message.text += ' ';
            const std::string part = translateText(m.parts[i]);
            if (number == 34) {
                // The operation word stands in lower case inside the first
                // sentence and opens the second one as given.
                const std::string framing[] = {p1, lower(p2), p3};
                const std::string cancelled[] = {p2};
                message.text += i == 0 ? merge(part, framing, 3) : merge(part, cancelled, 1);
            } else {
                message.text += merge(part, values, 3);
            }
        }
        message.title = translateText(m.title);
        message.buttons = m.buttons;
        message.fatal = m.fatal;
        return message;
    }
    message.title = translateText("Error");
    message.text = "Unknown message " + std::to_string(number);
    return message;
}

StandardMessage numberingRetryQuestion(const std::string& errorText) {
    StandardMessage message = standardMessage(25, errorText);
    message.text += ' ' + translateText("Try again?");
    message.buttons = MessageButtons::YesNo;
    return message;
}

}  // namespace tko
