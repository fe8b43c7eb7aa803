// The one refusal of a text that does not fit its field, shared by every form
// and by the command line: "Comments can hold at most 2000 characters." Texts
// are never cut to fit; the caller shows the refusal and keeps what was typed.
#pragma once

#include <optional>
#include <string>

#include "platform/store/Schema.h"
#include "platform/store/Status.h"

namespace tko {

// The refusal of a one-line text (`field` its caption as source text) that
// holds a control or text-direction character (platform/LineText.h), the
// character named: "Name may not hold control or direction characters
// (U+202E)."; nullopt when it holds none. Forms, the command line and the
// store's own guard (checkRowText) all refuse with it; nothing is cut out.
std::optional<std::string> checkLineText(const std::string& field, const std::string& text);

// The store's guard before a record is written, on every path: the first
// text field of `row` (memos aside) that checkLineText() refuses, as a
// kInvalidArgument status naming the field by its label ("ASS:NAME"). With
// `stored` (the record as it is in the store) a field that holds what it held
// already passes, so that a record written before this rule can still be
// concluded, marked seen or mended.
store::Status checkRowText(const store::TableDef& table, const store::Row& row,
                           const store::Row* stored = nullptr);

// The translated refusal for `field` (the field's caption as source text,
// translated here) and its width in characters.
std::string fieldTooLongText(const std::string& field, int width);

// That refusal when `text`, trailing blanks aside, has more than `width`
// characters (UTF-8 characters, not bytes); nullopt when it fits.
std::optional<std::string> checkFieldWidth(const std::string& field, const std::string& text,
                                           int width);

}  // namespace tko
