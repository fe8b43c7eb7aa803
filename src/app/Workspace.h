// What every screen works with: the station's data, the logged-in session and
// where the station keeps its settings. One per running program, created at
// start-up and handed to every window.
#pragma once

#include <QString>

#include "app/Session.h"
#include "data/Database.h"

namespace tko {

struct Workspace {
    Database* db = nullptr;
    Session session;
    DataSource source;
    QString programDir;  // where TASKORBM.INI and TASKORB.INI are looked for (see IniFiles.h)
};

}  // namespace tko
