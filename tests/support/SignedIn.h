// Window tests: an office in a temporary folder, and the workspace a window
// gets once a user has logged in to it.
#pragma once

#include <QTemporaryDir>

#include <memory>
#include <string>

#include "data/Workspace.h"

namespace tko::test {

// A new office in `dir`; null when it cannot be made.
inline std::unique_ptr<Database> newOffice(const QTemporaryDir& dir) {
    Status status;
    return Database::open(DataSource{dir.path().toStdString(), {}}, true, status);
}

// `workspace` on `db`, logged in as `user` with access level `access`.
inline Workspace& signedIn(Workspace& workspace, Database* db, const std::string& user,
                           int access) {
    workspace.db = db;
    workspace.session.GlobalUser = user;
    workspace.session.GlobalUserAccess = access;
    return workspace;
}

}  // namespace tko::test
