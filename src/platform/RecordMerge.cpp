#include "platform/RecordMerge.h"

#include <algorithm>

namespace tko {

namespace {

store::Value valueAt(const store::Row& row, size_t index, const store::FieldDef& field) {
    return index < row.values.size() ? row.values[index] : store::blankValue(field);
}

bool startsWith(const std::string& text, const std::string& start) {
    return text.compare(0, start.size(), start) == 0;
}

bool startsLine(const std::string& text) {
    return text.empty() || text.front() == '\r' || text.front() == '\n';
}

bool endsLine(const std::string& text) {
    return text.empty() || text.back() == '\r' || text.back() == '\n';
}

}  // namespace

std::string mergeMemoTexts(const std::string& openedText, const std::string& mineText,
                           const std::string& theirsText) {
    const std::string opened = store::rtrim(openedText);
    const std::string mine = store::rtrim(mineText);
    const std::string theirs = store::rtrim(theirsText);
    if (startsWith(theirs, mine)) return theirs;
    if (startsWith(mine, theirs)) return mine;
    std::string addition = mine;
    if (!opened.empty() && startsWith(mine, opened) && startsWith(theirs, opened))
        addition = mine.substr(opened.size());
    // The user's text starts a line of its own unless it already does.
    if (startsLine(addition) || endsLine(theirs)) return theirs + addition;
    return theirs + "\r\n" + addition;
}

RecordMerge mergeRecord(const store::TableDef& table, const std::vector<FieldView>& views,
                        const store::Row& opened, const store::Row& mine,
                        const store::Row& theirs) {
    RecordMerge out;
    out.row.pos = theirs.pos;
    out.row.version = theirs.version;
    out.row.values.resize(table.fields.size());
    // Units: a field listed as going with another one is merged with it.
    std::vector<bool> done(table.fields.size(), false);
    for (size_t i = 0; i < table.fields.size(); ++i) {
        if (done[i]) continue;
        const store::FieldDef& field = table.fields[i];
        const auto view = std::find_if(views.begin(), views.end(),
                                       [&](const FieldView& v) { return v.field == field.name; });
        std::vector<int> unit;
        if (view != views.end() && !view->with.empty())
            unit = unitFields(table, views, view->with);
        else
            unit = unitFields(table, views, field.name);
        bool mineChanged = false, theirsChanged = false, same = true;
        for (const int f : unit) {
            const auto k = static_cast<size_t>(f);
            const store::FieldDef& def = table.fields[k];
            mineChanged = mineChanged || !sameValue(valueAt(mine, k, def), valueAt(opened, k, def));
            theirsChanged =
                theirsChanged || !sameValue(valueAt(theirs, k, def), valueAt(opened, k, def));
            same = same && sameValue(valueAt(mine, k, def), valueAt(theirs, k, def));
        }
        const bool memo = unit.size() == 1 && field.type == store::FieldType::Memo;
        for (const int f : unit) {
            const auto k = static_cast<size_t>(f);
            const store::FieldDef& def = table.fields[k];
            done[k] = true;
            if (memo && mineChanged && theirsChanged && !same)
                out.row.values[k] = mergeMemoTexts(std::get<std::string>(valueAt(opened, k, def)),
                                                   std::get<std::string>(valueAt(mine, k, def)),
                                                   std::get<std::string>(valueAt(theirs, k, def)));
            else
                out.row.values[k] = mineChanged ? valueAt(mine, k, def) : valueAt(theirs, k, def);
        }
        if (memo || !mineChanged || !theirsChanged || same) continue;
        const std::string& lead = table.fields[static_cast<size_t>(unit.front())].name;
        const bool shown = std::any_of(views.begin(), views.end(), [&](const FieldView& v) {
            return v.field == lead && !v.caption.empty();
        });
        if (shown)
            out.conflicts.push_back(lead);
        else
            for (const int f : unit) {
                const auto k = static_cast<size_t>(f);
                out.row.values[k] = valueAt(theirs, k, table.fields[k]);
            }
    }
    return out;
}

void takeTheirs(const store::TableDef& table, const std::vector<FieldView>& views,
                const std::string& field, const store::Row& theirs, store::Row& merged) {
    merged.values.resize(table.fields.size());
    for (const int f : unitFields(table, views, field)) {
        const auto k = static_cast<size_t>(f);
        merged.values[k] = valueAt(theirs, k, table.fields[k]);
    }
}

}  // namespace tko
