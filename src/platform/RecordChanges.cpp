#include "platform/RecordChanges.h"

namespace tko {

namespace {

std::string valueText(const store::Value& value) {
    if (const auto* n = std::get_if<std::int64_t>(&value)) return std::to_string(*n);
    std::string text = std::get<std::string>(value);
    while (!text.empty() && text.back() == ' ') text.pop_back();
    return text;
}

}  // namespace

store::Status storedState(store::Engine& engine, const store::TableDef& table,
                          const store::Row& mine, StoredState& state, store::Row& stored) {
    state = StoredState::Unchanged;
    const store::Status s = engine.reread(table, mine.pos, stored);
    if (s.code == store::kRecordNotFound) {
        state = StoredState::Deleted;
        return store::Status::success();
    }
    if (!s.ok()) return s;
    if (stored.version != mine.version) state = StoredState::Changed;
    return s;
}

std::vector<FieldDifference> fieldDifferences(const store::TableDef& table,
                                              const store::Row& theirs, const store::Row& mine) {
    std::vector<FieldDifference> out;
    for (size_t i = 0; i < table.fields.size(); ++i) {
        const std::string a =
            i < theirs.values.size() ? valueText(theirs.values[i]) : std::string();
        const std::string b = i < mine.values.size() ? valueText(mine.values[i]) : std::string();
        if (a != b) out.push_back({table.fields[i].name, a, b});
    }
    return out;
}

}  // namespace tko
