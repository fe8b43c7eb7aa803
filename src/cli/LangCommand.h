// taskorbit-cli lang: language files for translators.
//   lang export LANGFILE FILE.po   every entry of the language file as a PO file
//   lang import LANGFILE FILE.po   fill replacements from a translated PO file
#pragma once

#include <QStringList>
#include <QTextStream>

// `args` are the words after "lang". Returns 0 on success, 2 when an import
// could not place some entries (they are listed on err), 1 on failure and 64
// on a usage error.
int runLangCommand(const QStringList& args, QTextStream& out, QTextStream& err);
