// Characters a one-line text (a name, a title, a short note, a translated
// caption) may not hold: control characters, and the characters that change
// the direction in which the text around them is shown. A pasted U+202E
// (right-to-left override) turns "Anna" into "annA" and reorders every column
// after it in lists and reports; a tab or a line break breaks the columns.
//
// Pure; no Qt. Shared by the program's core and the translator library (one
// rule for every path that writes such texts).
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tko {

// C0 controls (U+0000..U+001F), DEL, C1 controls (U+0080..U+009F), the line
// and paragraph separators (U+2028, U+2029), and the bidirectional controls:
// the marks U+061C, U+200E, U+200F, the embeddings and overrides
// U+202A..U+202E and the isolates U+2066..U+2069.
bool isForbiddenInLine(char32_t c);

// The first such character of the UTF-8 text, or nullopt. Bytes that are no
// valid UTF-8 are skipped (the store takes texts as they come).
std::optional<char32_t> firstForbiddenInLine(std::string_view utf8);

// "U+202E": how a refusal names the character.
std::string codePointName(char32_t c);

}  // namespace tko
