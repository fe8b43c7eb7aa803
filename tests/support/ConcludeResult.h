// What ConcludeAssignment did, in one value that tests compare: kConcluded,
// kRepeated, kNotPermitted or kConcludeFailed.
#pragma once

#include <string>

#include "assign/Conclude.h"

namespace tko::test {

inline constexpr const char* kConcluded = "concluded";
inline constexpr const char* kRepeated = "repeated";
inline constexpr const char* kNotPermitted = "not permitted";
inline constexpr const char* kConcludeFailed = "failed";

// `after` is the record ConcludeAssignment handed back with `outcome`.
inline std::string concludeResult(const Outcome& outcome, const Assignment& after) {
    switch (outcome.kind) {
        case Outcome::Done:
            return closedForGood(after) ? kConcluded : kRepeated;
        case Outcome::Refused:
            return kNotPermitted;
        default:
            return kConcludeFailed;
    }
}

inline std::string conclude(Database& db, const Session& session, std::int32_t assignNumber,
                            Date today, const Assignment* seen = nullptr) {
    Assignment after;
    const Outcome outcome = ConcludeAssignment(db, session, assignNumber, today, seen, &after);
    return concludeResult(outcome, after);
}

}  // namespace tko::test
