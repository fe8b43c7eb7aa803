// "View Unseen or Changed Assignments": the open assignments that somebody
// else gave to the user and that the user has not opened since they were
// given or last changed. Assignments users give themselves are never listed.
//
// The rows are read along ASS:SEENPERSON_KEY within SEEN = 0; the filter pins
// the person to the user, so a page is one index range, and typing in the
// list still locates on the person component.
#pragma once

#include <string>

#include "data/Database.h"
#include "data/Keys.h"
#include "platform/store/Filter.h"

namespace tko {

inline constexpr const char* kUnseenKey = key::ASS_SEENPERSON_KEY;
inline constexpr std::int64_t kUnseen = 0;

// The rule for one record.
bool isUnseenFor(const Assignment& record, const std::string& user);

// The range prefix along kUnseenKey (SEEN = 0) and the filter for `user`.
std::vector<store::Value> unseenRange();
store::Filter unseenFilter(const std::string& user);

}  // namespace tko
