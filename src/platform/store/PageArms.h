// How a page along a key is read, taken apart: a filter's either-ors of
// equalities become index ranges ("arms"), each read along the index that
// leads with its values, and arms that hold the key's leading components at
// one value fall into runs read one after another. Used by the page statement
// writer (PageSql.cpp); not for use outside the store.
#pragma once

#include <optional>
#include <vector>

#include "platform/store/SqlBuilder.h"

namespace tko::store::pagearms {

using Arm = PageArm;

// The filter no row passes, and the test for it.
Filter alwaysFalse();
bool isFalse(const Filter& f);

// `filter` on the rows whose `field` equals `value`: every comparison that
// the value decides becomes true or false (see PageArms.cpp).
Filter assuming(const TableDef& table, Filter filter, int field, const Value& value);

// The arms of a page read: one per combination of the either-ors that an
// index can read, at most `mostArms`; else the one read along the key (or
// along an index that leads with the filter's equalities).
std::vector<Arm> armsOf(const TableDef& table, const ReadRequest& request, size_t mostArms);

// The value an arm's filter holds key component `c` equal to, as the key
// compares it; none when it holds none.
std::optional<Value> fixedKeyValue(const TableDef& table, const Filter& filter,
                                   const KeyComponent& c);

// The arms split into runs that follow one another in key order; `prefix`
// gets the number of leading components constant within a run.
std::vector<std::vector<const Arm*>> runsOf(const TableDef& table, const KeyDef* key,
                                            Direction direction,
                                            const std::vector<const Arm*>& arms, size_t& prefix);

// Whether `filter` holds one of the first `n` numeric key components equal to
// a number other than the starting value in `values`.
bool holdsOtherNumber(const TableDef& table, const Filter& filter,
                      const std::vector<KeyComponent>& components, const std::vector<Value>& values,
                      size_t n);

// The filter that every run's one range holds besides its leading numbers,
// when the runs differ only in those; none otherwise.
std::optional<Filter> sameRangeButNumbers(const TableDef& table,
                                          const std::vector<std::vector<const Arm*>>& runs,
                                          const std::vector<KeyComponent>& components,
                                          size_t prefix);

// Whether two filters are the same tree of tests.
bool sameFilter(const Filter& a, const Filter& b);

}  // namespace tko::store::pagearms
