// The rules of the person form and of deleting a person: who may add people
// and of which type, the short-name check, which parts of the form are open,
// the delete refusals and confirmations, and the conclusion of a deleted
// person's open assignments. The windows call these and show what they say.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "access/Access.h"
#include "data/Database.h"
#include "data/Integrity.h"
#include "data/Messages.h"
#include "data/RecordTypes.h"
#include "data/Session.h"
#include "platform/Date.h"

namespace tko {

// Radio position (1..4) of a type; 0 for a text that is none of them.
int typePosition(const std::string& type);

// The first SYSTEMPREF record; kRecordNotFound when there is none.
Status readSystemPref(Database& db, SystemPref& out);

// Which types the form's radio offers, and the type it starts with.
struct TypeChoices {
    std::array<bool, 4> enabled{};  // by radio position - 1
    std::string initial;            // the type the radio shows at opening
    bool anyEnabled() const { return enabled[0] || enabled[1] || enabled[2] || enabled[3]; }
};

// Adding a person. `refusal` is set when the user may not add people at all
// (SYP:PRIVATEPEOPLE 0 and a General User): the form closes after showing it.
// Otherwise the type starts as Private (SYP:PRIVATEPEOPLE set) or Open; a
// General User may then add Private persons only; other users choose Open,
// Limited or Private (Private only while SYP:PRIVATEPEOPLE is set). "User" is
// never offered: user entries come from the user accounts.
struct InsertRules {
    std::optional<std::string> refusal;
    TypeChoices types;
};
InsertRules insertRules(const Session& session, const SystemPref& sys);

// Changing a person: a user entry keeps its type; a General User cannot
// change a type; other users choose among Open, Limited and Private (Private
// while SYP:PRIVATEPEOPLE is set or the person is Private already).
TypeChoices changeTypeChoices(const Session& session, const SystemPref& sys, const Person& person);

// Starts a new person for the form's insert request: PEO:DATE today,
// PEO:USER the signed-in user, PEO:TYPE `type`, numbered one above the
// highest number and added at once (three attempts). `message` is set on
// failure: standard message 25 asking "Try again?" when the numbering was
// refused (`retry` is then set: Yes calls this again), 35 naming PEOPLE when
// the numbers could not be read.
struct NewPerson {
    bool ok = false;
    bool retry = false;
    Person record;
    std::optional<StandardMessage> message;
};
NewPerson startNewPerson(Database& db, const Session& session, const std::string& type, Date today);

// The confidential comments are shown (and asked about when printing) only
// when SYP:CONFIDENTIAL is 1, the type is Private and the person belongs to
// the signed-in user (PEO:USER the user name exactly).
bool confidentialAllowed(const Session& session, const SystemPref& sys, const std::string& type,
                         const std::string& owner);

// "Users - Limited" is open for a Limited person with a short name whose
// owner is the signed-in user (exactly), or for a System Administrator.
bool usersLimitedAllowed(const Session& session, const std::string& type,
                         const std::string& shortName, const std::string& owner);

// The short-name check of "OK". A short name is required. The short name and
// type of a "User" person change only through the user form
// (access::mayRenamePerson()): Locked. A new or changed short name must not
// be a user's name in any letter case (access::userNameClash()): UserName,
// naming the user. A changed short name (or a Private person turned into
// another type) must not be carried by any other person unless the person
// stays Private: "Invalid Short Name." above "Already used for User, Open, or
// Limited person".
struct ShortNameCheck {
    enum Kind { Accepted, Missing, Taken, Locked, UserName, ReadFailed };
    Kind kind = Accepted;
    std::vector<std::string> lines;  // what to show when not Accepted
};
ShortNameCheck checkShortName(Database& db, const Person& candidate,
                              const std::string& openedShortName, const std::string& openedType);

// Names of the first text field longer than its stored width, empty when all
// fit ("Comments", "Mailing Address", ...), with that width.
struct TooLong {
    std::string field;
    int width = 0;
};
std::optional<TooLong> findTooLong(const Person& person);

// Whether `viewer` may change the stored `person` (access::mayEditPerson(),
// with PEOUSER read for a Limited person). A person he may not change opens
// on the person form only to be read.
Status mayEditStoredPerson(Database& db, const access::Viewer& viewer, const Person& person,
                           bool& mayEdit);

// Writes the form's record over the stored one through the change operation
// (children follow a changed short name). Refused, with nothing written,
// when `viewer` may not change `original` (kViewOnlyPerson) or when
// checkShortName() does not accept `current`, whatever the caller. A
// duplicate key is reported with message 24 naming "PEO:Primary_key" or
// "PEO:PersonNumber_key".
Outcome savePerson(Database& db, const access::Viewer& viewer, Person& current,
                   const Person& original);
inline constexpr const char* kViewOnlyPerson =
    "You may view this person but not change the person's information.";

// What "Delete" on the Edit list does with a person.
struct DeleteDecision {
    enum Kind {
        Refuse,   // show `lines`, keep the person
        Confirm,  // ask "All assignments for this person will be concluded." "Continue?"
        Direct,   // go to the form's delete without asking
    };
    Kind kind = Refuse;
    std::vector<std::string> lines;
};
DeleteDecision deleteDecision(const Session& session, const Person& person);
inline constexpr const char* kConcludeQuestion1 =
    "All assignments for this person will be concluded.";
inline constexpr const char* kConcludeQuestion2 = "Continue?";

// Concludes every open assignment of the person (ASS:CLOSEDATE = today) in
// one transaction; `concluded` counts them. Either all are concluded or none.
Status concludeOpenAssignments(Database& db, std::int32_t personNumber, Date today, int& concluded);

// What "Dial" hands to the telephony layer: the first 19 characters of
// PEO:PHONENUMBER exactly as stored and the short name (at most 24).
struct DialRequest {
    std::string number;
    std::string calledParty;
    friend bool operator==(const DialRequest&, const DialRequest&) = default;
};
inline constexpr int kDialNumberLength = 19;
inline constexpr int kCalledPartyLength = 24;
DialRequest dialRequestFor(const Person& person);

}  // namespace tko
