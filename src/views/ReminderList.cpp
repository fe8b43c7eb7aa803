#include "views/ReminderList.h"

#include "access/Access.h"
#include "data/Keys.h"

namespace tko {

bool isCurrentReminder(const Reminder& reminder, const std::string& user, Date today) {
    return reminder.DATE <= today && access::isUser(reminder.USER, user);
}

store::Filter currentRemindersFilter(const std::string& user, Date today) {
    using namespace store;
    return allOf({le("DATE", today), access::fieldIsUser("USER", user)});
}

std::uint8_t toggledAlarm(std::uint8_t flag) {
    return flag == 1 ? 0 : 1;
}

Status toggleReminderAlarm(Database& db, Reminder& reminder) {
    // Another station may write between our read and write; the version check
    // catches that and we start again from its value.
    Status s;
    for (int attempt = 0; attempt < 3; ++attempt) {
        Reminder stored;
        stored.rowPos = reminder.rowPos;
        s = db.reread(stored);
        if (!s.ok()) return s;
        stored.ALARMFLAG = toggledAlarm(stored.ALARMFLAG);
        s = db.change(stored);
        if (s.ok()) {
            reminder = stored;
            return s;
        }
        if (s.code != store::kChangedByOther) return s;
    }
    return s;
}

Status deleteReminder(Database& db, const Reminder& reminder) {
    return db.remove(reminder);
}

const Assignment* ReminderAssignments::find(std::int32_t assignNumber) {
    auto it = m_cache.find(assignNumber);
    if (it == m_cache.end()) {
        Assignment record;
        const Status s = m_db.fetch(key::ASS_NUMBER_KEY, {std::int64_t{assignNumber}}, record);
        it =
            m_cache.emplace(assignNumber, s.ok() ? std::optional<Assignment>(record) : std::nullopt)
                .first;
    }
    return it->second ? &*it->second : nullptr;
}

}  // namespace tko
