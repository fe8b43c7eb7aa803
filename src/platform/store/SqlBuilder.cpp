#include "platform/store/SqlBuilder.h"

#include <algorithm>
#include <bitset>
#include <functional>
#include <map>
#include <optional>
#include <set>

#include "platform/store/NameCollation.h"

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

namespace {

using Arm = PageArm;

// Columns as the page planner tells them apart: a field as the name collation
// compares it is its index; the same text field compared letter for letter
// (a key component declared bytewise, a Same test) is its index plus this.
// An equality fixes only the column it compares by: a case-free range holds
// every spelling of a name, a bytewise one just one.
constexpr int kBytewiseColumn = 1 << 16;

int columnOf(const TableDef& table, const KeyComponent& c) {
    return table.ordersBytewise(c) ? c.field + kBytewiseColumn : c.field;
}

// The column an equality of a filter fixes: Eq the field by the name
// collation, Same a text letter for letter (a number is equal either way);
// -1 for any other test.
int fixedColumn(const TableDef& table, const Filter& f) {
    if (f.kind != Filter::Kind::Compare) return -1;
    if (f.op != Filter::Op::Eq && f.op != Filter::Op::Same) return -1;
    const int field = table.fieldIndex(f.field);
    if (field < 0 || f.op == Filter::Op::Eq) return field;
    const bool text = table.fields[static_cast<size_t>(field)].type == FieldType::String;
    return text ? field + kBytewiseColumn : field;
}

// A key that reads the rows whose `fixed` columns (see columnOf()) each hold
// one value in the order of `key`: its leading components are some of the
// fixed columns (in any order) and the rest of it, fixed columns aside, is
// `key` with the fixed columns left out (a fixed column is constant among
// those rows, so it orders nothing). Of such keys the one whose leading fixed
// columns include every column of `required` and are the most, and among as
// many the one with the most letter-for-letter columns (its range holds one
// spelling only); on a tie `key` itself, else the first in the table's order.
// nullptr when none leads with at least one fixed column.
const KeyDef* keyForEqualities(const TableDef& table, const std::vector<int>& fixed,
                               const std::vector<int>& required, const KeyDef& key) {
    auto isFixed = [&](const KeyComponent& c) {
        return std::find(fixed.begin(), fixed.end(), columnOf(table, c)) != fixed.end();
    };
    std::vector<KeyComponent> order;  // what orders the rows
    for (const KeyComponent& c : key.components)
        if (!isFixed(c)) order.push_back(c);
    const KeyDef* best = nullptr;
    size_t bestLeading = 0, bestExact = 0;
    auto consider = [&](const KeyDef& k) {
        size_t leading = 0, exact = 0;
        for (; leading < k.components.size() && isFixed(k.components[leading]); ++leading)
            if (columnOf(table, k.components[leading]) >= kBytewiseColumn) ++exact;
        if (leading == 0 || leading < bestLeading) return;
        if (leading == bestLeading && best && exact <= bestExact) return;
        for (int column : required) {
            bool leads = false;
            for (size_t i = 0; i < leading && !leads; ++i)
                leads = columnOf(table, k.components[i]) == column;
            if (!leads) return;
        }
        size_t n = 0;
        for (size_t i = leading; i < k.components.size(); ++i) {
            const KeyComponent& c = k.components[i];
            if (isFixed(c)) continue;
            if (n == order.size() || columnOf(table, order[n]) != columnOf(table, c) ||
                order[n].descending != c.descending)
                return;
            ++n;
        }
        if (n != order.size()) return;
        best = &k;
        bestLeading = leading;
        bestExact = exact;
    };
    consider(key);
    for (const KeyDef& k : table.keys)
        if (&k != &key) consider(k);
    return best;
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

// Whether `filter` compares `field` anywhere (Exists looks at another table).
bool compares(const TableDef& table, const Filter& filter, int field) {
    if (filter.kind == Filter::Kind::Compare) return table.fieldIndex(filter.field) == field;
    if (filter.kind == Filter::Kind::Exists) return false;
    for (const Filter& child : filter.children)
        if (compares(table, child, field)) return true;
    return false;
}

// `filter` on the rows whose `field` equals `value`: every comparison of that
// field that the value decides becomes true or false, and the And/Or/Not
// around it shrink accordingly. An arm of an either-or read then carries only
// the tests its own rows still need, and tests that were hidden under a
// negation or an alternative come out as plain conjuncts the database can use
// as bounds of the index range. Texts equal by the name collation may still
// differ in letter case, so of texts only these are decided: against the very
// same text every comparison but a letter-for-letter one (Same), and against
// a text that is a different name by the collation (sameName()) equality, its
// negation and Same.
// (`known` is the value as stored, see normalise(); `filter` is taken apart.)
Filter assumingStored(const TableDef& table, Filter filter, int field, const Value& known) {
    // A part that never compares the field stays as it is, unbuilt.
    if (!filter.children.empty() && !compares(table, filter, field)) return filter;
    switch (filter.kind) {
        case Filter::Kind::All:
        case Filter::Kind::Exists:
            return filter;
        case Filter::Kind::Compare: {
            if (table.fieldIndex(filter.field) != field) return filter;
            const FieldDef& f = table.fields[static_cast<size_t>(field)];
            const Value other = normalise(f, filter.value);
            const bool numeric = std::holds_alternative<std::int64_t>(known) &&
                                 std::holds_alternative<std::int64_t>(other);
            if (!numeric) {
                const auto* a = std::get_if<std::string>(&known);
                const auto* b = std::get_if<std::string>(&other);
                if (!a || !b) return filter;
                const bool differentName = !sameName(*a, *b);
                if (differentName) {
                    if (filter.op == Filter::Op::Eq || filter.op == Filter::Op::Same)
                        return alwaysFalse();
                    if (filter.op == Filter::Op::Ne) return alwaysTrue();
                }
                if (*a != *b || filter.op == Filter::Op::Same) return filter;
            }
            const int c = compareValues(known, other);
            bool holds = false;
            switch (filter.op) {
                case Filter::Op::Eq:
                case Filter::Op::Same:  // numbers only here
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
            kept.reserve(filter.children.size());
            for (Filter& child : filter.children) {
                Filter r = assumingStored(table, std::move(child), field, known);
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
            kept.reserve(filter.children.size());
            for (Filter& child : filter.children) {
                Filter r = assumingStored(table, std::move(child), field, known);
                if (r.isAll()) return alwaysTrue();
                if (!isFalse(r)) kept.push_back(std::move(r));
            }
            return anyOf(std::move(kept));
        }
        case Filter::Kind::Not: {
            Filter r = assumingStored(table, std::move(filter.children.front()), field, known);
            if (r.isAll()) return alwaysFalse();
            if (isFalse(r)) return alwaysTrue();
            if (r.kind == Filter::Kind::Not) return std::move(r.children.front());
            return negate(std::move(r));
        }
    }
    return filter;
}

Filter assuming(const TableDef& table, Filter filter, int field, const Value& value) {
    if (field < 0) return filter;
    return assumingStored(table, std::move(filter), field,
                          normalise(table.fields[static_cast<size_t>(field)], value));
}

bool isEquality(const Filter& f) {
    return f.kind == Filter::Kind::Compare && f.op == Filter::Op::Eq;
}

bool isSameTest(const Filter& f) {
    return f.kind == Filter::Kind::Compare && f.op == Filter::Op::Same;
}

// An alternative of an either-or that selects index ranges: one equality, or
// a conjunction of equalities ("person is X and priority is 1"), on fields of
// `table`. Letter-for-letter tests may stand beside the equalities ("person
// is X, spelt exactly so"): the equalities pick the range, the exact tests
// are applied to the rows it yields.
bool isRangeAlternative(const TableDef& table, const Filter& f) {
    auto known = [&](const Filter& e) {
        return (isEquality(e) || isSameTest(e)) && table.fieldIndex(e.field) >= 0;
    };
    if (f.kind == Filter::Kind::And)
        return std::any_of(f.children.begin(), f.children.end(), isEquality) &&
               std::all_of(f.children.begin(), f.children.end(), known);
    return isEquality(f) && known(f);
}

// The equalities of such an alternative (`exact` takes its letter-for-letter
// tests, when given).
std::vector<const Filter*> equalitiesOf(const Filter& alternative,
                                        std::vector<const Filter*>* exact = nullptr) {
    if (alternative.kind != Filter::Kind::And) return {&alternative};
    std::vector<const Filter*> out;
    for (const Filter& e : alternative.children) {
        if (isEquality(e))
            out.push_back(&e);
        else if (exact)
            exact->push_back(&e);
    }
    return out;
}

// The arms of a page along key K whose filter is a conjunction that holds
// either-ors of equalities ("dimensions", e.g. "person is one of the group"
// and "repeat type is one of these") besides other tests: one arm per
// combination of one alternative from each dimension in `expanded`. An
// alternative may fix several columns ("type is No Repeats and priority is
// 1"), so that a dimension splits some values further than others. An arm
// reads the index that leads with its alternatives' columns (and as many of
// the conjunction's own equalities as one index holds) followed by K's order,
// so that it visits only rows of its own values. A row that matches several
// alternatives of a dimension belongs to the first one only; the arm's filter
// is the rest of the conjunction with every test its values decide removed,
// and an arm that no row can pass is left out. Empty when some combination
// has no such index.
class Combinations {
public:
    Combinations(const TableDef& table, const KeyDef& key, const std::vector<Filter>& conjuncts,
                 const std::vector<size_t>& expanded)
        : m_table(table), m_key(key), m_conjuncts(conjuncts), m_expanded(expanded) {
        for (const Filter& f : conjuncts)
            if (const int column = fixedColumn(table, f); column >= 0)
                m_plainColumns.push_back(column);
    }

    std::vector<Arm> arms() {
        std::vector<Filter> rest;
        for (size_t i = 0; i < m_conjuncts.size(); ++i)
            if (std::find(m_expanded.begin(), m_expanded.end(), i) == m_expanded.end())
                rest.push_back(m_conjuncts[i]);
        if (!choose(0, allOf(std::move(rest)))) return {};
        if (m_arms.empty()) m_arms.push_back({&m_key, alwaysFalse()});
        return std::move(m_arms);
    }

private:
    // Chooses an alternative of dimension `d` and of every later one, given
    // `conditions`: what the rows of the alternatives chosen so far must
    // still pass. False when a combination has no index to read.
    bool choose(size_t d, Filter conditions) {
        if (d == m_expanded.size()) return addArm(std::move(conditions));
        const Filter& dimension = m_conjuncts[m_expanded[d]];
        for (size_t c = 0; c < dimension.children.size(); ++c) {
            const size_t exactBefore = m_chosenExact.size();
            const std::vector<const Filter*> equalities =
                equalitiesOf(dimension.children[c], &m_chosenExact);
            m_chosen.insert(m_chosen.end(), equalities.begin(), equalities.end());
            Filter taken = conditions;
            for (const Filter* e : equalities)
                taken = assuming(m_table, std::move(taken), m_table.fieldIndex(e->field), e->value);
            std::vector<Filter> terms{std::move(taken)};
            // The row's first matching alternative of each dimension picks
            // its combination, so it is read once: an earlier alternative is
            // excluded, as far as the values chosen leave it open (one on
            // another value of the same column drops out).
            for (size_t e = 0; e < c && !isFalse(terms.front()); ++e) {
                Filter earlier = negate(dimension.children[e]);
                for (const Filter* chosen : m_chosen)
                    earlier = assuming(m_table, std::move(earlier),
                                       m_table.fieldIndex(chosen->field), chosen->value);
                terms.push_back(std::move(earlier));
            }
            Filter next = allOf(std::move(terms));
            bool ok = true;
            if (!isFalse(next) && !hasFalse(next)) ok = choose(d + 1, std::move(next));
            m_chosen.resize(m_chosen.size() - equalities.size());
            m_chosenExact.resize(exactBefore);
            if (!ok) return false;
        }
        return true;
    }

    static bool hasFalse(const Filter& f) {
        if (isFalse(f)) return true;
        if (f.kind != Filter::Kind::And) return false;
        return std::any_of(f.children.begin(), f.children.end(), isFalse);
    }

    bool addArm(Filter conditions) {
        std::vector<int> fixed = m_plainColumns, required;
        for (const Filter* alt : m_chosen) {
            const int column = fixedColumn(m_table, *alt);
            fixed.push_back(column);
            required.push_back(column);
        }
        // Two alternatives of one column that no value satisfies together.
        for (size_t a = 0; a < m_chosen.size(); ++a)
            for (size_t b = a + 1; b < m_chosen.size(); ++b)
                if (m_chosen[a]->field == m_chosen[b]->field &&
                    isFalse(assuming(m_table, *m_chosen[b], m_table.fieldIndex(m_chosen[a]->field),
                                     m_chosen[a]->value)))
                    return true;
        std::sort(fixed.begin(), fixed.end());
        std::sort(required.begin(), required.end());
        // Most combinations fix the same columns: their index is found once.
        auto found = m_keys.find({fixed, required});
        if (found == m_keys.end())
            found = m_keys
                        .emplace(std::make_pair(fixed, required),
                                 keyForEqualities(m_table, fixed, required, m_key))
                        .first;
        const KeyDef* key = found->second;
        if (!key) return false;
        std::vector<Filter> filter;
        for (const Filter* alt : m_chosen) filter.push_back(*alt);
        for (const Filter* exact : m_chosenExact) filter.push_back(*exact);
        filter.push_back(std::move(conditions));
        m_arms.push_back({key, allOf(std::move(filter))});
        return true;
    }

    const TableDef& m_table;
    const KeyDef& m_key;
    const std::vector<Filter>& m_conjuncts;
    const std::vector<size_t>& m_expanded;
    std::vector<int> m_plainColumns;  // the conjunction's own equalities
    std::vector<const Filter*> m_chosen;
    std::vector<const Filter*> m_chosenExact;  // the chosen alternatives' exact tests
    std::map<std::pair<std::vector<int>, std::vector<int>>, const KeyDef*> m_keys;
    std::vector<Arm> m_arms;
};

// How a page along key K is read:
// - a filter "... AND (a = x OR b = y) AND ... AND (c = u OR c = v) ..."
//   (an alternative may also be "a = x AND c = u") becomes one index range
//   per combination of alternatives, merged in key order (see
//   Combinations): each arm visits only rows of its own values
//   instead of scanning the whole key. When some combination has no index
//   leading with its columns, or there are more than `mostArms` combinations,
//   fewer either-ors are taken apart (the first ones first) and the others are
//   tested on the rows the ranges yield;
// - a filter "... AND a = x AND ..." reads the index (a, K...) when one exists
//   (or (a, b, K...) for "a = x AND b = y", and so on);
// - otherwise the page is one read along K with the filter.
std::vector<Arm> armsOf(const TableDef& table, const ReadRequest& request, size_t mostArms) {
    std::vector<Arm> single{{request.key, request.filter}};
    if (!request.key) return single;
    std::vector<Filter> conjuncts;
    if (request.filter.kind == Filter::Kind::And)
        conjuncts = request.filter.children;
    else
        conjuncts.push_back(request.filter);
    // The either-ors of equalities, at most a few of them.
    constexpr size_t kMostDimensions = 4;
    std::vector<size_t> dimensions;
    for (size_t i = 0; i < conjuncts.size() && dimensions.size() < kMostDimensions; ++i) {
        const Filter& f = conjuncts[i];
        if (f.kind != Filter::Kind::Or || f.children.size() < 2) continue;
        if (std::all_of(f.children.begin(), f.children.end(),
                        [&](const Filter& a) { return isRangeAlternative(table, a); }))
            dimensions.push_back(i);
    }
    // Every choice of dimensions to take apart, the most dimensions first and
    // among as many the earlier ones first.
    const size_t n = dimensions.size();
    std::vector<unsigned> subsets;
    for (unsigned mask = 1; mask < (1u << n); ++mask) subsets.push_back(mask);
    std::stable_sort(subsets.begin(), subsets.end(), [](unsigned a, unsigned b) {
        const size_t ca = std::bitset<32>(a).count(), cb = std::bitset<32>(b).count();
        if (ca != cb) return ca > cb;
        // Lower bits are earlier dimensions: the reversed bit order decides.
        for (unsigned bit = 1; bit; bit <<= 1)
            if ((a & bit) != (b & bit)) return (a & bit) != 0;
        return false;
    });
    for (unsigned mask : subsets) {
        std::vector<size_t> expanded;
        size_t combinations = 1;
        for (size_t d = 0; d < n; ++d) {
            if (!(mask & (1u << d))) continue;
            expanded.push_back(dimensions[d]);
            combinations *= conjuncts[dimensions[d]].children.size();
        }
        if (combinations > mostArms) continue;
        std::vector<Arm> arms = Combinations(table, *request.key, conjuncts, expanded).arms();
        if (!arms.empty()) return arms;
    }
    // Equalities alone: the index that leads with the most of them.
    std::vector<int> fixed;
    for (const Filter& f : conjuncts)
        if (const int column = fixedColumn(table, f); column >= 0) fixed.push_back(column);
    if (const KeyDef* key = keyForEqualities(table, fixed, {}, *request.key))
        return {{key, request.filter}};
    return single;
}

// The value an arm's filter holds key component `c` equal to, among its
// top-level tests, as the key compares it (see compareValues()): a number, or
// a text the key orders by the name collation; none otherwise.
std::optional<Value> fixedKeyValue(const TableDef& table, const Filter& filter,
                                   const KeyComponent& c) {
    const FieldDef& f = table.fields[static_cast<size_t>(c.field)];
    const bool number =
        f.type == FieldType::Long || f.type == FieldType::Short || f.type == FieldType::Byte;
    if (!number && (f.type != FieldType::String || table.ordersBytewise(c))) return std::nullopt;
    auto value = [&](const Filter& e) -> std::optional<Value> {
        if (!isEquality(e) || e.field != f.name) return std::nullopt;
        if (number != std::holds_alternative<std::int64_t>(e.value)) return std::nullopt;
        return normalise(f, e.value);
    };
    if (filter.kind != Filter::Kind::And) return value(filter);
    for (const Filter& child : filter.children)
        if (auto v = value(child)) return v;
    return std::nullopt;
}

// Arms that each hold the same leading components of `key` (numbers, or texts
// in name order) at one value, split into runs by those values in the order the page reads them:
// every row of a run comes before every row of the next, so the runs can be
// read one after another and only the arms of one run need merging, ordered
// by the rest of the key (in a run the leading components are constant, and a
// server's merge of index ranges can only follow an order the ranges give).
// `prefix` is set to the number of such components; one run of all the arms
// when there are none (or no key).
std::vector<std::vector<const Arm*>> runsOf(const TableDef& table, const KeyDef* key,
                                            Direction direction,
                                            const std::vector<const Arm*>& arms, size_t& prefix) {
    prefix = 0;
    std::vector<std::vector<Value>> values(arms.size());
    for (; key && prefix < key->components.size(); ++prefix) {
        std::vector<Value> column;
        for (const Arm* arm : arms) {
            std::optional<Value> v = fixedKeyValue(table, arm->filter, key->components[prefix]);
            if (!v) break;
            column.push_back(std::move(*v));
        }
        if (column.size() != arms.size()) break;
        for (size_t a = 0; a < arms.size(); ++a) values[a].push_back(std::move(column[a]));
    }
    std::vector<std::vector<const Arm*>> runs;
    if (prefix == 0) {
        runs.push_back(arms);
        return runs;
    }
    std::vector<size_t> order(arms.size());
    for (size_t a = 0; a < order.size(); ++a) order[a] = a;
    // <0, 0, >0 as arm x's values come before, with or after arm y's.
    auto compare = [&](size_t x, size_t y) {
        for (size_t i = 0; i < prefix; ++i) {
            const int c = compareValues(values[x][i], values[y][i]);
            if (c == 0) continue;
            const bool ascending =
                (direction == Direction::Forward) != key->components[i].descending;
            return ascending ? c : -c;
        }
        return 0;
    };
    std::stable_sort(order.begin(), order.end(),
                     [&](size_t x, size_t y) { return compare(x, y) < 0; });
    for (size_t i = 0; i < order.size(); ++i) {
        if (i == 0 || compare(order[i], order[i - 1]) != 0) runs.emplace_back();
        runs.back().push_back(arms[order[i]]);
    }
    return runs;
}

// Whether `filter` holds, among its top-level tests, one of the first `n`
// numeric key components equal to a number other than the starting value:
// the arm has no rows at those values, found without copying its filter.
bool holdsOtherNumber(const TableDef& table, const Filter& filter,
                      const std::vector<KeyComponent>& components, const std::vector<Value>& values,
                      size_t n) {
    for (size_t i = 0; i < n && i < components.size() && i < values.size(); ++i) {
        const auto* value = std::get_if<std::int64_t>(&values[i]);
        if (!value) continue;
        const std::optional<Value> fixed = fixedKeyValue(table, filter, components[i]);
        const auto* number = fixed ? std::get_if<std::int64_t>(&*fixed) : nullptr;
        if (number && *number != *value) return true;
    }
    return false;
}

bool sameFilter(const Filter& a, const Filter& b);

// The filter that every run's one range holds besides its leading numbers,
// when there are several runs of one range each, their leading components
// (the first `prefix`) numbers and their filters the same but for those;
// none otherwise.
std::optional<Filter> sameRangeButNumbers(const TableDef& table,
                                          const std::vector<std::vector<const Arm*>>& runs,
                                          const std::vector<KeyComponent>& components,
                                          size_t prefix) {
    if (runs.size() < 2 || prefix == 0) return std::nullopt;
    std::optional<Filter> common;
    for (const std::vector<const Arm*>& run : runs) {
        if (run.size() != 1) return std::nullopt;
        Filter rest = run.front()->filter;
        for (size_t i = 0; i < prefix; ++i) {
            const std::optional<Value> v = fixedKeyValue(table, rest, components[i]);
            if (!v || !std::holds_alternative<std::int64_t>(*v)) return std::nullopt;
            rest = assuming(table, std::move(rest), components[i].field, *v);
        }
        if (!common)
            common = std::move(rest);
        else if (!sameFilter(*common, rest))
            return std::nullopt;
    }
    return common;
}

bool sameFilter(const Filter& a, const Filter& b) {
    if (a.kind != b.kind || a.field != b.field || a.op != b.op || a.value != b.value ||
        a.table != b.table || a.links != b.links || a.children.size() != b.children.size())
        return false;
    for (size_t i = 0; i < a.children.size(); ++i)
        if (!sameFilter(a.children[i], b.children[i])) return false;
    return true;
}

}  // namespace

const std::vector<PageArm>& SqlBuilder::armsFor(const TableDef& table,
                                                const ReadRequest& request) const {
    if (m_armsTable == &table && m_armsKey == request.key &&
        sameFilter(m_armsFilter, request.filter))
        return m_arms;
    // Only a read of several arms is kept: the plain reads between a list's
    // pages (settings, look-ups) are cheap to take apart and leave it alone.
    std::vector<PageArm> arms = armsOf(table, request, m_dialect.mostArms);
    if (arms.size() < 2) {
        m_single = std::move(arms);
        return m_single;
    }
    m_arms = std::move(arms);
    for (auto& page : m_firstPages) page.reset();
    m_armsTable = &table;
    m_armsKey = request.key;
    m_armsFilter = request.filter;
    return m_arms;
}

std::vector<SqlQuery> SqlBuilder::pageQueries(const TableDef& table,
                                              const ReadRequest& request) const {
    std::vector<SqlQuery> queries;
    pageSql(table, request, [&](SqlQuery& q) {
        queries.push_back(std::move(q));
        return true;
    });
    return queries;
}

SqlQuery SqlBuilder::pageStatement(const TableDef& table, const ReadRequest& request) const {
    return pageSql(table, request, nullptr);
}

SqlQuery SqlBuilder::pageSql(const TableDef& table, const ReadRequest& request,
                             const std::function<bool(SqlQuery&)>& next) const {
    const bool single = !next;
    std::function<bool(SqlQuery&)> deliver = next;  // where each query goes
    const bool forward = request.direction == Direction::Forward;
    const std::vector<Arm>& arms = armsFor(table, request);
    const std::string rowId = "t." + quoted(kRowIdColumn);

    // A query: for each arm the key condition, the arm's filter; then the order
    // and the limit. `keyCondition` appends its parameters as it writes them.
    // With `single` each query becomes one branch of a UNION ALL in `joined`,
    // limited to a whole page; the statement's own LIMIT ends the reading.
    SqlQuery joined;
    int branches = 0;
    bool enough = false;     // `next` wants no more queries
    bool lastLevel = false;  // the key condition being written is the page's last
    using KeyCondition = std::function<std::string(SqlQuery&)>;
    // `equalPrefix`: how many leading key components the key condition holds
    // equal to the starting values. Each arm's filter is taken under those
    // values (see assuming()), so that a bound the values already decide
    // does not compete with the equalities for the index search, and an arm
    // that cannot hold such rows is left out of this query.
    const std::string selectFrom =
        "SELECT " + columnList(table, request.withMemos) + " FROM " + tableName(table) + " t";
    static const std::vector<KeyComponent> kNoComponents;
    const auto& keyComponents = request.key ? request.key->components : kNoComponents;
    // `bounded`: the key component the key condition holds beyond its
    // starting value (after `equalPrefix` equal ones), or -1.
    // `equalOnly` is the key condition without that bound.
    auto build = [&](const KeyCondition& keyCondition, size_t equalPrefix, int bounded = -1,
                     const KeyCondition& equalOnly = {}) {
        if (enough) return;
        std::vector<Arm> taken;  // the arms' filters under the starting values
        if (equalPrefix > 0) {
            for (const Arm& arm : arms) {
                if (holdsOtherNumber(table, arm.filter, keyComponents, request.from.values,
                                     equalPrefix))
                    continue;
                Filter f = arm.filter;
                for (size_t i = 0; i < equalPrefix && !isFalse(f); ++i)
                    f = assuming(table, std::move(f), keyComponents[i].field,
                                 request.from.values[i]);
                if (!isFalse(f)) taken.push_back({arm.key, std::move(f)});
            }
            // No arm can hold such rows: the key's own index, read not at all.
            if (taken.empty()) taken.push_back({request.key, alwaysFalse()});
        }
        std::vector<const Arm*> live;
        for (const Arm& arm : equalPrefix > 0 ? taken : arms) live.push_back(&arm);
        // An arm that holds the bounded component at a number: the bound
        // either rules the arm out or holds for all its rows, and then is not
        // written (SQLite would search the index by it rather than by the
        // arm's equality, and sort the rows).
        std::set<const Arm*> decided;
        const Arm none{request.key, alwaysFalse()};
        if (bounded >= 0 && !single) {
            const auto b = static_cast<size_t>(bounded);
            const FieldDef& field = table.fields[static_cast<size_t>(keyComponents[b].field)];
            const Value start = normalise(field, request.from.values[b]);
            const bool ascending = forward != keyComponents[b].descending;
            std::vector<const Arm*> kept;
            for (const Arm* arm : live) {
                const std::optional<Value> fixed =
                    fixedKeyValue(table, arm->filter, keyComponents[b]);
                if (fixed && fixed->index() == start.index()) {
                    const int c = compareValues(*fixed, start);
                    if (ascending ? c <= 0 : c >= 0) continue;
                    decided.insert(arm);
                }
                kept.push_back(arm);
            }
            if (kept.empty()) kept.push_back(&none);
            live = std::move(kept);
        }
        // A range of the page: its arms read and merged in key order,
        // leaving out the first `skip` key components, constant among them.
        // On the server each arm of a merge is an ordered, limited read of
        // its own index, and the outer query orders at most a page per arm.
        // SQLite merges the plain arms of a compound SELECT under one ORDER BY
        // itself, each read in its index's order and only as far as the LIMIT
        // takes the merge; an arm limited on its own would be read a whole
        // page deep and sorted, nine pages for nine ranges.
        auto emit = [&](SqlQuery& q, const std::vector<const Arm*>& part, size_t skip) {
            const bool several = part.size() > 1;
            const bool wrapped = several && single;
            std::vector<int> merged;  // the fields a merge on the server orders by
            for (size_t c = skip; wrapped && c < keyComponents.size(); ++c)
                merged.push_back(keyComponents[c].field);
            for (size_t a = 0; a < part.size(); ++a) {
                if (a) q.sql += " UNION ALL ";
                if (wrapped) q.sql += "SELECT * FROM (";
                q.sql += selectFrom;
                if (m_dialect.indexedBy && part[a]->key)
                    q.sql += " INDEXED BY " + quoted(part[a]->key->sqlName());
                q.sql +=
                    " WHERE " + (decided.count(part[a]) ? equalOnly(q) : keyCondition(q)) + " AND ";
                if (!wrapped) {
                    appendFilter(table, "t", part[a]->filter, q.sql, q.params);
                    continue;
                }
                appendArmFilter(table, part[a]->filter, merged, q);
                q.sql += orderBy(table, request.key, request.direction, "t.") + " LIMIT " +
                         std::to_string(request.limit) + ") a" + std::to_string(a);
            }
            q.sql += orderBy(table, request.key, request.direction, several ? "" : "t.",
                             several ? skip : 0) +
                     " LIMIT ";
        };
        // Runs of arms that follow one another in key order become ranges of
        // the statement read one after the other, or, on SQLite, queries run
        // one after the other until the page is full: a page then starts only
        // the arms of the runs it reaches.
        size_t prefix = 0;
        const std::vector<std::vector<const Arm*>> runs =
            runsOf(table, request.key, request.direction, live, prefix);
        if (single) {
            // Runs of one range each that differ only in the key's leading
            // numbers: one range read per row of a list of those numbers,
            // which the server starts once instead of once per run (nine
            // priorities: 96 -> 74 us a statement).
            if (std::optional<Filter> common =
                    sameRangeButNumbers(table, runs, keyComponents, prefix)) {
                joined.sql += std::string(branches ? " UNION ALL " : "") +
                              "SELECT * FROM (SELECT r.* FROM (VALUES ";
                std::string columns, equal;
                for (size_t i = 0; i < prefix; ++i) {
                    const std::string c = "c" + std::to_string(i);
                    columns += (i ? ", " : "") + c;
                    equal +=
                        " AND t." +
                        quoted(table.fields[static_cast<size_t>(keyComponents[i].field)].name) +
                        " = v." + c;
                }
                for (size_t r = 0; r < runs.size(); ++r) {
                    joined.sql += r ? ", (" : "(";
                    for (size_t i = 0; i < prefix; ++i)
                        joined.sql += (i ? ", " : "") +
                                      std::to_string(std::get<std::int64_t>(*fixedKeyValue(
                                          table, runs[r].front()->filter, keyComponents[i])));
                    joined.sql += ")";
                }
                joined.sql += ") v(" + columns + ") CROSS JOIN LATERAL (" + selectFrom + " WHERE " +
                              keyCondition(joined) + equal + " AND ";
                appendFilter(table, "t", *common, joined.sql, joined.params);
                joined.sql += orderBy(table, request.key, request.direction, "t.", prefix) +
                              " LIMIT " + std::to_string(request.limit) + ") r LIMIT " +
                              std::to_string(request.limit) + ") r" + std::to_string(branches++);
                return;
            }
            for (const std::vector<const Arm*>& run : runs) {
                joined.sql += std::string(branches ? " UNION ALL " : "") + "SELECT * FROM (";
                emit(joined, run, prefix);
                joined.sql += std::to_string(request.limit) + ") r" + std::to_string(branches++);
            }
            return;
        }
        // On SQLite the first run is a query of its own, then two runs
        // merged, then four, and so on: a page that the first run fills
        // starts no other range, and one that goes through many short runs
        // (a small office) runs a few queries rather than one per run. A
        // query is written only when the page reaches it.
        size_t done = 0;
        for (size_t group = 1; done < runs.size(); group *= 2) {
            const size_t end = std::min(runs.size(), done + group);
            std::vector<const Arm*> part;
            for (size_t r = done; r < end; ++r)
                part.insert(part.end(), runs[r].begin(), runs[r].end());
            SqlQuery q;
            // Runs merged are ordered by the whole key, a run alone by the
            // components after its constant ones.
            emit(q, part, end - done == 1 ? prefix : 0);
            done = end;
            q.sql += param(q.params, std::int64_t{request.limit});
            q.limitParam = static_cast<int>(q.params.size()) - 1;
            q.mayContinue = !lastLevel || end < runs.size();
            if (!deliver(q)) {
                enough = true;
                return;
            }
        }
    };
    auto finish = [&]() -> SqlQuery {
        if (!single) return {};
        // The one statement runs once with its whole limit: written into
        // the text, where the planner sees how few rows the page takes.
        joined.sql += " LIMIT " + std::to_string(request.limit);
        return joined;
    };

    if (!request.key) {
        lastLevel = true;
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
    // A component's column as the key compares it (see keyCollate()).
    auto column = [&](size_t i) {
        return "t." + quoted(table.fields[static_cast<size_t>(comps[i].field)].name) +
               keyCollate(table, comps[i]);
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
        lastLevel = true;
        if (&arms != &m_arms) {
            build([](SqlQuery&) { return std::string("1=1"); }, 0);
            return finish();
        }
        // A first page of the arms kept: its queries as last written.
        std::optional<FirstPage>& kept = m_firstPages[forward ? 0 : 1];
        if (single) {
            if (kept && kept->single && kept->withMemos == request.withMemos &&
                kept->limit == request.limit)
                return kept->queries.front();
            build([](SqlQuery&) { return std::string("1=1"); }, 0);
            SqlQuery statement = finish();
            kept = FirstPage{request.withMemos, true, true, request.limit, {statement}};
            return statement;
        }
        size_t ran = 0;
        if (kept && !kept->single && kept->withMemos == request.withMemos) {
            for (; ran < kept->queries.size(); ++ran) {
                SqlQuery q = kept->queries[ran];
                if (!next(q)) return {};
            }
            if (kept->complete) return {};
        }
        // Written (again, when this page goes further than the last one
        // did: the queries already run are not run twice) and kept.
        FirstPage page;
        page.withMemos = request.withMemos;
        deliver = [&](SqlQuery& q) {
            page.queries.push_back(q);
            return page.queries.size() <= ran || next(q);
        };
        build([](SqlQuery&) { return std::string("1=1"); }, 0);
        page.complete = !enough;
        kept = std::move(page);
        return {};
    }
    // The server compares rows as a whole: along ascending components "past
    // (v1, v2, row)" is the one condition ROW(c1, c2, row) > ROW(v1, v2, r),
    // which its index scan takes as the range's start. So each run of
    // components ordered the same way is one range instead of one per
    // component: far less for the server to plan and start on every page (a
    // continued page over three levels took it over a millisecond to plan).
    // The row number, ascending, joins the last run when that is ascending.
    if (single) {
        struct Run {
            size_t from, to;  // components [from, to)
            bool withRow;     // the row number closes the comparison
        };
        std::vector<Run> runs;
        for (size_t i = 0; i < given; ++i) {
            if (i == 0 || comps[i].descending != comps[i - 1].descending)
                runs.push_back({i, i, false});
            runs.back().to = i + 1;
        }
        if (after) {
            if (!comps[given - 1].descending)
                runs.back().withRow = true;
            else
                runs.push_back({given, given, true});
        }
        // Rows beyond the starting ones in the deepest run come first.
        for (size_t r = runs.size(); r-- > 0;) {
            const Run run = runs[r];
            const bool last = r + 1 == runs.size();
            build(
                [&, run, last](SqlQuery& q) {
                    std::string columns, values;
                    for (size_t i = run.from; i < run.to; ++i) {
                        columns += (i > run.from ? ", " : "") + column(i);
                        values += (i > run.from ? ", " : "") + param(q.params, value(i));
                    }
                    if (run.withRow) {
                        columns += (run.to > run.from ? ", " : "") + rowId;
                        values +=
                            (run.to > run.from ? ", " : "") + param(q.params, *request.from.after);
                    }
                    const bool ascending =
                        forward != (run.to > run.from && comps[run.from].descending);
                    // Without a starting row the starting values themselves are in.
                    const bool inclusive = last && !after;
                    const std::string op =
                        ascending ? (inclusive ? " >= " : " > ") : (inclusive ? " <= " : " < ");
                    const bool one = run.to - run.from + (run.withRow ? 1 : 0) == 1;
                    if (one) return prefixEqual(q, run.from) + " AND " + columns + op + values;
                    std::string cond = prefixEqual(q, run.from) + " AND ROW(" + columns + ")" + op +
                                       "ROW(" + values + ")";
                    // The leading column's own bound, which the row comparison
                    // implies: the server's index scan takes an arm's
                    // equality on that column together with it (none left
                    // when the starting value lies beyond the arm's), where
                    // beside the row comparison alone it read from the
                    // starting value to the end of the index (a person's
                    // rows continued past that person: 860 index pages,
                    // 10 ms at 1 000 000 assignments).
                    if (run.from == 0)
                        cond += " AND " + column(0) + (ascending ? " >= " : " <= ") +
                                param(q.params, value(0));
                    return cond;
                },
                run.from);
        }
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
        lastLevel = j == 0;
        build(
            [&, j](SqlQuery& q) {
                std::string cond = prefixEqual(q, j);
                const bool ascending = forward != comps[j].descending;
                cond += " AND " + column(j) + (ascending ? " > " : " < ");
                cond += param(q.params, value(j));
                return cond;
            },
            j, static_cast<int>(j), [&, j](SqlQuery& q) { return prefixEqual(q, j); });
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
