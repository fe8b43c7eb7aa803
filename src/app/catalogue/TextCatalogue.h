// The catalogue of every text the program shows: it opens every window of the
// program offscreen (the log-in window, the main frame, every menu item and
// every registered procedure) on a demo office, with the translator library
// recording each text it meets, and adds the standard messages. The result is
// written as the PO template lang/taskorbit.pot, from which En_tkom.ltf is
// made, so that a translator has every text before the program first runs.
//
// Run against a translated language file instead, the same walk finds the
// texts that file lacks and the hot keys used twice in one window or menu.
//
// GUI thread only; needs a QApplication (the offscreen platform will do).
#pragma once

#include <QMap>
#include <QString>
#include <QStringList>

namespace tko {

struct CatalogueEntry {
    QString entryType;   // "Text", "MenuItem", ... as recorded by the translator
    QString text;        // the source text without its hot-key mark
    QString hotKey;      // "" or the hot-key character
    QStringList places;  // the windows or steps where the text was met
};

struct TextCatalogue {
    bool ok = false;
    QString error;                          // why the walk could not run
    QMap<QString, CatalogueEntry> entries;  // by catalogueKey()
    QStringList hotKeyClashes;              // "place: &X on "A" and "B""
    QStringList namelessControls;           // "place: control (class)" a screen reader cannot name
};

// Entries are told apart by entry type (in any case) and text.
QString catalogueKey(const QString& entryType, const QString& text);

// Opens every window with the translator on a copy of `languageFile` (an
// empty file when blank) and returns every text met that the file does not
// translate, with where it was met. `workDir` receives the demo office.
// With `sourceDir`, the program texts that the source hands to the
// translator as literals (translateText("..."), MessageBox::showText, the
// texts of refusals and named text constants of more than one word) are
// added too: messages that only a particular input brings up.
// With `shotsDir`, a PNG of every window met is saved there as well.
TextCatalogue collectProgramTexts(const QString& workDir, const QString& languageFile = {},
                                  const QString& sourceDir = {}, const QString& shotsDir = {});

// The texts the window tests recorded in `folder` (one language file per test
// process, see tests/support/QtTestSetup.cpp), plus the source's literal
// texts (sourceLiteralTexts), by catalogueKey(); each entry's places name the
// test programs or files that met it. Data the windows showed is left out:
// texts without a letter, dates and times, a text with a number or a quoted
// input that the source does not write ("Page 1 of 5": its template was
// looked up), and
// names and notes that only the tests (`sourceDir`/../tests) or the demo
// office write. Fails when the folder holds
// no recording.
bool recordedTexts(const QString& folder, const QString& sourceDir,
                   QMap<QString, CatalogueEntry>& entries, QString* error);

// The literal texts of the C++ files under `sourceDir` (see above), by file
// name relative to it.
QMap<QString, QStringList> sourceLiteralTexts(const QString& sourceDir);

// Writes the entries as a PO template (blank translations, the places as
// comments).
bool writeCatalogue(const TextCatalogue& catalogue, const QString& potFile, QString* error);

// The entries of a PO file (template or translation) with their
// translations: key -> translation ("" when untranslated).
bool readCatalogue(const QString& poFile, QMap<QString, QString>& translations,
                   QMap<QString, CatalogueEntry>* entries, QString* error);

}  // namespace tko
