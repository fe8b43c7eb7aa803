// Anniversaries: the day value that orders them through the year, the rules
// of the "Anniversary Information" form, and the selection and order of the
// "Upcoming Anniversaries" list. The windows call these and show what they
// return; nothing here shows anything.
//
// GUI-free; one thread at a time per Database.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "data/Database.h"
#include "data/Integrity.h"
#include "data/Messages.h"
#include "data/Records.h"
#include "data/Session.h"
#include "platform/Date.h"
#include "platform/FormRequest.h"
#include "platform/store/Filter.h"

namespace tko {

inline constexpr int kAnniversaryNoteWidth = Anniversary::Width::NOTE;

// ANN:DAYOFYEAR of a date: the integer part of ((date + 363) modulo 365.25),
// the modulo taken in floating point. The same value is used for today and
// the end date of the upcoming list, so stored and compared values agree.
int anniversaryDayValue(Date date);

// ---- the upcoming list -----------------------------------------------------------

// The days of the upcoming list: from S (today's day value) to E (the end
// date's). When E < S the window runs over the year end.
struct UpcomingWindow {
    int start = 0;  // S
    int end = 0;    // E
    bool overYearEnd() const { return end < start; }
    // S <= D <= E; over the year end D >= S or D <= E.
    bool contains(int dayValue) const;
};
// `endDate` 0 (no end date chosen) gives E = 363.
UpcomingWindow upcomingWindow(Date today, Date endDate);

// Who may see whose anniversaries in the upcoming list: an anniversary of a
// person of type "User" other than the signed-in user is listed only when a
// USERVIEW row (that person's short name, the signed-in user) lets the user
// view that user. Everything else is listed. A filter over ANNIVERS.
store::Filter upcomingVisibility(const Session& session);

// One row of the upcoming list.
struct UpcomingRow {
    Anniversary record;
    bool afterYearEnd = false;  // falls in the part of the window after 31 December
    int dayValue = 0;
};

// The rows of the upcoming list in the order a reader expects: from today
// onwards to the end of the year, then (over the year end) from the start of
// the year to the end date; within a day by person number. The selection
// runs in the store along ANN:DATEKEY, one read per part of the window.
Status readUpcoming(Database& db, const Session& session, const UpcomingWindow& window,
                    std::vector<UpcomingRow>& out);

// ---- the "Anniversary Information" form ---------------------------------------------

// A new anniversary of `person`: its number and (stored) short name set.
Anniversary newAnniversaryFor(const Person& person);

// The name the form's "Person:" shows: the record's short name, or, for a
// person not yet saved under a name (none stored with the record), the short
// name typed on the person form so far. The record keeps the stored name;
// saving the person carries his anniversaries over to the new one.
std::string anniversaryPersonShown(const Anniversary& record, const std::string& typed);

// The anniversaries the person form lists: those with the person's number and
// short name (the name without regard to case).
store::Filter anniversariesOfPerson(const Person& person);

// Whether the signed-in user may add, change or delete anniversaries of the
// person with this number: the person must exist and be one that the user's
// edit list shows. `message` tells why not.
struct AnniversaryRights {
    bool allowed = false;
    std::optional<StandardMessage> message;
};
AnniversaryRights anniversaryRights(Database& db, const Session& session,
                                    std::int32_t personNumber);

// What "OK" checks before anything is written: an initial date is required,
// and the note holds at most 50 characters. Empty when the record may be saved.
std::optional<std::string> checkAnniversary(const Anniversary& record);

// Writes the form's record for `request`: Insert adds it, Change writes it
// over the stored one (version-checked; on ChangedElsewhere `record` holds the
// other station's values), Delete removes it. ANN:DAYOFYEAR is set from
// ANN:DATE first. A second anniversary of the same person on the same day
// value is refused with message 24 naming "ANN:DateKey". Missing rights, an
// unknown request and the checks of checkAnniversary() are Refused with
// nothing written; a store failure is Failed.
Outcome saveAnniversary(Database& db, const Session& session, Request request, Anniversary& record,
                        const Anniversary& original);

}  // namespace tko
