// Values of a unique key that differ only in letter case: what keeps the key
// from comparing names by the name collation (NameCollation.h). Data sets made
// before names compared without regard to case may hold such pairs ("Ben" and
// "BEN"); the key then keeps its old order until one of them is renamed.
#pragma once

#include <string>
#include <vector>

#include "platform/store/SqlBuilder.h"

namespace tko::store {

// The values of `key` of every row, in the name collation's order, so that
// values equal by the collation lie next to each other.
SqlQuery keyValuesInNameOrder(const SqlBuilder& sql, const TableDef& table, const KeyDef& key);

// True when the key has a text component (only those can collide by case).
bool hasTextComponent(const TableDef& table, const KeyDef& key);

// One line per group of neighbouring rows of `valuesInOrder` (as read by
// keyValuesInNameOrder) that are equal by the collation but not byte for
// byte, naming the values: "\"BEN, ANNA\" and \"Ben, ANNA\"". At most `limit` lines.
std::vector<std::string> caseDuplicates(const std::vector<std::vector<Value>>& valuesInOrder,
                                        size_t limit = 20);

}  // namespace tko::store
