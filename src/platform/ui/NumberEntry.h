// Number entries that refuse what no number can hold as it is typed (a
// letter in "Back Up Hours:"), instead of only when "OK" reads the field.
// The rule is numberEntryAccepts() (platform/Picture.h). GUI thread only.
#pragma once

#include <QString>

class QLineEdit;

namespace tko {

// Gives `edit` a validator that follows `picture` ("@n-6", "@n1"); the
// edit's "picture" property is set to it as well.
void restrictToNumber(QLineEdit* edit, const QString& picture);

}  // namespace tko
