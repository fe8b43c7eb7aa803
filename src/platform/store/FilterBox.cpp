#include "platform/store/FilterBox.h"

#include <algorithm>

#include "platform/store/PgEngine.h"

namespace tko::store {

namespace {

// The substring index holding every text field among `fields`, if any.
const TextIndexDef* substringIndexFor(const TableDef& table,
                                      const std::vector<std::string>& fields) {
    for (const TextIndexDef& index : table.textIndexes) {
        if (!index.substrings) continue;
        bool covers = true;
        for (const std::string& name : fields) {
            const int i = table.fieldIndex(name);
            if (i < 0) continue;
            const FieldType type = table.fields[static_cast<size_t>(i)].type;
            if (type != FieldType::String && type != FieldType::Memo) continue;
            covers = covers &&
                     std::find(index.fields.begin(), index.fields.end(), i) != index.fields.end();
        }
        if (covers) return &index;
    }
    return nullptr;
}

}  // namespace

Filter filterBoxFilter(Engine& engine, const TableDef& table,
                       const std::vector<std::string>& fields, std::string_view typed) {
    Filter words = wordsFilter(table, fields, typed);
    const TextIndexDef* index = words.isAll() ? nullptr : substringIndexFor(table, fields);
    if (!index) return words;
    // The server's planner weighs each word's index test against the list's
    // order by the statistics of the indexed texts: every word is offered.
    if (dynamic_cast<const PgEngine*>(&engine)) {
        std::vector<Filter> held;
        for (const std::string& word : splitWords(typed))
            held.push_back(substring(index->label, word));
        held.push_back(std::move(words));
        return allOf(std::move(held));
    }
    Filter rarest;
    std::int64_t fewest = kCommonWordRows;
    for (const std::string& word : splitWords(typed)) {
        Filter held = substring(index->label, word, kCommonWordRows);
        std::int64_t rows = 0;
        if (held.isAll() || !engine.count(table, held, rows).ok() || rows >= fewest) continue;
        fewest = rows;
        rarest = substring(index->label, word);
    }
    return allOf({std::move(rarest), std::move(words)});
}

}  // namespace tko::store
