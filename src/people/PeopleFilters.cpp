#include "people/PeopleFilters.h"

#include "access/Access.h"
#include "access/Rights.h"
#include "data/Keys.h"
#include "data/Records.h"
#include "people/PeopleRules.h"

namespace tko {

using store::Filter;

namespace {

Filter ofType(const char* type) {
    return store::eq("TYPE", std::string(type));
}

// A PEOUSER row lists the user for this person.
Filter listedForUser(const std::string& user) {
    return store::exists(PeoUser::def(), {{"PERSONNUMBER", "PERSONNUMBER"}},
                         access::fieldIsUser("USER", user));
}

Filter notOfTypes(std::initializer_list<const char*> types) {
    std::vector<Filter> operands;
    for (const char* type : types) operands.push_back(store::ne("TYPE", std::string(type)));
    return store::allOf(std::move(operands));
}

}  // namespace

Filter peopleListFilter(PeopleList list, const Session& session, bool viewAll) {
    const std::string& user = session.GlobalUser;
    if (session.isSystemAdministrator()) return store::all();

    if (list == PeopleList::Edit) {
        access::Viewer viewer;
        viewer.user = store::rtrim(user);
        viewer.level = session.GlobalUserAccess;
        return access::visiblePeople(viewer);
    }

    if (viewAll) return store::all();
    const Right right = list == PeopleList::Assignable ? Right::Assign : Right::View;
    return store::anyOf({
        access::ownUserPerson(user),
        notOfTypes({kTypePrivate, kTypeLimited, kTypeUser}),
        store::allOf({ofType(kTypePrivate), access::fieldIsUser("USER", user)}),
        store::allOf({ofType(kTypeUser), grantedFilter(right, user)}),
        store::allOf({ofType(kTypeLimited), listedForUser(user)}),
    });
}

Status personInList(Database& db, PeopleList list, const Session& session, bool viewAll,
                    std::int32_t personNumber, bool& listed) {
    listed = false;
    std::int64_t found = 0;
    const Status s =
        db.count<Person>(store::allOf({store::eq("PERSONNUMBER", std::int64_t{personNumber}),
                                       peopleListFilter(list, session, viewAll)}),
                         found);
    listed = s.ok() && found > 0;
    return s;
}

Status findListedPerson(Database& db, PeopleList list, const Session& session,
                        const std::string& shortName, Person& person, bool& found) {
    found = false;
    SystemPref sys;
    Status s = readSystemPref(db, sys);
    if (!s.ok() && s.code != store::kRecordNotFound) return s;
    std::vector<Person> named;
    s = db.readAll(key::PEO_SHORT_KEY,
                   store::allOf({store::eq("SHORTNAME", store::rtrim(shortName)),
                                 peopleListFilter(list, session, sys.VIEWALL != 0)}),
                   named);
    if (!s.ok() || named.empty()) return s;
    person = named.front();
    found = true;
    return s;
}

TypedPerson lookUpTypedPerson(Database& db, PeopleList list, const Session& session,
                              const std::string& shortName) {
    TypedPerson out;
    const std::string name = store::rtrim(shortName);
    if (name.empty()) return out;
    SystemPref sys;
    Status s = readSystemPref(db, sys);
    if (!s.ok() && s.code != store::kRecordNotFound) {
        out.kind = TypedPerson::Failed;
        return out;
    }
    // Two rows are enough to tell one from several.
    store::ReadRequest request;
    request.key = Person::def().key("PEO:SHORT_KEY");
    request.filter = store::allOf(
        {store::eq("SHORTNAME", name), peopleListFilter(list, session, sys.VIEWALL != 0)});
    request.limit = 2;
    std::vector<Person> named;
    s = db.read(request, named);
    if (!s.ok() && !s.endOfRange()) {
        out.kind = TypedPerson::Failed;
        return out;
    }
    if (named.empty()) return out;
    out.kind = named.size() == 1 ? TypedPerson::Found : TypedPerson::Ambiguous;
    out.person = named.front();
    return out;
}

}  // namespace tko
