#include "platform/store/SchemaCheck.h"

#include "platform/store/SqlBuilder.h"

namespace tko::store {

bool declaredBytewise(const TableDef& table, const KeyDef& key, size_t n) {
    if (n >= key.components.size()) return false;
    const KeyComponent& c = key.components[n];
    return c.bytewise && table.fields[static_cast<size_t>(c.field)].type == FieldType::String;
}

namespace {

void checkColumns(const TableDef& table, const TableCatalogue& catalogue,
                  const CatalogueTerms& terms, std::vector<std::string>& problems) {
    auto expectColumn = [&](const std::string& column, const std::string& type,
                            const std::string& collation) {
        auto it = catalogue.columns.find(column);
        if (it == catalogue.columns.end()) {
            problems.push_back(table.label + ": column " + column + " is missing");
        } else if (it->second.type != type) {
            problems.push_back(table.label + ": column " + column + " has type " + it->second.type);
        } else if (!collation.empty() && it->second.collation != collation) {
            problems.push_back(table.label + ": column " + column + " has collation " +
                               it->second.collation + " instead of " + collation);
        }
    };
    expectColumn(kRowIdColumn, terms.rowIdType, {});
    expectColumn(kVersionColumn, terms.versionType, {});
    for (const FieldDef& f : table.fields) {
        const bool text = f.type == FieldType::String || f.type == FieldType::Memo ||
                          f.type == FieldType::ByteArray;
        expectColumn(f.name, text ? terms.textType : terms.integerType,
                     f.type == FieldType::String ? terms.nameCollation
                                                 : (text ? terms.bytewiseCollation : ""));
    }
}

}  // namespace

Status checkTable(const TableDef& table, const TableCatalogue& catalogue,
                  const CatalogueTerms& terms, const CaseDuplicateSearch& caseDuplicates,
                  std::vector<std::string>& problems) {
    if (catalogue.columns.empty()) {
        problems.push_back(table.label + ": table is missing");
        return Status::success();
    }
    checkColumns(table, catalogue, terms, problems);
    for (const KeyDef& key : table.keys) {
        auto it = catalogue.indexes.find(key.sqlName());
        if (it == catalogue.indexes.end()) {
            problems.push_back(table.label + ": key " + key.label + " is missing");
            continue;
        }
        if (it->second.unique != key.unique)
            problems.push_back(table.label + ": key " + key.label +
                               (key.unique ? " is not unique" : " should allow duplicates"));
        // A component declared bytewise reads "=NAME", as the key lists it;
        // found bytewise where the name collation is wanted, it makes the
        // note below instead.
        std::string expected, found;
        for (size_t i = 0; i < key.components.size(); ++i)
            expected += (declaredBytewise(table, key, i) ? "=" : "") +
                        table.fields[static_cast<size_t>(key.components[i].field)].name +
                        (key.components[i].descending ? " DESC," : ",");
        // There, keys that allow duplicates end in the row id, which orders
        // equal key values.
        if (terms.keysEndInRowId && !key.unique) expected += std::string(kRowIdColumn) + ",";
        bool bytewiseText = false;
        for (size_t i = 0; i < it->second.components.size(); ++i) {
            const CatalogueComponent& c = it->second.components[i];
            const int field = table.fieldIndex(c.column);
            const bool bytewise =
                field >= 0 && table.fields[static_cast<size_t>(field)].type == FieldType::String &&
                c.collation != terms.nameCollation;
            const bool declared = declaredBytewise(table, key, i);
            if (bytewise && !declared) bytewiseText = true;
            found += (bytewise && declared ? "=" : "") + c.column + (c.descending ? " DESC," : ",");
        }
        if (found != expected) {
            problems.push_back(table.label + ": key " + key.label + " has components " + found +
                               " instead of " + expected);
        } else if (bytewiseText) {
            problems.push_back(table.label + ": key " + key.label +
                               " tells names apart by letter case");
            if (!key.unique) continue;
            std::vector<std::string> duplicates;
            Status s = caseDuplicates(key, duplicates);
            if (!s.ok()) return s;
            for (const std::string& line : duplicates)
                problems.push_back(table.label + ": key " + key.label + ": " + line +
                                   " differ only in letter case; rename all but one");
        }
    }
    return Status::success();
}

}  // namespace tko::store
