// The one refusal of a text that does not fit its field, shared by every form
// and by the command line: "Comments can hold at most 2000 characters." Texts
// are never cut to fit; the caller shows the refusal and keeps what was typed.
#pragma once

#include <optional>
#include <string>

namespace tko {

// The translated refusal for `field` (the field's caption as source text,
// translated here) and its width in characters.
std::string fieldTooLongText(const std::string& field, int width);

// That refusal when `text`, trailing blanks aside, has more than `width`
// characters (UTF-8 characters, not bytes); nullopt when it fits.
std::optional<std::string> checkFieldWidth(const std::string& field, const std::string& text,
                                           int width);

}  // namespace tko
