// Two-way sync of a user's open assignments with a calendar server's to-do
// collection (CalDAV, RFC 4791), over libcurl.
//
// Each open assignment given to the user (and, when he chose so, each he
// gives to others) is one VTODO (Vtodo.h) named
// "assignment-N.ics" in the collection. A run:
//   1. reads the collection (REPORT calendar-query: every VTODO with its
//      ETag);
//   2. for each assignment synced before (CALDAVSYNC holds the HREF, the ETag
//      and the name and due date of the last sync, the common ancestor):
//      - the to-do was completed on the server: the assignment is concluded
//        through ConcludeAssignment (its rights, log line and, for a
//        repeating one, the next due date, which the to-do then shows);
//      - its SUMMARY or DUE changed on the server: the change is saved as the
//        assignment form saves one (rights, "Changed" log line, version
//        check). When the office changed the same field since the last sync
//        too, the due date follows the server (the user's own choice on his
//        calendar) and a name keeps the office's text, the server's text
//        going into the general comments, so neither side's text is lost;
//      - then the to-do is written again when the assignment differs from it;
//      - an assignment no longer open for the user (concluded for good,
//        deleted, given to someone else) is deleted from the server;
//      - a to-do the user deleted on the server while its assignment is
//        still open here means "not on my calendar": the assignment is left
//        as it is, and its sync row (kept without HREF) stops it from being
//        written there again; the report says so. Nothing in the office is
//        ever deleted from the server's side;
//   3. every open assignment not synced yet is written (If-None-Match: *).
// Only the user's own sync rows are read or written.
//
// GUI-free; one thread at a time per Database. The HTTP calls block, each
// bounded by a time-out.
#pragma once

#include <atomic>
#include <optional>
#include <string>
#include <vector>

#include "data/Database.h"
#include "data/Session.h"
#include "platform/Date.h"

namespace tko::sync {

struct CalDavAccount {
    std::string url;  // the to-do collection, ending in "/"
    std::string login;
    std::string password;
    bool gives = false;  // the open work the user gives to others is synced too
    // When set and true, a request under way stops at once and the run ends
    // as if the server could not be reached (a closing station).
    const std::atomic<bool>* cancel = nullptr;
};

// What User Preferences shows of a user's account: never the password, only
// whether one is stored.
struct CalDavSettings {
    std::string url;
    std::string login;
    bool gives = false;
    bool passwordStored = false;
};

struct CalDavReport {
    bool reachable = true;  // false: the server could not be reached, nothing changed
    bool ok = true;         // false: `failure` says what stopped the run
    std::string failure;
    int written = 0;                 // to-dos written to the server
    int concluded = 0;               // assignments concluded from the server
    int changed = 0;                 // assignments changed from the server
    int deleted = 0;                 // to-dos deleted from the server
    int declined = 0;                // open assignments the user took off the server
    std::vector<std::string> notes;  // conflicts and refusals, one line each
};

// The stored account of `user`; kRecordNotFound when he has none (or names
// no collection). The password comes back unsealed.
Status loadCalDavAccount(Database& db, const std::string& user, CalDavAccount& account);
// Stores the account of `user` with the password sealed, and his choice of
// `gives`, by the rules of storeCalDavSettings(): kInvalidArgument when a
// value does not fit its field or the address is not http(s) (nothing is cut
// or written). An empty password keeps the stored one.
Status storeCalDavAccount(Database& db, const std::string& user, const CalDavAccount& account);

// The account of `user` as his preferences show it (empty when he has none).
Status readCalDavSettings(Database& db, const std::string& user, CalDavSettings& out);
// Stores what the user typed in his preferences. `password`: none keeps the
// stored one, an empty text clears it, any other is sealed with the office's
// seal key. kInvalidArgument (nothing written, `refusal` saying why) when a
// value does not fit its field or the address is no http(s) URL; a blank
// address ends the sync.
Status storeCalDavSettings(Database& db, const std::string& user, const CalDavSettings& settings,
                           const std::optional<std::string>& password, std::string& refusal);

CalDavReport syncCalDav(Database& db, const Session& session, const CalDavAccount& account,
                        Date today, Time now);

// What a running station's background sync did.
struct StationSyncResult {
    bool hasAccount = false;   // false: the user syncs no calendar; nothing was asked
    bool storeFailed = false;  // the store could not be opened or read: tried again later
    CalDavReport report;
};

// One background sync of the session's user, as of the clock's today and
// now, on a connection of its own opened from `source`, so that a calendar
// server that answers slowly, or not at all, never holds the connection of
// the station's windows. Any thread; `cancel` (may be null) as in
// CalDavAccount.
StationSyncResult syncOnOwnConnection(const DataSource& source, const Session& session,
                                      const std::atomic<bool>* cancel);

}  // namespace tko::sync
