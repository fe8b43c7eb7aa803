// `import ics|csv|taskwarrior DIR FILE --user NAME [--person SHORTNAME]
// [--map FIELD=COLUMN,...] [--batch N] [--preview] [--json]`: other programs'
// tasks as assignments given by the user, through the assignment form's rules
// (see sync/Import.h). The caller has logged the user in.
#pragma once

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

}  // namespace tko::cli
