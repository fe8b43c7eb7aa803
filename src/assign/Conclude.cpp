#include "assign/Conclude.h"

#include "assign/AssignmentRules.h"
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
    if (type == 2 && occurrenceIndex(record.WEEKINMONTH) == 0) {
        next.LOG = appendToLog(
            next.LOG,
            "\r" + mergeParameters(
                       translateText("Due date not moved: the occurrence \"%1\" is not known."),
                       store::rtrim(record.WEEKINMONTH)));
        return next;
    }
    next.DUEDATE = NextDueDate(record, today);
    return next;
}

ConcludeOutcome failed(Database& db, const Assignment& record) {
    if (db.engine().transactionDepth() > 0) db.rollback();
    ConcludeOutcome out;
    out.kind = ConcludeOutcome::Failed;
    out.record = record;
    out.message = db.lastError().describe();
    return out;
}

}  // namespace

ConcludeOutcome ConcludeAssignment(Database& db, const Session& session, std::int32_t assignNumber,
                                   Date today, const Assignment* seen) {
    std::optional<Assignment> firstRead;
    if (seen) firstRead = *seen;
    for (int attempt = 0; attempt < kConcludeAttempts; ++attempt) {
        Assignment record;
        if (!db.fetch(key::ASS_NUMBER_KEY, {std::int64_t{assignNumber}}, record).ok()) {
            ConcludeOutcome out;
            out.kind = ConcludeOutcome::Failed;
            out.message = db.lastError().describe();
            if (seen) out.record = *seen;
            return out;
        }
        ConcludeOutcome out;
        out.record = record;
        if (!mayConclude(record, session)) {
            out.kind = ConcludeOutcome::NotPermitted;
            return out;
        }
        if (firstRead && concludedElsewhere(*firstRead, record)) {
            out.kind = record.CLOSEDATE != 0 && repeatTypeNumber(record.REPEATTYPE) == 1
                           ? ConcludeOutcome::Concluded
                           : ConcludeOutcome::Repeated;
            out.message =
                translateText("This assignment was concluded at another station meanwhile.");
            return out;
        }
        if (!firstRead) firstRead = record;

        const bool closing = repeatTypeNumber(record.REPEATTYPE) == 1;
        Assignment next = concluded(record, today);
        if (!db.begin({label::ASSIGNMENT, label::REMINDER}, kConcludeTimeoutMs).ok())
            return failed(db, record);
        if (closing) {
            std::vector<Reminder> reminders;
            if (!remindersOf(db, record.ASSIGNNUMBER, reminders).ok()) return failed(db, record);
            for (const Reminder& r : reminders)
                if (!db.remove(r).ok()) return failed(db, record);
        }
        const Status written = db.change(next);
        if (written.code == store::kChangedByOther) {
            db.rollback();
            continue;  // read again and decide afresh
        }
        if (!written.ok()) return failed(db, record);
        if (!db.commit().ok()) return failed(db, record);
        out.kind = closing ? ConcludeOutcome::Concluded : ConcludeOutcome::Repeated;
        out.record = next;
        return out;
    }
    // Changed elsewhere on every attempt.
    ConcludeOutcome out;
    out.kind = ConcludeOutcome::Failed;
    out.message = standardMessage(15, {}, {}, {}, 1).text;
    if (firstRead) out.record = *firstRead;
    return out;
}

}  // namespace tko
