// What every screen works with: the station's data, the logged-in session and
// where the station keeps its settings. One per running program, created at
// start-up and handed to every window.
#pragma once

#include <QString>

#include "data/Database.h"
#include "data/Services.h"
#include "data/Session.h"

namespace tko {

struct Workspace {
    Database* db = nullptr;
    Session session;
    DataSource source;
    QString programDir;  // where TASKORBM.INI and TASKORB.INI are looked for (see IniFiles.h)
    Services services = defaultServices();
};

}  // namespace tko
