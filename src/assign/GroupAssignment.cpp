#include "assign/GroupAssignment.h"
#include "assign/NoticeRules.h"

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
                       std::vector<GroupMember>& out, std::vector<SkippedMember>* skipped) {
    out.clear();
    if (skipped) skipped->clear();
    auto skip = [&](const GroupPeople& row, SkippedMember::Reason reason) {
        if (skipped) skipped->push_back({store::rtrim(row.SHORTNAME), reason});
    };
    std::vector<GroupPeople> rows;
    Status s = db.readAll(key::GRP_GROUPNUMBER_KEY,
                          store::eq("GROUPNUMBER", std::int64_t{groupNumber}), rows);
    if (!s.ok()) return s;
    for (const GroupPeople& row : rows) {
        Person person;
        s = db.fetch(key::PEO_PERSONNUMBER_KEY, {std::int64_t{row.PERSONNUMBER}}, person);
        if (s.code == store::kRecordNotFound) {
            skip(row, SkippedMember::NotInPeople);
            continue;
        }
        if (!s.ok()) return s;
        bool eligible = false;
        s = memberEligible(db, session, person, eligible);
        if (!s.ok()) return s;
        if (eligible)
            out.push_back({row.SHORTNAME, row.PERSONNUMBER});
        else
            skip(row, SkippedMember::NoAssignRight);
    }
    return Status::success();
}

std::string skippedMembersText(const std::vector<SkippedMember>& skipped) {
    const std::pair<SkippedMember::Reason, std::string> reasons[] = {
        {SkippedMember::NoAssignRight,
         translateText("Not given to %1: they take no assignments from you.")},
        {SkippedMember::NotInPeople,
         translateText("Not given to %1: no longer among the people.")}};
    std::string text;
    for (const auto& [reason, line] : reasons) {
        std::string names;
        for (const SkippedMember& m : skipped)
            if (m.reason == reason) names += (names.empty() ? "" : ", ") + m.shortName;
        if (names.empty()) continue;
        if (!text.empty()) text += '\n';
        text += mergeParameters(line, names);
    }
    return text;
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
    std::vector<SkippedMember> skipped;
    if (!eligibleMembers(db, session, group.GROUPNUMBER, members, &skipped).ok()) return fail();
    if (members.empty()) {
        db.rollback();
        Outcome refused = Outcome::refused(kNoEligibleMember);
        if (!skipped.empty()) {
            StandardMessage why;
            why.text = translateText(kNoEligibleMember) + "\n" + skippedMembersText(skipped);
            refused.message = why;
        }
        return refused;
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
    for (const Assignment& given : stored)
        if (!queueAssignmentNotices(db, nullptr, given, session.GlobalUser, AssignmentEvent::Stored)
                 .ok())
            return fail();
    if (!db.commit().ok()) return fail();
    templ = first;
    Outcome done;
    if (!skipped.empty()) {
        StandardMessage note;
        note.text = mergeParameters(translateText("The assignment went to %1 of the %2 members."),
                                    std::to_string(stored.size()),
                                    std::to_string(stored.size() + skipped.size())) +
                    "\n" + skippedMembersText(skipped);
        done.message = note;
    }
    if (created) *created = std::move(stored);
    return done;
}

}  // namespace tko
