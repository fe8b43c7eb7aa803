// What the desktop tells a running program's user by a notification: his
// reminders and the assignments given to him that fall due today, each once
// per run, and for System Administrators the notices by mail that could not
// be sent. The window (notices/ui/DesktopNotifier.h) polls this; a test can
// drive it without a display. One thread at a time.
#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "data/Database.h"
#include "data/Session.h"
#include "platform/Date.h"

namespace tko {

struct DueNotice {
    enum Kind { Assignment, Reminder };
    Kind kind = Assignment;
    std::int32_t number = 0;  // ASS:ASSIGNNUMBER; for a reminder its assignment's, or 0
    std::string text;         // the assignment's name or the reminder's note
};

class DueAnnouncer {
public:
    // The items due `today` for `session`'s user that this announcer has not
    // told yet (assignments given to him, exactly, open and due today; his
    // alarmed reminders dated today), in due order. `troubled`, for a System
    // Administrator, the number of notices by mail not sent when it changed
    // since the last poll (else -1).
    Status poll(Database& db, const Session& session, Date today, std::vector<DueNotice>& fresh,
                int& troubled);

private:
    std::set<std::pair<int, std::int32_t>> m_told;  // (kind, number or reminder number)
    Date m_day = kNoDate;
    int m_troubled = 0;
};

}  // namespace tko
