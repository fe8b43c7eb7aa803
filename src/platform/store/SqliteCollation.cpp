// The embedded engine and the name collation: registering it on a
// connection, finding key values that differ only in letter case, and
// bringing tables and keys made before it over to it.
#include "platform/store/SqliteEngine.h"

#include <sqlite3.h>

#include <set>

#include "platform/store/CaseDuplicates.h"
#include "platform/store/NameCollation.h"
#include "platform/store/SchemaCheck.h"
#include "platform/store/SqliteDetail.h"
#include "platform/store/TextFold.h"

namespace tko::store {
using namespace sqlitedetail;

namespace sqlitedetail {

bool isNameCollation(const char* collation) {
    return collation && sqlite3_stricmp(collation, kNameCollation) == 0;
}

}  // namespace sqlitedetail

// The name collation on one connection: SQLite calls back into the
// connection's own collator, which it deletes when the connection closes.
static int compareNamesCallback(void* collator, int lengthA, const void* a, int lengthB,
                                const void* b) {
    return static_cast<const NameCollator*>(collator)->compare(
        std::string_view(static_cast<const char*>(a), static_cast<size_t>(lengthA)),
        std::string_view(static_cast<const char*>(b), static_cast<size_t>(lengthB)));
}

static void deleteCollator(void* collator) {
    delete static_cast<NameCollator*>(collator);
}

// tko_fold(text): the text folded for word searches (TextFold.h); NULL stays NULL.
static void foldFunction(sqlite3_context* context, int, sqlite3_value** args) {
    if (sqlite3_value_type(args[0]) == SQLITE_NULL) {
        sqlite3_result_null(context);
        return;
    }
    const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(args[0]));
    const std::string folded = foldText(
        std::string_view(text ? text : "", static_cast<size_t>(sqlite3_value_bytes(args[0]))));
    sqlite3_result_text(context, folded.data(), static_cast<int>(folded.size()), SQLITE_TRANSIENT);
}

int registerNameCollation(sqlite3* db) {
    const int fold = sqlite3_create_function_v2(
        db, kFoldFunction, 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS, nullptr,
        foldFunction, nullptr, nullptr, nullptr);
    if (fold != SQLITE_OK) return fold;
    std::unique_ptr<NameCollator> collator = NameCollator::create();
    if (!collator) return SQLITE_ERROR;
    const int rc = sqlite3_create_collation_v2(db, kNameCollation, SQLITE_UTF8, collator.get(),
                                               compareNamesCallback, deleteCollator);
    // On failure SQLite does not take the collator over; on success it owns it.
    if (rc == SQLITE_OK) static_cast<void>(collator.release());
    return rc;
}

std::string SqliteEngine::columnCollation(const std::string& schema, const TableDef& table,
                                          const FieldDef& field) {
    const char* collation = nullptr;
    const int rc =
        sqlite3_table_column_metadata(m_db, schema.c_str(), table.label.c_str(), field.name.c_str(),
                                      nullptr, &collation, nullptr, nullptr, nullptr);
    return rc == SQLITE_OK && collation ? collation : "BINARY";
}

Status SqliteEngine::keyOrder(const std::string& schema, const TableDef& table, const KeyDef& key,
                              bool& exists, bool& misordered) {
    exists = false;
    misordered = false;
    sqlite3_stmt* stmt = nullptr;
    const std::string sql = "PRAGMA " + schema + ".index_xinfo(\"" + key.sqlName() + "\")";
    int rc = sqlite3_prepare_v2(m_db, sql.c_str(), -1, &stmt, nullptr);
    if (rc != SQLITE_OK) return failure(rc);
    for (size_t n = 0; (rc = sqlite3_step(stmt)) == SQLITE_ROW;) {
        exists = true;
        if (sqlite3_column_int(stmt, 5) == 0) continue;
        const auto* name = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 2));
        const int field = name ? table.fieldIndex(name) : -1;
        const bool declared = declaredBytewise(table, key, n++);
        if (field >= 0 && table.fields[static_cast<size_t>(field)].type == FieldType::String &&
            isNameCollation(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 4))) ==
                declared)
            misordered = true;
    }
    sqlite3_finalize(stmt);
    return rc == SQLITE_DONE ? Status::success() : failure(rc);
}

Status SqliteEngine::keyCaseDuplicates(const TableDef& table, const KeyDef& key,
                                       std::vector<std::string>& out) {
    out.clear();
    std::vector<std::vector<Value>> values;
    const Status s = run(keyValuesInNameOrder(m_sql, table, key), [&](sqlite3_stmt* stmt) {
        int rc;
        while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
            std::vector<Value> row;
            for (size_t i = 0; i < key.components.size(); ++i) {
                const FieldType type =
                    table.fields[static_cast<size_t>(key.components[i].field)].type;
                const int column = static_cast<int>(i);
                if (type == FieldType::String || type == FieldType::Memo ||
                    type == FieldType::ByteArray) {
                    const auto* text =
                        reinterpret_cast<const char*>(sqlite3_column_text(stmt, column));
                    row.emplace_back(text ? std::string(text) : std::string());
                } else {
                    row.emplace_back(std::int64_t{sqlite3_column_int64(stmt, column)});
                }
            }
            values.push_back(std::move(row));
        }
        return rc == SQLITE_DONE ? Status::success() : failure(rc);
    });
    if (s.ok()) out = caseDuplicates(values);
    return s;
}

Status SqliteEngine::planNameCollation(
    const std::vector<const TableDef*>& tables, std::vector<const TableDef*>& rebuild,
    std::vector<std::pair<const TableDef*, const KeyDef*>>& rekey) {
    rebuild.clear();
    rekey.clear();
    for (const TableDef* table : tables) {
        const std::string schema = table->file == TableFile::Users ? kUsersSchema : "main";
        bool present = false, bytewiseColumn = false;
        for (const FieldDef& f : table->fields) {
            const char* collation = nullptr;
            if (sqlite3_table_column_metadata(m_db, schema.c_str(), table->label.c_str(),
                                              f.name.c_str(), nullptr, &collation, nullptr, nullptr,
                                              nullptr) != SQLITE_OK)
                continue;  // a missing table or column is not this function's business
            present = true;
            if (f.type == FieldType::String && !isNameCollation(collation)) bytewiseColumn = true;
        }
        if (!present) continue;
        if (bytewiseColumn) {
            rebuild.push_back(table);
            continue;
        }
        for (const KeyDef& key : table->keys) {
            bool exists = false, misordered = false;
            Status s = keyOrder(schema, *table, key, exists, misordered);
            if (!s.ok()) return s;
            if (!exists || !misordered) continue;
            if (key.unique) {
                std::vector<std::string> duplicates;
                s = keyCaseDuplicates(*table, key, duplicates);
                if (!s.ok()) return s;
                if (!duplicates.empty()) continue;  // kept as it is until they are renamed
            }
            rekey.emplace_back(table, &key);
        }
    }
    return Status::success();
}

Status SqliteEngine::createKey(const TableDef& table, const KeyDef& key) {
    bool bytewise = false;
    if (key.unique && hasTextComponent(table, key)) {
        std::vector<std::string> duplicates;
        Status s = keyCaseDuplicates(table, key, duplicates);
        if (!s.ok()) return s;
        bytewise = !duplicates.empty();
    }
    return exec(m_sql.createIndex(table, key, bytewise));
}

Status SqliteEngine::adoptNameCollation(const std::vector<const TableDef*>& tables) {
    std::vector<const TableDef*> rebuild;
    std::vector<std::pair<const TableDef*, const KeyDef*>> rekey;
    Status s = planNameCollation(tables, rebuild, rekey);
    if (!s.ok() || (rebuild.empty() && rekey.empty())) return s;
    // Plan again under the write lock: another station may have done it meanwhile.
    s = begin({}, m_options.busyTimeoutMs);
    if (!s.ok()) return s;
    s = planNameCollation(tables, rebuild, rekey);
    // A column's collation is part of the table's definition: the table is made
    // anew with the collated columns and its rows copied over, row ids included.
    for (const TableDef* table : rebuild) {
        if (!s.ok()) break;
        const std::string schema = table->file == TableFile::Users ? kUsersSchema : "main";
        const std::string fresh = schema + ".\"tko_collated\"";
        const std::string columns = m_sql.columnList(*table, true);
        s = exec("DROP TABLE IF EXISTS " + fresh);
        if (s.ok()) s = exec("CREATE TABLE " + fresh + " " + m_sql.columnDefinitions(*table));
        if (s.ok())
            s = exec("INSERT INTO " + fresh + " (" + columns + ") SELECT " + columns + " FROM " +
                     m_sql.tableName(*table));
        if (s.ok()) s = exec("DROP TABLE " + m_sql.tableName(*table));
        if (s.ok()) s = exec("ALTER TABLE " + fresh + " RENAME TO " + m_sql.quoted(table->label));
        for (const KeyDef& key : table->keys)
            if (s.ok()) s = createKey(*table, key);
    }
    for (const auto& [table, key] : rekey) {
        if (!s.ok()) break;
        const std::string schema = table->file == TableFile::Users ? kUsersSchema : "main";
        s = exec("DROP INDEX " + schema + "." + m_sql.quoted(key->sqlName()));
        if (s.ok()) s = createKey(*table, *key);
    }
    if (!s.ok()) {
        rollback();
        return s;
    }
    return commit();
}

Status SqliteEngine::rebuildKeys(const TableDef& table) {
    const std::string schema = table.file == TableFile::Users ? kUsersSchema : "main";
    Status s = begin({}, m_options.busyTimeoutMs);
    if (!s.ok()) return s;
    for (const KeyDef& key : table.keys) {
        s = exec("DROP INDEX IF EXISTS \"" + schema + "\".\"" + key.sqlName() + "\"");
        if (!s.ok()) break;
    }
    // Made as on opening: in the name order, or bytewise while a unique key
    // still holds names that differ only in letter case.
    for (const KeyDef& key : table.keys) {
        if (s.ok()) s = createKey(table, key);
    }
    if (!s.ok()) {
        rollback();
        return s;
    }
    return commit();
}

}  // namespace tko::store
