#include "platform/store/PageArms.h"

#include <algorithm>
#include <bitset>
#include <map>
#include <optional>

#include "platform/store/NameCollation.h"

namespace tko::store::pagearms {

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
        case Filter::Kind::Contains:
        case Filter::Kind::Matches:
        case Filter::Kind::Substring:
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

}  // namespace tko::store::pagearms
