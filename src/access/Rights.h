// Who may give assignments to whom, and who may view whose assignments.
//
// A USERASSGN row (A, B) lets user B give assignments to user A; a USERVIEW
// row (A, B) lets user B view the assignments of user A. Every check of the
// program reads the rows this one way, and the user form shows them the same
// way: "User can give assignments to:" lists each A of the rows whose B is the
// user, "Who can assign to user" each B of the rows whose A is the user (and
// the two view lists likewise). What a user is shown is what the checks apply.
//
// A user always holds both rights over himself. Access level and the
// system-wide "View All" setting open the people lists further; those rules
// live with the lists (people/PeopleFilters.h) and build on grantedFilter().
#pragma once

#include <string>
#include <vector>

#include "data/Database.h"

namespace tko {

enum class Right {
    Assign,  // give assignments to (USERASSGN)
    View,    // view the assignments of (USERVIEW)
};

// The table whose rows grant `right`.
const store::TableDef& rightsTable(Right right);

// The row that grants `holder` the right over `subject`: {A = subject, B = holder}.
struct Grant {
    std::string subject;  // USERNAME
    std::string holder;   // USERNAME2
};

// May `holder` give assignments to (Assign) or view the assignments of (View)
// `subject`? True for the same user; otherwise when the granting row exists.
// Names are compared clipped. A storage failure other than "not found" is
// returned with `granted` false.
Status hasRight(Database& db, Right right, const std::string& holder, const std::string& subject,
                bool& granted);

// A store filter over a table whose `subjectField` holds user names: the rows
// over whose user `holder` holds `right` through a granting row (the same-user
// case is the caller's, who knows which field names the user).
store::Filter grantedFilter(Right right, const std::string& holder,
                            const std::string& subjectField = "SHORTNAME");

// The four rights lists of one user as the user form shows them, each sorted
// by name without repeats.
struct UserRights {
    std::vector<std::string> assignsTo;   // "User can give assignments to:"
    std::vector<std::string> views;       // "User can view assignments of:"
    std::vector<std::string> assignedBy;  // "Who can assign to user"
    std::vector<std::string> viewedBy;    // "Who can view user's assignments"

    bool operator==(const UserRights& other) const = default;
};

// Reads the stored rights of `user` (both directions of both tables).
Status loadUserRights(Database& db, const std::string& user, UserRights& out);

// The rows of `table`'s right that `rights` of `user` stand for. A name equal
// to the user himself gives no row (he holds the right anyway).
std::vector<Grant> grantsOf(Right right, const std::string& user, const UserRights& rights);

// Makes the stored rows of `user` (rows naming him as A or as B in both
// tables) exactly those of `rights`: rows no longer listed are deleted, new
// ones added, the rest left alone. Runs inside the caller's transaction; on
// failure the status is returned and the caller rolls back.
Status replaceUserRights(Database& db, const std::string& user, const UserRights& rights);

// Removes every row naming `user` as A or as B in both tables (a deleted user
// must leave no right behind that a later user of the same name would inherit).
Status removeUserRights(Database& db, const std::string& user);

// Sorted, clipped, without repeats and blanks.
std::vector<std::string> normalisedNames(std::vector<std::string> names);

}  // namespace tko
