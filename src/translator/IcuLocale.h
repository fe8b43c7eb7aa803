// Locale data from ICU for the Intl group: numeric locale identifiers, the
// "valid" and "installed" checks, and the fill of every locale field.
#pragma once

#include "translator/Lingua.h"

#include <QByteArray>
#include <QString>

#include <cstdint>

namespace lingua {

// ICU name ("en_US") of a numeric locale identifier; 0 is the user's default
// locale. Empty when ICU knows no such identifier.
QByteArray localeNameForLcid(std::uint32_t lcid);
// Numeric identifier of an ICU locale name; 0 when there is none.
std::uint32_t lcidForLocaleName(const QByteArray& name);

// 0 when ICU knows the identifier and has data for it; 17 (known without
// data) or 18 (unknown) otherwise.
std::uint16_t checkLcid(std::uint32_t lcid);

// Fills every locale field of the group from the locale (identifier 0: the
// user's default locale); CurrLCID, EntryFlags, DisplayFlags and the picture
// options are left as they are, and CurrLCID picks the currency locale.
// Returns the state code.
std::uint16_t fillGroupFromLocale(IntlGroup& group, std::uint32_t lcid);
// The same for an ICU locale name ("de_DE").
std::uint16_t fillGroupFromLocaleName(IntlGroup& group, const QByteArray& name);

// ICU date pattern ("EEEE, d. MMMM y") in the program's day/month/year letter
// notation ("dddd, d. MMMM yyyy"); `fourDigitYear` turns every year into yyyy.
QString fromIcuPattern(const QString& icuPattern, bool fourDigitYear);

}  // namespace lingua
