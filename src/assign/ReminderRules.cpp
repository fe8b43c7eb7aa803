#include "assign/ReminderRules.h"

#include "data/Keys.h"
#include "data/Numbering.h"
#include "data/Records.h"

namespace tko {

Reminder primeReminder(const Assignment& assignment, const std::string& user) {
    Reminder r;
    r.ASSIGNNUMBER = assignment.ASSIGNNUMBER;
    r.PERSON = assignment.PERSON;
    r.USER = store::clipText(user, Reminder::Width::USER);
    r.ALARMFLAG = 1;
    return r;
}

Status addNewReminder(Database& db, Reminder& reminder) {
    return addNumbered(db, reminder, &Reminder::REMINDNUMBER, key::REM_REMINDERNUMBER_KEY);
}

std::optional<std::string> checkReminderDate(Date date) {
    if (date != kNoDate) return std::nullopt;
    return translateText("A reminder needs a date.");
}

Outcome storeReminder(Database& db, Reminder& current, const Reminder& opened) {
    Outcome out;
    if (const auto problem = checkReminderDate(current.DATE)) {
        out.kind = Outcome::Refused;
        out.message = StandardMessage{0, translateText("Reminder Information"), *problem};
        return out;
    }
    const Outcome r = changeRecord(db, current, opened, true);
    if (r.ok()) return out;
    if (r.kind == Outcome::ChangedElsewhere) {
        out.kind = Outcome::ChangedElsewhere;
        out.message = r.message;
        return out;
    }
    out.kind = Outcome::Failed;
    out.message = db.lastError().code == store::kDuplicateKey
                      ? standardMessage(24, "REM:ReminderNumber_key")
                      : standardMessage(14, db.lastError().describe());
    return out;
}

Outcome removeReminder(Database& db, const Reminder& reminder) {
    Outcome out;
    const Outcome r = deleteRecord(db, reminder);
    if (r.ok()) return out;
    out.kind = Outcome::Failed;
    out.message = standardMessage(18);
    return out;
}

}  // namespace tko
