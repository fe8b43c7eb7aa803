#include "assign/GroupAssignment.h"

#include "assign/AssignmentRules.h"
#include "data/Keys.h"
#include "data/Numbering.h"
#include "data/Records.h"
#include "data/Tables.h"
#include "people/PeopleRules.h"

namespace tko {
namespace {

constexpr int kNameWidth = Assignment::Width::PERSON;

// Writes the copies of the template's reminders and project links for the
// record `number` given to `person`.
Status copyChildren(Database& db, const std::vector<Reminder>& reminders,
                    const std::vector<ProjAssign>& links, std::int32_t number,
                    const std::string& person) {
    for (Reminder r : reminders) {
        r.rowPos = 0;
        r.rowVersion = 0;
        r.ASSIGNNUMBER = number;
        r.PERSON = person;
        const Status s = addNumbered(db, r, &Reminder::REMINDNUMBER, key::REM_REMINDERNUMBER_KEY);
        if (!s.ok()) return s;
    }
    for (ProjAssign link : links) {
        link.rowPos = 0;
        link.rowVersion = 0;
        link.ASSIGNNUMBER = number;
        const Status s = db.add(link);
        if (!s.ok()) return s;
    }
    return Status::success();
}

}  // namespace

Status memberEligible(Database& db, const Session& session, const Person& person, bool& eligible) {
    eligible = true;
    if (store::rtrim(person.TYPE) != kTypeUser) return Status::success();
    const std::string member = store::clipText(person.SHORTNAME, kNameWidth);
    const std::string user = store::clipText(session.GlobalUser, kNameWidth);
    if (member == user) return Status::success();
    UserAssign grant;
    const Status s = db.fetch(key::USA_PRIMARY_KEY, {member, user}, grant);
    if (s.code == store::kRecordNotFound) {
        eligible = false;
        return Status::success();
    }
    eligible = s.ok();
    return s;
}

Status eligibleMembers(Database& db, const Session& session, std::int32_t groupNumber,
                       std::vector<GroupMember>& out) {
    out.clear();
    std::vector<GroupPeople> rows;
    Status s = db.readAll(key::GRP_GROUPNUMBER_KEY,
                          store::eq("GROUPNUMBER", std::int64_t{groupNumber}), rows);
    if (!s.ok()) return s;
    for (const GroupPeople& row : rows) {
        Person person;
        s = db.fetch(key::PEO_PERSONNUMBER_KEY, {std::int64_t{row.PERSONNUMBER}}, person);
        if (s.code == store::kRecordNotFound) continue;
        if (!s.ok()) return s;
        bool eligible = false;
        s = memberEligible(db, session, person, eligible);
        if (!s.ok()) return s;
        if (eligible) out.push_back({row.SHORTNAME, row.PERSONNUMBER});
    }
    return Status::success();
}

bool groupEssentialsFilled(const Assignment& a, bool groupChosen) {
    return groupChosen && !store::rtrim(a.NAME).empty() && a.PRIORITY != 0 && a.DUEDATE != 0;
}

Outcome giveGroupAssignment(Database& db, const Session& session, Assignment& templ,
                            const GroupName& group, std::vector<Assignment>* created) {
    std::vector<Assignment> stored;
    if (created) created->clear();
    if (!mayUseGroup(group, session)) return Outcome::refused(kGroupOfAnotherUser);
    auto fail = [&db] {
        if (db.engine().transactionDepth() > 0) db.rollback();
        Outcome outcome;
        outcome.kind = Outcome::Failed;
        outcome.text = kGroupTransactionError;
        return outcome;
    };
    if (!db.begin({label::ASSIGNMENT, label::REMINDER, label::PROJASSGN}, kGroupAssignTimeoutMs)
             .ok())
        return fail();

    std::vector<GroupMember> members;
    if (!eligibleMembers(db, session, group.GROUPNUMBER, members).ok()) return fail();
    if (members.empty()) {
        db.rollback();
        return Outcome::refused(kNoEligibleMember);
    }
    std::vector<Reminder> reminders;
    std::vector<ProjAssign> links;
    if (!remindersOf(db, templ.ASSIGNNUMBER, reminders).ok()) return fail();
    if (!projectLinksOf(db, templ.ASSIGNNUMBER, links).ok()) return fail();

    // The first member takes the template itself, with its own reminders.
    Assignment first = templ;
    first.PERSON = members.front().SHORTNAME;
    first.PERSONNUMBER = members.front().PERSONNUMBER;
    if (!db.change(first).ok()) return fail();
    for (Reminder r : reminders) {
        r.PERSON = first.PERSON;
        if (!db.change(r).ok()) return fail();
    }
    stored.push_back(first);

    for (size_t i = 1; i < members.size(); ++i) {
        Assignment copy = first;
        copy.rowPos = 0;
        copy.rowVersion = 0;
        copy.PERSON = members[i].SHORTNAME;
        copy.PERSONNUMBER = members[i].PERSONNUMBER;
        if (!addNewAssignment(db, copy).ok()) return fail();
        if (!copyChildren(db, reminders, links, copy.ASSIGNNUMBER, copy.PERSON).ok()) return fail();
        stored.push_back(copy);
    }
    if (!db.commit().ok()) return fail();
    templ = first;
    if (created) *created = std::move(stored);
    return {};
}

}  // namespace tko
