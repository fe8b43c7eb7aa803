// The user's choice of language: the language files found beside the program
// and, per user, the one chosen last.
//
// The choice lives in the station's TASKORBM.INI, section "Language": key
// "Last" (file name and locale of the last choice made on this station, used
// at start-up before anyone has logged in) and one key per user name (that
// user's own choice, applied once the user has logged in). It is kept on the
// station rather than in the shared data because the log-in window itself
// must already be in the chosen language, before any user is known.
#pragma once

#include <QList>
#include <QString>

#include <cstdint>

namespace tko {

struct LanguageOption {
    QString name;            // the language's own name: "English", "Deutsch"
    QString file;            // absolute path of the language file
    std::uint32_t lcid = 0;  // locale of its dates and numbers (0x0407 German); 0 none
};

// The language files "<Xx>_tkom.ltf" in `programDir`, English first, then by
// name; at most six (the selection window's buttons).
QList<LanguageOption> languagesBeside(const QString& programDir);

// The language code of a language file "<Xx>_tkom.ltf" in lower case ("de"
// for De_tkom.ltf): the name under which Qt's own translations and the help
// pages of that language are found. Empty for a file not named so.
QString languageCodeOfFile(const QString& file);

// The selection window's configuration: "icon,name,file|..."; files whose
// path holds ',' or '|' cannot be named there and are left out.
QString languageConfig(const QList<LanguageOption>& options);
// The locales of the entries of languageConfig(), in the same order.
QList<std::uint32_t> languageLocales(const QList<LanguageOption>& options);

struct StoredLanguage {
    QString file;  // a file name beside the program; empty when none chosen
    std::uint32_t lcid = 0;
};

// The stored choice of `user` (clipped, any case), or with an empty user the
// station's last choice.
StoredLanguage storedLanguage(const QString& iniPath, const QString& user);
// Stores the choice for `user` and as the station's last choice.
void storeLanguage(const QString& iniPath, const QString& user, const StoredLanguage& choice);

// The language file to start with: the stored last choice when that file is
// beside the program, else En_tkom.ltf.
QString startLanguageFile(const QString& programDir, const QString& iniPath);

}  // namespace tko
