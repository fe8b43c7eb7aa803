#include "platform/store/SqlBuilder.h"

#include <algorithm>
#include <functional>

#include "platform/store/NameCollation.h"
#include "platform/store/TextFold.h"

namespace tko::store {

std::vector<Value> keyValuesOf(const KeyDef& key, const Row& row) {
    std::vector<Value> values;
    values.reserve(key.components.size());
    for (const KeyComponent& c : key.components)
        values.push_back(row.values.at(static_cast<size_t>(c.field)));
    return values;
}

std::string SqlBuilder::quoted(const std::string& identifier) const {
    return "\"" + identifier + "\"";
}

std::string SqlBuilder::tableName(const TableDef& table) const {
    if (table.file == TableFile::Users && !m_dialect.usersSchema.empty())
        return quoted(m_dialect.usersSchema) + "." + quoted(table.label);
    return quoted(table.label);
}

std::string SqlBuilder::columnList(const TableDef& table, bool withMemos) const {
    std::string cols = quoted(kRowIdColumn) + ", " + quoted(kVersionColumn);
    for (const FieldDef& f : table.fields) {
        if (!withMemos && f.type == FieldType::Memo) continue;
        const auto masked = m_dialect.maskedColumns.find(table.label + "." + f.name);
        cols += ", " + (masked == m_dialect.maskedColumns.end()
                            ? quoted(f.name)
                            : masked->second + " AS " + quoted(f.name));
    }
    return cols;
}

std::string SqlBuilder::columnDefinitions(const TableDef& table) const {
    std::string sql = "(" + quoted(kRowIdColumn) + " " + m_dialect.idType + ", " +
                      quoted(kVersionColumn) + " INTEGER NOT NULL DEFAULT 1";
    for (const FieldDef& f : table.fields) {
        sql += ", " + quoted(f.name) + " ";
        switch (f.type) {
            case FieldType::String:
                sql += m_dialect.nameType + " NOT NULL DEFAULT ''";
                break;
            case FieldType::Memo:
                sql += m_dialect.textType + " NOT NULL DEFAULT ''";
                break;
            case FieldType::ByteArray:
                sql += m_dialect.textType + " NOT NULL DEFAULT '" +
                       std::string(static_cast<size_t>(f.width), '0') + "'";
                break;
            default:
                sql += "INTEGER NOT NULL DEFAULT 0";
                break;
        }
    }
    return sql + ")";
}

std::vector<std::string> SqlBuilder::createTable(const TableDef& table) const {
    std::vector<std::string> statements{"CREATE TABLE IF NOT EXISTS " + tableName(table) + " " +
                                        columnDefinitions(table)};
    for (const KeyDef& key : table.keys) statements.push_back(createIndex(table, key));
    return statements;
}

std::string SqlBuilder::textVector(const TableDef& table, const TextIndexDef& index,
                                   const std::string& alias) const {
    return "to_tsvector('simple'::regconfig, " + foldedText(table, index, alias) + ")";
}

// The folded texts of a text index on the server, in one expression: the
// index is built on it and the filters compare it, so both must spell it
// alike. The blank between the columns can only make a piece of text seem to
// span two of them; the filter box tests each column again.
std::string SqlBuilder::foldedText(const TableDef& table, const TextIndexDef& index,
                                   const std::string& alias) const {
    std::string text;
    for (const int field : index.fields) {
        if (!text.empty()) text += " || ' ' || ";
        text += "(" + (alias.empty() ? std::string() : alias + ".") +
                quoted(table.fields[static_cast<size_t>(field)].name) + m_dialect.foldCollate + ")";
    }
    return m_dialect.foldSchema + kFoldFunction + "(" + text + ")";
}

std::vector<std::string> SqlBuilder::createTextIndex(const TableDef& table,
                                                     const TextIndexDef& index) const {
    const std::string name = quoted(index.sqlName());
    const bool server = m_dialect.textIndexes == SqlDialect::TextIndexes::TsVector;
    if (server && index.substrings)
        return {"CREATE INDEX IF NOT EXISTS " + name + " ON " + tableName(table) + " USING gin ((" +
                foldedText(table, index, "") + ") public.gin_trgm_ops)"};
    if (server)
        return {"CREATE INDEX IF NOT EXISTS " + name + " ON " + tableName(table) + " USING gin (" +
                textVector(table, index, "") + ")"};
    // An FTS5 table kept in step by triggers with every insert, change of an
    // indexed column and delete, in the writer's own transaction. A word
    // index keeps only the words (external content: the rows stay in the
    // table). A substring index keeps the trigrams of the folded texts, which
    // are nowhere in the table, so it has no content and is told the folded
    // old texts to take out.
    std::string columns, newValues, oldValues, updateOf;
    for (const int field : index.fields) {
        const std::string column = quoted(table.fields[static_cast<size_t>(field)].name);
        columns += ", " + column;
        if (index.substrings) {
            newValues += std::string(", ") + kFoldFunction + "(new." + column + ")";
            oldValues += std::string(", ") + kFoldFunction + "(old." + column + ")";
        } else {
            newValues += ", new." + column;
            oldValues += ", old." + column;
        }
        updateOf += (updateOf.empty() ? "" : ", ") + column;
    }
    const std::string rowId = quoted(kRowIdColumn);
    const std::string insertNew =
        "INSERT INTO " + name + "(rowid" + columns + ") VALUES (new." + rowId + newValues + "); ";
    const std::string deleteOld = "INSERT INTO " + name + "(" + name + ", rowid" + columns +
                                  ") VALUES ('delete', old." + rowId + oldValues + "); ";
    const std::string trigger = "CREATE TRIGGER IF NOT EXISTS \"" + index.sqlName() + "_";
    const std::string options = index.substrings ? ", content='', tokenize='trigram'"
                                                 : ", content=" + quoted(table.label) +
                                                       ", content_rowid=" + rowId +
                                                       ", tokenize='unicode61 remove_diacritics 2'";
    return {"CREATE VIRTUAL TABLE IF NOT EXISTS " + name + " USING fts5(" + columns.substr(2) +
                options + ")",
            trigger + "AI\" AFTER INSERT ON " + tableName(table) + " BEGIN " + insertNew + "END",
            trigger + "AD\" AFTER DELETE ON " + tableName(table) + " BEGIN " + deleteOld + "END",
            trigger + "AU\" AFTER UPDATE OF " + updateOf + " ON " + tableName(table) + " BEGIN " +
                deleteOld + insertNew + "END"};
}

std::vector<std::string> SqlBuilder::rebuildTextIndex(const TableDef& table,
                                                      const TextIndexDef& index) const {
    if (m_dialect.textIndexes == SqlDialect::TextIndexes::TsVector) return {};
    const std::string name = quoted(index.sqlName());
    if (!index.substrings) return {"INSERT INTO " + name + "(" + name + ") VALUES ('rebuild')"};
    // A table without content cannot rebuild itself: emptied, then filled.
    return {"INSERT INTO " + name + "(" + name + ") VALUES ('delete-all')",
            fillTextIndex(table, index)};
}

std::string SqlBuilder::fillTextIndex(const TableDef& table, const TextIndexDef& index) const {
    std::string columns, values;
    for (const int field : index.fields) {
        const std::string column = quoted(table.fields[static_cast<size_t>(field)].name);
        columns += ", " + column;
        values +=
            ", " + (index.substrings ? std::string(kFoldFunction) + "(" + column + ")" : column);
    }
    return "INSERT INTO " + quoted(index.sqlName()) + "(rowid" + columns + ") SELECT " +
           quoted(kRowIdColumn) + values + " FROM " + tableName(table);
}

std::string SqlBuilder::textIndexHashSize(const TextIndexDef& index, int bytes) const {
    const std::string name = quoted(index.sqlName());
    return "INSERT INTO " + name + "(" + name + ", rank) VALUES ('hashsize', " +
           std::to_string(bytes) + ")";
}

std::string SqlBuilder::createIndex(const TableDef& table, const KeyDef& key, bool bytewise) const {
    std::string sql =
        key.unique ? "CREATE UNIQUE INDEX IF NOT EXISTS " : "CREATE INDEX IF NOT EXISTS ";
    const bool inUsers = table.file == TableFile::Users && !m_dialect.usersSchema.empty();
    if (m_dialect.schemaOnIndexName) {
        sql += (inUsers ? quoted(m_dialect.usersSchema) + "." : std::string()) +
               quoted(key.sqlName()) + " ON " + quoted(table.label);
    } else {
        sql += quoted(key.sqlName()) + " ON " + tableName(table);
    }
    sql += " (";
    for (size_t i = 0; i < key.components.size(); ++i) {
        if (i) sql += ", ";
        const FieldDef& f = table.fields[static_cast<size_t>(key.components[i].field)];
        sql += quoted(f.name);
        if (bytewise && f.type == FieldType::String)
            sql += m_dialect.bytewiseCollate;
        else
            sql += keyCollate(table, key.components[i]);
        if (key.components[i].descending) sql += " DESC";
    }
    if (m_dialect.indexesNeedRowId && !key.unique) sql += ", " + quoted(kRowIdColumn);
    sql += ")";
    return sql;
}

std::string SqlBuilder::keyCollate(const TableDef& table, const KeyComponent& component) const {
    return table.ordersBytewise(component) ? m_dialect.bytewiseCollate : std::string();
}

std::string SqlBuilder::param(std::vector<Value>& params, Value value) const {
    params.push_back(std::move(value));
    return m_dialect.numberedParams ? "$" + std::to_string(params.size()) : std::string("?");
}

std::string SqlBuilder::filterValue(std::vector<Value>& params, Value value) const {
    if (!m_dialect.literalFilterValues) return param(params, std::move(value));
    if (const auto* n = std::get_if<std::int64_t>(&value)) return std::to_string(*n);
    const std::string& text = std::get<std::string>(value);
    if (text.find('\0') != std::string::npos) return param(params, std::move(value));
    std::string literal = "'";
    for (char c : text) {
        literal += c;
        if (c == '\'') literal += c;
    }
    return literal + "'";
}

void SqlBuilder::appendFilter(const TableDef& table, const std::string& alias, const Filter& filter,
                              std::string& sql, std::vector<Value>& params) const {
    switch (filter.kind) {
        case Filter::Kind::All:
            sql += "1=1";
            return;
        case Filter::Kind::Compare: {
            const int i = table.fieldIndex(filter.field);
            if (i < 0) {  // a programming error: an unknown field never matches
                sql += "1=0";
                return;
            }
            const FieldDef& f = table.fields[static_cast<size_t>(i)];
            static constexpr const char* kOps[] = {
                " = ", " <> ", " < ", " <= ", " > ", " >= ", " = "};
            sql += alias + "." + quoted(f.name);
            if (filter.op == Filter::Op::Same) sql += m_dialect.bytewiseCollate;
            sql +=
                kOps[static_cast<int>(filter.op)] + filterValue(params, normalise(f, filter.value));
            return;
        }
        case Filter::Kind::And:
        case Filter::Kind::Or: {
            if (filter.children.empty()) {
                sql += filter.kind == Filter::Kind::And ? "1=1" : "1=0";
                return;
            }
            sql += "(";
            for (size_t i = 0; i < filter.children.size(); ++i) {
                if (i) sql += filter.kind == Filter::Kind::And ? " AND " : " OR ";
                appendFilter(table, alias, filter.children[i], sql, params);
            }
            sql += ")";
            return;
        }
        case Filter::Kind::Not:
            sql += "NOT (";
            appendFilter(table, alias, filter.children.front(), sql, params);
            sql += ")";
            return;
        case Filter::Kind::Contains: {
            const int i = table.fieldIndex(filter.field);
            const auto* word = std::get_if<std::string>(&filter.value);
            if (i < 0 || !word) {  // a programming error: never matches
                sql += "1=0";
                return;
            }
            // The folded column against the folded word; the server compares
            // the folded text bytewise, as LIKE needs.
            sql += m_dialect.foldSchema + kFoldFunction + "(" + alias + "." +
                   quoted(table.fields[static_cast<size_t>(i)].name) + ")" + m_dialect.foldCollate +
                   " LIKE " + filterValue(params, containsPattern(*word)) + " ESCAPE '\\'";
            return;
        }
        case Filter::Kind::Matches: {
            const TextIndexDef* index = table.textIndex(filter.field);
            const auto* typed = std::get_if<std::string>(&filter.value);
            const bool server = m_dialect.textIndexes == SqlDialect::TextIndexes::TsVector;
            // The server indexes folded words; FTS5 folds letter case and
            // accents itself, and keeps letters such as ß that folding expands.
            const std::vector<std::string> tokens =
                !typed ? std::vector<std::string>{}
                       : (server ? searchTokens(*typed) : splitTokens(*typed));
            if (!index || tokens.empty()) {  // nothing to look for: no row
                sql += "1=0";
                return;
            }
            // Every token as a word or the start of one. Tokens hold only
            // letters and digits, so they need no quoting in either syntax.
            std::string query;
            for (const std::string& token : tokens)
                query += (query.empty() ? "" : (server ? " & " : " AND ")) +
                         (server ? token + ":*" : "\"" + token + "\"*");
            // A column the session may not select (a user's role on a secured
            // server: the confidential comments) is searched through its mask,
            // which gives what this user may read; row by row, as the index
            // holds the column itself. Masks name the row by the alias "t".
            bool masked = false;
            for (const int field : index->fields)
                masked = masked ||
                         m_dialect.maskedColumns.count(
                             table.label + "." + table.fields[static_cast<size_t>(field)].name) > 0;
            if (server && masked && alias == "t") {
                std::string text;
                for (const int field : index->fields) {
                    const std::string& name = table.fields[static_cast<size_t>(field)].name;
                    const auto mask = m_dialect.maskedColumns.find(table.label + "." + name);
                    if (!text.empty()) text += " || ' ' || ";
                    text += "(" +
                            (mask != m_dialect.maskedColumns.end() ? mask->second
                                                                   : alias + "." + quoted(name)) +
                            m_dialect.foldCollate + ")";
                }
                sql += "to_tsvector('simple'::regconfig, " + m_dialect.foldSchema + kFoldFunction +
                       "(" + text + ")) @@ to_tsquery('simple'::regconfig, " +
                       filterValue(params, query) + ")";
            } else if (server && masked) {
                sql += "1=0";  // not readable here
            } else if (server) {
                // The matching rows are found through the index first, as an
                // array the outer read looks its rows up by: tested row by row
                // along a list's order, the words of every row would be folded
                // and split on the way, and a semi-join lets the planner walk
                // the whole key to meet a handful of matches.
                // The first rows are sorted out of all matches (OFFSET 0 keeps
                // the matching apart): asked for in key order, the planner,
                // which cannot count the words that start with a prefix, would
                // walk the key testing every row's words.
                const std::string inner = alias + "w";
                const std::string rowId = inner + "." + quoted(kRowIdColumn);
                std::string matching = "SELECT " + rowId + " AS r FROM " + tableName(table) + " " +
                                       inner + " WHERE " + textVector(table, *index, inner) +
                                       " @@ to_tsquery('simple'::regconfig, " +
                                       filterValue(params, query) + ")";
                if (!filter.children.empty()) {
                    matching += " AND ";
                    appendFilter(table, inner, filter.children.front(), matching, params);
                }
                sql += alias + "." + quoted(kRowIdColumn) + " = ANY (ARRAY(";
                if (filter.firstRows > 0)
                    sql += "SELECT m.r FROM (" + matching + " OFFSET 0) m ORDER BY m.r LIMIT " +
                           std::to_string(filter.firstRows);
                else
                    sql += matching;
                sql += "))";
            } else {
                // FTS5 hands its rows over in rowid order, so the first rows
                // come without reading the others.
                const std::string name = quoted(index->sqlName());
                const std::string inner = alias + "w";
                sql += alias + "." + quoted(kRowIdColumn) + " IN (SELECT " + name + ".rowid FROM " +
                       name;
                if (!filter.children.empty())
                    sql += " JOIN " + tableName(table) + " " + inner + " ON " + inner + "." +
                           quoted(kRowIdColumn) + " = " + name + ".rowid";
                sql += " WHERE " + name + " MATCH " + filterValue(params, query);
                if (!filter.children.empty()) {
                    sql += " AND ";
                    appendFilter(table, inner, filter.children.front(), sql, params);
                }
                if (filter.firstRows > 0)
                    sql += " ORDER BY " + name + ".rowid LIMIT " + std::to_string(filter.firstRows);
                sql += ")";
            }
            return;
        }
        case Filter::Kind::Substring: {
            const TextIndexDef* index = table.textIndex(filter.field);
            const auto* word = std::get_if<std::string>(&filter.value);
            if (!index || !index->substrings || !word) {  // a programming error: no row
                sql += "1=0";
                return;
            }
            if (!trigramWord(*word)) {  // nothing a trigram index can look up
                sql += "1=1";
                return;
            }
            const std::string limit =
                filter.firstRows > 0 ? " LIMIT " + std::to_string(filter.firstRows) : "";
            if (m_dialect.textIndexes == SqlDialect::TextIndexes::TsVector) {
                // The indexed expression itself: the planner, which knows
                // from its statistics how many rows hold the word, chooses
                // between the trigram index and the read's own order. Counted
                // up to a bound, the rows are looked up by an array.
                const std::string inner = limit.empty() ? alias : alias + "s";
                const std::string test = foldedText(table, *index, inner) + " LIKE " +
                                         filterValue(params, containsPattern(*word)) +
                                         " ESCAPE '\\'";
                if (limit.empty())
                    sql += test;
                else
                    sql += alias + "." + quoted(kRowIdColumn) + " = ANY (ARRAY(SELECT " + inner +
                           "." + quoted(kRowIdColumn) + " FROM " + tableName(table) + " " + inner +
                           " WHERE " + test + limit + "))";
            } else {
                // One FTS5 phrase of the folded word: its trigrams in a row,
                // which is the word itself, within one column.
                std::string phrase = "\"";
                for (const char c : foldText(*word)) {
                    phrase += c;
                    if (c == '"') phrase += c;
                }
                phrase += "\"";
                const std::string name = quoted(index->sqlName());
                sql += alias + "." + quoted(kRowIdColumn) + " IN (SELECT rowid FROM " + name +
                       " WHERE " + name + " MATCH " + filterValue(params, phrase) + limit + ")";
            }
            return;
        }
        case Filter::Kind::Exists: {
            const TableDef& inner = *filter.table;
            const std::string innerAlias = alias + "x";
            sql += "EXISTS (SELECT 1 FROM " + tableName(inner) + " " + innerAlias + " WHERE 1=1";
            for (const auto& [innerField, outerField] : filter.links) {
                const int ii = inner.fieldIndex(innerField);
                const int oi = table.fieldIndex(outerField);
                if (ii < 0 || oi < 0) {
                    sql += " AND 1=0";
                    continue;
                }
                sql += " AND " + innerAlias + "." +
                       quoted(inner.fields[static_cast<size_t>(ii)].name) + " = " + alias + "." +
                       quoted(table.fields[static_cast<size_t>(oi)].name);
            }
            if (!filter.children.empty()) {
                sql += " AND ";
                appendFilter(inner, innerAlias, filter.children.front(), sql, params);
            }
            sql += ")";
            return;
        }
    }
}

// The planner drops a key column that an arm holds equal to one value from
// the order the arm's index gives, and then sorts the arm's rows before
// merging them with the other arms': the page read the whole arm's first
// page (21 rows where the merge took 1). Written as a list of that one value
// the equality selects the same rows, the column stays in the arm's order,
// and the merge reads the arm only as far as it takes rows from it.
void SqlBuilder::appendArmFilter(const TableDef& table, const Filter& filter,
                                 const std::vector<int>& ordered, SqlQuery& q) const {
    auto write = [&](const Filter& f) {
        const int i = f.kind == Filter::Kind::Compare && f.op == Filter::Op::Eq
                          ? table.fieldIndex(f.field)
                          : -1;
        if (i < 0 || std::find(ordered.begin(), ordered.end(), i) == ordered.end()) {
            appendFilter(table, "t", f, q.sql, q.params);
            return;
        }
        const FieldDef& field = table.fields[static_cast<size_t>(i)];
        q.sql += "t." + quoted(field.name) + " = ANY(ARRAY[" +
                 filterValue(q.params, normalise(field, f.value)) + "])";
    };
    if (filter.kind != Filter::Kind::And || filter.children.empty()) {
        write(filter);
        return;
    }
    q.sql += "(";
    for (size_t i = 0; i < filter.children.size(); ++i) {
        if (i) q.sql += " AND ";
        write(filter.children[i]);
    }
    q.sql += ")";
}

std::string SqlBuilder::orderBy(const TableDef& table, const KeyDef* key, Direction dir,
                                const std::string& alias, size_t skip) const {
    const bool forward = dir == Direction::Forward;
    std::string sql = " ORDER BY ";
    if (key) {
        for (size_t i = skip; i < key->components.size(); ++i) {
            const KeyComponent& c = key->components[i];
            const bool asc = forward != c.descending;
            sql += alias + quoted(table.fields[static_cast<size_t>(c.field)].name) +
                   keyCollate(table, c) + (asc ? " ASC, " : " DESC, ");
        }
    }
    sql += alias + quoted(kRowIdColumn) + (forward ? " ASC" : " DESC");
    return sql;
}

Status SqlBuilder::readPage(const TableDef& table, const ReadRequest& request,
                            std::vector<Row>& out,
                            const std::function<Status(const SqlQuery&)>& appendRows) const {
    out.clear();
    if (request.limit <= 0) return Status::error(kInvalidArgument);
    if (m_dialect.singleStatementPages) {
        const Status s = appendRows(pageStatement(table, request));
        if (!s.ok()) return s;
        return out.empty() ? Status::error(kRecordNotAvailable) : Status::success();
    }
    Status s = Status::success();
    pageSql(table, request, [&](SqlQuery& query) {
        const int wanted = request.limit - static_cast<int>(out.size());
        query.params[static_cast<size_t>(query.limitParam)] = std::int64_t{wanted};
        s = appendRows(query);
        return s.ok() && static_cast<int>(out.size()) < request.limit;
    });
    if (!s.ok()) return s;
    return out.empty() ? Status::error(kRecordNotAvailable) : Status::success();
}

SqlQuery SqlBuilder::fetchQuery(const TableDef& table, const KeyDef& key,
                                const std::vector<Value>& values) const {
    SqlQuery q;
    q.sql = "SELECT " + columnList(table, true) + " FROM " + tableName(table) + " t WHERE 1=1";
    for (size_t i = 0; i < key.components.size() && i < values.size(); ++i) {
        const FieldDef& f = table.fields[static_cast<size_t>(key.components[i].field)];
        q.sql += " AND t." + quoted(f.name) + keyCollate(table, key.components[i]) + " = " +
                 param(q.params, normalise(f, values[i]));
    }
    q.sql += orderBy(table, &key, Direction::Forward, "t.") + " LIMIT 1";
    return q;
}

SqlQuery SqlBuilder::rereadQuery(const TableDef& table, std::int64_t pos) const {
    SqlQuery q;
    q.sql = "SELECT " + columnList(table, true) + " FROM " + tableName(table) + " t WHERE t." +
            quoted(kRowIdColumn) + " = " + param(q.params, pos);
    return q;
}

SqlQuery SqlBuilder::countQuery(const TableDef& table, const Filter& filter, const KeyDef* along,
                                bool scan) const {
    SqlQuery q;
    q.sql = "SELECT COUNT(*) FROM " + tableName(table) + " t";
    if (along && m_dialect.indexedBy) q.sql += " INDEXED BY " + quoted(along->sqlName());
    if (scan && !along && m_dialect.indexedBy) q.sql += " NOT INDEXED";
    q.sql += " WHERE ";
    appendFilter(table, "t", filter, q.sql, q.params);
    return q;
}

std::string textProblem(const TableDef& table, const Row& row) {
    for (size_t i = 0; i < table.fields.size() && i < row.values.size(); ++i) {
        const FieldDef& f = table.fields[i];
        if (f.type != FieldType::String && f.type != FieldType::Memo) continue;
        const auto* text = std::get_if<std::string>(&row.values[i]);
        if (!text) continue;
        const std::string name = table.prefix + ":" + f.name;
        if (text->find('\0') != std::string::npos)
            return name + " holds a NUL character, which cannot be stored";
        const int length = utf8Length(rtrim(*text));
        if (length > f.width)
            return name + " holds " + std::to_string(length) + " characters; at most " +
                   std::to_string(f.width) + " fit";
    }
    return {};
}

SqlQuery SqlBuilder::distinctQuery(const TableDef& table, const KeyDef& key, const Filter& filter,
                                   size_t most) const {
    const KeyComponent& first = key.components.front();
    const std::string column = "t." + quoted(table.fields[static_cast<size_t>(first.field)].name) +
                               keyCollate(table, first);
    const std::string next =
        " ORDER BY " + column + (first.descending ? " DESC" : " ASC") + " LIMIT 1";
    SqlQuery q;
    q.sql = "WITH RECURSIVE d(v) AS ((SELECT " + column + " FROM " + tableName(table) + " t WHERE ";
    appendFilter(table, "t", filter, q.sql, q.params);
    q.sql += next + ") UNION ALL SELECT (SELECT " + column + " FROM " + tableName(table) +
             " t WHERE " + column + (first.descending ? " < " : " > ") + "d.v AND ";
    appendFilter(table, "t", filter, q.sql, q.params);
    q.sql += next + ") FROM d WHERE d.v IS NOT NULL) SELECT v FROM d WHERE v IS NOT NULL LIMIT " +
             std::to_string(most);
    return q;
}

SqlQuery SqlBuilder::insertQuery(const TableDef& table, const Row& row) const {
    SqlQuery q;
    std::string cols, vals;
    for (size_t i = 0; i < table.fields.size(); ++i) {
        if (i) {
            cols += ", ";
            vals += ", ";
        }
        cols += quoted(table.fields[i].name);
        const Value v = i < row.values.size() ? normalise(table.fields[i], row.values[i])
                                              : blankValue(table.fields[i]);
        vals += param(q.params, v);
    }
    q.sql = "INSERT INTO " + tableName(table) + " (" + cols + ") VALUES (" + vals + ") RETURNING " +
            quoted(kRowIdColumn);
    return q;
}

SqlQuery SqlBuilder::updateQuery(const TableDef& table, const Row& row) const {
    SqlQuery q;
    q.sql = "UPDATE " + tableName(table) + " SET ";
    for (size_t i = 0; i < table.fields.size(); ++i) {
        const Value v = i < row.values.size() ? normalise(table.fields[i], row.values[i])
                                              : blankValue(table.fields[i]);
        q.sql += quoted(table.fields[i].name) + " = " + param(q.params, v) + ", ";
    }
    // One param() per statement: the order of calls fixes the order of values.
    q.sql += quoted(kVersionColumn) + " = " + quoted(kVersionColumn) + " + 1 WHERE " +
             quoted(kRowIdColumn) + " = " + param(q.params, row.pos);
    q.sql += " AND " + quoted(kVersionColumn) + " = " + param(q.params, row.version);
    return q;
}

SqlQuery SqlBuilder::deleteQuery(const TableDef& table, std::int64_t pos) const {
    SqlQuery q;
    q.sql = "DELETE FROM " + tableName(table) + " WHERE " + quoted(kRowIdColumn) + " = " +
            param(q.params, pos);
    return q;
}

}  // namespace tko::store
