// Row filters that engines turn into their query language, so that a list's
// selection runs inside the database along the key being read instead of row
// by row in the program.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/store/Schema.h"

namespace tko::store {

struct Filter {
    enum class Kind { All, Compare, And, Or, Not, Exists, Contains, Matches, Substring };
    // Same: equal letter for letter (letter case counts), where Eq compares
    // texts as keys do, without regard to case.
    enum class Op { Eq, Ne, Lt, Le, Gt, Ge, Same };

    Kind kind = Kind::All;

    // Compare: `field` of the filtered table against `value`.
    std::string field;
    Op op = Op::Eq;
    Value value;

    // Contains: the text `field` holds `value` (a word) anywhere, letter case
    // and accents aside (see TextFold.h).
    // Matches: the text index `field` (TextIndexDef::label) holds every word
    // of `value` (splitWords()), each as a word or the start of one; with
    // `firstRows` > 0, see matchesFirst().
    // Substring: the substring index `field` (TextIndexDef::substrings) holds
    // `value` in one of its texts, letter case and accents aside, as Contains
    // tests a single column; with `firstRows` > 0, only the first that many
    // such rows in stored order (for counting up to a bound).
    int firstRows = 0;

    // And / Or / Not: the operands (Not takes one). Exists: children[0], if
    // present, is the condition on the inner table's row.
    std::vector<Filter> children;

    // Exists: some row of `table` whose linked fields equal the outer row's.
    const TableDef* table = nullptr;
    std::vector<std::pair<std::string, std::string>> links;  // {inner field, outer field}

    bool isAll() const { return kind == Kind::All; }
};

Filter all();
Filter compare(std::string field, Filter::Op op, Value value);
inline Filter eq(std::string f, Value v) {
    return compare(std::move(f), Filter::Op::Eq, std::move(v));
}
inline Filter same(std::string f, Value v) {
    return compare(std::move(f), Filter::Op::Same, std::move(v));
}
inline Filter ne(std::string f, Value v) {
    return compare(std::move(f), Filter::Op::Ne, std::move(v));
}
inline Filter lt(std::string f, Value v) {
    return compare(std::move(f), Filter::Op::Lt, std::move(v));
}
inline Filter le(std::string f, Value v) {
    return compare(std::move(f), Filter::Op::Le, std::move(v));
}
inline Filter gt(std::string f, Value v) {
    return compare(std::move(f), Filter::Op::Gt, std::move(v));
}
inline Filter ge(std::string f, Value v) {
    return compare(std::move(f), Filter::Op::Ge, std::move(v));
}
// Operands that are All are dropped; allOf() of nothing is All, anyOf() of
// nothing matches no row.
Filter allOf(std::vector<Filter> operands);
Filter anyOf(std::vector<Filter> operands);
Filter negate(Filter operand);
// `field` (a text or memo) holds `word` anywhere, letter case and accents
// aside. An empty word matches every row.
Filter contains(std::string field, std::string word);
// The rows whose text index `indexLabel` holds every word of `typed`, each
// as a whole word or the start of one, letter case and accents aside. No
// words: no row.
Filter matches(std::string indexLabel, std::string typed);
// matches() for a read in stored order of at most `rows` rows whose filter is
// allOf({within, ...}): only the first `rows` rows, in stored order, that
// satisfy `within` and whose index holds the words are certain to pass, which
// is all such a read can return. The engine finds them from the index's side,
// restricted by `within` there, and stops after `rows`: a word that most rows
// hold then costs `rows`, not the table, and a rare one costs its matches.
Filter matchesFirst(std::string indexLabel, std::string typed, Filter within, int rows);

// The rows whose substring index `indexLabel` holds `word` (see
// Filter::Kind::Substring); with `firstRows` > 0, at most the first that many.
// A word of fewer than three letters, which a trigram index cannot look up,
// keeps every row.
Filter substring(std::string indexLabel, std::string word, int firstRows = 0);

// The words typed into a list's filter box as a filter over `fields` of
// `table`: every word must be held by one of the fields (texts and memos;
// other fields and unknown names are passed over). Words are separated by
// blanks; a part in double quotes is one word, blanks and all. No words, or
// no text field: every row.
Filter wordsFilter(const TableDef& table, const std::vector<std::string>& fields,
                   std::string_view typed);
// The words of `typed` as wordsFilter() splits them.
std::vector<std::string> splitWords(std::string_view typed);

Filter exists(const TableDef& table, std::vector<std::pair<std::string, std::string>> links,
              Filter where = all());

}  // namespace tko::store
