#include "platform/store/Filter.h"

#include <algorithm>

#include "platform/store/TextFold.h"

namespace tko::store {

Filter all() {
    return Filter{};
}

Filter compare(std::string field, Filter::Op op, Value value) {
    Filter f;
    f.kind = Filter::Kind::Compare;
    f.field = std::move(field);
    f.op = op;
    f.value = std::move(value);
    return f;
}

namespace {
Filter combine(Filter::Kind kind, std::vector<Filter> operands) {
    Filter f;
    f.kind = kind;
    for (Filter& op : operands) {
        if (op.isAll()) continue;
        // A conjunction inside a conjunction is taken apart, so that the
        // store sees every top-level test of a read (the equalities that pick
        // its index) however the filter was put together.
        if (op.kind == kind && kind == Filter::Kind::And && !op.children.empty()) {
            for (Filter& child : op.children) f.children.push_back(std::move(child));
            continue;
        }
        f.children.push_back(std::move(op));
    }
    if (kind == Filter::Kind::And && f.children.empty()) return all();
    if (f.children.size() == 1) return std::move(f.children.front());
    return f;
}
}  // namespace

Filter allOf(std::vector<Filter> operands) {
    return combine(Filter::Kind::And, std::move(operands));
}

Filter anyOf(std::vector<Filter> operands) {
    for (const Filter& op : operands)
        if (op.isAll()) return all();
    return combine(Filter::Kind::Or, std::move(operands));
}

Filter negate(Filter operand) {
    Filter f;
    f.kind = Filter::Kind::Not;
    f.children.push_back(std::move(operand));
    return f;
}

Filter contains(std::string field, std::string word) {
    if (word.empty()) return all();
    Filter f;
    f.kind = Filter::Kind::Contains;
    f.field = std::move(field);
    f.value = std::move(word);
    return f;
}

std::vector<std::string> splitWords(std::string_view typed) {
    std::vector<std::string> words;
    std::string word;
    bool quoted = false;
    for (const char ch : typed) {
        if (ch == '"') {
            quoted = !quoted;
        } else if (!quoted && (ch == ' ' || ch == '\t' || ch == '\n' || ch == '\r')) {
            if (!word.empty()) words.push_back(std::move(word));
            word.clear();
        } else {
            word += ch;
        }
    }
    if (!word.empty()) words.push_back(std::move(word));
    return words;
}

Filter wordsFilter(const TableDef& table, const std::vector<std::string>& fields,
                   std::string_view typed) {
    std::vector<std::string> texts;
    for (const std::string& name : fields) {
        const int i = table.fieldIndex(name);
        if (i < 0) continue;
        const FieldDef& f = table.fields[static_cast<size_t>(i)];
        if ((f.type == FieldType::String || f.type == FieldType::Memo) &&
            std::find(texts.begin(), texts.end(), f.name) == texts.end())
            texts.push_back(f.name);
    }
    if (texts.empty()) return all();
    std::vector<Filter> each;
    for (const std::string& word : splitWords(typed)) {
        std::vector<Filter> anywhere;
        for (const std::string& field : texts) anywhere.push_back(contains(field, word));
        each.push_back(anyOf(std::move(anywhere)));
    }
    return allOf(std::move(each));
}

Filter matches(std::string indexLabel, std::string typed) {
    if (splitWords(typed).empty()) return anyOf({});
    Filter f;
    f.kind = Filter::Kind::Matches;
    f.field = std::move(indexLabel);
    f.value = std::move(typed);
    return f;
}

Filter matchesFirst(std::string indexLabel, std::string typed, Filter within, int rows) {
    Filter f = matches(std::move(indexLabel), std::move(typed));
    if (f.kind != Filter::Kind::Matches || rows <= 0) return f;
    f.firstRows = rows;
    if (!within.isAll()) f.children.push_back(std::move(within));
    return f;
}

Filter substring(std::string indexLabel, std::string word, int firstRows) {
    if (!trigramWord(word)) return all();
    Filter f;
    f.kind = Filter::Kind::Substring;
    f.field = std::move(indexLabel);
    f.value = std::move(word);
    f.firstRows = std::max(firstRows, 0);
    return f;
}

Filter exists(const TableDef& table, std::vector<std::pair<std::string, std::string>> links,
              Filter where) {
    Filter f;
    f.kind = Filter::Kind::Exists;
    f.table = &table;
    f.links = std::move(links);
    if (!where.isAll()) f.children.push_back(std::move(where));
    return f;
}

}  // namespace tko::store
