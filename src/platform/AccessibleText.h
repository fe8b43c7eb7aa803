// The name and description a screen reader reads for a control, from the
// texts the window already shows: the control's prompt (its label), its own
// caption (a button or check box) and its tool tip.
#pragma once

#include <QString>

namespace tko {

// A caption as it is read aloud: without its hot-key mark ("&&" stays one
// "&"), a trailing colon and surrounding blanks ("&Due Date:" -> "Due Date").
QString spokenCaption(const QString& caption);

// The control's name: its prompt, else its own caption, else its tool tip,
// whichever is first to hold a letter or digit once spoken ("..." or "<<"
// name nothing). Empty when none does.
QString accessibleNameFrom(const QString& prompt, const QString& caption, const QString& toolTip);

// The control's description: its tool tip, unless that is already its name.
QString accessibleDescriptionFrom(const QString& name, const QString& toolTip);

}  // namespace tko
