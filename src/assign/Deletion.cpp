#include "assign/Deletion.h"

#include <thread>

#include "data/Keys.h"
#include "data/Tables.h"
#include "people/PeopleFilters.h"
#include "people/PeopleRules.h"

namespace tko {
namespace {

using SteadyClock = std::chrono::steady_clock;

StandardMessage freeText(const char* title, const std::string& text) {
    StandardMessage m;
    m.title = translateText(title);
    m.text = text;
    return m;
}

// The people a deletion screen may name.
store::Filter peopleOfScreen(Database& db, const Session& session, DeletionScreen screen) {
    if (screen == DeletionScreen::AllOfPerson) return store::all();
    SystemPref sys;
    const bool viewAll = readSystemPref(db, sys).ok() && sys.VIEWALL != 0;
    return peopleListFilter(PeopleList::Assignable, session, viewAll);
}

PersonLookup findPerson(Database& db, const Session& session, DeletionScreen screen,
                        const std::string& keyLabel, store::Filter which,
                        const std::string& shownName) {
    PersonLookup lookup;
    if (screen == DeletionScreen::AllOfPerson && !mayDeleteInBatches(session)) {
        lookup.kind = PersonLookup::Failed;
        lookup.message = batchDeletionRefusal();
        return lookup;
    }
    std::vector<Person> found;
    store::ReadRequest request;
    request.key = Person::def().key(keyLabel);
    request.filter = store::allOf({std::move(which), peopleOfScreen(db, session, screen)});
    request.limit = 1;
    request.withMemos = false;
    const Status s = db.read(request, found);
    if (!s.ok() && !s.endOfRange()) {
        lookup.kind = PersonLookup::Failed;
        lookup.message =
            standardMessage(35, db.lastError().describe(), label::PEOPLE, {}, kReadErrorStays);
        return lookup;
    }
    if (found.empty()) {
        lookup.kind = PersonLookup::NotFound;
        lookup.message =
            freeText("Person", mergeParameters(translateText("There is no person \"%1\" whose "
                                                             "assignments you may delete."),
                                               shownName));
        return lookup;
    }
    lookup.kind = PersonLookup::Found;
    lookup.person = std::move(found.front());
    return lookup;
}

}  // namespace

bool mayDeleteInBatches(const Session& session) {
    return session.isSystemAdministrator();
}

StandardMessage batchDeletionRefusal() {
    return freeText(
        "Delete Assignments",
        translateText("Only a System Administrator may delete assignments in batches."));
}

PersonLookup lookUpPerson(Database& db, const Session& session, DeletionScreen screen,
                          const std::string& shortName) {
    const std::string name = store::rtrim(shortName);
    if (name.empty()) {
        PersonLookup lookup;
        lookup.message = freeText("Person", translateText("Enter the person's short name."));
        return lookup;
    }
    return findPerson(db, session, screen, key::PEO_SHORT_KEY, store::eq("SHORTNAME", name), name);
}

PersonLookup checkPerson(Database& db, const Session& session, DeletionScreen screen,
                         std::int32_t personNumber) {
    return findPerson(db, session, screen, key::PEO_PERSONNUMBER_KEY,
                      store::eq("PERSONNUMBER", std::int64_t{personNumber}),
                      std::to_string(personNumber));
}

store::Filter assignmentsOfPerson(std::int32_t personNumber) {
    return store::eq("PERSONNUMBER", std::int64_t{personNumber});
}

store::Filter assignmentsOfPerson(std::int32_t personNumber, const access::Viewer& viewer) {
    return store::allOf({assignmentsOfPerson(personNumber), access::openableAssignments(viewer)});
}

Outcome deleteAssignment(Database& db, const access::Viewer& viewer, const Assignment& a) {
    // The stored giver decides, not what a list or form holds.
    Assignment stored;
    const Status s = db.fetch(key::ASS_NUMBER_KEY, {std::int64_t{a.ASSIGNNUMBER}}, stored);
    if (s.code == store::kRecordNotFound) return {};
    if (!s.ok())
        return Outcome::failed(
            standardMessage(35, db.lastError().describe(), label::ASSIGNMENT, {}, kReadErrorStays));
    if (!access::mayDeleteAssignment(stored, viewer)) return Outcome::refused(kNotYourAssignment);
    // The record as the caller read it: a change made meanwhile by another
    // station is reported, not deleted unseen.
    return deleteRecord(db, a);
}

PersonDeletion deleteAllAssignmentsOf(Database& db, const Session& session,
                                      std::int32_t personNumber) {
    PersonDeletion result;
    if (!mayDeleteInBatches(session)) {
        result.outcome = Outcome::refused(batchDeletionRefusal());
        return result;
    }
    store::ReadRequest request;
    request.key = Assignment::def().key(key::ASS_PERSONNUMBER_KEY);
    request.from = store::KeyPosition::at({std::int64_t{personNumber}});
    request.filter = assignmentsOfPerson(personNumber);
    request.limit = 100;
    request.withMemos = false;
    for (;;) {
        // Each page starts at the person again: what was deleted is gone, and
        // a failure stops the walk, so the walk always ends.
        std::vector<Assignment> page;
        const Status s = db.read(request, page);
        if (s.endOfRange() || (s.ok() && page.empty())) return result;
        if (!s.ok()) {
            result.outcome.kind = Outcome::Failed;
            result.outcome.message = standardMessage(35, db.lastError().describe(),
                                                     label::ASSIGNMENT, {}, kReadErrorStays);
            return result;
        }
        for (const Assignment& a : page) {
            Outcome outcome = deleteRecord(db, a);
            if (!outcome.ok()) {
                result.outcome = std::move(outcome);
                return result;
            }
            ++result.deleted;
        }
    }
}

store::Filter concludedBefore(Date before) {
    return store::allOf(
        {store::ge("CLOSEDATE", std::int64_t{1}), store::lt("CLOSEDATE", std::int64_t{before})});
}

ConcludedDeletion::ConcludedDeletion(Database& db, const Session& session, Date before)
    : ConcludedDeletion(db, session, before, Limits{}) {}

ConcludedDeletion::ConcludedDeletion(Database& db, const Session& session, Date before,
                                     Limits limits)
    : m_db(db), m_session(session), m_before(before), m_limits(limits) {
    if (m_limits.rowsPerStep < 1) m_limits.rowsPerStep = 1;
}

bool ConcludedDeletion::prepare() {
    m_message.reset();
    if (!mayDeleteInBatches(m_session)) {
        m_message = batchDeletionRefusal();
        return false;
    }
    if (m_before == kNoDate) {
        m_message = freeText("Delete Concluded Assignments",
                             translateText("Enter the date before which concluded assignments "
                                           "are to be deleted."));
        return false;
    }
    if (!m_db.count<Assignment>(concludedBefore(m_before), m_total).ok()) {
        m_message = standardMessage(35, m_db.lastError().describe(), label::ASSIGNMENT, {},
                                    kReadErrorStays);
        return false;
    }
    m_prepared = true;
    return true;
}

ConcludedDeletion::StepResult ConcludedDeletion::step() {
    if (!m_prepared) {
        if (!m_message) m_message = batchDeletionRefusal();
        return StepResult::Failed;
    }
    const std::chrono::milliseconds rest = pauseLeft();
    if (rest.count() > 0) std::this_thread::sleep_for(rest);
    const std::vector<std::string> tables{label::ASSIGNMENT, label::REMINDER, label::PROJASSGN};
    if (!m_db.begin(tables, m_limits.timeoutMs).ok()) {
        m_message = standardMessage(34, m_db.lastError().describe(), translateText("Delete"),
                                    label::ASSIGNMENT);
        return StepResult::Failed;
    }
    const SteadyClock::time_point started = SteadyClock::now();
    // The page is read inside the transaction, so no other station can
    // reopen or change a row between reading and deleting it.
    store::ReadRequest request;
    request.key = Assignment::def().key(key::ASS_CLOSE_KEY);
    request.from = store::KeyPosition::at({std::int64_t{1}});
    request.filter = concludedBefore(m_before);
    request.limit = m_limits.rowsPerStep;
    request.withMemos = false;
    std::vector<Assignment> page;
    const Status s = m_db.read(request, page);
    if (s.endOfRange() || (s.ok() && page.empty())) {
        m_db.rollback();
        return StepResult::Finished;
    }
    if (!s.ok()) {
        m_message = standardMessage(35, m_db.lastError().describe(), label::ASSIGNMENT, {},
                                    kReadErrorStays);
        m_db.rollback();
        return StepResult::Failed;
    }
    std::int64_t done = 0;
    for (const Assignment& a : page) {
        // The integrity delete takes every reminder and project link along.
        Outcome outcome = deleteRecord(m_db, a);
        if (!outcome.ok()) {
            m_message = std::move(outcome.message);
            if (m_db.engine().transactionDepth() > 0) m_db.rollback();
            return StepResult::Failed;
        }
        ++done;
        if (SteadyClock::now() - started >= m_limits.stepTime) break;
    }
    if (!m_db.commit().ok()) {
        m_message = standardMessage(17, m_db.lastError().describe(), label::ASSIGNMENT);
        return StepResult::Failed;
    }
    m_lastCommit = SteadyClock::now();
    m_deleted += done;
    const bool lastPage = static_cast<int>(page.size()) < m_limits.rowsPerStep &&
                          done == static_cast<std::int64_t>(page.size());
    return lastPage ? StepResult::Finished : StepResult::More;
}

std::chrono::milliseconds ConcludedDeletion::pauseLeft() const {
    if (!m_lastCommit) return std::chrono::milliseconds(0);
    const auto since =
        std::chrono::duration_cast<std::chrono::milliseconds>(SteadyClock::now() - *m_lastCommit);
    return since >= m_limits.pause ? std::chrono::milliseconds(0) : m_limits.pause - since;
}

Status ConcludedDeletion::compact() {
    if (m_deleted == 0) return Status::success();
    return m_db.track(m_db.engine().pack());
}

std::string concludedDeletionSummary(std::int64_t deleted) {
    if (deleted == 0)
        return translateText("Nothing was concluded before that date; nothing was deleted.");
    return mergeParameters(translateText("%1 concluded assignments were deleted."),
                           std::to_string(deleted));
}

}  // namespace tko
