#include "access/Rights.h"

#include <algorithm>
#include <set>

#include "access/Access.h"
#include "data/Keys.h"
#include "data/Records.h"
#include "platform/store/NameCollation.h"

namespace tko {

namespace {

// Reads every row of a rights table matching `filter`, as (A, B) pairs.
Status readGrants(Database& db, Right right, const store::Filter& filter, std::vector<Grant>& out) {
    out.clear();
    if (right == Right::Assign) {
        std::vector<UserAssign> rows;
        Status s = db.readAll(key::USA_PRIMARY_KEY, filter, rows);
        for (const UserAssign& r : rows)
            out.push_back({store::rtrim(r.USERNAME), store::rtrim(r.USERNAME2)});
        return s;
    }
    std::vector<UserView> rows;
    Status s = db.readAll(key::USV_PRIMARY_KEY, filter, rows);
    for (const UserView& r : rows)
        out.push_back({store::rtrim(r.USERNAME), store::rtrim(r.USERNAME2)});
    return s;
}

store::Filter namingUser(const std::string& user) {
    return store::anyOf({store::eq("USERNAME", user), store::eq("USERNAME2", user)});
}

// Deletes the rows of `right` naming `user` that `keep` does not hold.
Status pruneGrants(Database& db, Right right, const std::string& user,
                   const std::set<std::pair<std::string, std::string>>& keep,
                   std::set<std::pair<std::string, std::string>>& present) {
    const store::TableDef& table = rightsTable(right);
    const store::KeyDef* key =
        table.key(right == Right::Assign ? key::USA_PRIMARY_KEY : key::USV_PRIMARY_KEY);
    store::ReadRequest request;
    request.key = key;
    request.filter = namingUser(user);
    request.limit = 500;
    std::vector<store::Row> rows;
    for (;;) {
        std::vector<store::Row> page;
        Status s = db.engine().read(table, request, page);
        if (s.endOfRange()) break;
        if (!s.ok()) return db.track(s);
        rows.insert(rows.end(), page.begin(), page.end());
        if (static_cast<int>(page.size()) < request.limit) break;
        request.from =
            store::KeyPosition::continuing(store::keyValuesOf(*key, page.back()), page.back().pos);
    }
    for (const store::Row& row : rows) {
        const std::pair<std::string, std::string> pair{
            store::rtrim(std::get<std::string>(row.values.at(0))),
            store::rtrim(std::get<std::string>(row.values.at(1)))};
        // A repeated row (USERVIEW allows them) is removed beyond its first copy.
        if (keep.count(pair) && present.insert(pair).second) continue;
        Status s = db.track(db.engine().remove(table, row.pos));
        if (!s.ok()) return s;
    }
    return Status::success();
}

}  // namespace

const store::TableDef& rightsTable(Right right) {
    return right == Right::Assign ? UserAssign::def() : UserView::def();
}

Status hasRight(Database& db, Right right, const std::string& holder, const std::string& subject,
                bool& granted) {
    granted = false;
    const std::string h = store::rtrim(holder), s = store::rtrim(subject);
    // A name longer than a user name names no user: never clip it into one.
    if (h.empty() || s.empty() || store::utf8Length(h) > User::Width::USERNAME ||
        store::utf8Length(s) > User::Width::USERNAME)
        return Status::success();
    if (h == s) {
        granted = true;
        return Status::success();
    }
    Status status;
    if (right == Right::Assign) {
        UserAssign row;
        status = db.fetch(key::USA_PRIMARY_KEY, {s, h}, row);
    } else {
        UserView row;
        status = db.fetch(key::USV_PRIMARY_KEY, {s, h}, row);
    }
    if (status.ok()) {
        granted = true;
        return status;
    }
    if (status.code == store::kRecordNotFound) return Status::success();
    return status;
}

store::Filter grantedFilter(Right right, const std::string& holder,
                            const std::string& subjectField) {
    return store::exists(rightsTable(right), {{"USERNAME", subjectField}},
                         access::fieldIsUser("USERNAME2", holder));
}

std::vector<std::string> normalisedNames(std::vector<std::string> names) {
    // Sorted and told apart as the store's keys do: "ben" repeats "BEN".
    std::set<std::string, store::NameLess> unique;
    for (const std::string& n : names) {
        const std::string clipped = store::rtrim(n);
        if (!clipped.empty()) unique.insert(clipped);
    }
    return {unique.begin(), unique.end()};
}

Status loadUserRights(Database& db, const std::string& user, UserRights& out) {
    out = {};
    const std::string name = store::rtrim(user);
    std::vector<std::string> lists[4];
    int index = 0;
    for (Right right : {Right::Assign, Right::View}) {
        std::vector<Grant> grants;
        Status s = readGrants(db, right, namingUser(name), grants);
        if (!s.ok()) return s;
        for (const Grant& g : grants) {
            if (g.holder == name && g.subject != name) lists[index].push_back(g.subject);
            if (g.subject == name && g.holder != name) lists[index + 2].push_back(g.holder);
        }
        ++index;
    }
    out.assignsTo = normalisedNames(lists[0]);
    out.views = normalisedNames(lists[1]);
    out.assignedBy = normalisedNames(lists[2]);
    out.viewedBy = normalisedNames(lists[3]);
    return Status::success();
}

std::vector<Grant> grantsOf(Right right, const std::string& user, const UserRights& rights) {
    const std::string name = store::rtrim(user);
    const bool assign = right == Right::Assign;
    std::set<std::pair<std::string, std::string>> rows;
    for (const std::string& other : normalisedNames(assign ? rights.assignsTo : rights.views))
        if (other != name) rows.insert({other, name});
    for (const std::string& other : normalisedNames(assign ? rights.assignedBy : rights.viewedBy))
        if (other != name) rows.insert({name, other});
    std::vector<Grant> out;
    for (const auto& [subject, holder] : rows) out.push_back({subject, holder});
    return out;
}

Status replaceUserRights(Database& db, const std::string& user, const UserRights& rights) {
    for (Right right : {Right::Assign, Right::View}) {
        std::set<std::pair<std::string, std::string>> keep, present;
        const std::vector<Grant> wanted = grantsOf(right, user, rights);
        for (const Grant& g : wanted) keep.insert({g.subject, g.holder});
        Status s = pruneGrants(db, right, store::rtrim(user), keep, present);
        if (!s.ok()) return s;
        for (const Grant& g : wanted) {
            if (present.count({g.subject, g.holder})) continue;
            if (right == Right::Assign) {
                UserAssign row{g.subject, g.holder};
                s = db.add(row);
            } else {
                UserView row{g.subject, g.holder};
                s = db.add(row);
            }
            if (!s.ok()) return s;
        }
    }
    return Status::success();
}

Status removeUserRights(Database& db, const std::string& user) {
    for (Right right : {Right::Assign, Right::View}) {
        std::set<std::pair<std::string, std::string>> none, present;
        Status s = pruneGrants(db, right, store::rtrim(user), none, present);
        if (!s.ok()) return s;
    }
    return Status::success();
}

}  // namespace tko
