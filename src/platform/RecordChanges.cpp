#include "platform/RecordChanges.h"

#include "platform/ListFormat.h"
#include "platform/Translate.h"

namespace tko {

namespace {

std::string storedText(const store::Value& value) {
    if (const auto* n = std::get_if<std::int64_t>(&value)) return std::to_string(*n);
    return store::rtrim(std::get<std::string>(value));
}

store::Value valueAt(const store::Row& row, int index) {
    const auto i = static_cast<size_t>(index);
    return i < row.values.size() ? row.values[i] : store::Value{std::string()};
}

// One value as the form shows it.
std::string shownText(const store::Value& value, const std::string& picture) {
    const auto* number = std::get_if<std::int64_t>(&value);
    if (picture == kCheckPicture) return translateText(number && *number != 0 ? "Yes" : "No");
    if (picture.empty() || !number) {
        std::string text = storedText(value);
        // Memos keep line ends as carriage returns (with or without a line feed).
        std::string out;
        out.reserve(text.size());
        for (size_t i = 0; i < text.size(); ++i) {
            if (text[i] == '\r') {
                out += '\n';
                if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
            } else {
                out += text[i];
            }
        }
        return out;
    }
    // Dates, times and numbers as the lists show them.
    return formatCell(value, QString::fromStdString(picture)).trimmed().toStdString();
}

// The unit's value as the form shows it: its first field, then the shown
// fields that go with it, blanks left out.
std::string unitText(const store::TableDef& table, const std::vector<FieldView>& views,
                     const FieldView& lead, const store::Row& row) {
    std::string text = shownText(valueAt(row, table.fieldIndex(lead.field)), lead.picture);
    for (const FieldView& part : views) {
        if (part.with != lead.field || part.picture.empty()) continue;
        const int index = table.fieldIndex(part.field);
        if (index < 0) continue;
        const std::string more = shownText(valueAt(row, index), part.picture);
        if (more.empty()) continue;
        if (!text.empty()) text += ' ';
        text += more;
    }
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

bool sameValue(const store::Value& a, const store::Value& b) {
    return storedText(a) == storedText(b) && a.index() == b.index();
}

std::vector<int> unitFields(const store::TableDef& table, const std::vector<FieldView>& views,
                            const std::string& field) {
    std::vector<int> out;
    const int lead = table.fieldIndex(field);
    if (lead >= 0) out.push_back(lead);
    for (const FieldView& view : views) {
        if (view.with != field) continue;
        const int index = table.fieldIndex(view.field);
        if (index >= 0) out.push_back(index);
    }
    return out;
}

std::vector<ChangedField> changedFields(const store::TableDef& table,
                                        const std::vector<FieldView>& views,
                                        const store::Row& theirs, const store::Row& mine) {
    std::vector<ChangedField> out;
    for (const FieldView& view : views) {
        if (!view.with.empty()) continue;
        bool differs = false;
        for (const int index : unitFields(table, views, view.field))
            differs = differs || !sameValue(valueAt(theirs, index), valueAt(mine, index));
        if (!differs) continue;
        // The form's caption as its label reads, without the colon behind it.
        std::string caption = translateText(view.caption);
        if (!caption.empty() && caption.back() == ':') caption.pop_back();
        out.push_back({view.field, caption, unitText(table, views, view, theirs),
                       unitText(table, views, view, mine)});
    }
    return out;
}

}  // namespace tko
