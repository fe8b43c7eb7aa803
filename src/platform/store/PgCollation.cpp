// The server engine and the name collation: creating it, finding key values
// that differ only in letter case, and bringing tables and keys made before
// it over to it.
#include "platform/store/PgEngine.h"

#include <libpq-fe.h>

#include <algorithm>
#include <cstdlib>
#include <set>

#include "platform/store/CaseDuplicates.h"
#include "platform/store/NameCollation.h"
#include "platform/store/PgDetail.h"
#include "platform/store/PgRoles.h"
#include "platform/store/SchemaCheck.h"
#include "platform/store/TextFold.h"

namespace tko::store {
using namespace pgdetail;

namespace pgdetail {

// The server's ICU collation of the same locale as NameCollator; non-deterministic,
// so that names equal by it are equal (a unique key refuses "Ben" beside "BEN").
std::string createNameCollation() {
    return std::string("CREATE COLLATION IF NOT EXISTS ") + kNameCollation +
           " (provider = icu, locale = '" + kNameCollationLocale + "', deterministic = false)";
}

// The folding function of word searches (TextFold.h): unaccent (a contrib
// extension the server ships) then lower case by ICU's root rules, so that
// the database's own character type does not matter. pg_trgm (contrib too)
// gives the trigram indexes of the filter box.
std::vector<std::string> createFoldFunction() {
    return {"CREATE EXTENSION IF NOT EXISTS unaccent SCHEMA public",
            "CREATE EXTENSION IF NOT EXISTS pg_trgm SCHEMA public",
            std::string("CREATE OR REPLACE FUNCTION public.") + kFoldFunction +
                "(t text) RETURNS text LANGUAGE sql IMMUTABLE PARALLEL SAFE STRICT AS "
                "$$ SELECT lower(public.unaccent('public.unaccent'::regdictionary, t) "
                "COLLATE \"und-x-icu\") $$"};
}

}  // namespace pgdetail

Status PgEngine::keyCaseDuplicates(const TableDef& table, const KeyDef& key,
                                   std::vector<std::string>& out) {
    out.clear();
    PGresult* result = nullptr;
    Status s = run(keyValuesInNameOrder(m_sql, table, key), result);
    if (!s.ok()) return s;
    ResultGuard guard{result};
    std::vector<std::vector<Value>> values;
    for (int r = 0; r < PQntuples(result); ++r) {
        std::vector<Value> row;
        for (size_t i = 0; i < key.components.size(); ++i) {
            const FieldType type = table.fields[static_cast<size_t>(key.components[i].field)].type;
            const char* text = PQgetvalue(result, r, static_cast<int>(i));
            if (type == FieldType::String || type == FieldType::Memo ||
                type == FieldType::ByteArray)
                row.emplace_back(std::string(text));
            else
                row.emplace_back(std::int64_t{std::strtoll(text, nullptr, 10)});
        }
        values.push_back(std::move(row));
    }
    out = caseDuplicates(values);
    return Status::success();
}

Status PgEngine::planNameCollation(const std::vector<const TableDef*>& tables,
                                   std::vector<const TableDef*>& rebuild,
                                   std::vector<std::pair<const TableDef*, const KeyDef*>>& rekey) {
    rebuild.clear();
    rekey.clear();
    for (const TableDef* table : tables) {
        SqlQuery q;
        q.sql =
            "SELECT a.attname, COALESCE(co.collname, '') FROM pg_attribute a "
            "LEFT JOIN pg_collation co ON co.oid = a.attcollation "
            "WHERE a.attrelid = to_regclass($1) AND a.attnum > 0 AND NOT a.attisdropped";
        q.params.emplace_back(m_sql.tableName(*table));
        PGresult* result = nullptr;
        Status s = run(q, result);
        if (!s.ok()) return s;
        bool bytewiseColumn = false;
        {
            ResultGuard guard{result};
            if (PQntuples(result) == 0)
                continue;  // a missing table is not this function's business
            for (int r = 0; r < PQntuples(result); ++r) {
                const int field = table->fieldIndex(PQgetvalue(result, r, 0));
                if (field >= 0 &&
                    table->fields[static_cast<size_t>(field)].type == FieldType::String &&
                    std::string(PQgetvalue(result, r, 1)) != kNameCollation)
                    bytewiseColumn = true;
            }
        }
        if (bytewiseColumn) {
            rebuild.push_back(table);
            continue;
        }
        // Each index's text components, in order, and whether each orders
        // by the name collation.
        q.sql = "SELECT ic.relname, k.n, a.attname, COALESCE(ico.collname, '') = '" +
                std::string(kNameCollation) +
                "' FROM pg_index ix JOIN pg_class ic ON ic.oid = ix.indexrelid "
                "CROSS JOIN LATERAL generate_series(1, ix.indnatts) AS k(n) "
                "JOIN pg_attribute a ON a.attrelid = ix.indrelid AND a.attnum = ix.indkey[k.n - 1] "
                "LEFT JOIN pg_collation ico ON ico.oid = ix.indcollation[k.n - 1] "
                "WHERE ix.indrelid = to_regclass($1) AND a.atttypid = 'text'::regtype";
        s = run(q, result);
        if (!s.ok()) return s;
        // Keys with a text component ordered otherwise than declared: bytewise
        // where the name collation is wanted, or the other way round.
        std::set<std::string> misordered;
        {
            ResultGuard guard{result};
            for (int r = 0; r < PQntuples(result); ++r) {
                const std::string index = PQgetvalue(result, r, 0);
                const int field = table->fieldIndex(PQgetvalue(result, r, 2));
                if (field < 0 ||
                    table->fields[static_cast<size_t>(field)].type != FieldType::String)
                    continue;
                const size_t n = static_cast<size_t>(std::atoi(PQgetvalue(result, r, 1)) - 1);
                bool declared = false;
                for (const KeyDef& key : table->keys)
                    if (key.sqlName() == index) declared = declaredBytewise(*table, key, n);
                const bool byName = std::string(PQgetvalue(result, r, 3)) == "t";
                if (byName == declared) misordered.insert(index);
            }
        }
        for (const KeyDef& key : table->keys) {
            if (!misordered.count(key.sqlName())) continue;
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

std::string PgEngine::indexName(const TableDef& table, const KeyDef& key) const {
    if (table.file == TableFile::Users)
        return m_sql.quoted(kUsersSchema) + "." + m_sql.quoted(key.sqlName());
    return m_sql.quoted(key.sqlName());
}

Status PgEngine::adoptNameCollation(const std::vector<const TableDef*>& tables) {
    // Offices made before word searches get the folding function once.
    SqlQuery probe;
    probe.sql = std::string("SELECT to_regprocedure('public.") + kFoldFunction + "(text)') IS NULL";
    PGresult* found = nullptr;
    Status fold = run(probe, found);
    if (!fold.ok()) return fold;
    const bool missing = PQntuples(found) == 1 && std::string(PQgetvalue(found, 0, 0)) == "t";
    PQclear(found);
    for (const std::string& sql : missing ? createFoldFunction() : std::vector<std::string>{})
        if (fold.ok()) fold = exec(sql);
    if (!fold.ok()) return fold;
    std::vector<const TableDef*> rebuild;
    std::vector<std::pair<const TableDef*, const KeyDef*>> rekey;
    Status s = planNameCollation(tables, rebuild, rekey);
    if (!s.ok() || (rebuild.empty() && rekey.empty())) return s;
    s = begin({}, m_options.lockTimeoutMs);
    if (!s.ok()) return s;
    // One station at a time; plan again, another may have done it meanwhile.
    s = exec(std::string("SELECT pg_advisory_xact_lock(") + kCreateLockKey + ")");
    if (s.ok()) s = exec(createNameCollation());
    if (s.ok()) s = planNameCollation(tables, rebuild, rekey);
    for (const TableDef* table : rebuild) {
        if (!s.ok()) break;
        // A unique key whose values would collide is dropped before the columns
        // change (the change rebuilds every index by the new collation) and made
        // again bytewise afterwards.
        std::vector<const KeyDef*> bytewise;
        for (const KeyDef& key : table->keys) {
            if (!s.ok() || !key.unique || !hasTextComponent(*table, key)) continue;
            std::vector<std::string> duplicates;
            s = keyCaseDuplicates(*table, key, duplicates);
            if (s.ok() && !duplicates.empty()) {
                bytewise.push_back(&key);
                s = exec("DROP INDEX IF EXISTS " + indexName(*table, key));
            }
        }
        std::string alter;
        for (const FieldDef& f : table->fields) {
            if (f.type != FieldType::String) continue;
            alter += std::string(alter.empty() ? "" : ", ") + "ALTER COLUMN " +
                     m_sql.quoted(f.name) + " TYPE " + m_sql.dialect().nameType;
        }
        if (s.ok()) s = exec("ALTER TABLE " + m_sql.tableName(*table) + " " + alter);
        // A key with a component declared letter for letter was rebuilt by
        // the new collation too: it is made again as declared.
        for (const KeyDef& key : table->keys) {
            bool declared = false;
            for (size_t i = 0; i < key.components.size(); ++i)
                declared = declared || declaredBytewise(*table, key, i);
            if (!s.ok() || !declared ||
                std::find(bytewise.begin(), bytewise.end(), &key) != bytewise.end())
                continue;
            s = exec("DROP INDEX IF EXISTS " + indexName(*table, key));
            if (s.ok()) s = exec(m_sql.createIndex(*table, key));
        }
        for (const KeyDef* key : bytewise)
            if (s.ok()) s = exec(m_sql.createIndex(*table, *key, true));
    }
    for (const auto& [table, key] : rekey) {
        if (!s.ok()) break;
        s = exec("DROP INDEX " + indexName(*table, *key));
        if (s.ok()) s = exec(m_sql.createIndex(*table, *key));
    }
    if (!s.ok()) {
        rollback();
        return s;
    }
    s = commit();
    // Statements prepared before the change return columns of the old
    // collation, which the server refuses to reuse: prepare them afresh.
    if (s.ok() && !rebuild.empty()) {
        s = exec("DEALLOCATE ALL");
        forgetStatements();
    }
    return s;
}

}  // namespace tko::store

namespace tko::store {

// The server keeps its text indexes itself: a missing one is created (which
// fills it); `rebuild` builds each one anew from the rows.
Status PgEngine::refreshTextIndexes(const std::vector<const TableDef*>& tables, bool rebuild,
                                    std::vector<std::string>& made) {
    made.clear();
    std::vector<std::pair<const TableDef*, const TextIndexDef*>> wanted;
    for (const TableDef* table : tables) {
        for (const TextIndexDef& index : table->textIndexes) {
            SqlQuery q;
            q.sql = "SELECT to_regclass($1) IS NOT NULL, to_regclass($2) IS NOT NULL";
            q.params = {m_sql.tableName(*table), m_sql.quoted(index.sqlName())};
            PGresult* result = nullptr;
            Status s = run(q, result);
            if (!s.ok()) return s;
            const bool tableThere = std::string(PQgetvalue(result, 0, 0)) == "t";
            const bool indexThere = std::string(PQgetvalue(result, 0, 1)) == "t";
            PQclear(result);
            if (tableThere && (rebuild || !indexThere)) wanted.emplace_back(table, &index);
        }
    }
    // Only the tables' owner may make indexes: on a secured office a user's
    // role or the log-in gate leaves them to the owner's next opening (the
    // search reads the rows without them meanwhile).
    const std::string database = databaseName(), role = sessionRole();
    if (wanted.empty() || isUserRole(database, role) || role == gateRoleName(database))
        return Status::success();
    Status s = begin({}, m_options.lockTimeoutMs);
    if (!s.ok()) return s;
    s = exec(std::string("SELECT pg_advisory_xact_lock(") + kCreateLockKey + ")");
    for (const std::string& sql : createFoldFunction())
        if (s.ok()) s = exec(sql);
    for (const auto& [table, index] : wanted) {
        if (s.ok() && rebuild) s = exec("DROP INDEX IF EXISTS " + m_sql.quoted(index->sqlName()));
        for (const std::string& sql : m_sql.createTextIndex(*table, *index))
            if (s.ok()) s = exec(sql);
        // The planner tells a rare piece of text from a common one by the
        // statistics of the indexed expression, which only ANALYZE gathers.
        if (s.ok() && index->substrings) s = exec("ANALYZE " + m_sql.tableName(*table));
        if (s.ok()) made.push_back(index->label);
    }
    if (!s.ok()) {
        rollback();
        made.clear();
        return s;
    }
    return commit();
}

}  // namespace tko::store
