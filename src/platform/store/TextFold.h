// Text folded for "contains these words" searches: letter case and accents
// removed, so that "muller" finds "Müller" and "LEASE" finds "lease".
//
// Both engines fold the same way: the SQLite engine registers foldText() as
// the SQL function tko_fold on each connection; the server engine defines
// tko_fold as lower(unaccent(...)), which agrees with foldText() on the Latin,
// Greek and Cyrillic letters an office types (ß becomes "ss", ø "o", æ "ae").
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tko::store {

// Name of the folding function in SQL, on both engines.
inline constexpr const char* kFoldFunction = "tko_fold";

// `text` (UTF-8) in lower case without accents; a byte that is not UTF-8
// becomes U+FFFD. Thread-safe.
std::string foldText(std::string_view text);

// The LIKE pattern that finds `word` anywhere in a folded text: the word
// folded, its %, _ and \ escaped with '\', between two %.
std::string containsPattern(std::string_view word);

// Whether a trigram index can look `word` up: folded, it has at least three
// characters.
bool trigramWord(std::string_view word);

// The tokens a full-text search looks for: `typed` folded and cut at every
// character that is not a letter or digit (non-ASCII characters count as
// letters), as the engines' word splitters cut the indexed texts.
std::vector<std::string> searchTokens(std::string_view typed);
// The same cut without folding (for an engine that folds the words itself).
std::vector<std::string> splitTokens(std::string_view text);

}  // namespace tko::store
