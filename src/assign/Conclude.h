// Concluding an assignment: the one operation every "Conclude" button calls.
// A non-repeating assignment is closed and loses its reminders; a repeating
// one moves its due date by its rule and stays open. One transaction.
#pragma once

#include <string>

#include "data/Database.h"
#include "data/Session.h"
#include "platform/Date.h"
#include "platform/Outcome.h"

namespace tko {

// Re-reads assignment `assignNumber`, checks the user's permission and applies
// the conclusion as of `today`, all in one transaction: the reminder deletions
// and the record's new state are written together or not at all.
//
// The record is written with the version check. When another station changed
// it in between, it is read again and the decision taken afresh; when that
// station concluded it (its due, close or previous-close date moved), it is
// not concluded a second time: the outcome is then Done with a message saying
// so. `seen`, when given, is the record as the caller showed
// it to the user: a conclusion made elsewhere since then counts the same way,
// so two stations pressing "Conclude" on the same row move the due date once.
//
// Done when it was concluded (here or elsewhere: concludedHere() tells which);
// `after`, when given, is then the assignment as stored (closedForGood() tells
// a closed one from a moved repetition). Refused, with nothing to show, when
// the user may not conclude it; refused with "This assignment was concluded
// on <date> already." (no title of its own) when it is closed for good
// already. `after` is then the record as read. ChangedElsewhere, with nothing
// written, when other stations changed the record on every attempt. Failed,
// with nothing changed, when the store failed. Those two messages show under
// "Information Safeguard".
Outcome ConcludeAssignment(Database& db, const Session& session, std::int32_t assignNumber,
                           Date today, const Assignment* seen = nullptr,
                           Assignment* after = nullptr);

// ConcludeAssignment on the row `seen` as a list showed it: the Conclude of
// the assignment lists and of the project windows.
inline Outcome concludeSeenRow(Database& db, const Session& session, const Assignment& seen,
                               Date today) {
    return ConcludeAssignment(db, session, seen.ASSIGNNUMBER, today, &seen);
}

// Whether this call wrote a conclusion: Done without the note that another
// station concluded the assignment meanwhile.
inline bool concludedHere(const Outcome& outcome) {
    return outcome.kind == Outcome::Done && !outcome.message;
}

// Concluded for good: a non-repeating assignment with its close date set.
bool closedForGood(const Assignment& a);

// The caption of the box that shows a failure.
inline constexpr const char* kConcludeFailureTitle = "Information Safeguard";

}  // namespace tko
