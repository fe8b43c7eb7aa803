// "Current Reminders": the signed-in user's reminders dated today or earlier,
// whatever their alarm flag, in date order; and what the list does to a
// reminder ("Delete", "Alert").
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>

#include "data/Database.h"
#include "data/Keys.h"
#include "platform/Date.h"
#include "platform/store/Filter.h"

namespace tko {

inline constexpr const char* kCurrentRemindersKey = key::REM_DATE_KEY;

// The rule for one record.
bool isCurrentReminder(const Reminder& reminder, const std::string& user, Date today);
// The same rule as a store filter along kCurrentRemindersKey.
store::Filter currentRemindersFilter(const std::string& user, Date today);

// "Alert": a flag of 1 becomes 0, anything else becomes 1.
std::uint8_t toggledAlarm(std::uint8_t flag);

// Flips the alarm flag of the stored reminder at reminder.rowPos, starting
// from the stored value (not from a list row that may be stale), and writes
// it. kRecordNotFound when another station deleted it meanwhile; `reminder`
// then keeps its old values. On success `reminder` holds the stored record.
Status toggleReminderAlarm(Database& db, Reminder& reminder);

// Deletes the reminder at reminder.rowPos; kRecordNotFound when it is gone.
Status deleteReminder(Database& db, const Reminder& reminder);

// The assignments that the rows of a reminder page belong to, read once per
// assignment number until clear(). A number without an assignment gives nullptr.
class ReminderAssignments {
public:
    explicit ReminderAssignments(Database& db) : m_db(db) {}
    const Assignment* find(std::int32_t assignNumber);
    void clear() { m_cache.clear(); }

private:
    Database& m_db;
    std::map<std::int32_t, std::optional<Assignment>> m_cache;
};

}  // namespace tko
