#include "notices/DesktopNotices.h"

#include "access/Access.h"
#include "data/Keys.h"
#include "data/Notices.h"

namespace tko {

Status DueAnnouncer::poll(Database& db, const Session& session, Date today,
                          std::vector<DueNotice>& fresh, int& troubled) {
    fresh.clear();
    troubled = -1;
    if (today != m_day) {
        m_told.clear();  // a new day tells its own work
        m_day = today;
    }
    const std::string& user = session.GlobalUser;
    std::vector<Assignment> work;
    Status s = db.readAll(key::ASS_PERSONDATE_KEY,
                          store::allOf({access::fieldIsUser("PERSON", user),
                                        store::eq("DUEDATE", std::int64_t{today}),
                                        store::eq("CLOSEDATE", std::int64_t{0})}),
                          work);
    if (!s.ok()) return s;
    for (const Assignment& a : work)
        if (access::isUser(a.PERSON, user) && a.DUEDATE == today && a.CLOSEDATE == 0 &&
            m_told.insert({DueNotice::Assignment, a.ASSIGNNUMBER}).second)
            fresh.push_back({DueNotice::Assignment, a.ASSIGNNUMBER, store::rtrim(a.NAME)});
    std::vector<Reminder> reminders;
    s = db.readAll(
        key::REM_USERDATE_KEY,
        store::allOf({access::fieldIsUser("USER", user), store::eq("DATE", std::int64_t{today})}),
        reminders);
    if (!s.ok()) return s;
    for (const Reminder& r : reminders)
        if (access::isUser(r.USER, user) && r.DATE == today && r.ALARMFLAG != 0 &&
            m_told.insert({DueNotice::Reminder, r.REMINDNUMBER}).second)
            fresh.push_back({DueNotice::Reminder, r.ASSIGNNUMBER, store::rtrim(r.NOTE)});
    if (session.isSystemAdministrator()) {
        std::vector<Outbox> rows;
        s = troubledNotices(db, rows);
        if (!s.ok()) return s;
        if (static_cast<int>(rows.size()) != m_troubled) {
            m_troubled = static_cast<int>(rows.size());
            troubled = m_troubled;
        }
    }
    return s;
}

}  // namespace tko
