#include "data/OfficeRoles.h"

#include <vector>

#include "data/Password.h"
#include "platform/store/PgEngine.h"
#include "platform/store/PgRoles.h"

namespace tko {

store::PgEngine* securedServer(Database& db) {
    auto* server = dynamic_cast<store::PgEngine*>(&db.engine());
    if (!server) return nullptr;
    bool secured = false;
    return store::officeSecured(*server, secured).ok() && secured ? server : nullptr;
}

bool readsWholeOffice(Database& db) {
    store::PgEngine* server = securedServer(db);
    if (!server) return true;
    const std::string database = server->databaseName(), role = server->sessionRole();
    if (role == store::gateRoleName(database)) return false;
    if (!store::isUserRole(database, role)) return true;  // the owner or a superuser
    std::vector<std::vector<std::string>> rows;
    return server->execute("SELECT users.tko_level(users.tko_user()) >= 2", {}, &rows).ok() &&
           !rows.empty() && !rows.front().empty() && rows.front().front() == "t";
}

Status userRoleAdded(Database& db, const User& user, const std::string& password) {
    store::PgEngine* server = securedServer(db);
    if (!server) return Status::success();
    return db.track(store::createUserRole(*server, user.USERNAME, clippedPassword(password),
                                          user.ACCESSLEVEL, user.FAILFLAG == 0));
}

Status userRoleChanged(Database& db, const User& before, const User& after,
                       const std::string& password) {
    store::PgEngine* server = securedServer(db);
    if (!server) return Status::success();
    const std::string name = store::rtrim(after.USERNAME);
    Status s = Status::success();
    if (store::rtrim(before.USERNAME) != name)
        s = store::renameUserRole(*server, before.USERNAME, name);
    if (s.ok() && !password.empty())
        s = store::setUserRolePassword(*server, name, clippedPassword(password));
    if (s.ok() && before.ACCESSLEVEL != after.ACCESSLEVEL)
        s = store::setUserRoleLevel(*server, name, after.ACCESSLEVEL);
    if (s.ok() && (before.FAILFLAG == 0) != (after.FAILFLAG == 0))
        s = store::setUserRoleLogin(*server, name, after.FAILFLAG == 0);
    return db.track(s);
}

Status userRoleDeleted(Database& db, const std::string& userName) {
    store::PgEngine* server = securedServer(db);
    if (!server) return Status::success();
    return db.track(store::dropUserRole(*server, userName));
}

Status ownRolePasswordChanged(Database& db, const std::string& password) {
    store::PgEngine* server = securedServer(db);
    if (!server) return Status::success();
    return db.track(store::setOwnRolePassword(*server, clippedPassword(password)));
}

}  // namespace tko
