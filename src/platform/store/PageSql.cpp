// The page statement writer: SqlBuilder's reading of one page along a key,
// written as the queries (or, on the server, the one statement) that read it.
#include <algorithm>
#include <functional>
#include <optional>
#include <set>

#include "platform/store/PageArms.h"
#include "platform/store/SqlBuilder.h"

namespace tko::store {
using namespace pagearms;

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

// Writes the statements of one page read (SqlBuilder::pageSql()): ranges of
// the key from the starting position on, each range read over the page's
// arms. Lives as long as one call.
class PageWriter {
public:
    using Next = std::function<bool(SqlQuery&)>;
    // A key condition: the SQL that bounds a range, its parameters appended
    // to the query as it is written.
    using KeyCondition = std::function<std::string(SqlQuery&)>;

    PageWriter(const SqlBuilder& sql, const TableDef& table, const ReadRequest& request,
               const Next& next)
        : m_sql(sql),
          m_table(table),
          m_request(request),
          m_next(next),
          m_deliver(next),
          m_single(!next),
          m_forward(request.direction == Direction::Forward),
          m_arms(sql.armsFor(table, request)),
          m_rowId("t." + sql.quoted(kRowIdColumn)),
          m_selectFrom("SELECT " + sql.columnList(table, request.withMemos) + " FROM " +
                       sql.tableName(table) + " t"),
          m_keyComponents(request.key ? request.key->components : kNoComponents) {}

    SqlQuery write();

private:
    static inline const std::vector<KeyComponent> kNoComponents;

    // One range of the key (see range()) and what its arms share.
    struct Range {
        const KeyCondition& keyCondition;
        const KeyCondition& equalOnly;
        std::set<const Arm*> decided;  // arms whose bound is not written
    };

    SqlQuery pageWithoutKey();
    SqlQuery firstPage();
    SqlQuery rowComparisonRanges();
    SqlQuery levelRanges();
    void range(const KeyCondition& keyCondition, size_t equalPrefix, int bounded = -1,
               const KeyCondition& equalOnly = {});
    std::vector<Arm> armsUnderStart(size_t equalPrefix) const;
    std::vector<const Arm*> withoutDecidedBounds(std::vector<const Arm*> live, int bounded,
                                                 Range& range) const;
    void emit(SqlQuery& q, const std::vector<const Arm*>& part, size_t skip,
              const Range& range) const;
    bool writeNumberList(const std::vector<std::vector<const Arm*>>& runs, size_t prefix,
                         const Range& range);
    void writeBranches(const std::vector<std::vector<const Arm*>>& runs, size_t prefix,
                       const Range& range);
    void deliverQueries(const std::vector<std::vector<const Arm*>>& runs, size_t prefix,
                        const Range& range);
    SqlQuery finish();

    // A key component's column as the key compares it (see keyCollate()).
    std::string column(size_t i) const {
        const KeyComponent& c = m_request.key->components[i];
        return "t." + m_sql.quoted(m_table.fields[static_cast<size_t>(c.field)].name) +
               m_sql.keyCollate(m_table, c);
    }
    Value value(size_t i) const {
        return normalise(m_table.fields[static_cast<size_t>(m_request.key->components[i].field)],
                         m_request.from.values[i]);
    }
    // The first `n` components equal to the starting values.
    std::string prefixEqual(SqlQuery& q, size_t n) const {
        std::string cond = "1=1";
        for (size_t i = 0; i < n; ++i)
            cond += " AND " + column(i) + " = " + m_sql.param(q.params, value(i));
        return cond;
    }

    const SqlBuilder& m_sql;
    const TableDef& m_table;
    const ReadRequest& m_request;
    const Next& m_next;
    Next m_deliver;  // where each query goes
    const bool m_single;
    const bool m_forward;
    const std::vector<Arm>& m_arms;
    const std::string m_rowId;
    const std::string m_selectFrom;
    const std::vector<KeyComponent>& m_keyComponents;

    // A query: for each arm the key condition, the arm's filter; then the
    // order and the limit. With `m_single` each query becomes one branch of
    // a UNION ALL in `m_joined`, limited to a whole page; the statement's own
    // LIMIT ends the reading.
    SqlQuery m_joined;
    int m_branches = 0;
    bool m_enough = false;     // `m_next` wants no more queries
    bool m_lastLevel = false;  // the key condition being written is the page's last
};

SqlQuery SqlBuilder::pageSql(const TableDef& table, const ReadRequest& request,
                             const std::function<bool(SqlQuery&)>& next) const {
    return PageWriter(*this, table, request, next).write();
}

SqlQuery PageWriter::write() {
    if (!m_request.key) return pageWithoutKey();
    if (m_request.from.values.empty() || m_request.key->components.empty()) return firstPage();
    return m_single ? rowComparisonRanges() : levelRanges();
}

SqlQuery PageWriter::pageWithoutKey() {
    m_lastLevel = true;
    range(
        [&](SqlQuery& q) -> std::string {
            if (!m_request.from.after) return "1=1";
            return m_rowId + (m_forward ? " > " : " < ") +
                   m_sql.param(q.params, *m_request.from.after);
        },
        0);
    return finish();
}

// `equalPrefix`: how many leading key components the key condition holds
// equal to the starting values. Each arm's filter is taken under those
// values (see assuming()), so that a bound the values already decide does not
// compete with the equalities for the index search, and an arm that cannot
// hold such rows is left out of this query. `bounded`: the key component the
// key condition holds beyond its starting value (after `equalPrefix` equal
// ones), or -1. `equalOnly` is the key condition without that bound.
void PageWriter::range(const KeyCondition& keyCondition, size_t equalPrefix, int bounded,
                       const KeyCondition& equalOnly) {
    if (m_enough) return;
    const std::vector<Arm> taken = armsUnderStart(equalPrefix);
    std::vector<const Arm*> live;
    for (const Arm& arm : equalPrefix > 0 ? taken : m_arms) live.push_back(&arm);
    Range r{keyCondition, equalOnly, {}};
    const Arm none{m_request.key, alwaysFalse()};
    live = withoutDecidedBounds(std::move(live), bounded, r);
    if (live.empty()) live.push_back(&none);
    // Runs of arms that follow one another in key order become ranges of
    // the statement read one after the other, or, on SQLite, queries run
    // one after the other until the page is full: a page then starts only
    // the arms of the runs it reaches.
    size_t prefix = 0;
    const std::vector<std::vector<const Arm*>> runs =
        runsOf(m_table, m_request.key, m_request.direction, live, prefix);
    if (!m_single) {
        deliverQueries(runs, prefix, r);
        return;
    }
    if (!writeNumberList(runs, prefix, r)) writeBranches(runs, prefix, r);
}

// The arms' filters under the starting values of the first `equalPrefix`
// components; none when there are no such components.
std::vector<Arm> PageWriter::armsUnderStart(size_t equalPrefix) const {
    std::vector<Arm> taken;
    if (equalPrefix == 0) return taken;
    for (const Arm& arm : m_arms) {
        if (holdsOtherNumber(m_table, arm.filter, m_keyComponents, m_request.from.values,
                             equalPrefix))
            continue;
        Filter f = arm.filter;
        for (size_t i = 0; i < equalPrefix && !isFalse(f); ++i)
            f = assuming(m_table, std::move(f), m_keyComponents[i].field, m_request.from.values[i]);
        if (!isFalse(f)) taken.push_back({arm.key, std::move(f)});
    }
    // No arm can hold such rows: the key's own index, read not at all.
    if (taken.empty()) taken.push_back({m_request.key, alwaysFalse()});
    return taken;
}

// An arm that holds the bounded component at a number: the bound either
// rules the arm out or holds for all its rows, and then is not written
// (SQLite would search the index by it rather than by the arm's equality,
// and sort the rows). Empty when no arm is left.
std::vector<const Arm*> PageWriter::withoutDecidedBounds(std::vector<const Arm*> live, int bounded,
                                                         Range& range) const {
    if (bounded < 0 || m_single) return live;
    const auto b = static_cast<size_t>(bounded);
    const FieldDef& field = m_table.fields[static_cast<size_t>(m_keyComponents[b].field)];
    const Value start = normalise(field, m_request.from.values[b]);
    const bool ascending = m_forward != m_keyComponents[b].descending;
    std::vector<const Arm*> kept;
    for (const Arm* arm : live) {
        const std::optional<Value> fixed = fixedKeyValue(m_table, arm->filter, m_keyComponents[b]);
        if (fixed && fixed->index() == start.index()) {
            const int c = compareValues(*fixed, start);
            if (ascending ? c <= 0 : c >= 0) continue;
            range.decided.insert(arm);
        }
        kept.push_back(arm);
    }
    return kept;
}

// Whether `filter` keeps only rows a substring index finds (a conjunct of
// it is one): those few rows are then looked up and sorted, rather than
// tested one by one along the key.
static bool narrowedBySubstrings(const Filter& filter) {
    if (filter.kind == Filter::Kind::Substring) return true;
    if (filter.kind != Filter::Kind::And) return false;
    return std::any_of(filter.children.begin(), filter.children.end(),
                       [](const Filter& child) { return child.kind == Filter::Kind::Substring; });
}

// A range of the page: its arms read and merged in key order, leaving out
// the first `skip` key components, constant among them. On the server each
// arm of a merge is an ordered, limited read of its own index, and the outer
// query orders at most a page per arm. SQLite merges the plain arms of a
// compound SELECT under one ORDER BY itself, each read in its index's order
// and only as far as the LIMIT takes the merge; an arm limited on its own
// would be read a whole page deep and sorted, nine pages for nine ranges.
void PageWriter::emit(SqlQuery& q, const std::vector<const Arm*>& part, size_t skip,
                      const Range& range) const {
    const bool several = part.size() > 1;
    const bool wrapped = several && m_single;
    std::vector<int> merged;  // the fields a merge on the server orders by
    for (size_t c = skip; wrapped && c < m_keyComponents.size(); ++c)
        merged.push_back(m_keyComponents[c].field);
    for (size_t a = 0; a < part.size(); ++a) {
        if (a) q.sql += " UNION ALL ";
        if (wrapped) q.sql += "SELECT * FROM (";
        q.sql += m_selectFrom;
        if (m_sql.m_dialect.indexedBy && part[a]->key && !narrowedBySubstrings(part[a]->filter))
            q.sql += " INDEXED BY " + m_sql.quoted(part[a]->key->sqlName());
        q.sql += " WHERE " +
                 (range.decided.count(part[a]) ? range.equalOnly(q) : range.keyCondition(q)) +
                 " AND ";
        if (!wrapped) {
            m_sql.appendFilter(m_table, "t", part[a]->filter, q.sql, q.params);
            continue;
        }
        m_sql.appendArmFilter(m_table, part[a]->filter, merged, q);
        q.sql += m_sql.orderBy(m_table, m_request.key, m_request.direction, "t.") + " LIMIT " +
                 std::to_string(m_request.limit) + ") a" + std::to_string(a);
    }
    q.sql += m_sql.orderBy(m_table, m_request.key, m_request.direction, several ? "" : "t.",
                           several ? skip : 0) +
             " LIMIT ";
}

// Runs of one range each that differ only in the key's leading numbers: one
// range read per row of a list of those numbers, which the server starts once
// instead of once per run (nine priorities: 96 -> 74 us a statement). False
// when the runs are not such.
bool PageWriter::writeNumberList(const std::vector<std::vector<const Arm*>>& runs, size_t prefix,
                                 const Range& range) {
    const std::optional<Filter> common =
        sameRangeButNumbers(m_table, runs, m_keyComponents, prefix);
    if (!common) return false;
    SqlQuery& joined = m_joined;
    joined.sql +=
        std::string(m_branches ? " UNION ALL " : "") + "SELECT * FROM (SELECT r.* FROM (VALUES ";
    std::string columns, equal;
    for (size_t i = 0; i < prefix; ++i) {
        const std::string c = "c" + std::to_string(i);
        columns += (i ? ", " : "") + c;
        equal += " AND t." +
                 m_sql.quoted(m_table.fields[static_cast<size_t>(m_keyComponents[i].field)].name) +
                 " = v." + c;
    }
    for (size_t r = 0; r < runs.size(); ++r) {
        joined.sql += r ? ", (" : "(";
        for (size_t i = 0; i < prefix; ++i)
            joined.sql +=
                (i ? ", " : "") + std::to_string(std::get<std::int64_t>(*fixedKeyValue(
                                      m_table, runs[r].front()->filter, m_keyComponents[i])));
        joined.sql += ")";
    }
    joined.sql += ") v(" + columns + ") CROSS JOIN LATERAL (" + m_selectFrom + " WHERE " +
                  range.keyCondition(joined) + equal + " AND ";
    m_sql.appendFilter(m_table, "t", *common, joined.sql, joined.params);
    joined.sql += m_sql.orderBy(m_table, m_request.key, m_request.direction, "t.", prefix) +
                  " LIMIT " + std::to_string(m_request.limit) + ") r LIMIT " +
                  std::to_string(m_request.limit) + ") r" + std::to_string(m_branches++);
    return true;
}

// Each run a branch of the one statement, limited to a whole page.
void PageWriter::writeBranches(const std::vector<std::vector<const Arm*>>& runs, size_t prefix,
                               const Range& range) {
    for (const std::vector<const Arm*>& run : runs) {
        m_joined.sql += std::string(m_branches ? " UNION ALL " : "") + "SELECT * FROM (";
        emit(m_joined, run, prefix, range);
        m_joined.sql += std::to_string(m_request.limit) + ") r" + std::to_string(m_branches++);
    }
}

// On SQLite the first run is a query of its own, then two runs merged, then
// four, and so on: a page that the first run fills starts no other range, and
// one that goes through many short runs (a small office) runs a few queries
// rather than one per run. A query is written only when the page reaches it.
void PageWriter::deliverQueries(const std::vector<std::vector<const Arm*>>& runs, size_t prefix,
                                const Range& range) {
    size_t done = 0;
    for (size_t group = 1; done < runs.size(); group *= 2) {
        const size_t end = std::min(runs.size(), done + group);
        std::vector<const Arm*> part;
        for (size_t r = done; r < end; ++r) part.insert(part.end(), runs[r].begin(), runs[r].end());
        SqlQuery q;
        // Runs merged are ordered by the whole key, a run alone by the
        // components after its constant ones.
        emit(q, part, end - done == 1 ? prefix : 0, range);
        done = end;
        q.sql += m_sql.param(q.params, std::int64_t{m_request.limit});
        q.limitParam = static_cast<int>(q.params.size()) - 1;
        q.mayContinue = !m_lastLevel || end < runs.size();
        if (!m_deliver(q)) {
            m_enough = true;
            return;
        }
    }
}

SqlQuery PageWriter::finish() {
    if (!m_single) return {};
    // The one statement runs once with its whole limit: written into the
    // text, where the planner sees how few rows the page takes.
    m_joined.sql += " LIMIT " + std::to_string(m_request.limit);
    return m_joined;
}

// A first page (no starting values). For the arms kept (see armsFor()) its
// queries as last written.
SqlQuery PageWriter::firstPage() {
    m_lastLevel = true;
    const KeyCondition everything = [](SqlQuery&) { return std::string("1=1"); };
    if (&m_arms != &m_sql.m_arms) {
        range(everything, 0);
        return finish();
    }
    std::optional<SqlBuilder::FirstPage>& kept = m_sql.m_firstPages[m_forward ? 0 : 1];
    if (m_single) {
        if (kept && kept->single && kept->withMemos == m_request.withMemos &&
            kept->limit == m_request.limit)
            return kept->queries.front();
        range(everything, 0);
        SqlQuery statement = finish();
        kept = SqlBuilder::FirstPage{m_request.withMemos, true, true, m_request.limit, {statement}};
        return statement;
    }
    size_t ran = 0;
    if (kept && !kept->single && kept->withMemos == m_request.withMemos) {
        for (; ran < kept->queries.size(); ++ran) {
            SqlQuery q = kept->queries[ran];
            if (!m_next(q)) return {};
        }
        if (kept->complete) return {};
    }
    // Written (again, when this page goes further than the last one did: the
    // queries already run are not run twice) and kept.
    SqlBuilder::FirstPage page;
    page.withMemos = m_request.withMemos;
    m_deliver = [&](SqlQuery& q) {
        page.queries.push_back(q);
        return page.queries.size() <= ran || m_next(q);
    };
    range(everything, 0);
    page.complete = !m_enough;
    kept = std::move(page);
    return {};
}

// The server compares rows as a whole: along ascending components "past (v1,
// v2, row)" is the one condition ROW(c1, c2, row) > ROW(v1, v2, r), which its
// index scan takes as the range's start. So each run of components ordered
// the same way is one range instead of one per component: far less for the
// server to plan and start on every page (a continued page over three levels
// took it over a millisecond to plan). The row number, ascending, joins the
// last run when that is ascending.
SqlQuery PageWriter::rowComparisonRanges() {
    const auto& comps = m_request.key->components;
    const size_t given = std::min(m_request.from.values.size(), comps.size());
    const bool after = m_request.from.after.has_value() && given == comps.size();
    struct Run {
        size_t from, to;  // components [from, to)
        bool withRow;     // the row number closes the comparison
    };
    std::vector<Run> runs;
    for (size_t i = 0; i < given; ++i) {
        if (i == 0 || comps[i].descending != comps[i - 1].descending) runs.push_back({i, i, false});
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
        range(
            [&, run, last](SqlQuery& q) {
                std::string columns, values;
                for (size_t i = run.from; i < run.to; ++i) {
                    columns += (i > run.from ? ", " : "") + column(i);
                    values += (i > run.from ? ", " : "") + m_sql.param(q.params, value(i));
                }
                if (run.withRow) {
                    columns += (run.to > run.from ? ", " : "") + m_rowId;
                    values += (run.to > run.from ? ", " : "") +
                              m_sql.param(q.params, *m_request.from.after);
                }
                const bool ascending =
                    m_forward != (run.to > run.from && comps[run.from].descending);
                // Without a starting row the starting values themselves are in.
                const bool inclusive = last && !after;
                const std::string op =
                    ascending ? (inclusive ? " >= " : " > ") : (inclusive ? " <= " : " < ");
                const bool one = run.to - run.from + (run.withRow ? 1 : 0) == 1;
                if (one) return prefixEqual(q, run.from) + " AND " + columns + op + values;
                std::string cond = prefixEqual(q, run.from) + " AND ROW(" + columns + ")" + op +
                                   "ROW(" + values + ")";
                // The leading column's own bound, which the row comparison
                // implies: the server's index scan takes an arm's equality on
                // that column together with it (none left when the starting
                // value lies beyond the arm's), where beside the row
                // comparison alone it read from the starting value to the end
                // of the index (a person's rows continued past that person:
                // 860 index pages, 10 ms at 1 000 000 assignments).
                if (run.from == 0)
                    cond += " AND " + column(0) + (ascending ? " >= " : " <= ") +
                            m_sql.param(q.params, value(0));
                return cond;
            },
            run.from);
    }
    return finish();
}

// Query by query (SQLite): the rows sharing the whole given prefix (past the
// starting row, if any), then, level by level, rows whose component j lies
// beyond the starting value.
SqlQuery PageWriter::levelRanges() {
    const auto& comps = m_request.key->components;
    const size_t given = std::min(m_request.from.values.size(), comps.size());
    const bool after = m_request.from.after.has_value() && given == comps.size();
    range(
        [&](SqlQuery& q) {
            std::string cond = prefixEqual(q, given);
            if (after)
                cond += " AND " + m_rowId + (m_forward ? " > " : " < ") +
                        m_sql.param(q.params, *m_request.from.after);
            return cond;
        },
        given);
    for (size_t j = given; j-- > 0;) {
        m_lastLevel = j == 0;
        range(
            [&, j](SqlQuery& q) {
                std::string cond = prefixEqual(q, j);
                const bool ascending = m_forward != comps[j].descending;
                cond += " AND " + column(j) + (ascending ? " > " : " < ");
                cond += m_sql.param(q.params, value(j));
                return cond;
            },
            j, static_cast<int>(j), [&, j](SqlQuery& q) { return prefixEqual(q, j); });
    }
    return finish();
}

}  // namespace tko::store
