#include "assign/NoticeRules.h"

#include "access/Access.h"

namespace tko {

namespace {

// Whether anything the assignee is told of changed: all but the confidential
// comments (never mailed), the seen flag and the log (written by every save).
bool noticeableChange(const Assignment& before, const Assignment& after) {
    Assignment a = before, b = after;
    a.CONFMEMO = b.CONFMEMO;
    a.SEEN = b.SEEN;
    a.LOG = b.LOG;
    a.ASSIGNMEMO = b.ASSIGNMEMO;  // the assignee's own notes
    return !a.sameValues(b);
}

}  // namespace

std::vector<NoticeDue> noticesFor(const Assignment* before, const Assignment& after,
                                  const std::string& actor, AssignmentEvent event) {
    std::vector<NoticeDue> due;
    auto tell = [&](const std::string& who, NoticeKind kind) {
        const std::string name = store::rtrim(who);
        if (name.empty() || access::isUser(name, actor)) return;
        due.push_back({name, kind});
    };
    if (event == AssignmentEvent::Concluded) {
        tell(after.USERNAME, NoticeKind::Concluded);
        return due;
    }
    const bool newToPerson = !before || store::rtrim(before->PERSON) != store::rtrim(after.PERSON);
    if (newToPerson)
        tell(after.PERSON, NoticeKind::NewWork);
    else if (noticeableChange(*before, after))
        tell(after.PERSON, NoticeKind::Changed);
    return due;
}

Status queueAssignmentNotices(Database& db, const Assignment* before, const Assignment& after,
                              const std::string& actor, AssignmentEvent event) {
    for (const NoticeDue& notice : noticesFor(before, after, actor, event)) {
        Status s = queueNotice(db, notice.recipient, notice.kind, after.ASSIGNNUMBER, actor);
        if (!s.ok()) return s;
    }
    return Status::success();
}

Status queueNewAssignmentNotices(Database& db, const std::vector<Assignment>& added,
                                 const std::string& actor) {
    std::vector<NoticeRequest> requests;
    for (const Assignment& a : added)
        for (const NoticeDue& notice : noticesFor(nullptr, a, actor, AssignmentEvent::Stored))
            requests.push_back({notice.recipient, notice.kind, a.ASSIGNNUMBER});
    return queueNotices(db, requests, actor);
}

}  // namespace tko
