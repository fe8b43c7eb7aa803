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
// the conclusion as of `today`, all in one transaction.
ConcludeOutcome ConcludeAssignment(Database& db, const Session& session, std::int32_t assignNumber,
                                   Date today);

}  // namespace tko
