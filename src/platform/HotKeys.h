// Hot keys for a row of buttons whose captions come from the translator, such
// as the buttons of a message box: every button can be pressed by a letter.
#pragma once

#include <QStringList>

namespace tko {

// The captions with a hot key marked by '&' in each: the first letter or digit
// of the caption that no earlier caption of the row has taken, in any case
// ("Yes", "No", "Cancel" -> "&Yes", "&No", "&Cancel"; "Nein", "Nicht" ->
// "&Nein", "N&icht"). A caption that marks its own hot key keeps it when the
// key is still free; a literal '&' is doubled. A caption with no free letter
// gets no hot key.
QStringList withHotKeys(const QStringList& captions);

}  // namespace tko
