// Concluding an assignment: the one operation every "Conclude" button calls.
// A non-repeating assignment is closed and loses its reminders; a repeating
// one moves its due date by its rule and stays open. One transaction.
#pragma once

#include <string>

#include "app/Session.h"
#include "data/Database.h"
#include "platform/Date.h"

namespace tko {

struct ConcludeOutcome {
    enum Kind {
        Concluded,     // closed for good (CLOSEDATE set, reminders deleted)
        Repeated,      // a repeating assignment moved to its next due date
        NotPermitted,  // the user may not conclude it: nothing changed, nothing to show
        Failed,        // nothing changed; show `message` under the caption "Information Safeguard"
    };
    Kind kind = Failed;
    Assignment record;    // the assignment as stored afterwards (or as read, when nothing changed)
    std::string message;  // the store's error text when Failed
};

// Re-reads assignment `assignNumber`, checks the user's permission and applies
// the conclusion as of `today`, all in one transaction: the reminder deletions
// and the record's new state are written together or not at all.
//
// The record is written with the version check. When another station changed
// it in between, it is read again and the decision taken afresh; when that
// station concluded it (its due, close or previous-close date moved), it is
// not concluded a second time: the outcome then reports the stored state with
// a `message` saying so. `seen`, when given, is the record as the caller showed
// it to the user: a conclusion made elsewhere since then counts the same way,
// so two stations pressing "Conclude" on the same row move the due date once.
ConcludeOutcome ConcludeAssignment(Database& db, const Session& session, std::int32_t assignNumber,
                                   Date today, const Assignment* seen = nullptr);

// The caption of the box that shows a Failed outcome's message.
inline constexpr const char* kConcludeFailureTitle = "Information Safeguard";

}  // namespace tko
