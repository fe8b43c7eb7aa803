// The word search over the office (Edit > Find, taskorbit-cli find): the
// assignments, people, projects and group lists whose texts hold every word
// typed, each kind through the store filter of the list it would be opened
// from, so that nobody finds what the access module hides from him.
//
// What is searched: assignments by name, general and assignee comments and
// the log, and by their confidential comments only where the user may read
// them; people by short, first and last name, organisation, e-mail, phone and
// comments; projects by name and notes; group lists by name. Words match the
// start of a word (letter case and accents aside) through the engines' text
// indexes; group lists, a short table, by any part of the name.
//
// GUI-free; results come grouped by kind, best first.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "data/Database.h"
#include "data/Session.h"

namespace tko {

enum class SearchKind { Assignment, Person, Project, GroupList };

struct SearchHit {
    SearchKind kind = SearchKind::Assignment;
    std::string table;        // "ASSIGNMENT", "PEOPLE", "PROJECT", "GROUPNAME"
    std::int32_t number = 0;  // ASSIGNNUMBER, PERSONNUMBER, PROJNUMBER, GROUPNUMBER
    std::string title;        // the assignment's, project's or group's name; the short name
    std::string snippet;      // the words around the first match, from a text he may read
    int score = 0;            // higher is better: matches in the title count most
    std::int64_t rowPos = 0;  // the record's row, to open its form
};

// The label of a kind in the results ("Assignments", ...; a source text).
const char* searchKindCaption(SearchKind kind);

// The hits for `typed` that the signed-in user of `session` may see, grouped
// by kind (assignments, people, projects, group lists), best first within a
// kind, then in the natural order of their titles; at most `perKind` of each.
// No word to look for gives no hits.
Status searchOffice(Database& db, const Session& session, std::string_view typed, size_t perKind,
                    std::vector<SearchHit>& out);

// Names in the order people expect: runs of digits compare by their value
// ("Task 4" before "Task 39"), the rest as names compare (letter case aside).
// <0, 0, >0.
int compareNatural(std::string_view a, std::string_view b);

// The words of `text` around the first one that starts with a token of
// `typed` (searchTokens()), at most `words` of them, "…" marking a cut; empty
// when no word of `text` matches.
std::string snippetOf(const std::string& text, std::string_view typed, size_t words = 10);

}  // namespace tko
