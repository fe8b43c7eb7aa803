// Who is told what by mail when an assignment is stored or concluded. The
// rule is a plain function (noticesFor()); queueAssignmentNotices() writes
// what it decides into the outbox inside the caller's transaction, so that
// the notices are stored exactly when the change is.
#pragma once

#include <string>
#include <vector>

#include "data/Database.h"
#include "data/Notices.h"
#include "data/Records.h"

namespace tko {

enum class AssignmentEvent { Stored, Concluded };

struct NoticeDue {
    std::string recipient;  // a user name as the record holds it, clipped
    NoticeKind kind = NoticeKind::NewWork;
    friend bool operator==(const NoticeDue&, const NoticeDue&) = default;
};

// The notices `actor` causes by storing (`before` the record as it was, or
// nullptr for a new one) or concluding the assignment `after`:
// - the person it is now given to hears of new work when he had not been
//   given it before (a new record, or a change of person);
// - else the person it is given to hears of a change of anything but the
//   confidential comments, the seen flag and the log;
// - the giver hears of its conclusion.
// Nobody is told of what he did himself (names compare exactly, trailing
// blanks ignored). Whether the person is a user who wants the notice is
// decided when it is queued (queueNotice()).
std::vector<NoticeDue> noticesFor(const Assignment* before, const Assignment& after,
                                  const std::string& actor, AssignmentEvent event);

// The notices of many new assignments given by `actor` at once (an import's
// batch): the same decisions as queueAssignmentNotices() for each, written
// together (queueNotices()) inside the caller's transaction.
Status queueNewAssignmentNotices(Database& db, const std::vector<Assignment>& added,
                                 const std::string& actor);

// Queues the notices of noticesFor(); call it inside the transaction that
// writes the change.
Status queueAssignmentNotices(Database& db, const Assignment* before, const Assignment& after,
                              const std::string& actor, AssignmentEvent event);

}  // namespace tko
