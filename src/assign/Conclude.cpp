#include "assign/Conclude.h"

#include "assign/AssignmentRules.h"
#include "assign/NoticeRules.h"
#include "assign/Repetition.h"
#include "data/Keys.h"
#include "data/Messages.h"
#include "data/Tables.h"
#include "platform/Picture.h"

namespace tko {
namespace {

constexpr int kConcludeTimeoutMs = 2000;
constexpr int kConcludeAttempts = 5;

// Another station concluded (or re-dated) the assignment since `before` was read.
bool concludedElsewhere(const Assignment& before, const Assignment& now) {
    return before.DUEDATE != now.DUEDATE || before.CLOSEDATE != now.CLOSEDATE ||
           before.PREVCLOSE != now.PREVCLOSE;
}

std::string dateText(Date date) {
    return formatDate(date, u"@D18").toStdString();
}

// The record after concluding `record` on `today`.
Assignment concluded(const Assignment& record, Date today) {
    Assignment next = record;
    const int type = repeatTypeNumber(record.REPEATTYPE);
    if (type == 1) {
        next.CLOSEDATE = today;
        next.LOG = appendToLog(next.LOG, "\r" + translateText("Concluded") + " " + dateText(today));
        return next;
    }
    next.PREVCLOSE = today;
    next.LOG =
        appendToLog(next.LOG, "\r" + translateText("Repeat Concluded") + " " + dateText(today));
    next.DUEDATE = NextDueDate(record, today);
    return next;
}

// A failure with `text` shown under the conclusion's failure caption.
Outcome failure(const std::string& text) {
    StandardMessage shown;
    shown.title = translateText(kConcludeFailureTitle);
    shown.text = text;
    return Outcome::failed(std::move(shown));
}

Outcome failed(Database& db) {
    if (db.engine().transactionDepth() > 0) db.rollback();
    return failure(db.lastError().describe());
}

}  // namespace

bool closedForGood(const Assignment& a) {
    return a.CLOSEDATE != 0 && repeatTypeNumber(a.REPEATTYPE) == 1;
}

Outcome ConcludeAssignment(Database& db, const Session& session, std::int32_t assignNumber,
                           Date today, const Assignment* seen, Assignment* after) {
    Assignment ignored;
    Assignment& result = after ? *after : ignored;
    std::optional<Assignment> firstRead;
    if (seen) firstRead = *seen;
    for (int attempt = 0; attempt < kConcludeAttempts; ++attempt) {
        Assignment record;
        if (!db.fetch(key::ASS_NUMBER_KEY, {std::int64_t{assignNumber}}, record).ok()) {
            result = seen ? *seen : Assignment{};
            return failure(db.lastError().describe());
        }
        result = record;
        if (!mayConclude(record, session)) return Outcome::refused(std::string());
        if (firstRead && concludedElsewhere(*firstRead, record)) {
            // No title of its own: the box shows under the caller's.
            StandardMessage note;
            note.text =
                translateText("This assignment was concluded at another station meanwhile.");
            Outcome outcome;
            outcome.message = note;
            return outcome;
        }
        if (!firstRead) firstRead = record;
        // Concluding a closed assignment again would move its close date to
        // today and its old work into today's History.
        if (closedForGood(record)) {
            StandardMessage note;
            note.text =
                mergeParameters(translateText("This assignment was concluded on %1 already."),
                                dateText(record.CLOSEDATE));
            Outcome outcome;
            outcome.kind = Outcome::Refused;
            outcome.message = note;
            return outcome;
        }

        const bool closing = repeatTypeNumber(record.REPEATTYPE) == 1;
        Assignment next = concluded(record, today);
        if (!db.begin({label::ASSIGNMENT, label::REMINDER}, kConcludeTimeoutMs).ok())
            return failed(db);
        if (closing) {
            std::vector<Reminder> reminders;
            if (!remindersOf(db, record.ASSIGNNUMBER, reminders).ok()) return failed(db);
            for (const Reminder& r : reminders)
                if (!db.remove(r).ok()) return failed(db);
        }
        const Status written = db.change(next);
        if (written.code == store::kChangedByOther) {
            db.rollback();
            continue;  // read again and decide afresh
        }
        if (!written.ok()) return failed(db);
        if (!queueAssignmentNotices(db, &record, next, session.GlobalUser,
                                    AssignmentEvent::Concluded)
                 .ok())
            return failed(db);
        if (!db.commit().ok()) return failed(db);
        result = next;
        return {};
    }
    // Changed elsewhere on every attempt: nothing was written.
    result = firstRead ? *firstRead : Assignment{};
    Outcome outcome = failure(standardMessage(15, {}, {}, {}, 1).text);
    outcome.kind = Outcome::ChangedElsewhere;
    return outcome;
}

}  // namespace tko
