// Files that the user names in a save dialog: the name as the user meant it,
// and a copy written the way the user's other files are written.
#pragma once

#include <QString>

namespace tko {

// `chosen` with ".`extension`" added when its file name has none ("notes" ->
// "notes.txt"); a name with any extension ("notes.md", "notes.TXT") stays as
// typed. Dots in folder names do not count, nor does a leading dot (a hidden
// file "profile" still gets the extension: ".profile.txt"), nor a trailing
// one ("notes." -> "notes.txt"). An empty name stays empty.
QString withDefaultExtension(const QString& chosen, const QString& extension);

// The file that writing output to `fileName` would replace: `fileName` when
// it names an existing file, else empty (nothing to ask). A print to a PDF
// file asks before it replaces one.
QString fileToBeReplaced(const QString& fileName);

// Copies the file `from` to `to`, replacing `to` only once the whole copy is
// written (a failed copy leaves an existing file as it was). A new file gets
// the user's normal permissions (0666 less the umask); a replaced one keeps
// its own. Returns an error text, empty on success.
QString copyToUserFile(const QString& from, const QString& to);

}  // namespace tko
