// Accessible names for every window: a screen reader reads each control by
// its prompt, its caption or its tool tip (platform/AccessibleText.h), so
// that no window needs to name its controls one by one.
//
// translateWindow() names the controls of every window it translates, after
// the translation, so the names are in the user's language. GUI thread only.
#pragma once

#include <QStringList>

class QWidget;

namespace tko {

// Gives every control of `window` (its own, not those of windows inside it)
// that has no accessible name one: the text of the label whose buddy it is,
// else of the label in front of it in its layout, beside it in its grid or of
// its form row's prompt, else its own caption, else its tool tip; a list, a
// table or a tab widget without any takes the window's title. Its tool tip
// becomes its description. Names given here are given again on the next call
// (a new language); names a window set itself are kept.
void nameControls(QWidget* window);

// The controls of `window` that take the keyboard focus and still have no
// name a screen reader could read, as "objectName (class)"; empty when all
// have one.
QStringList namelessControls(QWidget* window);

}  // namespace tko
