// Text between the store and Qt: the store keeps UTF-8 std::string, windows
// and reports show QString. One definition of each conversion for every
// window and report file.
#pragma once

#include <QString>
#include <string>

namespace tko {

// `text` (UTF-8) as a QString, unchanged.
QString qs(const std::string& text);
// A fixed-width field's text as shown: trailing blanks clipped.
QString qsClipped(const std::string& text);

// A memo as an editor shows it, and back: memos keep line ends as carriage
// returns followed by line feeds.
QString memoToText(const std::string& memo);
std::string textToMemo(const QString& text);

// `source` in the user's language (translateText(), Translate.h).
QString translated(const char* source);
QString translated(const QString& source);

}  // namespace tko
