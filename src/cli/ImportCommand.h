// The calendar commands.
//
// `import ics|csv|taskwarrior DIR FILE --user NAME [--person SHORTNAME]
// [--map FIELD=COLUMN,...] [--batch N] [--preview] [--json]`: other programs'
// tasks as assignments given by the user, through the assignment form's rules
// (see sync/Import.h). The caller has logged the user in.
#pragma once

#include <optional>
#include <ostream>
#include <string>

#include "data/Database.h"
#include "data/Session.h"

namespace tko::cli {

struct ImportRequest {
    std::string format;  // ics, csv, taskwarrior
    std::string file;
    std::string person;  // empty: the user himself
    std::string map;     // CSV column mapping, "name=Title,due=Due"
    std::string batch;   // tasks per transaction, empty for the default
    bool preview = false;
    bool json = false;
};

// Exit status: 0 when every open task was imported, kExitSomeRefused when some
// were refused (the others are imported), kExitUsage for a wrong word or an
// unreadable file, kExitFailed when the store failed (the batch that met the
// failure is not written; those before it are).
int runImportCommand(Database& db, const Session& session, const ImportRequest& request,
                     std::ostream& out, std::ostream& err);

inline constexpr const char* kCalDavPasswordVariable = "TASKORBIT_CALDAV_PASSWORD";

// `sync caldav DIR --user NAME [--url URL] [--caldav-user NAME]`: the user's
// open assignments with his calendar server (sync/CalDav.h). A URL or a
// server user name given is stored with the password from
// TASKORBIT_CALDAV_PASSWORD (sealed) for the next runs and the station;
// otherwise the stored account is used, the variable's password in place of
// the stored one when it is set. 0 when the sync ran; kExitFailed when the
// server could not be reached or the store failed; kExitUsage without an
// account.
int runSyncCommand(Database& db, const Session& session, const std::string& url,
                   const std::optional<std::string>& caldavUser, std::ostream& out,
                   std::ostream& err);

}  // namespace tko::cli
