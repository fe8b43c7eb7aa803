// Language files as gettext PO files, so that translators can use the usual
// translation tools.
//
// Each record becomes one PO entry: the entry type as msgctxt, the source text
// as msgid and the replacement as msgstr. For entry types with hot keys (Text,
// Menu, MenuItem) the hot key is marked with '&' before its character and a
// literal '&' is written "&&"; other types are written as they are.
#pragma once

#include <QString>
#include <QStringList>

namespace lingua {

struct PoResult {
    bool ok = false;
    QString error;         // why the whole operation failed
    int entries = 0;       // entries written (export) or filled (import)
    int skipped = 0;       // untranslated or fuzzy entries of an import
    QStringList unplaced;  // import: "line N: msgid ...: reason"
};

// Writes every record of the language file into the PO file.
PoResult exportPo(const QString& languageFile, const QString& poFile);

enum class PoImportMode {
    FillExisting,  // fill replacements of records already in the language file
    AddAll,        // also add records missing from it (untranslated ones too)
};

// Reads a translated PO file into the language file, in one transaction. A
// PO file with a syntax error changes nothing.
PoResult importPo(const QString& languageFile, const QString& poFile,
                  PoImportMode mode = PoImportMode::FillExisting);

// Whether texts of this entry type carry a hot key in PO files (Text, Menu,
// MenuItem).
bool takesHotKey(const QString& entryType);
// A text as a quoted PO string.
QString poQuoted(const QString& text);

// A text with its hot key marked ("&File"); `caseInsensitive` finds the hot
// key character in either case.
QString markHotKey(const QString& text, const QString& hotKey, bool caseInsensitive);
// The reverse: the text without marks and its hot-key character ("" if none).
void splitHotKey(const QString& marked, QString* text, QString* hotKey);

}  // namespace lingua
