// The numbered standard messages with which table operations and forms report
// failures and ask for confirmation. Logic builds a StandardMessage; the window
// layer shows it.
#pragma once

#include <string>

#include "platform/StandardMessage.h"
#include "platform/Translate.h"

namespace tko {

// Standard message `number` (1 to 38), its parts translated one by one, merged
// and joined with one blank. `variant` picks the second wording of messages 15
// (changed by another station), 29 (beginning of file), 31 (delete) and 35
// (kReadErrorStays).
StandardMessage standardMessage(int number, const std::string& p1 = {}, const std::string& p2 = {},
                                const std::string& p3 = {}, int variant = 0);

// The variant of message 35 ("Error: (%1) attempting to access a record from
// the %2 file.") without "Returning to previous window.": for a window that
// stays open after the error, and for logic whose caller decides (a form that
// stays open, the command line).
inline constexpr int kReadErrorStays = 1;

// Message 25 after three failed numbering attempts, asked as a question:
// its text ends with "Try again?" and Yes makes three more attempts.
StandardMessage numberingRetryQuestion(const std::string& errorText);

// Makes these messages the message box's catalogue (StandardMessage.h); called
// once at start-up.
void registerStandardMessages();

}  // namespace tko
