// Removing assignments in the three maintenance screens: one assignment at a
// time for a chosen person, all assignments of a person, and every assignment
// concluded before a date. Each deleted assignment takes all its reminders
// (whoever they belong to) and project links with it, so no screen is left
// with a link or reminder pointing at nothing.
//
// The rights are checked here, on every path: the batch deletions are for
// System Administrators only; the person of the individual deletion must be
// one the user may assign to, whether picked from the list or typed; its
// list shows only what the user may see on the person screens, and a single
// assignment is deleted only by the user who gave it (ASS:USERNAME exactly)
// or a System Administrator (access::mayDeleteAssignment()).
//
// GUI-free; one thread at a time per Database. Nothing here shows anything:
// outcomes carry the standard message for the window to show.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

#include "access/Access.h"
#include "data/Database.h"
#include "data/Integrity.h"
#include "data/Messages.h"
#include "data/Session.h"
#include "platform/Date.h"
#include "platform/store/Filter.h"

namespace tko {

// The questions the batch screens ask (Yes and Cancel, Cancel the default).
inline constexpr const char* kDeletePersonQuestion = "Are you sure you want to delete?";
inline constexpr const char* kDeleteByDateQuestion = "Are you ABSOLUTELY sure?";

// Deleting in batches is for System Administrators.
bool mayDeleteInBatches(const Session& session);
// The refusal shown to anyone else.
StandardMessage batchDeletionRefusal();

// ---- the person of a deletion screen ----------------------------------------------

// The person typed into (or picked for) a deletion screen. The individual
// screen accepts only people the user may assign to (the picker's list);
// the batch screen, for administrators, any person.
struct PersonLookup {
    enum Kind { Found, NotFound, Failed };
    Kind kind = NotFound;
    Person person;
    std::optional<StandardMessage> message;  // NotFound and Failed: what to show
};
enum class DeletionScreen { Individual, AllOfPerson };
PersonLookup lookUpPerson(Database& db, const Session& session, DeletionScreen screen,
                          const std::string& shortName);
// The same check for a person already chosen (by number), e.g. from the picker.
PersonLookup checkPerson(Database& db, const Session& session, DeletionScreen screen,
                         std::int32_t personNumber);

// All the person's assignments (ASS:PERSONNUMBER), for the batch deletion.
store::Filter assignmentsOfPerson(std::int32_t personNumber);
// The individual screen's list: those of the person's assignments that
// `viewer` may see on the person screens (access::openableAssignments()).
store::Filter assignmentsOfPerson(std::int32_t personNumber, const access::Viewer& viewer);

// ---- one assignment ------------------------------------------------------------------

inline constexpr const char* kNotYourAssignment =
    "You may delete only the assignments you gave. Ask the user who gave this one.";
// Deletes assignment `a` (by its number) through the integrity layer, with its
// reminders and project links: every delete request of a single assignment
// comes here. Refused with kNotYourAssignment, nothing deleted, unless
// access::mayDeleteAssignment() allows it for the stored record. An
// assignment that is gone already counts as deleted.
Outcome deleteAssignment(Database& db, const access::Viewer& viewer, const Assignment& a);

// ---- all assignments of a person -------------------------------------------------------

struct PersonDeletion {
    int deleted = 0;
    Outcome outcome;  // the refusal or failure that stopped the walk
};
// Walks the person's assignments along ASS:PERSONNUMBER_KEY, open and
// concluded alike, deleting each through the integrity layer; the walk stops
// at the first refusal or failure, and what was deleted before it stays
// deleted. A person with no assignments deletes nothing and succeeds.
PersonDeletion deleteAllAssignmentsOf(Database& db, const Session& session,
                                      std::int32_t personNumber);

// ---- assignments concluded before a date ---------------------------------------------

// Deletes every assignment concluded before a date (ASS:CLOSEDATE from 1 to
// the day before; open assignments have close date 0 and are never reached),
// with all reminders and project links of each, in transactions of bounded
// size and duration, so that other stations can write between them. The
// window calls step() until it returns Finished or Failed (or the user
// cancels), then compact(). What earlier steps deleted stays deleted; a
// failed step is rolled back whole, so the data is consistent after any stop.
class ConcludedDeletion {
public:
    struct Limits {
        int rowsPerStep = 200;                    // assignments per transaction, at most
        std::chrono::milliseconds stepTime{150};  // and no longer than this
        int timeoutMs = kIntegrityTimeoutMs;      // wait to begin a transaction
        // Rest after each commit. A station waiting for the write lock of the
        // shared files asks again only every so often (up to 100 ms apart);
        // without the rest this station would take the lock again before the
        // other asked, and the other would wait for the whole deletion.
        std::chrono::milliseconds pause{120};
    };
    enum class StepResult { More, Finished, Failed };

    ConcludedDeletion(Database& db, const Session& session, Date before);
    ConcludedDeletion(Database& db, const Session& session, Date before, Limits limits);

    // Checks the user and the date and counts what is to go. False when the
    // deletion must not run; message() tells why.
    bool prepare();
    // One bounded transaction. Called before the pause after the last step
    // is over, it first waits for the rest of it.
    StepResult step();
    // What is left of the pause after the last step (the window waits it out
    // in its event loop rather than in step()).
    std::chrono::milliseconds pauseLeft() const;
    // Reclaims the space of the deleted rows (after the last step).
    Status compact();

    std::int64_t total() const { return m_total; }  // counted by prepare()
    std::int64_t deleted() const { return m_deleted; }
    const std::optional<StandardMessage>& message() const { return m_message; }

private:
    Database& m_db;
    const Session& m_session;
    Date m_before;
    Limits m_limits;
    bool m_prepared = false;
    std::int64_t m_total = 0;
    std::int64_t m_deleted = 0;
    std::optional<StandardMessage> m_message;
    std::optional<std::chrono::steady_clock::time_point> m_lastCommit;
};

// The selection of ConcludedDeletion: concluded (close date 1 or later) before `before`.
store::Filter concludedBefore(Date before);

// What the window says when the deletion is done, translated: how many
// assignments went ("12 concluded assignments were deleted."), or that none
// was concluded before the date.
std::string concludedDeletionSummary(std::int64_t deleted);

}  // namespace tko
