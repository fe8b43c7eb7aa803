#include "platform/store/SqlBuilder.h"

#include <algorithm>
#include <functional>

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
    for (const FieldDef& f : table.fields)
        if (withMemos || f.type != FieldType::Memo) cols += ", " + quoted(f.name);
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
        if (bytewise && f.type == FieldType::String) sql += m_dialect.bytewiseCollate;
        if (key.components[i].descending) sql += " DESC";
    }
    if (m_dialect.indexesNeedRowId && !key.unique) sql += ", " + quoted(kRowIdColumn);
    sql += ")";
    return sql;
}

std::string SqlBuilder::param(std::vector<Value>& params, Value value) const {
    params.push_back(std::move(value));
    return m_dialect.numberedParams ? "$" + std::to_string(params.size()) : std::string("?");
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
            sql += kOps[static_cast<int>(filter.op)] + param(params, normalise(f, filter.value));
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

std::string SqlBuilder::orderBy(const TableDef& table, const KeyDef* key, Direction dir,
                                const std::string& alias) const {
    const bool forward = dir == Direction::Forward;
    std::string sql = " ORDER BY ";
    if (key) {
        for (const KeyComponent& c : key->components) {
            const bool asc = forward != c.descending;
            sql += alias + quoted(table.fields[static_cast<size_t>(c.field)].name) +
                   (asc ? " ASC, " : " DESC, ");
        }
    }
    sql += alias + quoted(kRowIdColumn) + (forward ? " ASC" : " DESC");
    return sql;
}

namespace {

// One arm of a page query: the index it reads and the filter it applies.
struct Arm {
    const KeyDef* key;
    Filter filter;
};

// A key that is `field` followed by exactly the other components of `key`:
// within one value of `field` it orders rows as `key` does (a component that
// is `field` itself is constant there and may be left out).
const KeyDef* keyLeadingWith(const TableDef& table, int field, const KeyDef& key) {
    std::vector<KeyComponent> others;
    for (const KeyComponent& c : key.components)
        if (c.field != field) others.push_back(c);
    for (const KeyDef& k : table.keys) {
        if (k.components.size() != others.size() + 1) continue;
        if (k.components[0].field != field) continue;
        bool same = true;
        for (size_t i = 0; i < others.size() && same; ++i)
            same = k.components[i + 1].field == others[i].field &&
                   k.components[i + 1].descending == others[i].descending;
        if (same) return &k;
    }
    return nullptr;
}

// The index an equality on `field` lets a read along `key` use: `key` itself
// when `field` is its first component (the value then fixes a prefix range),
// else a key (field, key...) when one exists.
const KeyDef* keyForEquality(const TableDef& table, int field, const KeyDef& key) {
    if (!key.components.empty() && key.components[0].field == field) return &key;
    return keyLeadingWith(table, field, key);
}

// Filters that are constant once a column's value is known.
Filter alwaysTrue() {
    return all();
}
Filter alwaysFalse() {
    return anyOf({});
}
bool isFalse(const Filter& f) {
    return f.kind == Filter::Kind::Or && f.children.empty();
}

// `filter` on the rows whose `field` equals `value`: every comparison of that
// field that the value decides becomes true or false, and the And/Or/Not
// around it shrink accordingly. An arm of an either-or read then carries only
// the tests its own rows still need, and tests that were hidden under a
// negation or an alternative come out as plain conjuncts the database can use
// as bounds of the index range. Texts are decided only when the compared value
// is the same text: their order and equality are the database's collation.
Filter assuming(const TableDef& table, const Filter& filter, int field, const Value& value) {
    switch (filter.kind) {
        case Filter::Kind::All:
        case Filter::Kind::Exists:
            return filter;
        case Filter::Kind::Compare: {
            if (table.fieldIndex(filter.field) != field) return filter;
            const FieldDef& f = table.fields[static_cast<size_t>(field)];
            const Value known = normalise(f, value);
            const Value other = normalise(f, filter.value);
            const bool numeric = std::holds_alternative<std::int64_t>(known);
            if (!numeric && known != other) return filter;
            const int c = compareValues(known, other);
            bool holds = false;
            switch (filter.op) {
                case Filter::Op::Eq:
                case Filter::Op::Same:  // the texts are identical here
                    holds = c == 0;
                    break;
                case Filter::Op::Ne:
                    holds = c != 0;
                    break;
                case Filter::Op::Lt:
                    holds = c < 0;
                    break;
                case Filter::Op::Le:
                    holds = c <= 0;
                    break;
                case Filter::Op::Gt:
                    holds = c > 0;
                    break;
                case Filter::Op::Ge:
                    holds = c >= 0;
                    break;
            }
            return holds ? alwaysTrue() : alwaysFalse();
        }
        case Filter::Kind::And: {
            std::vector<Filter> kept;
            for (const Filter& child : filter.children) {
                Filter r = assuming(table, child, field, value);
                if (isFalse(r)) return alwaysFalse();
                // Nested conjunctions become one list of conjuncts.
                if (r.kind == Filter::Kind::And)
                    for (Filter& g : r.children) kept.push_back(std::move(g));
                else
                    kept.push_back(std::move(r));
            }
            return allOf(std::move(kept));
        }
        case Filter::Kind::Or: {
            std::vector<Filter> kept;
            for (const Filter& child : filter.children) {
                Filter r = assuming(table, child, field, value);
                if (r.isAll()) return alwaysTrue();
                if (!isFalse(r)) kept.push_back(std::move(r));
            }
            return anyOf(std::move(kept));
        }
        case Filter::Kind::Not: {
            Filter r = assuming(table, filter.children.front(), field, value);
            if (r.isAll()) return alwaysFalse();
            if (isFalse(r)) return alwaysTrue();
            if (r.kind == Filter::Kind::Not) return std::move(r.children.front());
            return negate(std::move(r));
        }
    }
    return filter;
}

// How a page along key K is read:
// - a filter "... AND (a = x OR b = y) AND ..." becomes one index range per
//   alternative, merged in key order, when each alternative has an index
//   (see keyForEquality): each arm visits only rows of its own value instead of
//   scanning the whole key;
// - a filter "... AND a = x AND ..." reads the index (a, K...) when one exists;
// - otherwise the page is one read along K with the filter.
std::vector<Arm> armsOf(const TableDef& table, const ReadRequest& request) {
    std::vector<Arm> single{{request.key, request.filter}};
    if (!request.key) return single;
    const Filter* alternatives = nullptr;
    std::vector<Filter> rest;
    if (request.filter.kind == Filter::Kind::Or) {
        alternatives = &request.filter;
    } else if (request.filter.kind == Filter::Kind::And) {
        for (const Filter& f : request.filter.children) {
            if (f.kind == Filter::Kind::Or && !alternatives)
                alternatives = &f;
            else
                rest.push_back(f);
        }
    } else {
        rest.push_back(request.filter);
    }
    if (!alternatives || alternatives->children.size() < 2) {
        // One equality whose column leads a longer index of the same order.
        for (const Filter& f : rest) {
            if (f.kind != Filter::Kind::Compare || f.op != Filter::Op::Eq) continue;
            if (const KeyDef* key = keyLeadingWith(table, table.fieldIndex(f.field), *request.key))
                return {{key, request.filter}};
        }
        return single;
    }
    std::vector<Arm> arms;
    std::vector<Filter> earlier;
    for (const Filter& alt : alternatives->children) {
        if (alt.kind != Filter::Kind::Compare || alt.op != Filter::Op::Eq) return single;
        const KeyDef* key = keyForEquality(table, table.fieldIndex(alt.field), *request.key);
        if (!key) return single;
        std::vector<Filter> conditions = rest;
        // A row matching several alternatives belongs to the first one only.
        for (const Filter& e : earlier) conditions.push_back(negate(e));
        earlier.push_back(alt);
        Filter others =
            assuming(table, allOf(std::move(conditions)), table.fieldIndex(alt.field), alt.value);
        if (isFalse(others)) continue;  // no row of this value can pass
        arms.push_back({key, allOf({alt, std::move(others)})});
    }
    if (arms.empty()) return {{request.key, alwaysFalse()}};
    return arms;
}

// `filter` for the rows of one level of a keyset page, whose first `fixed` key
// components equal the starting values: every test those numbers decide is
// dropped. A page continuing "due on D, priority above P" of a filter "due by
// today" then no longer gives the database two conditions on the due date,
// of which SQLite takes the range for the index bound and reads every row due
// by today to sort out the few due on D. Texts stay: equality under the name
// collation says nothing about letter case.
Filter withPrefixKnown(const TableDef& table, const ReadRequest& request, const Filter& filter,
                       size_t fixed) {
    Filter known = filter;
    for (size_t i = 0; i < fixed && i < request.from.values.size(); ++i) {
        const int field = request.key->components[i].field;
        const Value value =
            normalise(table.fields[static_cast<size_t>(field)], request.from.values[i]);
        if (!std::holds_alternative<std::int64_t>(value)) continue;
        known = assuming(table, known, field, value);
    }
    return known;
}

}  // namespace

std::vector<SqlQuery> SqlBuilder::pageQueries(const TableDef& table,
                                              const ReadRequest& request) const {
    return pageSql(table, request, false);
}

SqlQuery SqlBuilder::pageStatement(const TableDef& table, const ReadRequest& request) const {
    return pageSql(table, request, true).front();
}

std::vector<SqlQuery> SqlBuilder::pageSql(const TableDef& table, const ReadRequest& request,
                                          bool single) const {
    const bool forward = request.direction == Direction::Forward;
    const std::vector<Arm> arms = armsOf(table, request);
    const std::string rowId = "t." + quoted(kRowIdColumn);

    // A query: for each arm the key condition, the arm's filter; then the order
    // and the limit. `keyCondition` appends its parameters as it writes them.
    // With `single` each query becomes one branch of a UNION ALL in `joined`,
    // limited to a whole page; the statement's own LIMIT ends the reading.
    std::vector<SqlQuery> queries;
    SqlQuery joined;
    int branches = 0;
    using KeyCondition = std::function<std::string(SqlQuery&)>;
    // `fixed`: how many leading key components the key condition holds equal
    // to the starting values (see withPrefixKnown()).
    auto build = [&](const KeyCondition& keyCondition, size_t fixed) {
        SqlQuery& q = single ? joined : queries.emplace_back();
        if (single) q.sql += std::string(branches ? " UNION ALL " : "") + "SELECT * FROM (";
        const bool merged = arms.size() > 1;
        // On the server each arm of a merge is an ordered, limited read of its
        // own index, and the outer query orders at most a page per arm. SQLite
        // merges the plain arms of a compound SELECT under one ORDER BY itself,
        // each read in its index's order and only as far as the LIMIT takes
        // the merge; an arm limited on its own would be read a whole page deep
        // and sorted, nine pages for nine ranges.
        const bool limitedArms = merged && single;
        for (size_t a = 0; a < arms.size(); ++a) {
            if (a) q.sql += " UNION ALL ";
            if (limitedArms) q.sql += "SELECT * FROM (";
            q.sql += "SELECT " + columnList(table, request.withMemos) + " FROM " +
                     tableName(table) + " t";
            if (m_dialect.indexedBy && arms[a].key)
                q.sql += " INDEXED BY " + quoted(arms[a].key->sqlName());
            q.sql += " WHERE " + keyCondition(q) + " AND ";
            appendFilter(table, "t", withPrefixKnown(table, request, arms[a].filter, fixed), q.sql,
                         q.params);
            if (limitedArms)
                q.sql += orderBy(table, request.key, request.direction, "t.") + " LIMIT " +
                         std::to_string(request.limit) + ") a" + std::to_string(a);
        }
        q.sql += orderBy(table, request.key, request.direction, merged ? "" : "t.") + " LIMIT ";
        if (single) {
            q.sql += std::to_string(request.limit) + ") r" + std::to_string(branches++);
        } else {
            q.sql += param(q.params, std::int64_t{request.limit});
            q.limitParam = static_cast<int>(q.params.size()) - 1;
        }
    };
    auto finish = [&]() -> std::vector<SqlQuery> {
        if (!single) return queries;
        joined.sql += " LIMIT " + param(joined.params, std::int64_t{request.limit});
        joined.limitParam = static_cast<int>(joined.params.size()) - 1;
        return {joined};
    };

    if (!request.key) {
        build(
            [&](SqlQuery& q) -> std::string {
                if (!request.from.after) return "1=1";
                return rowId + (forward ? " > " : " < ") + param(q.params, *request.from.after);
            },
            0);
        return finish();
    }

    const auto& comps = request.key->components;
    const size_t given = std::min(request.from.values.size(), comps.size());
    const bool after = request.from.after.has_value() && given == comps.size();
    auto column = [&](size_t i) {
        return "t." + quoted(table.fields[static_cast<size_t>(comps[i].field)].name);
    };
    auto value = [&](size_t i) {
        return normalise(table.fields[static_cast<size_t>(comps[i].field)], request.from.values[i]);
    };
    // The first `n` components equal to the starting values.
    auto prefixEqual = [&](SqlQuery& q, size_t n) {
        std::string cond = "1=1";
        for (size_t i = 0; i < n; ++i)
            cond += " AND " + column(i) + " = " + param(q.params, value(i));
        return cond;
    };

    if (given == 0) {
        build([](SqlQuery&) { return std::string("1=1"); }, 0);
        return finish();
    }
    // The server compares rows as a whole: along a key of ascending components
    // "past (v1, v2, row)" is the one condition ROW(c1, c2, row) > ROW(v1, v2,
    // r), which its index scan takes as the range's start. One range per arm
    // instead of one per key level: far less for the server to plan on every
    // page (a continued page over three levels took it over a millisecond).
    if (single && std::none_of(comps.begin(), comps.end(),
                               [](const KeyComponent& c) { return c.descending; })) {
        build(
            [&](SqlQuery& q) {
                std::string columns, values;
                for (size_t i = 0; i < given; ++i) {
                    columns += (i ? ", " : "") + column(i);
                    values += (i ? ", " : "") + param(q.params, value(i));
                }
                if (after) {
                    columns += ", " + rowId;
                    values += ", " + param(q.params, *request.from.after);
                }
                const std::string op =
                    forward ? (after ? " > " : " >= ") : (after ? " < " : " <= ");
                return "ROW(" + columns + ")" + op + "ROW(" + values + ")";
            },
            0);
        return finish();
    }
    // Rows sharing the whole given prefix (past the starting row, if any).
    build(
        [&](SqlQuery& q) {
            std::string cond = prefixEqual(q, given);
            if (after)
                cond += " AND " + rowId + (forward ? " > " : " < ") +
                        param(q.params, *request.from.after);
            return cond;
        },
        given);
    // Then, level by level, rows whose component j lies beyond the starting value.
    for (size_t j = given; j-- > 0;) {
        build(
            [&, j](SqlQuery& q) {
                std::string cond = prefixEqual(q, j);
                const bool ascending = forward != comps[j].descending;
                cond += " AND " + column(j) + (ascending ? " > " : " < ");
                cond += param(q.params, value(j));
                return cond;
            },
            j);
    }
    return finish();
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
    for (SqlQuery& query : pageQueries(table, request)) {
        const int wanted = request.limit - static_cast<int>(out.size());
        if (wanted <= 0) break;
        query.params[static_cast<size_t>(query.limitParam)] = std::int64_t{wanted};
        const Status s = appendRows(query);
        if (!s.ok()) return s;
    }
    return out.empty() ? Status::error(kRecordNotAvailable) : Status::success();
}

SqlQuery SqlBuilder::fetchQuery(const TableDef& table, const KeyDef& key,
                                const std::vector<Value>& values) const {
    SqlQuery q;
    q.sql = "SELECT " + columnList(table, true) + " FROM " + tableName(table) + " t WHERE 1=1";
    for (size_t i = 0; i < key.components.size() && i < values.size(); ++i) {
        const FieldDef& f = table.fields[static_cast<size_t>(key.components[i].field)];
        q.sql += " AND t." + quoted(f.name) + " = " + param(q.params, normalise(f, values[i]));
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

SqlQuery SqlBuilder::countQuery(const TableDef& table, const Filter& filter) const {
    SqlQuery q;
    q.sql = "SELECT COUNT(*) FROM " + tableName(table) + " t WHERE ";
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
