// The user accounts: what "Update User Information" loads, checks and saves,
// deleting a user, and the two ways back into a locked office that the
// command line offers to whoever holds the data files.
//
// Only System Administrators may change users; every function that writes
// through a session checks this itself, so no path reaches the table around it.
// The last System Administrator can neither be deleted nor lowered: the office
// would have nobody left to administer it.
#pragma once

#include <optional>
#include <string>

#include "access/Rights.h"
#include "data/Database.h"
#include "data/Messages.h"
#include "data/Session.h"
#include "platform/Date.h"
#include "platform/FormRequest.h"
#include "platform/Outcome.h"

namespace tko {

// The user form waits this long for the locks of its save transaction.
inline constexpr int kUserSaveTimeoutMs = 3000;
inline constexpr int kMinimumPasswordLength = 5;

inline constexpr const char* kUserChangedElsewhere =
    "Information for this user has been changed by another station.";
inline constexpr const char* kNotAdministrator =
    "Only System Administrators can add, change or delete users.";
inline constexpr const char* kNameStillReferenced =
    "This User Name is still named by records of a former user (assignments, people, projects, "
    "group lists or reminders). Please choose another User Name.";
inline constexpr const char* kHeirUnknown =
    "Please choose an existing user to take over what this user owned.";
inline constexpr const char* kHeirIsUser =
    "A user cannot take over what he owned himself. Please choose another user.";
// %1 the heir, %2 what ("person", "group list", "project"), %3 its name.
inline constexpr const char* kHeirOwnsSameName =
    "%1 already has a %2 named %3. Rename one of the two before deleting this user.";
// The delete confirmation: %1 the user, %2 the administrator deleting him.
inline constexpr const char* kHandOverNotice =
    "The people, group lists, projects, given assignments and reminders of %1 go to %2 (or to "
    "the user chosen under Hand Over To).";
inline constexpr const char* kLastAdministratorSuspended =
    "The last System Administrator who may log in cannot be suspended, or nobody could "
    "administer the office.";

// The one check in front of every user and user-group screen and operation:
// Done for a System Administrator, else refused with kNotAdministrator.
Outcome administratorOnly(const Session& session);

// The names of the access levels, by USE:ACCESSLEVEL.
const char* accessLevelName(int level);

// What the form holds while it is open.
struct UserEntry {
    User user;                  // the record as edited (its PASSWORD is the stored hash)
    std::string password;       // the two password entries as typed
    std::string passwordAgain;  // (empty on a change: the password stays)
    UserRights rights;
    // The password is set on the user's behalf (the command line): he must
    // change it at his first log-in.
    bool temporaryPassword = false;
};

// The users' operations report through Outcome: a refusal names the entry it
// concerns in `field` ("password", "username", "access", "group", "members");
// a failure rolls back what the operation began and says "Transaction
// cancelled" with the storage error.
//
// Rolls back whatever the operation began and reports "Transaction cancelled"
// with `detail` (the storage error, as the standard messages show it).
Outcome transactionCancelled(Database& db, const std::string& detail);

// Password entries of the user form: equal, and at least 5 characters once
// trailing blanks are clipped. "" when acceptable; `cleaned` then holds the
// password to store.
std::string checkUserPassword(const std::string& first, const std::string& second,
                              std::string& cleaned);

// The name of a field longer than its width, or "" (nothing is ever cut).
std::string tooLongField(const User& user, int& width);
// The entry of the user form that holds the field of that caption, as a
// refusal's Outcome::field names it: "username", "lastname", "firstname",
// "department" or "notes" (so that the form shows the tab it is on).
std::string entryOfField(const std::string& caption);

// Every user, by user name.
Status readAllUsers(Database& db, std::vector<User>& users);

// Reads the user and his rights for the form.
Status loadUser(Database& db, const std::string& name, User& user, UserRights& rights);

// Saves the form in this order: the password checks, the insert (or rename)
// checks, the change stamp (`session.GlobalUser`, `today`, `now`), then one
// transaction begun with a 3-second lock time-out that writes the user (and
// on insert his own PEOPLE entry of type "User" and his preferences), runs the
// rename cascade, and replaces his rights rows by `entry.rights`.
// A new name is refused while a person other than the user's own entry has
// it as short name in any letter case, and while any stored record (other
// than the renamed user's own, named exactly) still names it in any letter
// case. A rename carries every record that names the old name exactly.
// `original` is the record as the form read it (ignored for an insert). On
// ChangedElsewhere `entry.user` and `entry.rights` hold the stored version.
Outcome saveUser(Database& db, const Session& session, Request request, UserEntry& entry,
                 const User& original, Date today, Time now);

// After saveUser() stored a change of `original` as `saved`: when `original`
// is the logged-in user himself (an administrator who renamed himself or
// changed his own level), `session` takes the stored name and level, so that
// he works on under them. Returns whether it did.
bool followOwnChange(Session& session, Request request, const User& original, const User& saved);

// Deletes the user in one transaction: his open assignments (as the person
// they are given to) are concluded with `today`; what he owned goes to
// `heir` (empty: the administrator doing it): the people he owns but his own
// entry, his group lists, his projects with their user lists, the project
// links he made, the assignments he gave and his reminders; the rows listing
// him for a limited person or project and every rights row naming him are
// removed; then the user and his children go (GROUPPEOPLE, his own person
// entry with its children, USERPREF, USGRPUSERS). Refused (field "heir") when
// the heir is not a user, is the user himself, or already owns a person,
// group list or project of the same name. `concluded` counts the concluded
// assignments.
Outcome deleteUser(Database& db, const Session& session, const User& user, const std::string& heir,
                   Date today, int* concluded = nullptr);

// Why the change from `original` to `changed` (or its deletion, `changed`
// empty) would leave no System Administrator, or suspend the last one who
// may log in; "" when it would not. Reads the stored users: call it inside
// the writing transaction.
Status lastAdministratorCheck(Database& db, const User& original,
                              const std::optional<User>& changed, std::string& refusal);

// One line per person whose short name equals a user's name in any letter
// case and who is not that user's own "User" entry: such a person is read as
// the user wherever names are read case-free (taskorbit-cli check lists them;
// the person or the user should be renamed).
Status userNameCollisions(Database& db, std::vector<std::string>& lines);

// ---- the command line's mends -------------------------------------------------
// Both need a System Administrator in `session`.
// Releases a user suspended for password failures.
Outcome unlockUser(Database& db, const Session& session, const std::string& name);
// Sets a new password (checked as on the form) that the user must change at
// the next log-in.
Outcome setTemporaryPassword(Database& db, const Session& session, const std::string& name,
                             const std::string& password, const std::string& again);

}  // namespace tko
