// The filter of a list's filter box, read through a substring index where
// the table has one.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/store/Engine.h"
#include "platform/store/Filter.h"

namespace tko::store {

// A word that this many rows hold or more fills a list's page soon along the
// list's own order; one that fewer hold is looked up in the index.
inline constexpr int kCommonWordRows = 2000;

// wordsFilter(table, fields, typed), narrowed to the rows the substring index
// holds the rarest of the typed words in, when the table has a substring
// index over every text among `fields` and one of the words is held by fewer
// than kCommonWordRows rows. Each word is counted in the index here, once per
// typed text, up to that bound. The rows are those of wordsFilter(); a count
// the engine cannot make only leaves the word out of the narrowing. On the
// server, whose planner counts by statistics, every word's index test is
// added and the planner chooses.
Filter filterBoxFilter(Engine& engine, const TableDef& table,
                       const std::vector<std::string>& fields, std::string_view typed);

}  // namespace tko::store
