#include "views/Search.h"

#include <algorithm>
#include <iterator>

#include "access/Access.h"
#include "people/GroupLists.h"
#include "platform/store/NameCollation.h"
#include "platform/store/TextFold.h"

namespace tko {

namespace {

// How many candidates of a kind the store hands over for ranking: the best
// of these are shown. A word found in thousands of records ranks the first
// ones in stored order; a more telling word narrows them. The index gives
// the candidates first (store::matchesFirst), so a common word costs these,
// not the office.
constexpr int kCandidates = 500;

// Whether some token of `text` starts with one of `tokens`.
bool holdsToken(const std::string& text, const std::vector<std::string>& tokens) {
    for (const std::string& word : store::searchTokens(text))
        for (const std::string& token : tokens)
            if (word.compare(0, token.size(), token) == 0) return true;
    return false;
}

// The score of a record: each token found in the title counts ten, found in
// any other text one per text.
int scoreOf(const std::string& title, const std::vector<const std::string*>& texts,
            const std::vector<std::string>& tokens) {
    int score = 0;
    for (const std::string& token : tokens) {
        const std::vector<std::string> one{token};
        if (holdsToken(title, one)) score += 10;
        for (const std::string* text : texts)
            if (holdsToken(*text, one)) ++score;
    }
    return score;
}

// The snippet from the first text that holds a token, the title aside
// unless nothing else does.
std::string firstSnippet(const std::string& title, const std::vector<const std::string*>& texts,
                         std::string_view typed) {
    for (const std::string* text : texts) {
        std::string snippet = snippetOf(*text, typed);
        if (!snippet.empty()) return snippet;
    }
    return snippetOf(title, typed);
}

template <class Record>
Status readCandidates(Database& db, const store::Filter& filter, std::vector<Record>& out) {
    store::ReadRequest request;
    request.filter = filter;
    request.limit = kCandidates;
    request.withMemos = true;
    const Status s = db.read(request, out);
    if (s.endOfRange()) {
        out.clear();
        return Status::success();
    }
    return s;
}

// `more` merged into `rows`, both in stored order: each record once, the
// first kCandidates kept.
template <class Record>
void mergeByPosition(std::vector<Record>& rows, std::vector<Record> more) {
    if (more.empty()) return;
    std::vector<Record> merged;
    merged.reserve(rows.size() + more.size());
    auto byPosition = [](const Record& a, const Record& b) { return a.rowPos < b.rowPos; };
    std::merge(std::make_move_iterator(rows.begin()), std::make_move_iterator(rows.end()),
               std::make_move_iterator(more.begin()), std::make_move_iterator(more.end()),
               std::back_inserter(merged), byPosition);
    merged.erase(std::unique(merged.begin(), merged.end(),
                             [](const Record& a, const Record& b) { return a.rowPos == b.rowPos; }),
                 merged.end());
    if (merged.size() > static_cast<size_t>(kCandidates)) merged.resize(kCandidates);
    rows = std::move(merged);
}

void addHit(std::vector<SearchHit>& hits, SearchKind kind, const std::string& table,
            std::int32_t number, std::string title, std::string snippet, int score,
            std::int64_t rowPos) {
    SearchHit hit;
    hit.kind = kind;
    hit.table = table;
    hit.number = number;
    hit.title = std::move(title);
    hit.snippet = std::move(snippet);
    hit.score = score;
    hit.rowPos = rowPos;
    hits.push_back(std::move(hit));
}

// Best first, then by title in natural order, then by number.
void rank(std::vector<SearchHit>& hits, size_t most) {
    std::sort(hits.begin(), hits.end(), [](const SearchHit& a, const SearchHit& b) {
        if (a.score != b.score) return a.score > b.score;
        const int order = compareNatural(a.title, b.title);
        if (order != 0) return order < 0;
        return a.number < b.number;
    });
    if (hits.size() > most) hits.resize(most);
}

}  // namespace

const char* searchKindCaption(SearchKind kind) {
    switch (kind) {
        case SearchKind::Assignment:
            return "Assignments";
        case SearchKind::Person:
            return "People";
        case SearchKind::Project:
            return "Projects";
        case SearchKind::GroupList:
            return "Group Lists";
    }
    return "";
}

Status searchOffice(Database& db, const Session& session, std::string_view typed, size_t perKind,
                    std::vector<SearchHit>& out) {
    out.clear();
    const std::vector<std::string> tokens = store::searchTokens(typed);
    if (tokens.empty() || perKind == 0) return Status::success();
    access::Viewer viewer;
    Status s = access::loadViewer(db, session, viewer);
    if (!s.ok()) return s;
    const std::string words(typed);

    // Assignments of the General list: by their open texts, or by their
    // confidential comments where the user may read those.
    {
        std::vector<Assignment> found;
        // The open texts and the confidential comments are read apart, each
        // from its own index, and the first candidates of both kept: one
        // read of either would leave the engines no index to start from.
        const store::Filter visible = access::visibleAssignments(viewer);
        const store::Filter confidential =
            store::allOf({visible, access::confidentialReadable(viewer)});
        s = readCandidates(
            db,
            store::allOf({visible, store::matchesFirst("ASS:TEXT", words, visible, kCandidates)}),
            found);
        std::vector<Assignment> inConfidential;
        if (s.ok())
            s = readCandidates(
                db,
                store::allOf({confidential, store::matchesFirst("ASS:CONFTEXT", words, confidential,
                                                                kCandidates)}),
                inConfidential);
        mergeByPosition(found, std::move(inConfidential));
        if (!s.ok()) return s;
        std::vector<SearchHit> hits;
        for (const Assignment& a : found) {
            // The rule for the record in hand, beside the filter that chose it.
            if (!access::maySeeAssignment(a, viewer)) continue;
            std::vector<const std::string*> texts{&a.GENERALMEMO, &a.ASSIGNMEMO, &a.LOG};
            if (access::mayReadConfidential(a, viewer)) texts.push_back(&a.CONFMEMO);
            const int score = scoreOf(a.NAME, texts, tokens);
            if (score == 0) continue;  // matched only in a text he may not read
            addHit(hits, SearchKind::Assignment, "ASSIGNMENT", a.ASSIGNNUMBER, a.NAME,
                   firstSnippet(a.NAME, texts, typed), score, a.rowPos);
        }
        rank(hits, perKind);
        out.insert(out.end(), hits.begin(), hits.end());
    }

    // People of the address book.
    {
        std::vector<Person> found;
        const store::Filter visible = access::visiblePeople(viewer);
        s = readCandidates(
            db,
            store::allOf({visible, store::matchesFirst("PEO:TEXT", words, visible, kCandidates)}),
            found);
        if (!s.ok()) return s;
        std::vector<SearchHit> hits;
        for (const Person& p : found) {
            const std::vector<const std::string*> texts{
                &p.FIRSTNAME, &p.LASTNAME, &p.ORGANIZATION, &p.EMAIL, &p.PHONENUMBER, &p.COMMENTS};
            const int score = scoreOf(p.SHORTNAME, texts, tokens);
            if (score == 0) continue;
            addHit(hits, SearchKind::Person, "PEOPLE", p.PERSONNUMBER, p.SHORTNAME,
                   firstSnippet(p.SHORTNAME, texts, typed), score, p.rowPos);
        }
        rank(hits, perKind);
        out.insert(out.end(), hits.begin(), hits.end());
    }

    // Projects.
    {
        std::vector<Project> found;
        const store::Filter visible = access::visibleProjects(viewer);
        s = readCandidates(
            db,
            store::allOf({visible, store::matchesFirst("PRO:TEXT", words, visible, kCandidates)}),
            found);
        if (!s.ok()) return s;
        std::vector<SearchHit> hits;
        for (const Project& p : found) {
            const std::vector<const std::string*> texts{&p.NOTE};
            const int score = scoreOf(p.NAME, texts, tokens);
            if (score == 0) continue;
            addHit(hits, SearchKind::Project, "PROJECT", p.PROJNUMBER, p.NAME,
                   firstSnippet(p.NAME, texts, typed), score, p.rowPos);
        }
        rank(hits, perKind);
        out.insert(out.end(), hits.begin(), hits.end());
    }

    // Group lists of the Group Lists screen, by any part of their names.
    {
        std::vector<GroupName> found;
        s = readCandidates(
            db,
            store::allOf({groupListFilter(session),
                          store::wordsFilter(GroupName::def(), {"GROUPNAME"}, typed)}),
            found);
        if (!s.ok()) return s;
        std::vector<SearchHit> hits;
        for (const GroupName& g : found)
            addHit(hits, SearchKind::GroupList, "GROUPNAME", g.GROUPNUMBER, g.GROUPNAME,
                   g.GROUPNAME, scoreOf(g.GROUPNAME, {}, tokens), g.rowPos);
        rank(hits, perKind);
        out.insert(out.end(), hits.begin(), hits.end());
    }
    return Status::success();
}

int compareNatural(std::string_view a, std::string_view b) {
    auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
    size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        if (isDigit(a[i]) && isDigit(b[j])) {
            size_t ei = i, ej = j;
            while (ei < a.size() && isDigit(a[ei])) ++ei;
            while (ej < b.size() && isDigit(b[ej])) ++ej;
            // Leading zeros aside, a longer run is a larger number.
            std::string_view x = a.substr(i, ei - i), y = b.substr(j, ej - j);
            while (x.size() > 1 && x.front() == '0') x.remove_prefix(1);
            while (y.size() > 1 && y.front() == '0') y.remove_prefix(1);
            if (x.size() != y.size()) return x.size() < y.size() ? -1 : 1;
            if (const int c = x.compare(y); c != 0) return c < 0 ? -1 : 1;
            i = ei;
            j = ej;
            continue;
        }
        size_t ei = i, ej = j;
        while (ei < a.size() && !isDigit(a[ei])) ++ei;
        while (ej < b.size() && !isDigit(b[ej])) ++ej;
        const std::string_view x = a.substr(i, ei - i), y = b.substr(j, ej - j);
        // A text run against a number: the texts' order decides.
        if (x.empty() || y.empty())
            return store::compareNames(a.substr(i), b.substr(j)) < 0 ? -1 : 1;
        if (const int c = store::compareNames(x, y); c != 0) return c < 0 ? -1 : 1;
        i = ei;
        j = ej;
    }
    if (i == a.size() && j == b.size()) return store::compareNames(a, b);
    return i == a.size() ? -1 : 1;
}

std::string snippetOf(const std::string& text, std::string_view typed, size_t words) {
    const std::vector<std::string> tokens = store::searchTokens(typed);
    std::vector<std::string> all;
    std::string word;
    for (const char ch : text) {
        if (ch == ' ' || ch == '\t' || ch == '\n' || ch == '\r') {
            if (!word.empty()) all.push_back(std::move(word));
            word.clear();
        } else {
            word += ch;
        }
    }
    if (!word.empty()) all.push_back(std::move(word));
    size_t hit = all.size();
    for (size_t i = 0; i < all.size() && hit == all.size(); ++i)
        if (holdsToken(all[i], tokens)) hit = i;
    if (hit == all.size() || words == 0) return {};
    const size_t before = std::min(hit, words / 3);
    const size_t first = hit - before;
    const size_t last = std::min(all.size(), first + words);
    std::string snippet = first > 0 ? "… " : "";
    for (size_t i = first; i < last; ++i) snippet += (i > first ? " " : "") + all[i];
    if (last < all.size()) snippet += " …";
    return snippet;
}

}  // namespace tko
