// The rules of the "Reminder Information" form: priming and numbering a new
// reminder (added at once), storing a change and deleting one. GUI-free.
#pragma once

#include <optional>
#include <string>

#include "data/Database.h"
#include "data/Integrity.h"
#include "data/Messages.h"
#include "platform/Date.h"
#include "platform/Outcome.h"

namespace tko {

// A new reminder of `assignment` for `user`: alarm flag set, the rest empty.
Reminder primeReminder(const Assignment& assignment, const std::string& user);

// Adds `reminder` at once with the next free number, three attempts; on
// failure the status says why (kDuplicateKey: message 25 may offer a retry).
Status addNewReminder(Database& db, Reminder& reminder);

// A reminder comes due on its date, so it needs one: without a date it would
// count as due forever. The message to show, or nothing when `date` is set.
std::optional<std::string> checkReminderDate(Date date);

// Storing and removing report Done, Refused (no date), ChangedElsewhere or
// Failed, with the standard message to show.
// Writes a changed reminder with the version check; a duplicate number gives
// message 24 for "REM:ReminderNumber_key", other failures message 14. On
// ChangedElsewhere `current` holds the other station's values. A reminder
// without a date is Refused and nothing is written.
Outcome storeReminder(Database& db, Reminder& current, const Reminder& opened);

// Deletes the reminder; message 18 (retry?) when that fails.
Outcome removeReminder(Database& db, const Reminder& reminder);

}  // namespace tko
