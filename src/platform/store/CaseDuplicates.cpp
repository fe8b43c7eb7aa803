#include "platform/store/CaseDuplicates.h"

#include "platform/store/NameCollation.h"

namespace tko::store {

SqlQuery keyValuesInNameOrder(const SqlBuilder& sql, const TableDef& table, const KeyDef& key) {
    SqlQuery q;
    std::string columns, order;
    for (const KeyComponent& c : key.components) {
        const FieldDef& f = table.fields[static_cast<size_t>(c.field)];
        if (!columns.empty()) {
            columns += ", ";
            order += ", ";
        }
        columns += sql.quoted(f.name);
        order += sql.quoted(f.name);
        if (f.type == FieldType::String) order += std::string(" COLLATE ") + kNameCollation;
    }
    q.sql = "SELECT " + columns + " FROM " + sql.tableName(table) + " ORDER BY " + order;
    return q;
}

bool hasTextComponent(const TableDef& table, const KeyDef& key) {
    for (const KeyComponent& c : key.components)
        if (table.fields[static_cast<size_t>(c.field)].type == FieldType::String) return true;
    return false;
}

namespace {

bool sameByCollation(const std::vector<Value>& a, const std::vector<Value>& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        const auto* ta = std::get_if<std::string>(&a[i]);
        const auto* tb = std::get_if<std::string>(&b[i]);
        if (ta && tb) {
            if (!sameName(*ta, *tb)) return false;
        } else if (compareValues(a[i], b[i]) != 0) {
            return false;
        }
    }
    return true;
}

std::string shown(const std::vector<Value>& values) {
    std::string text;
    for (const Value& v : values) {
        if (!text.empty()) text += ", ";
        if (const auto* s = std::get_if<std::string>(&v))
            text += *s;
        else
            text += std::to_string(std::get<std::int64_t>(v));
    }
    return "\"" + text + "\"";
}

}  // namespace

std::vector<std::string> caseDuplicates(const std::vector<std::vector<Value>>& valuesInOrder,
                                        size_t limit) {
    std::vector<std::string> lines;
    size_t i = 0;
    while (i < valuesInOrder.size() && lines.size() < limit) {
        size_t end = i + 1;
        while (end < valuesInOrder.size() && sameByCollation(valuesInOrder[i], valuesInOrder[end]))
            ++end;
        if (end - i > 1) {
            std::string line;
            for (size_t k = i; k < end; ++k) {
                if (k > i) line += k + 1 == end ? " and " : ", ";
                line += shown(valuesInOrder[k]);
            }
            lines.push_back(line);
        }
        i = end;
    }
    return lines;
}

}  // namespace tko::store
