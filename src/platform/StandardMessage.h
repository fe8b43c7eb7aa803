// A numbered standard message as the message box shows it, and where the box
// finds the texts of the numbers: the data layer's catalogue, installed once at
// start-up with setStandardMessageCatalogue() (main(), and the window tests'
// setup). The platform layer itself knows no message texts.
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

// Builds standard message `number` with its parameters; `variant` picks a
// message's second wording.
using StandardMessageCatalogue = StandardMessage (*)(int number, const std::string& p1,
                                                     const std::string& p2, const std::string& p3,
                                                     int variant);
void setStandardMessageCatalogue(StandardMessageCatalogue catalogue);

// Message `number` from the installed catalogue. Without one (a fault of the
// program's start-up) the message still shows, saying which number it is.
StandardMessage catalogueMessage(int number, const std::string& p1 = {}, const std::string& p2 = {},
                                 const std::string& p3 = {}, int variant = 0);

}  // namespace tko
