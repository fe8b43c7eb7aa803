// Record numbers: one more than the highest number in the table's number key.
// Two stations may take the same number at once; the unique key refuses the
// second add, which then tries again with a fresh number after a short random
// pause, so that stations that collided do not collide again in step.
#pragma once

#include "data/Database.h"

namespace tko {

inline constexpr int kNumberingAttempts = 5;

// Sleeps before numbering attempt `attempt` (1, 2, ...): a random time that
// grows with the attempt (up to a few tens of milliseconds).
void numberingBackOff(int attempt);

// The highest number stored along `numberKey` (a key whose first component is
// the number), 0 in an empty table.
Status highestNumber(Database& db, const store::TableDef& table, const std::string& numberKey,
                     std::int64_t& highest);

// Adds `record` numbered one above the highest stored number, trying again up
// to kNumberingAttempts times in all, each after numberingBackOff(), when
// another station took the number first. On failure the status is the last
// refusal (kDuplicateKey when every number was taken); the caller shows
// message 25.
template <class R>
Status addNumbered(Database& db, R& record, std::int32_t R::*number, const std::string& numberKey) {
    Status s;
    for (int attempt = 0; attempt < kNumberingAttempts; ++attempt) {
        if (attempt > 0) numberingBackOff(attempt);
        std::int64_t highest = 0;
        s = highestNumber(db, R::def(), numberKey, highest);
        if (!s.ok()) return s;
        record.*number = static_cast<std::int32_t>(highest + 1);
        s = db.add(record);
        if (s.code != store::kDuplicateKey) return s;
    }
    return s;
}

}  // namespace tko
