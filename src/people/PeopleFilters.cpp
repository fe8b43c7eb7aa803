#include "people/PeopleFilters.h"

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
                         store::eq("USER", user));
}

// A USERASSGN (or USERVIEW) row (person's user name, signed-in user): the
// signed-in user may assign to (view) that user.
Filter grantedByRow(const store::TableDef& rights, const std::string& user) {
    return store::exists(rights, {{"USERNAME", "SHORTNAME"}}, store::eq("USERNAME2", user));
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
        return store::anyOf({
            notOfTypes({kTypePrivate, kTypeLimited}),
            store::allOf({ofType(kTypePrivate), store::eq("USER", user)}),
            store::allOf({ofType(kTypeLimited),
                          store::anyOf({store::eq("USER", user), listedForUser(user)})}),
        });
    }

    if (viewAll) return store::all();
    const store::TableDef& rights =
        list == PeopleList::Assignable ? UserAssign::def() : UserView::def();
    return store::anyOf({
        store::eq("SHORTNAME", user),
        notOfTypes({kTypePrivate, kTypeLimited, kTypeUser}),
        store::allOf({ofType(kTypePrivate), store::eq("USER", user)}),
        store::allOf({ofType(kTypeUser), grantedByRow(rights, user)}),
        store::allOf({ofType(kTypeLimited), listedForUser(user)}),
    });
}

}  // namespace tko
