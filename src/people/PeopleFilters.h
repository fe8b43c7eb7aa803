// Which people each of the three people lists shows to the signed-in user.
// The rules are store filters, so the selection runs inside the database
// along the key being read (joins on PEOUSER, USERASSGN and USERVIEW) and a
// page of a large address book costs what a page of a small one does.
#pragma once

#include "data/Database.h"
#include "data/Records.h"
#include "data/Session.h"
#include "platform/store/Filter.h"

namespace tko {

enum class PeopleList {
    Edit,        // "Browse People (Edit)"
    Assignable,  // "Browse People Who Can Be Assigned"
    Viewable,    // "Browse People Who Can Be Viewed"
};

// The filter over PEOPLE for `list`. `viewAll` is SYP:VIEWALL; it opens the
// two picking lists (Assignable, Viewable) to everybody, not the Edit list.
//  - Edit: Private persons of the user, Limited persons the user owns or is
//    listed for in PEOUSER, every other person; System Administrators see all.
//  - Assignable / Viewable: everyone for System Administrators, with
//    SYP:VIEWALL, and the user's own person entry; otherwise Open persons,
//    the user's Private persons, Limited persons the user is listed for in
//    PEOUSER, and User persons the user may assign to (USERASSGN) or view
//    (USERVIEW). Persons of any other type are listed as in the Edit list.
store::Filter peopleListFilter(PeopleList list, const Session& session, bool viewAll);

// Whether the person numbered `personNumber` is in `list` for the signed-in
// user: the check of a short name typed instead of picked from the list, so
// that typing reaches no one the list would not offer.
Status personInList(Database& db, PeopleList list, const Session& session, bool viewAll,
                    std::int32_t personNumber, bool& listed);

// The first person with the typed `shortName` that `list` offers the signed-in
// user (the "View All" setting read from SYSTEMPREF); `found` false when the
// list offers none of that name.
Status findListedPerson(Database& db, PeopleList list, const Session& session,
                        const std::string& shortName, Person& person, bool& found);

// A short name typed where the list would be used to pick a person: the
// name is looked up exactly as `list` offers people to the signed-in user.
struct TypedPerson {
    enum Kind {
        Found,      // exactly one listed person has the name: `person`
        Ambiguous,  // several listed people share it (a Private person may share
                    // an Open person's name): the user must choose from the list
        NotListed,  // no listed person has it: there is none, or the user may not
                    // reach that person (the two are not told apart, so that a
                    // hidden person stays hidden)
        Failed,     // the store failed; its last error says why
    };
    Kind kind = NotListed;
    Person person;
};
TypedPerson lookUpTypedPerson(Database& db, PeopleList list, const Session& session,
                              const std::string& shortName);

}  // namespace tko
