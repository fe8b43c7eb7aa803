// The numbered standard messages with which table operations and forms report
// failures and ask for confirmation. Logic builds a StandardMessage; the window
// layer shows it.
#pragma once

#include <string>

#include "platform/Translate.h"

namespace tko {

// YesCancel asks with Cancel as the default button (questions whose Yes cannot be undone).
enum class MessageButtons { Ok, YesNo, OkCancel, YesNoCancel, YesCancel };

struct StandardMessage {
    int number = 0;
    std::string title;
    std::string text;
    MessageButtons buttons = MessageButtons::Ok;
    bool fatal = false;  // the program ends after the box is closed
};

// Replaces every "%1", "%2", "%3" of `text` by the values, in one pass, so that a
// value holding a placeholder is never merged again.
std::string mergeParameters(const std::string& text, const std::string& p1,
                            const std::string& p2 = {}, const std::string& p3 = {});

// Standard message `number` (1 to 38), its parts translated one by one, merged
// and joined with one blank. `variant` picks the second wording of messages 15
// (changed by another station), 29 (beginning of file) and 31 (delete).
StandardMessage standardMessage(int number, const std::string& p1 = {}, const std::string& p2 = {},
                                const std::string& p3 = {}, int variant = 0);

// Message 25 after three failed numbering attempts, asked as a question:
// its text ends with "Try again?" and Yes makes three more attempts.
StandardMessage numberingRetryQuestion(const std::string& errorText);

}  // namespace tko
