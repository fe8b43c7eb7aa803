// "UserLanguageSelect": the user picks one of the language files beside the
// program; the choice is kept for the user (LanguageChoice.h), every open
// window is translated into it at once, and it is used at the next start.
#pragma once

#include <QString>

#include <cstdint>

namespace tko {

class Procedures;
struct Workspace;

void registerLanguageProcedure(Procedures& procedures);

// Makes `file` the language and `lcid` (0: keep) the locale of dates and
// numbers, and translates every open window again. A file that cannot be
// used leaves the previous language in force; false then.
bool switchLanguage(const QString& file, std::uint32_t lcid);

// For the language of the language file `file` (the one now in use): Qt's
// own translations (the texts of its print, page set-up and file dialogs and
// of standard buttons) in place of those loaded before, and the help pages
// of that language. English needs no translations.
void useLanguageResources(const QString& file);

// After log-in: the user's own stored language, when it differs from the
// one in use.
void applyUserLanguage(const Workspace& workspace);

}  // namespace tko
